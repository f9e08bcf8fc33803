#include "app/singleinstance.h"

#include "app/commonlyused.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTimer>

namespace {

// Wire form: a 32-bit big-endian byte count, the UTF-8 message; the receiver
// answers with one acknowledgement byte once it has the whole message.
constexpr char AckByte = '\x06';
constexpr int HeaderBytes = 4;
constexpr int MaxMessageBytes = 64 * 1024;
constexpr int ServerSideTimeoutMs = 2000;
// Probe used to tell a live listener from a stale socket file.
constexpr int StaleProbeTimeoutMs = 1000;
constexpr int HashHexDigits = 16;

QString currentUserName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir::home().dirName();
    return user;
}

int remaining(const QElapsedTimer &timer, int timeoutMs)
{
    return int(qMax<qint64>(0, timeoutMs - timer.elapsed()));
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent),
      // The data directory is part of the identity: a copy started with its
      // own settings directory (a demo, a test) is another installation.
      m_serverName(serverNameFor(key, currentUserName(),
                                 (QCoreApplication::instance() ? QCoreApplication::applicationFilePath()
                                                               : QString())
                                     + QLatin1Char('\n') + CommonlyUsed::applicationDir()))
{
}

SingleInstance::~SingleInstance()
{
    stop();
}

QString SingleInstance::serverNameFor(const QString &key, const QString &userName, const QString &executablePath)
{
    const QByteArray hash = QCryptographicHash::hash((userName + QLatin1Char('\n') + executablePath).toUtf8(),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(HashHexDigits);
    // Socket names end up as file names: keep them to plain ASCII.
    QString safeKey = key;
    for (QChar &c : safeKey) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return safeKey + QLatin1Char('-') + QString::fromLatin1(hash);
}

QString SingleInstance::serverName() const
{
    return m_serverName;
}

void SingleInstance::setServerName(const QString &name)
{
    stop();
    m_serverName = name;
}

bool SingleInstance::sendMessage(const QString &message, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(remaining(timer, timeoutMs)))
        return false; // nobody listens, or only a stale socket is left
    const QByteArray payload = message.toUtf8();
    QByteArray frame;
    QDataStream(&frame, QIODevice::WriteOnly) << quint32(payload.size());
    frame += payload;
    socket.write(frame);
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(remaining(timer, timeoutMs)))
            return false;
    }
    while (socket.bytesAvailable() < 1) {
        if (!socket.waitForReadyRead(remaining(timer, timeoutMs)))
            return false;
    }
    char ack = 0;
    return socket.getChar(&ack) && ack == AckByte;
}

bool SingleInstance::listen()
{
    if (isListening())
        return true;
    auto *server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(m_serverName)) {
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            qWarning() << "single-instance listener failed:" << server->errorString();
            delete server;
            return false;
        }
        // The name is taken: by a live copy, or by a socket a dead copy left.
        QLocalSocket probe;
        probe.connectToServer(m_serverName);
        if (probe.waitForConnected(StaleProbeTimeoutMs)) {
            qWarning() << "another copy is listening on" << m_serverName;
            delete server;
            return false;
        }
        qDebug() << "removing stale single-instance socket" << m_serverName;
        QLocalServer::removeServer(m_serverName);
        if (!server->listen(m_serverName)) {
            qWarning() << "single-instance listener failed:" << server->errorString();
            delete server;
            return false;
        }
    }
    connect(server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    m_server = server;
    return true;
}

bool SingleInstance::isListening() const
{
    return m_server && m_server->isListening();
}

void SingleInstance::stop()
{
    if (!m_server)
        return;
    m_server->close();
    delete m_server;
    m_server = nullptr;
}

void SingleInstance::onNewConnection()
{
    while (m_server && m_server->hasPendingConnections()) {
        QLocalSocket *socket = m_server->nextPendingConnection();
        // Read without blocking: the sender may be slow, and the GUI must go on.
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readMessage = [this, socket]() {
            if (socket->bytesAvailable() < HeaderBytes)
                return;
            quint32 size = 0;
            QDataStream(socket->peek(HeaderBytes)) >> size;
            if (size > quint32(MaxMessageBytes)) {
                qWarning() << "single-instance message too long:" << size;
                socket->abort();
                return;
            }
            if (socket->bytesAvailable() < HeaderBytes + qint64(size))
                return;
            socket->read(HeaderBytes);
            const QString message = QString::fromUtf8(socket->read(size));
            socket->putChar(AckByte);
            socket->flush();
            socket->disconnectFromServer();
            qDebug() << "single-instance message received:" << message;
            emit messageReceived(message);
        };
        connect(socket, &QLocalSocket::readyRead, this, readMessage);
        QTimer::singleShot(ServerSideTimeoutMs, socket, [socket]() { socket->abort(); });
        readMessage();
    }
}

bool restartApplication(SingleInstance *guard, const QString &program)
{
    const QString path = program.isEmpty() ? QCoreApplication::applicationFilePath() : program;
    if (guard)
        guard->stop();
    // The list form keeps a path with blanks in one piece.
    if (QProcess::startDetached(path, QStringList()))
        return true;
    qWarning() << "cannot start" << path;
    if (guard)
        guard->listen();
    return false;
}
