#pragma once

#include "seams/InterfaceTable.h"

#include <QHash>
#include <QString>

// The interface table of a Linux machine, read with one rtnetlink dump (links or addresses).
// Counters are the kernel's 64-bit ones. Where netlink is unavailable, /proc/net/dev and
// /sys/class/net stand in. Nothing here starts a process.
class TLinuxInterfaceTable final : public IInterfaceTable {
public:
    TLinuxInterfaceTable();
    ~TLinuxInterfaceTable() override;
    TLinuxInterfaceTable(const TLinuxInterfaceTable&) = delete;
    TLinuxInterfaceTable& operator=(const TLinuxInterfaceTable&) = delete;

    QList<TInterfaceRow> Interfaces() const override;
    QList<TAddressRow> Addresses() const override;

private:
    // What does not change while an interface exists: read once per interface number and name.
    struct Details {
        QString name;
        QString description;
        quint64 speed = 0;
        QByteArray permanent; // empty when the kernel reports no permanent address
        bool permanentKnown = false;
    };

    bool Dump(int type, int family, QByteArray& reply) const;
    QList<TInterfaceRow> InterfacesFromProc() const;
    const Details& DetailsOf(quint32 index, const QString& name, const QByteArray& netlinkPerm,
                             bool netlinkPermGiven) const;

    mutable int socket_ = -1;
    mutable quint32 sequence_ = 0;
    mutable QHash<quint32, Details> details_;
};
