#pragma once

#include "netmodule/netcfgclient.h"

#include <QStringList>

// The checks applied to address settings an operator enters for a module,
// in the order they are made; the first failing one is reported.
namespace NetSettingsCheck {

enum class Result {
    Ok,
    IpEmpty,
    GatewayEmpty,
    MaskEmpty,
    IpMalformed,
    GatewayMalformed,
    MaskMalformed,
    NotInLocalSegment,
};

// 0.0.0.0 and 255.255.255.255 parse as addresses but make a module unreachable.
bool isUsableHostAddress(const QString &ip);
// Ones followed by zeros only.
bool isContiguousMask(const QString &mask);
// Whether some local address has the same third number as ip (compared as
// numbers, so "001" matches "1").
bool sharesThirdNumber(const QString &ip, const QStringList &localAddresses);

// Fields are taken trimmed.
Result check(const NetworkSettings &settings, const QStringList &localAddresses);

} // namespace NetSettingsCheck
