#include "netmodule/netcfgclient.h"

#include "app/commonlyused.h"
#include "app/labsettings.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QEventLoop>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QTcpSocket>
#include <QTextCodec>
#include <QTimer>

namespace {

const QString GetCommand = QStringLiteral("(get,netcfg)");
const QString SetTemplate = QStringLiteral("(set,netcfg,%1,%2,%3)");
const QString OkKeyword = QStringLiteral("ok");

// The text right after the first `from` up to the first `to`; empty when
// either is missing or they are out of order.
QString between(const QString &text, const QString &from, const QString &to)
{
    const int start = text.indexOf(from);
    const int end = text.indexOf(to);
    if (start < 0 || end < 0 || end < start + from.size())
        return {};
    return text.mid(start + from.size(), end - start - from.size());
}

} // namespace

NetcfgClient::NetcfgClient(QObject *parent)
    : QObject(parent), m_socket(new QTcpSocket(this)), m_port(quint16(LabSettings::moduleTcpPort()))
{
}

void NetcfgClient::setWaits(int connectMs, int replyMs)
{
    m_connectWaitMs = connectMs;
    m_replyWaitMs = replyMs;
}

QString NetcfgClient::setCommand(const NetworkSettings &wanted)
{
    return SetTemplate.arg(wanted.ip, wanted.mask, wanted.gateway);
}

bool NetcfgClient::parseAnswer(const QString &collected, NetworkSettings &settings)
{
    if (!collected.trimmed().contains(OkKeyword))
        return false;
    settings.ip = between(collected, QStringLiteral("ip"), QStringLiteral("mask"));
    settings.mask = between(collected, QStringLiteral("mask"), QStringLiteral("gateway"));
    settings.gateway = between(collected, QStringLiteral("gateway"), OkKeyword);
    return true;
}

bool NetcfgClient::readSettings(const QString &moduleIp, NetworkSettings &answered)
{
    QString collected;
    return exchange(moduleIp, GetCommand, collected) && parseAnswer(collected, answered);
}

bool NetcfgClient::changeSettings(const QString &moduleIp, const NetworkSettings &wanted, NetworkSettings &answered)
{
    QString collected;
    return exchange(moduleIp, setCommand(wanted), collected) && parseAnswer(collected, answered);
}

void NetcfgClient::cancel()
{
    if (!m_busy)
        return;
    m_cancelled = true;
    emit cancelRequested();
}

bool NetcfgClient::fail(Failure failure, const QString &reason)
{
    m_lastFailure = failure;
    qWarning().noquote() << reason;
    return false;
}

void NetcfgClient::waitForSocket(int ms)
{
    if (ms <= 0 || m_cancelled)
        return;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::readyRead, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    connect(m_socket, &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    connect(this, &NetcfgClient::cancelRequested, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec();
}

bool NetcfgClient::connectTo(const QString &moduleIp)
{
    m_socket->abort();
    // Qt would otherwise buffer whatever the peer sends, without limit.
    m_socket->setReadBufferSize(MaxAnswerBytes + 1);
    m_socket->connectToHost(CommonlyUsed::Plain_IP_Address(moduleIp), m_port, QIODevice::ReadWrite,
                            QAbstractSocket::AnyIPProtocol);
    QDeadlineTimer deadline(m_connectWaitMs);
    while (m_socket->state() != QAbstractSocket::ConnectedState) {
        if (m_cancelled)
            return fail(Failure::Cancelled, QStringLiteral("netcfg exchange with %1 cancelled").arg(moduleIp));
        if (deadline.hasExpired() || m_socket->state() == QAbstractSocket::UnconnectedState)
            return fail(Failure::NotConnected, QStringLiteral("连接设备失败! %1:%2 %3")
                                                   .arg(moduleIp)
                                                   .arg(m_port)
                                                   .arg(m_socket->errorString()));
        waitForSocket(int(deadline.remainingTime()));
    }
    return true;
}

bool NetcfgClient::collectAnswer(const QString &moduleIp, QString &collected)
{
    static const QRegularExpression layoutCharacters(QStringLiteral("[\\r\\n ]"));
    // One deadline for the whole answer: a module that trickles bytes must
    // not keep the operator waiting longer than a silent one.
    QDeadlineTimer deadline(m_replyWaitMs);
    // Stateful, so that a character split between two segments survives.
    QTextDecoder decoder(QTextCodec::codecForLocale());
    qint64 received = 0;
    collected.clear();
    for (;;) {
        if (m_socket->bytesAvailable() > 0) {
            const QByteArray piece = m_socket->read(MaxAnswerBytes + 1 - received);
            received += piece.size();
            collected += decoder.toUnicode(piece).remove(layoutCharacters);
            if (collected.trimmed().contains(OkKeyword)) {
                qInfo().noquote() << QStringLiteral("netcfg answer from %1: %2").arg(moduleIp, collected);
                return true;
            }
            if (received > MaxAnswerBytes)
                return fail(Failure::TooLong, QStringLiteral("数据接收失败1: %1")
                                                  .arg(QStringLiteral("more than %1 bytes without ok").arg(MaxAnswerBytes)));
            continue;
        }
        if (m_cancelled)
            return fail(Failure::Cancelled, QStringLiteral("netcfg exchange with %1 cancelled").arg(moduleIp));
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            return fail(Failure::Closed, QStringLiteral("数据接收失败1: %1").arg(m_socket->errorString()));
        if (deadline.hasExpired())
            return fail(Failure::TimedOut, QStringLiteral("数据接收失败1: %1")
                                               .arg(QStringLiteral("no ok within %1 ms (%2 bytes)")
                                                        .arg(m_replyWaitMs)
                                                        .arg(received)));
        waitForSocket(int(deadline.remainingTime()));
    }
}

bool NetcfgClient::exchange(const QString &moduleIp, const QString &command, QString &collected)
{
    if (m_busy) {
        // The caller's window stays live during an exchange; a second one
        // would abort the socket under the first.
        m_lastFailure = Failure::Busy;
        qWarning().noquote() << QStringLiteral("netcfg exchange with %1 skipped: another one is running").arg(moduleIp);
        return false;
    }
    const QScopedValueRollback<bool> busy(m_busy, true);
    m_cancelled = false;
    m_lastFailure = Failure::None;

    if (!connectTo(moduleIp)) {
        m_socket->abort();
        return false;
    }
    QTextCodec *codec = QTextCodec::codecForName("GB2312");
    m_socket->write(codec ? codec->fromUnicode(command) : command.toLatin1());
    qInfo().noquote() << QStringLiteral("netcfg send to %1: %2").arg(moduleIp, command);
    if (!collectAnswer(moduleIp, collected)) {
        // Whatever else the module sends is of no use.
        m_socket->abort();
        return false;
    }
    return true;
}
