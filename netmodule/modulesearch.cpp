#include "netmodule/modulesearch.h"

#include "app/labsettings.h"
#include "netmodule/udpcommunication.h"

#include <QDebug>

ModuleSearch::ModuleSearch(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<DiscoveryReply>();
    setListening(true);
}

bool ModuleSearch::bindChannel(const QString &localAddress)
{
    return UdpCommunication::getInstance()->udpBind(localAddress);
}

bool ModuleSearch::sendSearchRequest()
{
    QByteArray unused;
    const bool sent = UdpCommunication::getInstance()->sendDataBroadcast(
        LabSettings::discoveryDestination().toString(), DiscoveryCodec::searchRequestHex(), unused,
        UdpCommunication::AsynchronousMode);
    if (!sent)
        qWarning().noquote() << QStringLiteral("数据接收失败!");
    return sent;
}

void ModuleSearch::setListening(bool listening)
{
    if (listening == m_listening)
        return;
    m_listening = listening;
    UdpCommunication *channel = UdpCommunication::getInstance();
    if (listening)
        connect(channel, &UdpCommunication::setReceiveData, this, &ModuleSearch::Get_ReceiveData);
    else
        disconnect(channel, &UdpCommunication::setReceiveData, this, &ModuleSearch::Get_ReceiveData);
}

void ModuleSearch::Get_ReceiveData(const QString &receiveData)
{
    const DiscoveryReply reply = DiscoveryCodec::decodeReplyHex(receiveData);
    // Too short to hold an address: no module to list (an empty address would
    // read as a duplicate of every other empty one).
    if (!reply.valid) {
        qInfo().noquote() << QStringLiteral("module reply ignored, too short: %1").arg(receiveData.left(80));
        return;
    }
    qInfo().noquote() << QStringLiteral("module reply flag %1 command %2 MAC %3 IP %4 name %5 version %6")
                             .arg(QString::fromLatin1(reply.flag.toHex()))
                             .arg(reply.command)
                             .arg(reply.macText(), reply.ip, reply.name, reply.versionText());
    emit Send_ModuleFound(reply);
}
