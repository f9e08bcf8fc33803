#include "link/transport/devicelink.h"

#include <QDebug>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QSerialPort>
#include <QSignalBlocker>
#include <QTcpSocket>
#include <QTextCodec>

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"

namespace {
constexpr char DeviceCodecName[] = "GB2312";

QString stripForDispatch(QString text)
{
    text.remove(QLatin1Char(' '));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}
} // namespace

DeviceLink::DeviceLink(QObject *parent)
    : QObject(parent), m_serial(new QSerialPort(this)), m_socket(new QTcpSocket(this)),
      m_codec(QTextCodec::codecForName(DeviceCodecName))
{
    if (!m_codec) {
        qWarning() << "GB2312 codec missing, falling back to UTF-8";
        m_codec = QTextCodec::codecForName("UTF-8");
    }
    resetDecoder();

    m_receiveTimer.setSingleShot(true);
    // A coarse timer may fire 5 % early, cutting a slow serial answer.
    m_receiveTimer.setTimerType(Qt::PreciseTimer);
    // The heartbeat's period is part of how fast a silent device is noticed.
    m_heartbeatTimer.setTimerType(Qt::PreciseTimer);
    m_reconnectTimer.setInterval(ReconnectIntervalMs);

    connect(&m_receiveTimer, &QTimer::timeout, this, &DeviceLink::Send_ReplyComplete);
    connect(&m_heartbeatTimer, &QTimer::timeout, this, &DeviceLink::Send_HeartbeatDue);
    connect(&m_reconnectTimer, &QTimer::timeout, this, &DeviceLink::Send_ReconnectDue);
    connect(m_serial, &QSerialPort::errorOccurred, this,
            [this](QSerialPort::SerialPortError error) { onSerialError(error); });
    // Qt ignores the option on a socket without an engine, so it is set here.
    connect(m_socket, &QTcpSocket::connected, this,
            [this] { m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_connectionType == TcpConnection && !m_connecting)
            emit Send_TcpDisconnected();
    });
}

DeviceLink::~DeviceLink()
{
    m_heartbeatTimer.stop();
    m_receiveTimer.stop();
    m_reconnectTimer.stop();
    if (m_connectionType == TcpConnection) {
        m_socket->abort();
        m_socket->close();
    } else if (m_serial->isOpen()) {
        m_serial->clear(QSerialPort::AllDirections);
        m_serial->close();
    }
}

void DeviceLink::resetDecoder()
{
    m_decoder.reset(m_codec->makeDecoder());
}

void DeviceLink::attachDevice(QIODevice *device)
{
    if (m_current == device)
        return;
    if (m_current)
        disconnect(m_current, &QIODevice::readyRead, this, &DeviceLink::readIncoming);
    m_current = device;
    if (device && m_autoRead)
        connect(device, &QIODevice::readyRead, this, &DeviceLink::readIncoming);
}

void DeviceLink::setAutoRead(bool on)
{
    m_autoRead = on;
    if (!on && m_current)
        disconnect(m_current, &QIODevice::readyRead, this, &DeviceLink::readIncoming);
}

bool DeviceLink::openSerial(const QString &portName, const QString &baudRate, QString *errorText)
{
    if (m_serial->isOpen()) {
        m_serial->clear(QSerialPort::AllDirections);
        m_serial->close();
    }
    m_serial->setPortName(portName);
    if (!m_serial->open(QIODevice::ReadWrite)) {
        m_lastError = m_serial->errorString();
        if (errorText)
            *errorText = m_lastError;
        return false;
    }
    m_connectionType = SerialConnection;
    m_baudRate = baudRate.toInt();
    m_serial->setBaudRate(m_baudRate, QSerialPort::AllDirections);
    m_serial->setDataBits(QSerialPort::Data8);
    m_serial->setParity(QSerialPort::NoParity);
    m_serial->setStopBits(QSerialPort::OneStop);
    m_serial->setFlowControl(QSerialPort::NoFlowControl);
    m_readErrorsInRow = 0;
    resetDecoder();
    m_reconnectTimer.stop();
    attachDevice(m_serial);
    return true;
}

bool DeviceLink::connectTcp(const QString &deviceIp, const QString &localIp, quint16 port,
                            int timeoutMs)
{
    if (m_connecting)
        return false;
    m_connecting = true;
    m_socket->abort();
    m_socket->close();
    // Leading zeros would be read as octal by QHostAddress.
    if (CommonlyUsed::Check_IP_Address(localIp))
        m_socket->bind(QHostAddress(CommonlyUsed::Plain_IP_Address(localIp)), 0);
    m_socket->connectToHost(CommonlyUsed::Plain_IP_Address(deviceIp), port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    attachDevice(m_socket);
    resetDecoder();
    const bool connected = CommonlyUsed::Wait_For_Connected(m_socket, timeoutMs);
    m_connecting = false;
    if (!connected) {
        m_lastError = m_socket->errorString();
        m_socket->abort();
        return false;
    }
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_connectionType = TcpConnection;
    m_reconnectTimer.stop();
    return true;
}

bool DeviceLink::channelReady() const
{
    if (!m_current || !m_current->isOpen())
        return false;
    if (m_current == m_socket)
        return m_socket->state() == QAbstractSocket::ConnectedState;
    return true;
}

void DeviceLink::closeLink()
{
    // Closing on purpose is no loss to report.
    const QSignalBlocker quiet(this);
    m_receiveTimer.stop();
    if (m_socket->state() != QAbstractSocket::UnconnectedState) {
        m_socket->abort();
        m_socket->close();
    }
    if (m_serial->isOpen()) {
        m_serial->clear(QSerialPort::AllDirections);
        m_serial->close();
    }
}

QByteArray DeviceLink::encode(const QString &text) const
{
    return m_codec->fromUnicode(text);
}

QString DeviceLink::decodeChunk(const QByteArray &bytes)
{
    return m_decoder->toUnicode(bytes);
}

qint64 DeviceLink::write(const QByteArray &bytes)
{
    if (!channelReady())
        return -1;
    return m_current->write(bytes);
}

int DeviceLink::quietIntervalMs() const
{
    if (m_connectionType == SerialConnection)
        return m_baudRate < SlowBaudBelow ? SlowSerialQuietMs : SerialQuietMs;
    return TcpQuietMs;
}

void DeviceLink::appendCapped(QString &buffer, const QString &text, const char *name)
{
    buffer += text;
    if (buffer.size() > MaxBufferChars) {
        // Keep the newest text: the endings that close an answer are there.
        buffer.remove(0, buffer.size() - MaxBufferChars);
        if (!m_overflowLogged) {
            qWarning() << "receive buffer overflow, oldest text dropped:" << name;
            m_overflowLogged = true;
        }
    }
}

void DeviceLink::readIncoming()
{
    if (receiveSuspended || !m_current)
        return;
    const QByteArray bytes = m_current->readAll();
    if (!bytes.isEmpty()) {
        m_readErrorsInRow = 0;
        lastChunk = decodeChunk(bytes);
        appendCapped(rawBuffer, lastChunk, "rawBuffer");
        // Only pairs inside one chunk are removed; a split pair stays.
        QString stripped = lastChunk;
        stripped.remove(QStringLiteral("\r\n"));
        appendCapped(replyBuffer, stripped, "replyBuffer");
        emit Send_DataArrived(bytes.size());
    }
    if (!m_receiveTimer.isActive())
        m_burst.start();
    const int quiet = quietIntervalMs();
    const int left = MaxContinuousMs - int(m_burst.elapsed());
    m_receiveTimer.start(qBound(0, left, quiet));
}

void DeviceLink::takeReply(QString *raw, QString *reply)
{
    m_receiveTimer.stop();
    if (raw)
        *raw = rawBuffer;
    if (reply)
        *reply = replyBuffer;
    rawBuffer.clear();
    replyBuffer.clear();
    m_overflowLogged = false;
}

void DeviceLink::clearBuffers()
{
    rawBuffer.clear();
    replyBuffer.clear();
    m_overflowLogged = false;
}

QString DeviceLink::dispatchText(QString reply)
{
    reply.remove(QLatin1Char(' '));
    reply.remove(QStringLiteral("\r\n"));
    return reply;
}

DeviceLink::ExchangeResult DeviceLink::exchange(const QByteArray &request, QString *answer,
                                                QString *display, int totalMs)
{
    QPointer<QIODevice> device = m_current;
    if (!device || !device->isOpen())
        return ExchangeResult::NoDevice;
    const bool overTcp = device == m_socket;
    if (overTcp && m_socket->state() != QAbstractSocket::ConnectedState)
        return ExchangeResult::ConnectionLost;
    if (m_connectionType == SerialConnection)
        m_serial->clear(QSerialPort::Output);
    if (!device->isWritable())
        return ExchangeResult::NotWritable;

    // The receiver stays out of the device while the exchange reads it.
    ++m_exchangeDepth;
    struct ExchangeGuard {
        int &depth;
        bool &suspended;
        bool before;
        ~ExchangeGuard()
        {
            --depth;
            suspended = before;
        }
    } guard{m_exchangeDepth, receiveSuspended, receiveSuspended};
    receiveSuspended = true;

    if (device->write(request) < 0) {
        m_lastError = device->errorString();
        return ExchangeResult::WriteFailed;
    }
    if (m_connectionType == TcpConnection || m_connectionType == SerialConnection) {
        if (device->bytesToWrite() > 0 && !device->waitForBytesWritten(WriteTimeoutMs)) {
            m_lastError = device->errorString();
            return ExchangeResult::WriteFailed;
        }
    }
    if (!device->isReadable())
        return ExchangeResult::NotReadable;

    const QString requestText = QString::fromLatin1(request);
    auto peerGone = [&] { return overTcp && m_socket->state() != QAbstractSocket::ConnectedState; };
    QString raw;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        if (!device || !device->isOpen())
            return ExchangeResult::NoDevice;
        const QByteArray bytes = device->readAll();
        if (!bytes.isEmpty()) {
            m_readErrorsInRow = 0;
            const QString text = decodeChunk(bytes);
            raw += text;
            if (display)
                *display += text;
            if (answer)
                *answer += stripForDispatch(text);
            emit Send_DataArrived(bytes.size());
            switch (Protocol::answerEnd(requestText, raw)) {
            case Protocol::AnswerEnd::Error:
                return ExchangeResult::DeviceError;
            case Protocol::AnswerEnd::Complete:
                return ExchangeResult::Ok;
            case Protocol::AnswerEnd::CompleteIfQuiet:
                if (!moreDataWithin(device, OkSettleMs))
                    return ExchangeResult::Ok;
                continue;
            case Protocol::AnswerEnd::Incomplete:
                break;
            }
            if (raw.size() > MaxBufferChars)
                return ExchangeResult::Timeout;
        }
        if (peerGone()) {
            m_lastError = m_socket->errorString();
            return ExchangeResult::ConnectionLost;
        }
        const qint64 left = totalMs - clock.elapsed();
        if (left <= 0)
            break;
        // Wake on the data notification or the peer's going; the short
        // re-check only guards against a notification that was swallowed by
        // a nested reader.
        QEventLoop loop;
        connect(device, &QIODevice::readyRead, &loop, &QEventLoop::quit);
        connect(device, &QObject::destroyed, &loop, &QEventLoop::quit);
        if (overTcp)
            connect(m_socket, &QAbstractSocket::stateChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(int(qMin<qint64>(left, ExchangeRecheckMs)), &loop, &QEventLoop::quit);
        // Clicks and keys wait until the answer is in: a click that starts
        // another exchange from inside this wait would read this one's answer.
        if (device->bytesAvailable() == 0 && !peerGone())
            loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return ExchangeResult::Timeout;
}

bool DeviceLink::moreDataWithin(QIODevice *target, int ms)
{
    QPointer<QIODevice> device = target;
    if (!device)
        return false;
    if (device->bytesAvailable() > 0)
        return true;
    QEventLoop loop;
    connect(device, &QIODevice::readyRead, &loop, &QEventLoop::quit);
    connect(device, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return device && device->bytesAvailable() > 0;
}

void DeviceLink::onSerialError(int error)
{
    if (error == QSerialPort::NoError)
        return;
    bool lost = error == QSerialPort::ResourceError;
    if (error == QSerialPort::ReadError) {
        // A vanished pty or adapter fails every read instead of reporting a
        // resource error; a port that only fails is gone as well.
        ++m_readErrorsInRow;
        const QString location = QStringLiteral("/dev/") + m_serial->portName();
        const bool nodeGone = m_serial->portName().startsWith(QLatin1Char('/'))
                                  ? !QFile::exists(m_serial->portName())
                                  : (QFile::exists(QStringLiteral("/dev")) && !QFile::exists(location));
        lost = nodeGone || m_readErrorsInRow >= DeadPortReadErrors;
    }
    if (!lost)
        return;
    const QString reason = m_serial->errorString();
    qWarning() << "serial port lost:" << error << reason;
    m_readErrorsInRow = 0;
    m_receiveTimer.stop();
    if (m_serial->isOpen())
        m_serial->close();
    m_serial->clearError();
    emit Send_SerialLost(reason);
}
