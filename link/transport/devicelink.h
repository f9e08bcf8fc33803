#pragma once

#include <QElapsedTimer>
#include <QIODevice>
#include <QAbstractSocket>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <memory>

class QIODevice;
class QSerialPort;
class QTcpSocket;
class QTextCodec;
class QTextDecoder;

// The channel to the matrix: one serial port or one TCP socket, the
// quiet-period framing of what the device sends, and the three link timers.
// Widget-free; the main window shows what it reports.
class DeviceLink final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(DeviceLink)

public:
    enum ConnectionType { NoConnection = 0, TcpConnection = 1, SerialConnection = 2 };

    enum class ExchangeResult { Ok, NoDevice, NotWritable, WriteFailed, NotReadable, Timeout, DeviceError, ConnectionLost };

    static constexpr int TcpQuietMs = 100;
    static constexpr int SerialQuietMs = 600;
    static constexpr int SlowSerialQuietMs = 800;
    static constexpr int SlowBaudBelow = 19200;
    // A device that never pauses (boot output) is still dispatched.
    static constexpr int MaxContinuousMs = 2000;
    static constexpr int MaxBufferChars = 1024 * 1024;
    static constexpr int TcpConnectTimeoutMs = 3000;
    static constexpr int WriteTimeoutMs = 3000;
    static constexpr int ReconnectIntervalMs = 3000;
    // The synchronous exchange's bound: 50 passes of 40 ms.
    static constexpr int ExchangeTotalMs = 50 * 40;
    static constexpr int ExchangeRecheckMs = 40;
    // An "ok" that ends the text without its line break ends the answer when
    // nothing more arrives within this time.
    static constexpr int OkSettleMs = 20;
    // Read errors in a row without a byte in between that mark a dead port.
    static constexpr int DeadPortReadErrors = 3;

    explicit DeviceLink(QObject *parent = nullptr);
    ~DeviceLink() override;

    QSerialPort *serialPort() const { return m_serial; }
    QTcpSocket *tcpSocket() const { return m_socket; }
    QIODevice *currentDevice() const { return m_current; }
    int connectionType() const { return m_connectionType; }
    QTextCodec *codec() const { return m_codec; }

    // Opens (or re-opens) the serial port with 8N1 and no flow control.
    bool openSerial(const QString &portName, const QString &baudRate, QString *errorText = nullptr);
    int baudRate() const { return m_baudRate; }
    // Connects the socket, bound to localIp when it is a valid address;
    // waits at most TcpConnectTimeoutMs, processing events meanwhile so the
    // window stays live while a switched-off device is tried. A call made
    // while an attempt is waiting returns false at once.
    bool connectTcp(const QString &deviceIp, const QString &localIp, quint16 port,
                    int timeoutMs = TcpConnectTimeoutMs);
    bool connecting() const { return m_connecting; }
    // True while the channel can carry a request (a TCP socket that is
    // connected, an open serial port).
    bool channelReady() const;
    void closeLink();

    QByteArray encode(const QString &text) const;
    QString decodeChunk(const QByteArray &bytes);

    // Asynchronous write; returns the bytes written or -1 (also while the
    // TCP socket is not connected: nothing is queued for a later connection).
    qint64 write(const QByteArray &bytes);

    // Synchronous exchange: writes the request and reads the device itself
    // until the answer has ended (Protocol::answerEnd), pumping events
    // meanwhile and waking on every data notification. Ends early when the
    // device rejects the request or the TCP peer goes away. `answer` gets the
    // text without blanks and line breaks, `display` the text as received.
    ExchangeResult exchange(const QByteArray &request, QString *answer, QString *display,
                            int totalMs = ExchangeTotalMs);
    bool exchangeRunning() const { return m_exchangeDepth > 0; }
    QString lastError() const { return m_lastError; }

    // Reads what the device sent into the buffers and (re)starts the quiet
    // period; does nothing while receiveSuspended is set.
    void readIncoming();
    int quietIntervalMs() const;
    // Hands over and empties the collected text.
    void takeReply(QString *raw, QString *reply);
    // What the dispatcher is given of the collected reply text: no blanks, no
    // CR LF pairs (also those a chunk border had cut apart).
    static QString dispatchText(QString reply);
    void clearBuffers();

    // When on (the default) the link reads on every data notification itself;
    // an owner that routes the notification through its own slot turns it off.
    void setAutoRead(bool on);

    QTimer *receiveTimer() { return &m_receiveTimer; }
    QTimer *heartbeatTimer() { return &m_heartbeatTimer; }
    QTimer *reconnectTimer() { return &m_reconnectTimer; }

    bool receiveSuspended = false;
    QString rawBuffer;
    QString replyBuffer;
    QString lastChunk;

signals:
    // The line has been quiet (or busy for MaxContinuousMs): a reply is complete.
    void Send_ReplyComplete();
    // Bytes came in, through the receiver or a synchronous exchange.
    void Send_DataArrived(int byteCount);
    // The serial port vanished (resource error or a port that only fails reads).
    void Send_SerialLost(const QString &reason);
    // The TCP peer went away (the socket left the connected state).
    void Send_TcpDisconnected();
    void Send_HeartbeatDue();
    void Send_ReconnectDue();

private:
    // Waits up to `ms` for more bytes from the device, still pumping events.
    bool moreDataWithin(QIODevice *target, int ms);
    void attachDevice(QIODevice *device);
    void appendCapped(QString &buffer, const QString &text, const char *name);
    void onSerialError(int error);
    void resetDecoder();

    QSerialPort *m_serial = nullptr;
    QTcpSocket *m_socket = nullptr;
    QPointer<QIODevice> m_current;
    int m_connectionType = NoConnection;
    int m_baudRate = 0;
    int m_readErrorsInRow = 0;
    int m_exchangeDepth = 0;
    bool m_overflowLogged = false;
    bool m_autoRead = true;
    bool m_connecting = false;
    QString m_lastError;
    QTextCodec *m_codec = nullptr;
    std::unique_ptr<QTextDecoder> m_decoder;
    QTimer m_receiveTimer;
    QTimer m_heartbeatTimer;
    QTimer m_reconnectTimer;
    QElapsedTimer m_burst;
};
