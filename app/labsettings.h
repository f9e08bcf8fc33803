#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>

// Switches for loopback demos and tests, read from the environment in this one
// place. Without the variables the program talks to the real network.
//   TRIVANE_LAB=1               local addresses ["127.0.0.1"], discovery to 127.0.0.1
//   TRIVANE_DISCOVERY_PORT      destination port of the search datagram
//   TRIVANE_UDP_LOCAL_PORT      local UDP port of the discovery channel
//   TRIVANE_MODULE_TCP_PORT     TCP port of the network module
//   TRIVANE_APP_DIR             application directory (settings, logs, dumps)
//   TRIVANE_HIDDEN_PAGES=1      the video-wall and partition buttons are offered
//                               (pages the product does not show operators)
//   TRIVANE_FACTORY_IP          (lab mode only) the address a device takes on a
//                               factory reset, so a reset test stays on loopback
class LabSettings final
{
public:
    static constexpr quint16 DefaultDiscoveryPort = 50000;
    static constexpr quint16 DefaultUdpLocalPort = 60000;
    static constexpr quint16 DefaultModuleTcpPort = 4001;

    static bool labMode();
    // The local IPv4 list to use instead of the interfaces; empty outside lab mode.
    static QStringList localIPv4Override();
    // 255.255.255.255, or 127.0.0.1 in lab mode.
    static QHostAddress discoveryDestination();
    static quint16 discoveryPort();
    static quint16 udpLocalPort();
    static quint16 moduleTcpPort();
    // 192.168.0.178, or TRIVANE_FACTORY_IP in lab mode when it is an IPv4 address.
    static QString factoryDeviceIp();
    // Empty when TRIVANE_APP_DIR is not set.
    static QString applicationDirOverride();
    // The splicing and partition pages get their navigation buttons back.
    static bool hiddenPagesShown();

private:
    LabSettings() = delete;
};
