#include "net_fakes.h"

#include <QHostAddress>
#include <QMutexLocker>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>

namespace {
constexpr int SegmentGapMs = 30;
constexpr int ReplyFlagSize = 16;
constexpr quint8 ReplyCommand = 0x84;
constexpr int SkippedBytes = 6;
} // namespace

QByteArray netModuleReply(const QByteArray &mac, const QByteArray &ip, const QByteArray &name, quint8 version)
{
    QByteArray bytes = QByteArray("CH9121_CFG_FLAG").leftJustified(ReplyFlagSize, '\0');
    bytes.append(char(ReplyCommand));
    bytes.append(mac);
    bytes.append(QByteArray(SkippedBytes, '\x11'));
    bytes.append(char(ip.size() + name.size()));
    bytes.append(ip);
    bytes.append(name);
    bytes.append(char(version));
    return bytes;
}

NetFakeDiscovery::NetFakeDiscovery()
{
    start();
    m_ready.acquire();
}

NetFakeDiscovery::~NetFakeDiscovery()
{
    quit();
    wait();
}

void NetFakeDiscovery::setReplies(const QList<QByteArray> &replies)
{
    QMutexLocker locker(&m_lock);
    m_replies = replies;
}

void NetFakeDiscovery::setStrayFirst(const QByteArray &stray)
{
    QMutexLocker locker(&m_lock);
    m_stray = stray;
}

QList<QByteArray> NetFakeDiscovery::received() const
{
    QMutexLocker locker(&m_lock);
    return m_received;
}

void NetFakeDiscovery::run()
{
    QUdpSocket socket;
    QUdpSocket straySocket;
    socket.bind(QHostAddress(QHostAddress::LocalHost), 0);
    straySocket.bind(QHostAddress(QStringLiteral("127.0.0.2")), 0);
    m_port = socket.localPort();
    connect(&socket, &QUdpSocket::readyRead, &socket, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram request = socket.receiveDatagram();
            QMutexLocker locker(&m_lock);
            m_received << request.data();
            if (!m_stray.isEmpty())
                straySocket.writeDatagram(m_stray, request.senderAddress(), quint16(request.senderPort()));
            for (const QByteArray &reply : qAsConst(m_replies))
                socket.writeDatagram(reply, request.senderAddress(), quint16(request.senderPort()));
        }
    });
    m_ready.release();
    exec();
}

NetFakeModule::NetFakeModule()
{
    start();
    m_ready.acquire();
}

NetFakeModule::~NetFakeModule()
{
    quit();
    wait();
}

void NetFakeModule::setSettings(const QString &ip, const QString &mask, const QString &gateway)
{
    QMutexLocker locker(&m_lock);
    m_ip = ip;
    m_mask = mask;
    m_gateway = gateway;
}

void NetFakeModule::setAcceptSet(bool accept)
{
    QMutexLocker locker(&m_lock);
    m_acceptSet = accept;
}

void NetFakeModule::setSilent(bool silent)
{
    QMutexLocker locker(&m_lock);
    m_silent = silent;
}

QStringList NetFakeModule::commands() const
{
    QMutexLocker locker(&m_lock);
    return m_commands;
}

int NetFakeModule::connections() const
{
    QMutexLocker locker(&m_lock);
    return m_connections;
}

QByteArray NetFakeModule::answer(const QString &command)
{
    QMutexLocker locker(&m_lock);
    m_commands << command;
    if (m_silent)
        return {};
    const QString prefix = QStringLiteral("(set,netcfg,");
    if (command.startsWith(prefix) && m_acceptSet) {
        const QStringList values = command.mid(prefix.size()).chopped(1).split(QLatin1Char(','));
        if (values.size() == 3) {
            m_ip = values.at(0);
            m_mask = values.at(1);
            m_gateway = values.at(2);
        }
    }
    return QStringLiteral("ip %1\r\nmask %2\r\ngateway %3\r\nok\r\n").arg(m_ip, m_mask, m_gateway).toLatin1();
}

void NetFakeModule::run()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    m_port = server.serverPort();
    connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *peer = server.nextPendingConnection()) {
            {
                QMutexLocker locker(&m_lock);
                ++m_connections;
            }
            connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
                QByteArray pending = peer->property("pending").toByteArray() + peer->readAll();
                int end;
                while ((end = pending.indexOf(')')) >= 0) {
                    const QByteArray reply = answer(QString::fromLatin1(pending.left(end + 1)));
                    pending.remove(0, end + 1);
                    if (reply.isEmpty())
                        continue;
                    // Two segments, so that the reader has to collect.
                    const int half = reply.size() / 2;
                    peer->write(reply.left(half));
                    peer->flush();
                    QTimer::singleShot(SegmentGapMs, peer, [peer, rest = reply.mid(half)] { peer->write(rest); });
                }
                peer->setProperty("pending", pending);
            });
        }
    });
    m_ready.release();
    exec();
}
