#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One network interface as the system reports it at the moment of the read.
struct TInterfaceRow {
    quint32 Index = 0;     // interface number
    QString Description;   // the interface's name, or a friendlier one where the system has it
    quint64 Speed = 0;     // nominal bits per second, 0 when unknown
    QByteArray PhysAddr;   // hardware address bytes; empty for loopback and tunnels
    quint64 InOctets = 0;  // bytes received since the interface came up
    quint64 OutOctets = 0; // bytes sent since the interface came up
};

// One IPv4 address of an interface.
struct TAddressRow {
    quint32 Addr = 0; // first octet in the lowest-addressed byte
    quint32 Index = 0;
};

// Where the program reads the machine's interfaces and IPv4 addresses.
class IInterfaceTable {
public:
    virtual ~IInterfaceTable() = default;
    // Every interface, in the system's order.
    virtual QList<TInterfaceRow> Interfaces() const = 0;
    // Every IPv4 address, in any order.
    virtual QList<TAddressRow> Addresses() const = 0;
};

// The installed table; until the platform installs one, a machine without interfaces.
const IInterfaceTable& InterfaceTable();
// nullptr restores the empty table.
void SetInterfaceTable(const IInterfaceTable* table);

QList<TInterfaceRow> GetInterfaceTable();
// Sorted ascending by address (first octet most significant), then by interface number.
QList<TAddressRow> GetAddressTable();

// The adapter key: upper-case hex byte pairs joined by "-", "00-00-00-00-00-00" without bytes.
QString PhysicalAddressText(const QByteArray& bytes);
QString PhysicalAddressText(const quint8* bytes, int count);
// Dotted decimal, lowest-addressed byte first.
QString IPAddressText(quint32 address);
// The first address of the interface in GetAddressTable order; empty when it has none.
QString InterfaceIPAddress(quint32 index);
