#include "tools/sim/simdiscovery.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUdpSocket>

namespace {
constexpr char Flag[] = "CH9121_CFG_FLAG";
constexpr int MaxVersion = 255;
}

SimDiscovery::SimDiscovery(QObject *parent)
    : QObject(parent)
{
}

bool SimDiscovery::listen(const QHostAddress &address, quint16 port, QString *error)
{
    m_socket = new QUdpSocket(this);
    if (!m_socket->bind(address, port)) {
        *error
            = QStringLiteral("UDP %1:%2: %3").arg(address.toString()).arg(port).arg(m_socket->errorString());
        return false;
    }
    connect(m_socket, &QUdpSocket::readyRead, this, &SimDiscovery::readPending);
    return true;
}

quint16 SimDiscovery::port() const
{
    return m_socket ? m_socket->localPort() : 0;
}

QByteArray SimDiscovery::searchRequest()
{
    QByteArray request(Flag);
    request.append('\0');
    request.append(SearchCommand);
    return request;
}

bool SimDiscovery::parseModule(const QString &text, Module *module, QString *error)
{
    static const QRegularExpression field(QStringLiteral("(\\w+)=([^,;\\s]*)"));
    Module m;
    m.mac = QByteArray::fromHex("84c2e4010203");
    m.ip = QStringLiteral("127.0.0.1");
    m.name = "CH9121";
    m.version = 5;
    auto it = field.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        const QString key = match.captured(1);
        const QString value = match.captured(2);
        bool ok = true;
        if (key == QLatin1String("mac")) {
            QString hex = value;
            hex.remove(QLatin1Char(':')).remove(QLatin1Char('-'));
            m.mac = QByteArray::fromHex(hex.toLatin1());
            ok = m.mac.size() == MacBytes && hex.size() == 2 * MacBytes;
        } else if (key == QLatin1String("ip")) {
            QHostAddress address;
            ok = address.setAddress(value) && address.protocol() == QAbstractSocket::IPv4Protocol;
            m.ip = value;
        } else if (key == QLatin1String("name")) {
            m.name = value.toUtf8();
            ok = m.name.size() <= MaxNameBytes;
        } else if (key == QLatin1String("version")) {
            m.version = value.toInt(&ok);
            ok = ok && m.version >= 0 && m.version <= MaxVersion;
        } else if (key == QLatin1String("pad")) {
            m.pad = value.toInt(&ok);
            ok = ok && m.pad >= 0 && m.pad <= MaxNameBytes;
        } else {
            ok = false;
        }
        if (!ok) {
            *error = QStringLiteral("bad module field %1=%2").arg(key, value);
            return false;
        }
    }
    *module = m;
    return true;
}

QByteArray SimDiscovery::reply(const Module &module)
{
    if (!module.raw.isEmpty())
        return module.raw;
    QByteArray name = module.name.left(MaxNameBytes);
    if (name.size() < module.pad)
        name.append(QByteArray(module.pad - name.size(), '\0'));
    QByteArray d(Flag);
    d.append('\0');
    d.append(SearchAnswer);
    d.append(module.mac.left(MacBytes).leftJustified(MacBytes, '\0'));
    d.append(QByteArray(SkippedBytes, '\0'));
    d.append(char(AddressBytes + name.size()));
    const quint32 ip = QHostAddress(module.ip).toIPv4Address();
    for (int shift = 24; shift >= 0; shift -= 8)
        d.append(char((ip >> shift) & 0xFF));
    d.append(name);
    d.append(char(module.version));
    return d;
}

void SimDiscovery::setDeviceAddress(const QString &ip)
{
    for (Module &m : m_modules) {
        if (m.followsDevice)
            m.ip = ip;
    }
}

void SimDiscovery::readPending()
{
    while (m_socket->hasPendingDatagrams()) {
        QHostAddress sender;
        quint16 senderPort = 0;
        QByteArray datagram(int(m_socket->pendingDatagramSize()), '\0');
        const qint64 n = m_socket->readDatagram(datagram.data(), datagram.size(), &sender, &senderPort);
        if (n < 0)
            continue;
        datagram.truncate(int(n));
        if (datagram != searchRequest()) {
            ++m_ignored;
            qInfo() << "discovery: ignored datagram" << datagram.toHex();
            continue;
        }
        ++m_searches;
        for (const Module &m : qAsConst(m_modules)) {
            m_socket->writeDatagram(reply(m), sender, senderPort);
            if (m_duplicates && m.raw.isEmpty()) {
                Module twin = m;
                twin.mac[MacBytes - 1] = char(twin.mac[MacBytes - 1] ^ 0x01);
                m_socket->writeDatagram(reply(twin), sender, senderPort);
            }
        }
    }
}

QStringList SimDiscovery::stateLines() const
{
    QStringList lines { QStringLiteral("searches=%1").arg(m_searches),
        QStringLiteral("ignored=%1").arg(m_ignored),
        QStringLiteral("duplicates=%1").arg(m_duplicates ? 1 : 0) };
    for (const Module &m : m_modules) {
        lines << (m.raw.isEmpty()
                ? QStringLiteral("module=%1,%2,%3,%4")
                      .arg(QString::fromLatin1(m.mac.toHex(':').toUpper()), m.ip, QString::fromUtf8(m.name))
                      .arg(m.version)
                : QStringLiteral("module=raw:%1").arg(QString::fromLatin1(m.raw.toHex())));
    }
    return lines;
}
