#include "tools/sim/simlink.h"

#include "tools/sim/answers.h"

#include <QDebug>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <QtEndian>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr char TrailerMagic[] = "ZQLD";
constexpr int ReadChunkBytes = 4096;

// One line of letters and digits: never "ok", never a line break, so the
// answer behind it still ends the way the program expects.
QByteArray fillerLine(int length)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray line(length, Qt::Uninitialized);
    QRandomGenerator *random = QRandomGenerator::global();
    for (char &c : line)
        c = alphabet[random->bounded(int(sizeof alphabet) - 1)];
    return line + "\r\n";
}

// What a UART makes of bytes sent at the wrong rate.
const QByteArray LineNoise = QByteArray::fromHex("f88000e0fe78f8");

// Noise as long as the bytes it replaces.
QByteArray noiseFor(const QByteArray &bytes)
{
    QByteArray noise;
    while (noise.size() < bytes.size())
        noise += LineNoise;
    return noise.left(bytes.size());
}

bool isSeparator(char c)
{
    return c == '\r' || c == '\n' || c == ' ' || c == '\t' || c == '\0';
}

int baudOf(speed_t speed)
{
    switch (speed) {
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    default:
        return 0;
    }
}

speed_t speedOf(int baud)
{
    switch (baud) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    default:
        return B115200;
    }
}

} // namespace

SimLink::SimLink(SimDevice *device, SimFaults *faults, QObject *parent)
    : QObject(parent)
    , m_device(device)
    , m_faults(faults)
{
    for (QTimer *t : { &m_junkTimer, &m_fileQuietTimer, &m_transferTimer, &m_outTimer }) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_junkTimer, &QTimer::timeout, this, [this] {
        if (m_transfer == SimDevice::Transfer::None && !m_in.isEmpty()) {
            m_in.clear();
            sendAnswer(SimAnswers::error());
        }
    });
    connect(&m_fileQuietTimer, &QTimer::timeout, this, &SimLink::fileQuiet);
    connect(&m_transferTimer, &QTimer::timeout, this, [this] {
        qInfo() << "transfer abandoned after" << m_fileBytes << "bytes";
        endTransfer();
    });
    connect(&m_outTimer, &QTimer::timeout, this, &SimLink::pump);
}

void SimLink::feed(const QByteArray &bytes)
{
    if (m_faults->silence)
        return;
    m_in += bytes;
    if (m_transfer != SimDevice::Transfer::None)
        processFile();
    else
        process();
}

void SimLink::process()
{
    for (;;) {
        int skip = 0;
        while (skip < m_in.size() && isSeparator(m_in[skip]))
            ++skip;
        m_in.remove(0, skip);
        if (m_in.isEmpty()) {
            m_junkTimer.stop();
            return;
        }
        if (m_in[0] != '(') {
            const int open = m_in.indexOf('(');
            if (open < 0) {
                m_junkTimer.start(JunkQuietMs);
                return;
            }
            m_in.remove(0, open);
            sendAnswer(SimAnswers::error());
            continue;
        }
        const int close = m_in.indexOf(')');
        const int nextOpen = m_in.indexOf('(', 1);
        if (nextOpen >= 0 && (close < 0 || nextOpen < close)) {
            // An unterminated request followed by the next one.
            m_in.remove(0, nextOpen);
            sendAnswer(SimAnswers::error());
            continue;
        }
        if (close < 0) {
            if (m_in.size() > MaxRequestBytes) {
                m_in.clear();
                sendAnswer(SimAnswers::error());
                return;
            }
            m_junkTimer.start(IncompleteRequestMs);
            return;
        }
        const QByteArray request = m_in.left(close + 1);
        m_in.remove(0, close + 1);
        m_junkTimer.stop();
        handleRequest(request);
        if (m_transfer != SimDevice::Transfer::None) {
            processFile();
            return;
        }
    }
}

void SimLink::handleRequest(const QByteArray &request)
{
    emit requestSeen(request);
    if (!speedMatches()) {
        sendAnswer(LineNoise);
        return;
    }
    // The answer leaves at the rate the request came in at, also when the
    // request changes the rate.
    const int baud = m_device->inBaud();
    const SimDevice::Outcome outcome = m_device->handle(request);
    sendAnswerAt(outcome.answer, baud);
    if (outcome.transfer != SimDevice::Transfer::None) {
        m_transfer = outcome.transfer;
        m_fileBytes = 0;
        m_packets = 0;
        m_transferTimer.start(TransferTimeoutMs);
    }
}

void SimLink::processFile()
{
    if (m_in.isEmpty())
        return;
    m_transferTimer.start(TransferTimeoutMs);
    if (m_transfer == SimDevice::Transfer::Firmware) {
        // Stop-and-wait: every full packet is acknowledged at once.
        while (m_in.size() >= FirmwarePacketBytes) {
            m_in.remove(0, FirmwarePacketBytes);
            m_fileBytes += FirmwarePacketBytes;
            sendAnswer(SimAnswers::linesOk({ SimAnswers::PacketAccepted.arg(++m_packets) }));
        }
        if (m_in.isEmpty()) {
            m_fileQuietTimer.stop();
            return;
        }
    }
    // A short packet, the check code or the EDID data: complete once quiet.
    m_fileQuietTimer.start(FileQuietMs);
}

void SimLink::fileQuiet()
{
    if (m_transfer == SimDevice::Transfer::Edid) {
        const QByteArray data = m_in;
        m_in.clear();
        endTransfer();
        sendAnswer(m_device->edidReceived(data));
        return;
    }
    if (m_transfer != SimDevice::Transfer::Firmware || m_in.isEmpty())
        return;
    const QByteArray chunk = m_in;
    m_in.clear();
    const bool trailerShape = chunk.size() == FirmwareTrailerBytes && chunk.startsWith(TrailerMagic);
    if (trailerShape) {
        const quint32 length = qFromBigEndian<quint32>(chunk.constData() + TrailerLengthOffset);
        const bool ok = length == m_fileBytes;
        m_device->firmwareReceived(m_fileBytes, ok);
        endTransfer();
        sendAnswer(
            ok ? SimAnswers::linesOk({ SimAnswers::PacketAccepted.arg(++m_packets) }) : SimAnswers::error());
        return;
    }
    m_fileBytes += chunk.size();
    sendAnswer(SimAnswers::linesOk({ SimAnswers::PacketAccepted.arg(++m_packets) }));
}

void SimLink::endTransfer()
{
    m_transfer = SimDevice::Transfer::None;
    m_transferTimer.stop();
    m_fileQuietTimer.stop();
    m_in.clear();
}

void SimLink::sendAnswer(const QByteArray &answer)
{
    sendAnswerAt(answer, m_device->inBaud());
}

void SimLink::sendAnswerAt(const QByteArray &answer, int baud)
{
    if (m_faults->silence || answer.isEmpty())
        return;
    QByteArray bytes = answer;
    if (m_faults->bigReplyBytes > 0)
        bytes.prepend(fillerLine(m_faults->bigReplyBytes));
    if (!m_faults->garbageOnce.isEmpty()) {
        bytes.prepend(m_faults->garbageOnce);
        m_faults->garbageOnce.clear();
    }
    int from = 0;
    bool first = true;
    QVector<int> cuts = m_faults->splitAt;
    cuts << bytes.size();
    for (int cut : qAsConst(cuts)) {
        cut = qMin(cut, bytes.size());
        if (cut <= from)
            continue;
        m_out.enqueue(
            { bytes.mid(from, cut - from), first ? m_faults->delayMs : m_faults->splitPauseMs, baud });
        first = false;
        from = cut;
    }
    pump();
}

void SimLink::sendRaw(const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        m_out.enqueue({ bytes, 0, 0 });
    pump();
}

void SimLink::pump()
{
    if (m_outTimer.isActive())
        return;
    while (!m_out.isEmpty()) {
        Chunk &head = m_out.head();
        if (head.waitMs > 0) {
            m_outTimer.start(head.waitMs);
            head.waitMs = 0;
            return;
        }
        const Chunk chunk = m_out.dequeue();
        writeBytes(chunk.bytes, chunk.baud);
    }
}

TcpLink::TcpLink(QTcpSocket *socket, SimDevice *device, SimFaults *faults, QObject *parent)
    : SimLink(device, faults, parent)
    , m_socket(socket)
{
    socket->setParent(this);
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket, &QTcpSocket::readyRead, this, [this] { feed(m_socket->readAll()); });
    connect(socket, &QTcpSocket::disconnected, this, &QObject::deleteLater);
}

void TcpLink::drop()
{
    m_socket->abort();
    deleteLater();
}

void TcpLink::close()
{
    m_socket->flush();
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState) {
        deleteLater();
        return;
    }
    QTimer::singleShot(CloseGraceMs, this, [this] {
        m_socket->abort();
        deleteLater();
    });
}

qint64 TcpLink::backlog() const
{
    return m_socket->bytesToWrite();
}

void TcpLink::writeBytes(const QByteArray &bytes, int)
{
    if (m_socket->state() == QAbstractSocket::ConnectedState) {
        m_socket->write(bytes);
        m_socket->flush();
    }
}

PtyLink::PtyLink(const QString &linkPath, SimDevice *device, SimFaults *faults, QObject *parent)
    : SimLink(device, faults, parent)
    , m_linkPath(linkPath)
{
}

PtyLink::~PtyLink()
{
    close();
}

bool PtyLink::open(QString *error)
{
    if (isOpen())
        return true;
    if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0) {
        *error = QStringLiteral("openpty: %1").arg(QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    // Raw line at the device's rate until the program configures its side.
    termios tio {};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, speedOf(device()->inBaud()));
    ::cfsetospeed(&tio, speedOf(device()->inBaud()));
    ::tcsetattr(m_slave, TCSANOW, &tio);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    char name[256] = {};
    ::ptsname_r(m_master, name, sizeof name);
    QFile::remove(m_linkPath);
    if (!QFile::link(QString::fromLocal8Bit(name), m_linkPath)) {
        *error
            = QStringLiteral("cannot create the link %1 to %2").arg(m_linkPath, QString::fromLocal8Bit(name));
        close();
        return false;
    }
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &PtyLink::readMaster);
    return true;
}

void PtyLink::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0) {
        ::close(m_master);
        ::close(m_slave);
        QFile::remove(m_linkPath);
    }
    m_master = m_slave = -1;
}

void PtyLink::readMaster()
{
    char buffer[ReadChunkBytes];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n > 0)
        feed(QByteArray(buffer, int(n)));
}

void PtyLink::writeBytes(const QByteArray &bytes, int baud)
{
    if (m_master < 0)
        return;
    const QByteArray line = baud != 0 && baud != slaveBaud() ? noiseFor(bytes) : bytes;
    const char *data = line.constData();
    qint64 left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(m_master, data, size_t(left));
        if (n <= 0) {
            qWarning() << "pty write failed, dropped" << left << "bytes";
            return;
        }
        data += n;
        left -= n;
    }
}

int PtyLink::slaveBaud() const
{
    termios tio {};
    if (m_slave < 0 || ::tcgetattr(m_slave, &tio) != 0)
        return 0;
    return baudOf(::cfgetospeed(&tio));
}

bool PtyLink::speedMatches() const
{
    return slaveBaud() == device()->inBaud();
}
