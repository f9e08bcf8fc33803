#include "tools/sim/simserver.h"

#include "tools/sim/answers.h"

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
}

bool SimServer::listenTcp(const QHostAddress &address, quint16 port, QString *error)
{
    m_tcp = new QTcpServer(this);
    if (!m_tcp->listen(address, port)) {
        *error = QStringLiteral("TCP %1:%2: %3").arg(address.toString()).arg(port).arg(m_tcp->errorString());
        return false;
    }
    connect(m_tcp, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_tcp->nextPendingConnection()) {
            auto *link = new TcpLink(socket, m_device, &m_faults, this);
            m_clients.removeAll(nullptr);
            m_clients << link;
            addLink(link);
        }
    });
    return true;
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
