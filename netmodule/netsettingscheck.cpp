#include "netmodule/netsettingscheck.h"

#include "app/commonlyused.h"

#include <QHostAddress>

namespace {

constexpr quint32 AllOnes = 0xffffffffu;

// Only for texts that passed the address expression.
quint32 bitsOf(const QString &address)
{
    return QHostAddress(CommonlyUsed::Normalize_IP_Address(address)).toIPv4Address();
}

} // namespace

namespace NetSettingsCheck {

bool isUsableHostAddress(const QString &ip)
{
    const QString plain = CommonlyUsed::Normalize_IP_Address(ip);
    return !plain.isEmpty() && plain != QLatin1String("0.0.0.0") && plain != QLatin1String("255.255.255.255");
}

bool isContiguousMask(const QString &mask)
{
    if (CommonlyUsed::Normalize_IP_Address(mask).isEmpty())
        return false;
    const quint32 bits = bitsOf(mask);
    if (bits == 0 || bits == AllOnes)
        return false;
    // Inverted, a contiguous mask is a run of low ones: adding one carries
    // through all of them and leaves no bit in common.
    const quint32 hostBits = ~bits;
    return (hostBits & (hostBits + 1)) == 0;
}

bool isNetworkOrBroadcast(const QString &ip, const QString &mask)
{
    if (CommonlyUsed::Normalize_IP_Address(ip).isEmpty() || CommonlyUsed::Normalize_IP_Address(mask).isEmpty())
        return false;
    const quint32 hostBits = ~bitsOf(mask);
    // /31 and /32 networks have no network or broadcast address.
    if (hostBits <= 1)
        return false;
    const quint32 host = bitsOf(ip) & hostBits;
    return host == 0 || host == hostBits;
}

bool inLocalNetwork(const QString &ip, const QList<LocalAddress> &localAddresses)
{
    return !LocalAddress::reachableFrom(CommonlyUsed::Normalize_IP_Address(ip), localAddresses).isEmpty();
}

Result check(const NetworkSettings &settings, const QList<LocalAddress> &localAddresses)
{
    const QString ip = settings.ip.trimmed();
    const QString gateway = settings.gateway.trimmed();
    const QString mask = settings.mask.trimmed();
    if (ip.isEmpty())
        return Result::IpEmpty;
    if (gateway.isEmpty())
        return Result::GatewayEmpty;
    if (mask.isEmpty())
        return Result::MaskEmpty;
    if (!isUsableHostAddress(ip))
        return Result::IpMalformed;
    if (!isUsableHostAddress(gateway))
        return Result::GatewayMalformed;
    if (!isContiguousMask(mask))
        return Result::MaskMalformed;
    if (isNetworkOrBroadcast(ip, mask))
        return Result::IpMalformed;
    if (isNetworkOrBroadcast(gateway, mask))
        return Result::GatewayMalformed;
    if (!inLocalNetwork(ip, localAddresses))
        return Result::NotInLocalSegment;
    return Result::Ok;
}

} // namespace NetSettingsCheck
