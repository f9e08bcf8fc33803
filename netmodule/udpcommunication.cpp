#include "netmodule/udpcommunication.h"

#include "app/commonlyused.h"
#include "app/labsettings.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMutex>
#include <QMutexLocker>
#include <QNetworkDatagram>
#include <QUdpSocket>

UdpCommunication *UdpCommunication::getInstance()
{
    static QMutex creationLock;
    static UdpCommunication *instance = nullptr;
    QMutexLocker locker(&creationLock);
    if (!instance)
        instance = new UdpCommunication;
    return instance;
}

UdpCommunication::UdpCommunication(QObject *parent)
    : QObject(parent),
      m_socket(new QUdpSocket(this)),
      m_localPort(quint16(LabSettings::udpLocalPort())),
      m_destinationPort(quint16(LabSettings::discoveryPort()))
{
    connect(m_socket, &QUdpSocket::readyRead, this, &UdpCommunication::readDataBroadcast);
}

bool UdpCommunication::isBound() const
{
    return m_socket->state() == QAbstractSocket::BoundState;
}

quint16 UdpCommunication::boundPort() const
{
    return isBound() ? m_socket->localPort() : 0;
}

bool UdpCommunication::udpBind(const QString &localAddress)
{
    m_socket->abort();
    m_socket->close();
    const QHostAddress address(CommonlyUsed::Plain_IP_Address(localAddress));
    if (address.protocol() != QAbstractSocket::IPv4Protocol) {
        qWarning().noquote() << QStringLiteral("UDP监听失败：%1 is not an IPv4 address").arg(localAddress);
        return false;
    }
    if (!m_socket->bind(address, m_localPort, QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint)) {
        qWarning().noquote() << QStringLiteral("UDP监听失败：%1").arg(m_socket->errorString());
        m_socket->abort();
        return false;
    }
    m_localAddress = localAddress;
    qInfo().noquote() << QStringLiteral("UDP监听%1成功").arg(localAddress);
    return true;
}

void UdpCommunication::udpClose()
{
    m_socket->abort();
    m_socket->close();
}

QByteArray UdpCommunication::readOneDatagram()
{
    const QNetworkDatagram datagram = m_socket->receiveDatagram();
    m_senderAddress = datagram.senderAddress();
    m_senderPort = quint16(datagram.senderPort());
    return datagram.data();
}

void UdpCommunication::discardPending(const char *why)
{
    while (m_socket->hasPendingDatagrams()) {
        const QByteArray bytes = readOneDatagram();
        qInfo().noquote() << QStringLiteral("UDP %1, dropped datagram from %2:%3: %4")
                                 .arg(QLatin1String(why), m_senderAddress.toString())
                                 .arg(m_senderPort)
                                 .arg(QString::fromLatin1(bytes.toHex()));
    }
}

bool UdpCommunication::sendDataBroadcast(const QString &destination, const QString &hexText, QByteArray &answer,
                                         int receiveMode)
{
    // Sending from an unbound socket would bind it to a random port, where
    // the replies addressed to the local port never arrive.
    if (!isBound()) {
        qWarning().noquote() << QStringLiteral("UDP发送数据失败：socket is not bound");
        return false;
    }
    // A datagram left unread silences the ready-read notification for good.
    discardPending("left over before send");

    const QByteArray payload = CommonlyUsed::HexString_To_ByteArray(hexText);
    const QHostAddress target(destination);
    const qint64 written = m_socket->writeDatagram(payload, target, m_destinationPort);
    if (written < payload.size()) {
        qWarning().noquote() << QStringLiteral("UDP发送数据失败：%1").arg(m_socket->errorString());
        return false;
    }
    m_receiveMode = receiveMode;
    if (receiveMode != SynchronousMode)
        return true;

    // Only the addressed module answers a unicast request; anything else that
    // turns up meanwhile is somebody else's and is dropped.
    const bool anySender = target == QHostAddress(QHostAddress::Broadcast);
    m_waitingSynchronously = true;
    const QDeadlineTimer deadline(m_replyWaitMs);
    bool received = false;
    while (!received) {
        if (!m_socket->hasPendingDatagrams()) {
            const int remaining = int(deadline.remainingTime());
            if (remaining <= 0 || !m_socket->waitForReadyRead(remaining))
                break;
        }
        while (m_socket->hasPendingDatagrams()) {
            const QByteArray bytes = readOneDatagram();
            if (anySender || m_senderAddress.isEqual(target, QHostAddress::ConvertV4MappedToIPv4)) {
                answer = bytes.toHex();
                received = true;
                break;
            }
            qInfo().noquote() << QStringLiteral("UDP dropped datagram from %1 while waiting for %2: %3")
                                     .arg(m_senderAddress.toString(), destination,
                                          QString::fromLatin1(bytes.toHex()));
        }
    }
    m_waitingSynchronously = false;
    if (!received)
        qWarning().noquote() << QStringLiteral("数据接收失败1: %1").arg(m_socket->errorString());
    return received;
}

void UdpCommunication::readDataBroadcast()
{
    if (m_receiveMode == SynchronousMode) {
        // The waiting sender reads for itself; with nobody waiting, the
        // datagram is late or unasked for and must still be taken off the
        // socket so that later notifications keep coming.
        if (!m_waitingSynchronously)
            discardPending("no synchronous sender waiting");
        return;
    }
    while (m_socket->hasPendingDatagrams())
        emit setReceiveData(QString::fromLatin1(readOneDatagram().toHex()));
}
