#include "app/labsettings.h"

#include <QDebug>

namespace {

quint16 portFromEnvironment(const char *name, quint16 fallback)
{
    if (!qEnvironmentVariableIsSet(name))
        return fallback;
    const QString text = qEnvironmentVariable(name).trimmed();
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        qWarning() << "ignoring invalid port in" << name << ":" << text;
        return fallback;
    }
    return static_cast<quint16>(port);
}

} // namespace

bool LabSettings::labMode()
{
    return qEnvironmentVariable("TRIVANE_LAB").trimmed() == QLatin1String("1");
}

QStringList LabSettings::localIPv4Override()
{
    if (labMode())
        return {QStringLiteral("127.0.0.1")};
    return {};
}

QHostAddress LabSettings::discoveryDestination()
{
    return labMode() ? QHostAddress(QHostAddress::LocalHost) : QHostAddress(QHostAddress::Broadcast);
}

quint16 LabSettings::discoveryPort()
{
    return portFromEnvironment("TRIVANE_DISCOVERY_PORT", DefaultDiscoveryPort);
}

quint16 LabSettings::udpLocalPort()
{
    return portFromEnvironment("TRIVANE_UDP_LOCAL_PORT", DefaultUdpLocalPort);
}

quint16 LabSettings::moduleTcpPort()
{
    return portFromEnvironment("TRIVANE_MODULE_TCP_PORT", DefaultModuleTcpPort);
}

QString LabSettings::applicationDirOverride()
{
    return qEnvironmentVariable("TRIVANE_APP_DIR");
}

QString LabSettings::factoryDeviceIp()
{
    static const QString Factory = QStringLiteral("192.168.0.178");
    if (!labMode())
        return Factory;
    const QHostAddress lab(qEnvironmentVariable("TRIVANE_FACTORY_IP").trimmed());
    return lab.protocol() == QAbstractSocket::IPv4Protocol ? lab.toString() : Factory;
}

bool LabSettings::hiddenPagesShown()
{
    return qEnvironmentVariable("TRIVANE_HIDDEN_PAGES") == QLatin1String("1");
}
