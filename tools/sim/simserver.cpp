#include "tools/sim/simserver.h"

#include "tools/sim/answers.h"

#include <QDebug>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextCodec>

SimServer::SimServer(SimDevice *device, QObject *parent)
    : QObject(parent)
    , m_device(device)
{
    connect(
        device, &SimDevice::unsolicited, this, [this](const QByteArray &bytes) { sendAll(bytes, false); });
    connect(&m_chatter, &QTimer::timeout, this,
        [this] { sendAll(SimAnswers::lines({ SimAnswers::ChatterLine.arg(++m_chatterCount) }), true); });
    m_flood.setTimerType(Qt::PreciseTimer);
    connect(&m_flood, &QTimer::timeout, this, &SimServer::floodTick);
    connect(device, &SimDevice::moduleRestarting, this, &SimServer::restartModule);
    m_moveTimer.setInterval(RestartCheckMs);
    connect(&m_moveTimer, &QTimer::timeout, this, &SimServer::moveListener);
    m_closeTimer.setInterval(RestartCheckMs);
    connect(&m_closeTimer, &QTimer::timeout, this, [this] {
        if (clientsHaveQueuedOutput())
            return;
        m_closeTimer.stop();
        closeClients();
    });
}

QTcpServer *SimServer::openListener(const QHostAddress &address, quint16 port, QString *error)
{
    auto *server = new QTcpServer(this);
    if (!server->listen(address, port)) {
        *error = QStringLiteral("TCP %1:%2: %3").arg(address.toString()).arg(port).arg(server->errorString());
        delete server;
        return nullptr;
    }
    connect(server, &QTcpServer::newConnection, this, [this, server] {
        while (QTcpSocket *socket = server->nextPendingConnection()) {
            auto *link = new TcpLink(socket, m_device, &m_faults, this);
            m_clients.removeAll(nullptr);
            m_clients << link;
            addLink(link);
        }
    });
    return server;
}

bool SimServer::listenTcp(const QHostAddress &address, quint16 port, QString *error)
{
    m_tcp = openListener(address, port, error);
    return m_tcp != nullptr;
}

void SimServer::restartModule(const QString &ip)
{
    const QHostAddress address(ip);
    static const QPair<QHostAddress, int> loopback = QHostAddress::parseSubnet(QStringLiteral("127.0.0.0/8"));
    if (!m_tcp || !address.isInSubnet(loopback))
        return;
    // A later restart replaces one still waiting for its answer to go out.
    m_moveTo = address;
    m_moveTimer.start();
}

bool SimServer::clientsHaveQueuedOutput() const
{
    for (const QPointer<TcpLink> &client : m_clients) {
        if (client && client->hasQueuedOutput())
            return true;
    }
    return false;
}

void SimServer::closeClients()
{
    for (const QPointer<TcpLink> &client : qAsConst(m_clients)) {
        if (client)
            client->close();
    }
    m_clients.clear();
}

void SimServer::closeClientsAfterOutput()
{
    if (!m_closeTimer.isActive())
        m_closeTimer.start();
}

void SimServer::moveListener()
{
    if (clientsHaveQueuedOutput())
        return;
    m_moveTimer.stop();
    if (m_moveTo == m_tcp->serverAddress())
        return;
    QString error;
    QTcpServer *moved = openListener(m_moveTo, m_tcp->serverPort(), &error);
    if (!moved) {
        qWarning().noquote() << "module restart: listener stays at" << listenState() << "-" << error;
        return;
    }
    delete m_tcp;
    m_tcp = moved;
    closeClients();
}

QString SimServer::listenState() const
{
    if (!m_tcp)
        return QStringLiteral("listen=");
    return QStringLiteral("listen=%1:%2").arg(m_tcp->serverAddress().toString()).arg(m_tcp->serverPort());
}

quint16 SimServer::tcpPort() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

QHostAddress SimServer::tcpAddress() const
{
    return m_tcp ? m_tcp->serverAddress() : QHostAddress();
}

bool SimServer::openPty(const QString &path, QString *error)
{
    if (!m_pty) {
        m_ptyPath = path;
        m_pty = new PtyLink(path, m_device, &m_faults, this);
        addLink(m_pty);
    }
    return m_pty->open(error);
}

void SimServer::closePty()
{
    if (m_pty)
        m_pty->close();
}

QString SimServer::ptyPath() const
{
    return m_pty && m_pty->isOpen() ? m_pty->path() : QString();
}

void SimServer::addLink(SimLink *link)
{
    connect(link, &SimLink::closeConnectionsRequested, this, &SimServer::closeClientsAfterOutput);
    connect(link, &SimLink::rebootRequested, this, [this](int ms) {
        m_device->startReboot(ms);
        closeClientsAfterOutput();
    });
    connect(link, &SimLink::requestSeen, this, [this](const QByteArray &request) {
        if (m_history.size() >= MaxHistory)
            m_history.removeFirst();
        m_history << QTextCodec::codecForName("GB2312")->toUnicode(request);
    });
}

int SimServer::dropClients()
{
    int dropped = 0;
    for (const QPointer<TcpLink> &client : qAsConst(m_clients)) {
        if (client) {
            client->drop();
            ++dropped;
        }
    }
    m_clients.clear();
    return dropped;
}

int SimServer::clientCount() const
{
    int count = 0;
    for (const QPointer<TcpLink> &client : m_clients)
        count += client ? 1 : 0;
    return count;
}

void SimServer::sendAll(const QByteArray &bytes, bool raw)
{
    QList<SimLink *> links;
    for (const QPointer<TcpLink> &client : qAsConst(m_clients)) {
        if (client)
            links << client;
    }
    if (m_pty && m_pty->isOpen())
        links << m_pty;
    for (SimLink *link : links) {
        if (raw)
            link->sendRaw(bytes);
        else
            link->sendAnswer(bytes);
    }
}

void SimServer::setChatter(int intervalMs)
{
    if (intervalMs > 0)
        m_chatter.start(intervalMs);
    else
        m_chatter.stop();
}

void SimServer::setFlood(int bytesPerSecond)
{
    m_floodRate = qMax(0, bytesPerSecond);
    m_floodDue = 0;
    if (m_floodRate == 0) {
        m_flood.stop();
        return;
    }
    m_floodClock.start();
    m_flood.start(FloodTickMs);
}

void SimServer::floodTick()
{
    // Paced by the clock, so a late tick sends more and the rate holds; a
    // stall of more than a second is not made up for.
    const qint64 target = qint64(m_floodRate) * m_floodClock.elapsed() / 1000;
    qint64 due = target - m_floodDue;
    if (due > m_floodRate)
        due = m_floodRate;
    m_floodDue = target;
    if (due <= 0)
        return;
    QByteArray bytes(int(due), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(m_floodRandom.generate() & 0xff);
    for (const QPointer<TcpLink> &client : qAsConst(m_clients)) {
        if (!client)
            continue;
        if (client->backlog() > MaxFloodBacklog) {
            m_floodSkipped += due;
            continue;
        }
        client->sendRaw(bytes);
        m_floodSent += due;
    }
}

QStringList SimServer::floodState() const
{
    return { QStringLiteral("flood=%1").arg(m_floodRate), QStringLiteral("floodsent=%1").arg(m_floodSent),
        QStringLiteral("floodskipped=%1").arg(m_floodSkipped) };
}
