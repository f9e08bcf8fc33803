#include "netmodule/netsettingscheck.h"

#include "app/commonlyused.h"

#include <QHostAddress>

namespace {

constexpr int SegmentIndex = 2; // the third number of a dotted address

// The third number, or -1 when the text has fewer than three parts or it is
// not a number.
int thirdNumber(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() <= SegmentIndex)
        return -1;
    bool ok = false;
    const int value = parts.at(SegmentIndex).trimmed().toInt(&ok);
    return ok ? value : -1;
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
    const QString plain = CommonlyUsed::Normalize_IP_Address(mask);
    if (plain.isEmpty())
        return false;
    const quint32 bits = QHostAddress(plain).toIPv4Address();
    // Inverted, a contiguous mask is a run of low ones: adding one carries
    // through all of them and leaves no bit in common.
    const quint32 hostBits = ~bits;
    return (hostBits & (hostBits + 1)) == 0;
}

bool sharesThirdNumber(const QString &ip, const QStringList &localAddresses)
{
    const int wanted = thirdNumber(ip);
    if (wanted < 0)
        return false;
    for (const QString &local : localAddresses) {
        if (thirdNumber(local) == wanted)
            return true;
    }
    return false;
}

Result check(const NetworkSettings &settings, const QStringList &localAddresses)
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
    if (!CommonlyUsed::Check_IP_Address(ip) || !isUsableHostAddress(ip))
        return Result::IpMalformed;
    if (!CommonlyUsed::Check_IP_Address(gateway))
        return Result::GatewayMalformed;
    if (!CommonlyUsed::Check_IP_Address(mask) || !isContiguousMask(mask))
        return Result::MaskMalformed;
    if (!sharesThirdNumber(ip, localAddresses))
        return Result::NotInLocalSegment;
    return Result::Ok;
}

} // namespace NetSettingsCheck
