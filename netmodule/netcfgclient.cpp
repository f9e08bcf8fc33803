#include "netmodule/netcfgclient.h"

#include "app/commonlyused.h"
#include "app/labsettings.h"

#include <QDebug>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTextCodec>

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

bool NetcfgClient::exchange(const QString &moduleIp, const QString &command, QString &collected)
{
    static const QRegularExpression layoutCharacters(QStringLiteral("[\\r\\n ]"));
    m_socket->abort();
    m_socket->connectToHost(CommonlyUsed::Plain_IP_Address(moduleIp), m_port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (!m_socket->waitForConnected(m_connectWaitMs)) {
        qWarning().noquote() << QStringLiteral("连接设备失败! %1:%2 %3").arg(moduleIp).arg(m_port).arg(m_socket->errorString());
        return false;
    }
    QTextCodec *codec = QTextCodec::codecForName("GB2312");
    m_socket->write(codec ? codec->fromUnicode(command) : command.toLatin1());
    qInfo().noquote() << QStringLiteral("netcfg send to %1: %2").arg(moduleIp, command);

    collected.clear();
    while (m_socket->waitForReadyRead(m_replyWaitMs)) {
        QString piece = QString::fromLocal8Bit(m_socket->readAll());
        collected += piece.remove(layoutCharacters);
        if (collected.trimmed().contains(OkKeyword)) {
            qInfo().noquote() << QStringLiteral("netcfg answer from %1: %2").arg(moduleIp, collected);
            return true;
        }
    }
    qWarning().noquote() << QStringLiteral("数据接收失败1: %1").arg(m_socket->errorString());
    return false;
}
