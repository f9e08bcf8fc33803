#include "app/singleinstance.h"

#include "app/commonlyused.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QThread>
#include <QTimer>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#else
#include <cerrno>
#include <csignal>
#endif

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
// Pause between attempts to reach a lock holder that does not listen yet.
constexpr int ConnectRetryMs = 50;
// The owner writes its details right after creating the lock file; a file
// still unreadable after this long is what a crash or power loss left.
constexpr qint64 UnreadableLockGraceMs = 10000;

QString currentUserName()
{
    QString user = qEnvironmentVariable("USER");
    if (user.isEmpty())
        user = qEnvironmentVariable("USERNAME");
    if (user.isEmpty())
        user = QDir::home().dirName();
    return user;
}

QString identityFor(const QString &key)
{
    const QString executable = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    const QString parts = currentUserName() + QLatin1Char('\n') + QSysInfo::machineHostName() + QLatin1Char('\n')
                          + executable + QLatin1Char('\n') + CommonlyUsed::applicationDir();
    const QByteArray hash =
        QCryptographicHash::hash(parts.toUtf8(), QCryptographicHash::Sha1).toHex().left(HashHexDigits);
    // The name ends up as file names: keep it to plain ASCII.
    QString safeKey = key;
    for (QChar &c : safeKey) {
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return safeKey + QLatin1Char('-') + QString::fromLatin1(hash);
}

bool processExists(qint64 pid)
{
    if (pid <= 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER; // access denied: it exists
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
#else
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
#endif
}

// True when the lock file names a process of this machine that is gone, or
// has stayed unreadable for longer than its owner needs to write it.
bool lockOwnerGone(const QLockFile &lock, const QString &path)
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        const QFileInfo info(path);
        return info.exists() && qAbs(info.lastModified().msecsTo(QDateTime::currentDateTime())) > UnreadableLockGraceMs;
    }
    if (!host.isEmpty() && host != QSysInfo::machineHostName())
        return false; // another machine's process: cannot tell, keep it
    return !processExists(pid);
}

int remaining(const QElapsedTimer &timer, int timeoutMs)
{
    return int(qMax<qint64>(0, timeoutMs - timer.elapsed()));
}

} // namespace

SingleInstance::SingleInstance(const QString &key, QObject *parent)
    : QObject(parent),
      m_serverName(identityFor(key)),
      m_lockPath(CommonlyUsed::applicationDir() + QLatin1Char('/') + m_serverName + QStringLiteral(".lock"))
{
}

SingleInstance::~SingleInstance()
{
    release();
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

QString SingleInstance::lockFilePath() const
{
    return m_lockPath;
}

bool SingleInstance::tryLock()
{
    QDir().mkpath(QFileInfo(m_lockPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    // However long the running copy is busy, only its death frees the lock.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    // removeStaleLockFile cannot take a lock that a live process still holds.
    if (m_lock->error() == QLockFile::LockFailedError && lockOwnerGone(*m_lock, m_lockPath)
        && m_lock->removeStaleLockFile()) {
        qDebug() << "removed the lock file of a copy that is gone:" << m_lockPath;
        if (m_lock->tryLock(0))
            return true;
    }
    return false;
}

SingleInstance::Claim SingleInstance::claim()
{
    if (!ownsLock() && !tryLock()) {
        const bool held = m_lock->error() == QLockFile::LockFailedError;
        if (!held)
            qWarning() << "single-instance lock file cannot be made:" << m_lockPath << m_lock->error();
        m_lock.reset();
        return held ? Claim::HeldByOther : Claim::Unavailable;
    }
    // The lock already decides; without a listener a later start just cannot
    // bring this copy to the front.
    if (!listen())
        qWarning() << "single-instance listener not active:" << m_serverName;
    return Claim::Acquired;
}

bool SingleInstance::ownsLock() const
{
    return m_lock && m_lock->isLocked();
}

void SingleInstance::release()
{
    stop();
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool SingleInstance::sendMessage(const QString &message, int timeoutMs, ListenerWait wait)
{
    QElapsedTimer timer;
    timer.start();
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(m_serverName);
        if (socket.waitForConnected(remaining(timer, timeoutMs)))
            break;
        // Nobody listens (yet): the lock holder may still be starting up.
        if (wait == ListenerWait::No || remaining(timer, timeoutMs) <= ConnectRetryMs)
            return false;
        socket.abort();
        QThread::msleep(ConnectRetryMs);
    }
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
    if (ownsLock()) {
        // Only the lock holder listens, so a socket left under the name is a
        // dead copy's. The access option replaces an existing name silently,
        // which is right only here.
        QLocalServer::removeServer(m_serverName);
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (!server->listen(m_serverName)) {
            qWarning() << "single-instance listener failed:" << server->errorString();
            delete server;
            return false;
        }
    } else if (!server->listen(m_serverName)) {
        // No lock decides: a name that is taken must fail, not be replaced.
        if (server->serverError() != QAbstractSocket::AddressInUseError) {
            qWarning() << "single-instance listener failed:" << server->errorString();
            delete server;
            return false;
        }
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
    // The new copy must find neither the lock nor the listener of this one.
    if (guard)
        guard->release();
    // The list form keeps a path with blanks in one piece.
    if (QProcess::startDetached(path, QStringList()))
        return true;
    qWarning() << "cannot start" << path;
    if (guard) {
        const SingleInstance::Claim claim = guard->claim();
        if (claim == SingleInstance::Claim::Unavailable)
            guard->listen();
        else if (claim == SingleInstance::Claim::HeldByOther)
            qWarning() << "single-instance lock taken by another copy meanwhile";
    }
    return false;
}
