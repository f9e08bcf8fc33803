#pragma once

#include "app/localaddress.h"
#include "netmodule/netcfgclient.h"

#include <QList>

// The checks applied to address settings an operator enters for a device or
// a module, in the order they are made; the first failing one is reported.
// The one network check of the program: the module search and the system
// page's network settings both use it.
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
// Ones followed by zeros only, with at least one of each that a host network
// can use: 0.0.0.0 and 255.255.255.255 leave no neighbour to talk to.
bool isContiguousMask(const QString &mask);
// Whether `ip` is the network or the broadcast address of the network that
// `mask` cuts out of it (never for /31 and /32, which have neither).
bool isNetworkOrBroadcast(const QString &ip, const QString &mask);
// Whether some local address holds ip in its interface's network.
bool inLocalNetwork(const QString &ip, const QList<LocalAddress> &localAddresses);

// Fields are taken trimmed. The address and the gateway are refused as
// malformed when they are the network or broadcast address of the entered
// mask; that is found once the mask has passed its own check.
Result check(const NetworkSettings &settings, const QList<LocalAddress> &localAddresses);

} // namespace NetSettingsCheck
