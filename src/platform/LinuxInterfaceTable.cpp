#include "platform/LinuxInterfaceTable.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

// net/if.h before the kernel headers, which then leave out their own copies.
#include <net/if.h>

#include <cerrno>
#include <cstring>
#include <ifaddrs.h>
#include <linux/ethtool.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <linux/sockios.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const QString kSysNet = QStringLiteral("/sys/class/net/");

QByteArray ReadSmallFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4096).trimmed();
}

// Link types that carry no hardware address of their own: their adapters share the key of
// an interface without address.
bool HasNoHardwareAddress(unsigned type) {
    switch (type) {
    case ARPHRD_LOOPBACK:
    case ARPHRD_NONE:
    case ARPHRD_VOID:
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_PPP:
        return true;
    default:
        return false;
    }
}

bool AllZero(const QByteArray& bytes) {
    for (char c : bytes)
        if (c != 0)
            return false;
    return true;
}

QByteArray PermanentFromEthtool(const QString& name) {
    const QByteArray local = name.toLocal8Bit();
    if (local.isEmpty() || local.size() >= IFNAMSIZ)
        return {};
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    alignas(ethtool_perm_addr) char buffer[sizeof(ethtool_perm_addr) + MAX_ADDR_LEN] = {};
    auto* request = reinterpret_cast<ethtool_perm_addr*>(buffer);
    request->cmd = ETHTOOL_GPERMADDR;
    request->size = MAX_ADDR_LEN;
    ifreq ifr{};
    std::memcpy(ifr.ifr_name, local.constData(), static_cast<size_t>(local.size()));
    ifr.ifr_data = buffer;
    QByteArray result;
    if (::ioctl(fd, SIOCETHTOOL, &ifr) == 0 && request->size <= MAX_ADDR_LEN)
        result =
            QByteArray(buffer + sizeof(ethtool_perm_addr), static_cast<qsizetype>(request->size));
    ::close(fd);
    return result;
}

QString DescriptionOf(const QString& name, const QString& alias) {
    QString text = alias.trimmed().isEmpty() ? name : alias.trimmed();
    if (QFileInfo::exists(kSysNet + name + QStringLiteral("/wireless")) ||
        QFileInfo::exists(kSysNet + name + QStringLiteral("/phy80211")))
        text += QStringLiteral(" (wireless)");
    return text;
}

quint64 SpeedOf(const QString& name) {
    bool ok = false;
    const qint64 mbits = ReadSmallFile(kSysNet + name + QStringLiteral("/speed")).toLongLong(&ok);
    return ok && mbits > 0 ? static_cast<quint64>(mbits) * 1000000u : 0;
}

QByteArray ParseHexAddress(const QByteArray& text) {
    QByteArray bytes;
    for (const QByteArray& part : text.split(':')) {
        bool ok = false;
        const uint value = part.toUInt(&ok, 16);
        if (!ok || value > 0xFF)
            return {};
        bytes.append(static_cast<char>(value));
    }
    return bytes;
}

const rtattr* NextAttribute(const rtattr* attr, int& remaining) {
    const int step = static_cast<int>(RTA_ALIGN(attr->rta_len));
    remaining -= step;
    return reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(attr) + step);
}

bool AttributeFits(const rtattr* attr, int remaining) {
    return remaining >= static_cast<int>(sizeof(rtattr)) && attr->rta_len >= sizeof(rtattr) &&
           static_cast<int>(attr->rta_len) <= remaining;
}

QByteArray Payload(const rtattr* attr) {
    return QByteArray(static_cast<const char*>(RTA_DATA(attr)),
                      static_cast<qsizetype>(RTA_PAYLOAD(attr)));
}

QString TextPayload(const rtattr* attr) {
    const QByteArray bytes = Payload(attr);
    const qsizetype end = bytes.indexOf('\0');
    return QString::fromLocal8Bit(end < 0 ? bytes : bytes.left(end));
}

// Walks the messages of a dump reply; `visit` gets each message of the wanted type.
// The first attribute after a message body of type Body.
template <typename Body> const rtattr* FirstAttribute(const Body* body) {
    return reinterpret_cast<const rtattr*>(reinterpret_cast<const char*>(body) +
                                           NLMSG_ALIGN(sizeof(Body)));
}

template <typename Visit> void ForEachMessage(const QByteArray& reply, int type, Visit visit) {
    int remaining = static_cast<int>(reply.size());
    auto* header = reinterpret_cast<const nlmsghdr*>(reply.constData());
    while (NLMSG_OK(header, static_cast<unsigned>(remaining))) {
        if (header->nlmsg_type == type)
            visit(header);
        header = NLMSG_NEXT(header, remaining);
    }
}
} // namespace

TLinuxInterfaceTable::TLinuxInterfaceTable() = default;

TLinuxInterfaceTable::~TLinuxInterfaceTable() {
    if (socket_ >= 0)
        ::close(socket_);
}

bool TLinuxInterfaceTable::Dump(int type, int family, QByteArray& reply) const {
    if (socket_ < 0) {
        socket_ = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
        if (socket_ < 0)
            return false;
        // A kernel that never answers must not stall the user interface.
        timeval timeout{1, 0};
        ::setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        if (::bind(socket_, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            ::close(socket_);
            socket_ = -1;
            return false;
        }
    }

    struct {
        nlmsghdr header;
        rtgenmsg body;
        char pad[16];
    } request{};
    request.header.nlmsg_len =
        NLMSG_LENGTH(type == RTM_GETLINK ? sizeof(ifinfomsg) : sizeof(ifaddrmsg));
    request.header.nlmsg_type = static_cast<quint16>(type);
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = ++sequence_;
    request.body.rtgen_family = static_cast<unsigned char>(family);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(socket_, &request, request.header.nlmsg_len, 0,
                 reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return false;

    reply.clear();
    QByteArray buffer(32768, Qt::Uninitialized);
    for (;;) {
        const ssize_t peek = ::recv(socket_, buffer.data(), 0, MSG_PEEK | MSG_TRUNC);
        if (peek < 0 && errno == EINTR)
            continue;
        if (peek < 0)
            return false;
        if (peek > buffer.size())
            buffer.resize(peek);
        const ssize_t got = ::recv(socket_, buffer.data(), static_cast<size_t>(buffer.size()), 0);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        int remaining = static_cast<int>(got);
        auto* header = reinterpret_cast<const nlmsghdr*>(buffer.constData());
        for (; NLMSG_OK(header, static_cast<unsigned>(remaining));
             header = NLMSG_NEXT(header, remaining)) {
            if (header->nlmsg_seq != sequence_)
                continue; // the tail of an earlier, abandoned dump
            if (header->nlmsg_type == NLMSG_DONE)
                return true;
            if (header->nlmsg_type == NLMSG_ERROR)
                return false;
            reply.append(reinterpret_cast<const char*>(header),
                         static_cast<qsizetype>(NLMSG_ALIGN(header->nlmsg_len)));
        }
    }
}

const TLinuxInterfaceTable::Details& TLinuxInterfaceTable::DetailsOf(quint32 index,
                                                                     const QString& name,
                                                                     const QByteArray& netlinkPerm,
                                                                     bool netlinkPermGiven) const {
    auto it = details_.find(index);
    if (it == details_.end() || it->name != name) {
        Details d;
        d.name = name;
        d.description =
            DescriptionOf(name, ReadSmallFile(kSysNet + name + QStringLiteral("/ifalias")));
        d.speed = SpeedOf(name);
        it = details_.insert(index, d);
    }
    if (!it->permanentKnown) {
        it->permanent = netlinkPermGiven ? netlinkPerm : PermanentFromEthtool(name);
        it->permanentKnown = true;
    }
    return *it;
}

QList<TInterfaceRow> TLinuxInterfaceTable::Interfaces() const {
    QByteArray reply;
    if (!Dump(RTM_GETLINK, AF_UNSPEC, reply))
        return InterfacesFromProc();

    QList<TInterfaceRow> rows;
    ForEachMessage(reply, RTM_NEWLINK, [&](const nlmsghdr* header) {
        if (header->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
            return;
        const auto* info = reinterpret_cast<const ifinfomsg*>(
            reinterpret_cast<const char*>(header) + NLMSG_HDRLEN);
        QString name;
        QByteArray address;
        QByteArray permanent;
        bool permanentGiven = false;
        TInterfaceRow row;
        row.Index = static_cast<quint32>(info->ifi_index);
        bool have64 = false;
        int remaining = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof(ifinfomsg)));
        for (const rtattr* attr = FirstAttribute(info); AttributeFits(attr, remaining);
             attr = NextAttribute(attr, remaining)) {
            switch (attr->rta_type) {
            case IFLA_IFNAME:
                name = TextPayload(attr);
                break;
            case IFLA_ADDRESS:
                address = Payload(attr);
                break;
            case IFLA_PERM_ADDRESS:
                permanent = Payload(attr);
                permanentGiven = true;
                break;
            case IFLA_STATS64:
                if (RTA_PAYLOAD(attr) >= sizeof(rtnl_link_stats64)) {
                    rtnl_link_stats64 stats;
                    std::memcpy(&stats, RTA_DATA(attr), sizeof stats);
                    row.InOctets = stats.rx_bytes;
                    row.OutOctets = stats.tx_bytes;
                    have64 = true;
                }
                break;
            case IFLA_STATS:
                if (!have64 && RTA_PAYLOAD(attr) >= sizeof(rtnl_link_stats)) {
                    rtnl_link_stats stats;
                    std::memcpy(&stats, RTA_DATA(attr), sizeof stats);
                    row.InOctets = stats.rx_bytes;
                    row.OutOctets = stats.tx_bytes;
                }
                break;
            default:
                break;
            }
        }
        const Details& d = DetailsOf(row.Index, name, permanent, permanentGiven);
        row.Description = d.description;
        row.Speed = d.speed;
        if (!HasNoHardwareAddress(info->ifi_type)) {
            // The permanent address keeps one log per card when the current one is randomised.
            row.PhysAddr = !d.permanent.isEmpty() && !AllZero(d.permanent) ? d.permanent : address;
            if (AllZero(row.PhysAddr))
                row.PhysAddr.clear();
        }
        rows.append(row);
    });
    return rows;
}

QList<TInterfaceRow> TLinuxInterfaceTable::InterfacesFromProc() const {
    QFile file(QStringLiteral("/proc/net/dev"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QList<TInterfaceRow> rows;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QString name = QString::fromLocal8Bit(line.left(colon).trimmed());
        const QList<QByteArray> fields = line.mid(colon + 1).simplified().split(' ');
        if (name.isEmpty() || fields.size() < 9)
            continue;
        TInterfaceRow row;
        row.InOctets = fields[0].toULongLong();
        row.OutOctets = fields[8].toULongLong();
        const QString dir = kSysNet + name + QLatin1Char('/');
        row.Index = ReadSmallFile(dir + QStringLiteral("ifindex")).toUInt();
        const Details& d = DetailsOf(row.Index, name, {}, false);
        row.Description = d.description;
        row.Speed = d.speed;
        if (!HasNoHardwareAddress(ReadSmallFile(dir + QStringLiteral("type")).toUInt())) {
            const QByteArray address =
                ParseHexAddress(ReadSmallFile(dir + QStringLiteral("address")));
            row.PhysAddr = !d.permanent.isEmpty() && !AllZero(d.permanent) ? d.permanent : address;
            if (AllZero(row.PhysAddr))
                row.PhysAddr.clear();
        }
        rows.append(row);
    }
    return rows;
}

QList<TAddressRow> TLinuxInterfaceTable::Addresses() const {
    QList<TAddressRow> rows;
    QByteArray reply;
    if (Dump(RTM_GETADDR, AF_INET, reply)) {
        ForEachMessage(reply, RTM_NEWADDR, [&](const nlmsghdr* header) {
            if (header->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg)))
                return;
            const auto* info = reinterpret_cast<const ifaddrmsg*>(
                reinterpret_cast<const char*>(header) + NLMSG_HDRLEN);
            if (info->ifa_family != AF_INET)
                return;
            QByteArray local;
            QByteArray address;
            int remaining = static_cast<int>(header->nlmsg_len - NLMSG_LENGTH(sizeof(ifaddrmsg)));
            for (const rtattr* attr = FirstAttribute(info); AttributeFits(attr, remaining);
                 attr = NextAttribute(attr, remaining)) {
                if (attr->rta_type == IFA_LOCAL)
                    local = Payload(attr);
                else if (attr->rta_type == IFA_ADDRESS)
                    address = Payload(attr);
            }
            const QByteArray& chosen = local.size() == 4 ? local : address;
            if (chosen.size() != 4)
                return;
            TAddressRow row;
            std::memcpy(&row.Addr, chosen.constData(), 4);
            row.Index = info->ifa_index;
            rows.append(row);
        });
        return rows;
    }

    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return rows;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET)
            continue;
        TAddressRow row;
        sockaddr_in in;
        std::memcpy(&in, entry->ifa_addr, sizeof in);
        std::memcpy(&row.Addr, &in.sin_addr, 4);
        row.Index = ::if_nametoindex(entry->ifa_name);
        rows.append(row);
    }
    ::freeifaddrs(list);
    return rows;
}
