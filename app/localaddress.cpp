#include "app/localaddress.h"

#include "app/commonlyused.h"

#include <QNetworkInterface>
#include <QStringList>

#include <algorithm>

namespace {

constexpr int Ipv4Octets = 4;
constexpr int MaxOctet = 255;
constexpr int Ipv4Bits = 32;
constexpr int UnknownPrefixFallback = 24;

} // namespace

std::optional<quint32> LocalAddress::ipv4Value(const QString &text)
{
    const QStringList parts = text.trimmed().split(QLatin1Char('.'));
    if (parts.size() != Ipv4Octets)
        return std::nullopt;
    quint32 value = 0;
    for (const QString &part : parts) {
        bool ok = false;
        const int octet = part.toInt(&ok, 10);
        if (!ok || part.isEmpty() || octet < 0 || octet > MaxOctet)
            return std::nullopt;
        value = (value << 8) | static_cast<quint32>(octet);
    }
    return value;
}

QList<LocalAddress> LocalAddress::current()
{
    QList<LocalAddress> list;
    const QStringList held = CommonlyUsed::Get_Local_IPv4_Addresses();
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        for (const QNetworkAddressEntry &entry : iface.addressEntries()) {
            if (held.contains(entry.ip().toString()))
                list.append({entry.ip().toString(), entry.prefixLength()});
        }
    }
    for (const QString &address : held) {
        const bool known
            = std::any_of(list.cbegin(), list.cend(), [&](const LocalAddress &a) { return a.address == address; });
        if (!known)
            list.append({address, -1});
    }
    return list;
}

bool LocalAddress::sameNetwork(const QString &ip, const LocalAddress &local)
{
    const auto device = ipv4Value(ip);
    const auto own = ipv4Value(local.address);
    if (!device || !own)
        return false;
    const int prefix
        = (local.prefixLength >= 1 && local.prefixLength <= Ipv4Bits) ? local.prefixLength : UnknownPrefixFallback;
    const quint32 mask = prefix == Ipv4Bits ? 0xffffffffu : ~(0xffffffffu >> prefix);
    return (*device & mask) == (*own & mask);
}

QString LocalAddress::reachableFrom(const QString &ip, const QList<LocalAddress> &candidates)
{
    for (const LocalAddress &local : candidates) {
        if (sameNetwork(ip, local))
            return local.address;
    }
    return QString();
}
