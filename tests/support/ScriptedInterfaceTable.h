#pragma once

#include "seams/InterfaceTable.h"

#include <QList>

// Interface and address rows that a test sets and changes between steps. Installs itself as
// the program's table for its lifetime.
class ScriptedInterfaceTable final : public IInterfaceTable {
public:
    ScriptedInterfaceTable() { SetInterfaceTable(this); }
    ~ScriptedInterfaceTable() override { SetInterfaceTable(nullptr); }
    ScriptedInterfaceTable(const ScriptedInterfaceTable&) = delete;
    ScriptedInterfaceTable& operator=(const ScriptedInterfaceTable&) = delete;

    QList<TInterfaceRow> Interfaces() const override {
        ++reads;
        return rows;
    }
    QList<TAddressRow> Addresses() const override { return addresses; }

    // A row with a six-byte address made of `last` (0 gives a row without address).
    static TInterfaceRow Row(quint32 index, const QString& description, quint8 last, quint64 in = 0,
                             quint64 out = 0, quint64 speed = 0) {
        TInterfaceRow row;
        row.Index = index;
        row.Description = description;
        row.Speed = speed;
        if (last != 0)
            row.PhysAddr =
                QByteArray::fromHex("001A2B3C4D") + QByteArray(1, static_cast<char>(last));
        row.InOctets = in;
        row.OutOctets = out;
        return row;
    }
    // Sets the counters of the row with this number.
    void SetCounters(quint32 index, quint64 in, quint64 out) {
        for (TInterfaceRow& row : rows)
            if (row.Index == index) {
                row.InOctets = in;
                row.OutOctets = out;
            }
    }

    QList<TInterfaceRow> rows;
    QList<TAddressRow> addresses;
    mutable int reads = 0;
};
