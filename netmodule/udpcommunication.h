#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

class QUdpSocket;

// The one UDP endpoint of the process towards CH9121 network modules. Payloads
// go out as hexadecimal text; answers come back as lower-case hexadecimal
// text, either to the waiting sender (receive mode 0) or through
// setReceiveData (any other mode).
class UdpCommunication final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(UdpCommunication)
public:
    static constexpr int SynchronousMode = 0;
    static constexpr int AsynchronousMode = 1;
    static constexpr int ReplyWaitMs = 3000;

    // Created on first use, lives until the process ends.
    static UdpCommunication *getInstance();

    // Closes the socket and binds it to localAddress and the local port in
    // shared-address mode. On failure the socket stays closed, so nothing can
    // be sent until a later bind succeeds.
    bool udpBind(const QString &localAddress);
    // Sends hexText as one datagram to destination and the discovery port.
    // Mode 0 waits for the destination's answer and returns it in answer.
    // Refuses (false) when the socket is not bound.
    bool sendDataBroadcast(const QString &destination, const QString &hexText, QByteArray &answer,
                           int receiveMode);
    void udpClose();

    bool isBound() const;
    QString localAddress() const { return m_localAddress; }
    QHostAddress senderAddress() const { return m_senderAddress; }
    quint16 senderPort() const { return m_senderPort; }
    int receiveMode() const { return m_receiveMode; }
    // The port actually bound (differs from localPort() when that is 0).
    quint16 boundPort() const;

    // Ports default to the lab settings; tests move them to free ports
    // (a local port of 0 binds to any free port).
    quint16 localPort() const { return m_localPort; }
    void setLocalPort(quint16 port) { m_localPort = port; }
    quint16 destinationPort() const { return m_destinationPort; }
    void setDestinationPort(quint16 port) { m_destinationPort = port; }
    void setReplyWaitMs(int ms) { m_replyWaitMs = ms; }

signals:
    void setReceiveData(QString receiveData);

public slots:
    void readDataBroadcast();

private:
    explicit UdpCommunication(QObject *parent = nullptr);
    QByteArray readOneDatagram();
    void discardPending(const char *why);

    QUdpSocket *m_socket = nullptr;
    QString m_localAddress;
    QHostAddress m_senderAddress;
    quint16 m_senderPort = 0;
    int m_receiveMode = SynchronousMode;
    bool m_waitingSynchronously = false;
    quint16 m_localPort = 0;
    quint16 m_destinationPort = 0;
    int m_replyWaitMs = ReplyWaitMs;
};
