#include "platform/LinuxInterfaceTable.h"

#include "config/SettingsFile.h"
#include "support/TestSupport.h"
#include "usage/DataMine.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
quint64 SysCounter(const QString& name, const char* file) {
    QFile f(QStringLiteral("/sys/class/net/%1/statistics/%2").arg(name, QLatin1String(file)));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toULongLong() : 0;
}

quint32 SysIndex(const QString& name) {
    QFile f(QStringLiteral("/sys/class/net/%1/ifindex").arg(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toUInt() : 0;
}

// Sends `total` bytes of UDP datagrams to a socket of our own on 127.0.0.1; returns the payload
// bytes sent.
quint64 LoopbackTransfer(quint64 total) {
    const int receiver = ::socket(AF_INET, SOCK_DGRAM, 0);
    const int sender = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    quint64 sent = 0;
    if (receiver >= 0 && sender >= 0 &&
        ::bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        QByteArray chunk(8192, 'm');
        QByteArray sink(65536, '\0');
        while (sent < total) {
            const ssize_t n = ::sendto(sender, chunk.constData(), static_cast<size_t>(chunk.size()),
                                       0, reinterpret_cast<sockaddr*>(&address), sizeof address);
            if (n <= 0)
                break;
            sent += static_cast<quint64>(n);
            ::recv(receiver, sink.data(), static_cast<size_t>(sink.size()), MSG_DONTWAIT);
        }
    }
    if (receiver >= 0)
        ::close(receiver);
    if (sender >= 0)
        ::close(sender);
    return sent;
}
} // namespace

TEST(LinuxInterfaceTable, ListsEveryInterfaceOfTheMachine) {
    TLinuxInterfaceTable table;
    const QList<TInterfaceRow> rows = table.Interfaces();
    const QStringList names = QDir(QStringLiteral("/sys/class/net"))
                                  .entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    EXPECT_EQ(rows.size(), names.size());
    for (const QString& name : names) {
        const quint32 index = SysIndex(name);
        const auto row = std::find_if(rows.begin(), rows.end(),
                                      [&](const TInterfaceRow& r) { return r.Index == index; });
        ASSERT_NE(row, rows.end()) << name.toStdString();
        EXPECT_TRUE(row->Description.startsWith(name)) << row->Description.toStdString();
    }
    const auto lo = std::find_if(rows.begin(), rows.end(), [](const TInterfaceRow& r) {
        return r.Index == SysIndex(QStringLiteral("lo"));
    });
    ASSERT_NE(lo, rows.end());
    EXPECT_TRUE(lo->PhysAddr.isEmpty());
}

TEST(LinuxInterfaceTable, LoopbackHasItsAddress) {
    TLinuxInterfaceTable table;
    SetInterfaceTable(&table);
    EXPECT_EQ(InterfaceIPAddress(SysIndex(QStringLiteral("lo"))), QStringLiteral("127.0.0.1"));
    SetInterfaceTable(nullptr);
}

TEST(LinuxInterfaceTable, LoopbackTrafficReachesTheCountersAndTheLog) {
    TestEnvironment env;
    TLinuxInterfaceTable table;
    SetInterfaceTable(&table);
    env.WriteFile(QStringLiteral("config.ini"), "[settings]\nlogsmigrated=1\nlogsmigrated2=1\n");
    SettingsFile = std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
    {
        TDataMine mine;
        const quint32 loIndex = SysIndex(QStringLiteral("lo"));
        const auto it = std::find_if(mine.Adapters->List.begin(), mine.Adapters->List.end(),
                                     [&](const auto& a) { return a->Index == loIndex; });
        ASSERT_NE(it, mine.Adapters->List.end());
        TAdapter& lo = **it;
        EXPECT_EQ(lo.PhysicalAddress, QStringLiteral("00-00-00-00-00-00"));

        // Other programs may use the loopback interface at the same time, so each sample is
        // checked against the system's counter read just before and just after it.
        const quint64 before1 = SysCounter(QStringLiteral("lo"), "rx_bytes");
        mine.Adapters->Tick();
        const quint64 before2 = SysCounter(QStringLiteral("lo"), "rx_bytes");
        const quint64 first = lo.LastIn;
        EXPECT_GE(first, before1);
        EXPECT_LE(first, before2);

        const quint64 payload = LoopbackTransfer(1 << 20);
        ASSERT_GE(payload, quint64(1) << 20);

        const quint64 after1 = SysCounter(QStringLiteral("lo"), "rx_bytes");
        mine.Adapters->Tick();
        const quint64 after2 = SysCounter(QStringLiteral("lo"), "rx_bytes");
        EXPECT_GE(lo.LastIn, after1);
        EXPECT_LE(lo.LastIn, after2);
        EXPECT_GE(lo.LastIn - first, payload);
        EXPECT_EQ(lo.InRate(false), lo.LastIn - first);

        // Other interfaces without address share the log, so it holds at least this much.
        const TArchive* log = mine.Archives->Find(lo.PhysicalAddress);
        ASSERT_EQ(log->Count(), 1);
        EXPECT_GE(log->RecordAt(0)->In, lo.LastIn - first);
    }
    SetInterfaceTable(nullptr);
}
