#pragma once

#include <QList>
#include <QString>

#include <optional>

// One local IPv4 address with the prefix length of its interface (-1 when
// unknown). Decides which local address talks to a device and whether a
// device address is reachable from this computer at all.
struct LocalAddress
{
    QString address;
    int prefixLength = -1;

    // The computer's addresses (CommonlyUsed::Get_Local_IPv4_Addresses, so
    // the lab override applies) with their interfaces' prefixes.
    static QList<LocalAddress> current();
    // Whether `ip` lies in the network of `local`: by the prefix, or by the
    // first three numbers (a /24) when the prefix is unknown. False for
    // anything that is not a dotted IPv4 text.
    static bool sameNetwork(const QString &ip, const LocalAddress &local);
    // The dotted IPv4 text as a number, its parts read as plain decimal
    // ("010" is ten, as the address checks accept it); nothing otherwise.
    static std::optional<quint32> ipv4Value(const QString &text);
    // The first of `candidates` whose network holds `ip`; empty when none.
    static QString reachableFrom(const QString &ip, const QList<LocalAddress> &candidates);
};
