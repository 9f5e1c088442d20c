#include "seams/InterfaceTable.h"

#include <algorithm>

namespace {
class EmptyTable final : public IInterfaceTable {
public:
    QList<TInterfaceRow> Interfaces() const override { return {}; }
    QList<TAddressRow> Addresses() const override { return {}; }
};

const EmptyTable kEmptyTable;
const IInterfaceTable* installed = nullptr;

// The address as a number whose most significant byte is the first octet.
quint32 HostOrder(quint32 address) {
    const quint8* b = reinterpret_cast<const quint8*>(&address);
    return (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | quint32(b[3]);
}
} // namespace

const IInterfaceTable& InterfaceTable() {
    return installed ? *installed : kEmptyTable;
}
void SetInterfaceTable(const IInterfaceTable* table) {
    installed = table;
}

QList<TInterfaceRow> GetInterfaceTable() {
    return InterfaceTable().Interfaces();
}

QList<TAddressRow> GetAddressTable() {
    QList<TAddressRow> rows = InterfaceTable().Addresses();
    std::stable_sort(rows.begin(), rows.end(), [](const TAddressRow& a, const TAddressRow& b) {
        const quint32 x = HostOrder(a.Addr);
        const quint32 y = HostOrder(b.Addr);
        return x != y ? x < y : a.Index < b.Index;
    });
    return rows;
}

QString PhysicalAddressText(const quint8* bytes, int count) {
    if (count <= 0 || !bytes)
        return QStringLiteral("00-00-00-00-00-00");
    static const char kHex[] = "0123456789ABCDEF";
    QString text;
    text.reserve(count * 3);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            text += QLatin1Char('-');
        text += QLatin1Char(kHex[bytes[i] >> 4]);
        text += QLatin1Char(kHex[bytes[i] & 0xF]);
    }
    return text;
}

QString PhysicalAddressText(const QByteArray& bytes) {
    return PhysicalAddressText(reinterpret_cast<const quint8*>(bytes.constData()),
                               static_cast<int>(bytes.size()));
}

QString IPAddressText(quint32 address) {
    const quint8* b = reinterpret_cast<const quint8*>(&address);
    return QStringLiteral("%1.%2.%3.%4").arg(b[0]).arg(b[1]).arg(b[2]).arg(b[3]);
}

QString InterfaceIPAddress(quint32 index) {
    for (const TAddressRow& row : GetAddressTable())
        if (row.Index == index)
            return IPAddressText(row.Addr);
    return {};
}
