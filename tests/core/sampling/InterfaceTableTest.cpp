#include "seams/InterfaceTable.h"

#include "support/ScriptedInterfaceTable.h"
#include "support/TestSupport.h"

#include <QtEndian>
#include <gtest/gtest.h>

namespace {
// An address written as the system stores it: first octet in the lowest-addressed byte.
quint32 Address(quint8 a, quint8 b, quint8 c, quint8 d) {
    const quint8 bytes[4] = {a, b, c, d};
    return qFromUnaligned<quint32>(bytes);
}
} // namespace

TEST(InterfaceTable, PhysicalAddressText) {
    struct Case {
        QByteArray bytes;
        QString text;
    };
    const Case cases[] = {
        {QByteArray(), QStringLiteral("00-00-00-00-00-00")},
        {QByteArray::fromHex("001a2b3c4d5e"), QStringLiteral("00-1A-2B-3C-4D-5E")},
        {QByteArray::fromHex("ff"), QStringLiteral("FF")},
        {QByteArray::fromHex("0102030405060708"), QStringLiteral("01-02-03-04-05-06-07-08")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PhysicalAddressText(c.bytes), c.text);
    EXPECT_EQ(PhysicalAddressText(QByteArray::fromHex("001a2b3c4d5e")).size(), 17);
    EXPECT_EQ(PhysicalAddressText(QByteArray::fromHex("0102030405060708")).size(), 23);
}

TEST(InterfaceTable, IPAddressText) {
    EXPECT_EQ(IPAddressText(Address(192, 168, 1, 5)), QStringLiteral("192.168.1.5"));
    EXPECT_EQ(IPAddressText(0), QStringLiteral("0.0.0.0"));
    EXPECT_EQ(IPAddressText(Address(10, 0, 255, 1)), QStringLiteral("10.0.255.1"));
}

TEST(InterfaceTable, AnInterfaceGetsItsLowestAddress) {
    ScriptedInterfaceTable table;
    table.addresses = {{Address(192, 168, 1, 9), 2},
                       {Address(10, 0, 0, 7), 3},
                       {Address(172, 16, 0, 1), 2},
                       {Address(192, 168, 1, 10), 2}};
    EXPECT_EQ(InterfaceIPAddress(2), QStringLiteral("172.16.0.1"));
    EXPECT_EQ(InterfaceIPAddress(3), QStringLiteral("10.0.0.7"));
    EXPECT_EQ(InterfaceIPAddress(4), QString());
    const QList<TAddressRow> sorted = GetAddressTable();
    ASSERT_EQ(sorted.size(), 4);
    EXPECT_EQ(sorted.front().Addr, Address(10, 0, 0, 7));
    EXPECT_EQ(sorted.back().Addr, Address(192, 168, 1, 10));
}

TEST(InterfaceTable, WithoutAnInstalledTableTheMachineHasNoInterfaces) {
    EXPECT_TRUE(GetInterfaceTable().isEmpty());
    EXPECT_TRUE(GetAddressTable().isEmpty());
}
