// trivane-sim: a headless stand-in for the HDMI matrix switcher, its network
// module and its RS-232 line, with fault injection for tests and demos.
#include "tools/sim/simcontrol.h"
#include "tools/sim/simdevice.h"
#include "tools/sim/simdiscovery.h"
#include "tools/sim/simserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHostAddress>
#include <QTextCodec>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

constexpr quint16 DefaultTcpPort = 4001;
constexpr quint16 DefaultDiscoveryPort = 50000;

struct Endpoint
{
    QHostAddress address;
    quint16 port = 0;
};

// "host:port" or a bare port (loopback).
bool parseEndpoint(const QString &text, Endpoint *endpoint)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    const QString host = colon < 0 ? QStringLiteral("127.0.0.1") : text.left(colon);
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port > 0xFFFF || !endpoint->address.setAddress(host))
        return false;
    endpoint->port = quint16(port);
    return true;
}

// The pty symlink is removed also when the simulator is terminated.
char ptyLinkPath[4096] = {};

void onTerminate(int)
{
    if (ptyLinkPath[0] != '\0')
        ::unlink(ptyLinkPath);
    ::_exit(0);
}

int fail(const QString &message)
{
    QTextStream(stderr) << "trivane-sim: " << message << '\n';
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("trivane-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulated HDMI matrix switcher (see tools/sim/README.md)."));
    parser.addHelpOption();
    const QCommandLineOption model(QStringLiteral("model"),
        QStringLiteral("4x2, 4x4, 8x8, 8x9, 8x16 or 16x16."), QStringLiteral("size"), QStringLiteral("4x4"));
    const QCommandLineOption type(QStringLiteral("type"),
        QStringLiteral("Orvex, Orvex-L, Orvex-Q or Orvex-T."), QStringLiteral("type"),
        QStringLiteral("Orvex"));
    const QCommandLineOption tcp(QStringLiteral("tcp"), QStringLiteral("Device TCP port, host:port or off."),
        QStringLiteral("endpoint"), QStringLiteral("127.0.0.1:%1").arg(DefaultTcpPort));
    const QCommandLineOption pty(QStringLiteral("pty"),
        QStringLiteral("Symlink to create for the serial line."), QStringLiteral("path"));
    const QCommandLineOption baud(QStringLiteral("baud"), QStringLiteral("Serial rate of the device."),
        QStringLiteral("rate"), QString::number(SimDevice::DefaultBaud));
    const QCommandLineOption udp(QStringLiteral("udp"),
        QStringLiteral("Discovery responder, host:port or off."), QStringLiteral("endpoint"),
        QStringLiteral("127.0.0.1:%1").arg(DefaultDiscoveryPort));
    const QCommandLineOption modules(QStringLiteral("modules"),
        QStringLiteral("Discovery modules: a file with one module per line, or modules separated by ';'."),
        QStringLiteral("list"));
    const QCommandLineOption control(QStringLiteral("control"), QStringLiteral("Control port, host:port."),
        QStringLiteral("endpoint"), QStringLiteral("127.0.0.1:0"));
    const QCommandLineOption netcfg(QStringLiteral("netcfg"),
        QStringLiteral("Device address, mask, gateway (default: the TCP host in its /24)."),
        QStringLiteral("ip,mask,gw"));
    const QCommandLineOption name(
        QStringLiteral("name"), QStringLiteral("Device name."), QStringLiteral("text"));
    const QCommandLineOption factoryIp(QStringLiteral("factory-ip"),
        QStringLiteral("Address a factory reset gives the device (mask 255.255.255.0, gateway x.y.z.1)."),
        QStringLiteral("ip"), QLatin1String(SimDevice::DefaultFactoryIp));
    parser.addOptions({ model, type, tcp, pty, baud, udp, modules, control, netcfg, name, factoryIp });
    parser.process(app);

    SimDevice device;
    if (!device.setModel(parser.value(model)))
        return fail(QStringLiteral("unknown model %1").arg(parser.value(model)));
    if (!device.setType(parser.value(type)))
        return fail(QStringLiteral("unknown type %1").arg(parser.value(type)));
    if (!device.setBaud(parser.value(baud).toInt()))
        return fail(QStringLiteral("unsupported baud rate %1").arg(parser.value(baud)));
    if (!device.setFactoryAddress(parser.value(factoryIp)))
        return fail(QStringLiteral("bad --factory-ip %1").arg(parser.value(factoryIp)));
    if (parser.isSet(name) && !parser.value(name).isEmpty())
        device.setName(QTextCodec::codecForName("GB2312")->fromUnicode(parser.value(name)));

    SimServer server(&device);
    SimDiscovery discovery;
    QObject::connect(&device, &SimDevice::networkChanged, &discovery, &SimDiscovery::setDeviceAddress);
    QString error;
    QStringList ready { QStringLiteral("READY") };

    Endpoint tcpEndpoint;
    if (parser.value(tcp) != QLatin1String("off")) {
        if (!parseEndpoint(parser.value(tcp), &tcpEndpoint))
            return fail(QStringLiteral("bad --tcp %1").arg(parser.value(tcp)));
        if (!server.listenTcp(tcpEndpoint.address, tcpEndpoint.port, &error))
            return fail(error);
        ready << QStringLiteral("tcp=%1:%2").arg(server.tcpAddress().toString()).arg(server.tcpPort());
    }

    // The device's address: given, or the one it is reached at on this machine.
    if (parser.isSet(netcfg)) {
        const QStringList parts = parser.value(netcfg).split(QLatin1Char(','));
        if (parts.size() != 3 || !device.setNetwork(parts[0], parts[1], parts[2]))
            return fail(QStringLiteral("bad --netcfg %1").arg(parser.value(netcfg)));
    } else if (tcpEndpoint.address.protocol() == QAbstractSocket::IPv4Protocol) {
        const QString ip = tcpEndpoint.address.toString();
        device.setNetwork(
            ip, QStringLiteral("255.255.255.0"), ip.section(QLatin1Char('.'), 0, 2) + QStringLiteral(".1"));
    }

    if (parser.isSet(pty)) {
        if (!server.openPty(parser.value(pty), &error))
            return fail(error);
        ready << QStringLiteral("pty=%1").arg(server.ptyPath());
        std::strncpy(ptyLinkPath, QFile::encodeName(server.ptyPath()).constData(), sizeof ptyLinkPath - 1);
        std::signal(SIGTERM, onTerminate);
        std::signal(SIGINT, onTerminate);
    }

    if (parser.value(udp) != QLatin1String("off")) {
        Endpoint udpEndpoint;
        if (!parseEndpoint(parser.value(udp), &udpEndpoint))
            return fail(QStringLiteral("bad --udp %1").arg(parser.value(udp)));
        if (parser.isSet(modules)) {
            QString list = parser.value(modules);
            QFile file(list);
            if (file.exists()) {
                if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
                    return fail(QStringLiteral("cannot read %1").arg(list));
                list = QString::fromUtf8(file.readAll()).replace(QLatin1Char('\n'), QLatin1Char(';'));
            }
            for (const QString &one : list.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
                if (one.trimmed().isEmpty() || one.trimmed().startsWith(QLatin1Char('#')))
                    continue;
                SimDiscovery::Module module;
                if (!SimDiscovery::parseModule(one, &module, &error))
                    return fail(error);
                discovery.addModule(module);
            }
        } else {
            SimDiscovery::Module module;
            SimDiscovery::parseModule(QStringLiteral("ip=%1").arg(device.ip()), &module, &error);
            module.followsDevice = true;
            discovery.addModule(module);
        }
        if (!discovery.listen(udpEndpoint.address, udpEndpoint.port, &error))
            return fail(error);
        ready << QStringLiteral("udp=%1").arg(discovery.port());
    }

    SimControl controlChannel(&device, &server, &discovery);
    Endpoint controlEndpoint;
    if (!parseEndpoint(parser.value(control), &controlEndpoint))
        return fail(QStringLiteral("bad --control %1").arg(parser.value(control)));
    if (!controlChannel.listen(controlEndpoint.address, controlEndpoint.port, &error))
        return fail(error);
    ready << QStringLiteral("control=%1").arg(controlChannel.port());

    std::printf("%s\n", qPrintable(ready.join(QLatin1Char(' '))));
    std::fflush(stdout);
    return app.exec();
}
