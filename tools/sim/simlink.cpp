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
constexpr qint64 UsPerMs = 1000;

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
    for (QTimer *t : { &m_junkTimer, &m_fileQuietTimer, &m_receiveTimer, &m_outTimer }) {
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
    connect(&m_receiveTimer, &QTimer::timeout, this, &SimLink::receiveTimerFired);
    connect(&m_outTimer, &QTimer::timeout, this, &SimLink::pump);
}

SimLink::~SimLink()
{
    abandonTransfer(SimDevice::PayloadResult::Incomplete);
}

bool SimLink::heartbeatShaped(const QByteArray &chunk)
{
    const int size = chunk.size();
    if (size < 2 || size > MaxHeartbeatBytes || chunk[0] != '(' || chunk[size - 1] != ')')
        return false;
    for (int i = 1; i < size - 1; ++i) {
        const char c = chunk[i];
        if (c < ' ' || c > '~' || c == '(' || c == ')')
            return false;
    }
    return true;
}

void SimLink::feed(const QByteArray &bytes, bool heartbeat)
{
    if (m_faults->silence || m_inputStopped)
        return;
    if (m_transfer != SimDevice::Transfer::None) {
        receiveFile(bytes, heartbeat);
        return;
    }
    // A restarting device hears nothing.
    if (m_device->rebooting()) {
        m_in.clear();
        return;
    }
    m_in += bytes;
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
            // What followed the announcement in the same write is file data.
            const QByteArray rest = m_in;
            m_in.clear();
            if (!rest.isEmpty())
                receiveFile(rest, false);
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
        m_payload = outcome.payload;
        m_fileBytes = 0;
        m_packets = 0;
        m_silent = false;
        m_fileClock.start();
        m_receiveTimer.start(m_device->receiveTimeoutMs());
    }
}

void SimLink::receiveFile(const QByteArray &bytes, bool heartbeat)
{
    // The receive timer is not restarted for every packet: it looks at this
    // clock when it fires.
    if (!heartbeat)
        m_fileClock.restart();
    if (m_silent)
        return;
    m_in += bytes;
    if (m_transfer == SimDevice::Transfer::Edid) {
        m_payload->hash.addData(bytes);
        m_payload->bytes += bytes.size();
    }
    processFile();
}

void SimLink::processFile()
{
    if (m_transfer == SimDevice::Transfer::Firmware) {
        // Stop-and-wait: every full packet is answered at once.
        while (m_in.size() >= FirmwarePacketBytes)
            takePacket(FirmwarePacketBytes);
        if (m_transfer != SimDevice::Transfer::Firmware)
            return;
        if (m_in.isEmpty()) {
            m_fileQuietTimer.stop();
            return;
        }
        // A well-formed check code needs no quiet to be recognised.
        if (m_in.size() == FirmwareTrailerBytes && m_in.startsWith(TrailerMagic)
            && qFromBigEndian<quint32>(m_in.constData() + TrailerLengthOffset) == m_fileBytes) {
            m_fileQuietTimer.stop();
            takeCheckCode();
            return;
        }
    }
    // A short packet, another check code or the EDID data: complete once quiet.
    m_fileQuietTimer.start(FileQuietMs);
}

void SimLink::takePacket(int bytes)
{
    const int packet = m_packets + 1;
    if (m_faults->packErr == packet) {
        finishTransfer(SimDevice::PayloadResult::Err);
        answerPacket(SimAnswers::error());
        return;
    }
    m_payload->hash.addData(m_in.constData(), bytes);
    m_payload->bytes += bytes;
    m_fileBytes += bytes;
    if (bytes == m_in.size())
        m_in.clear();
    else
        m_in.remove(0, bytes);
    m_packets = packet;
    acknowledge(packet);
}

void SimLink::takeCheckCode()
{
    const int packet = m_packets + 1;
    const QByteArray code = m_in;
    if (m_faults->packErr == packet) {
        finishTransfer(SimDevice::PayloadResult::Err);
        answerPacket(SimAnswers::error());
        return;
    }
    const bool ok = qFromBigEndian<quint32>(code.constData() + TrailerLengthOffset) == m_fileBytes;
    m_device->firmwareReceived(m_fileBytes, ok);
    m_packets = packet;
    finishTransfer(ok ? SimDevice::PayloadResult::Ok : SimDevice::PayloadResult::Bad);
    if (!ok) {
        answerPacket(SimAnswers::error());
        return;
    }
    acknowledge(packet);
    if (m_faults->rebootMs > 0)
        emit rebootRequested(m_faults->rebootMs);
}

void SimLink::acknowledge(int packet)
{
    if (m_faults->ackDrop != packet)
        answerPacket(SimAnswers::packetAccepted(packet));
    if (m_faults->dropAfter != packet)
        return;
    if (m_transfer != SimDevice::Transfer::None) {
        // What is left of the transfer is ignored until the receive mode ends.
        m_payload->result = SimDevice::PayloadResult::Dropped;
        m_silent = true;
        m_in.clear();
        m_fileQuietTimer.stop();
    }
    emit closeConnectionsRequested();
}

void SimLink::answerPacket(const QByteArray &answer)
{
    sendAnswerAt(answer, m_device->inBaud(), m_faults->packetDelayMs);
}

void SimLink::confirmEdid(int slot)
{
    const int shown = m_faults->edidSlot > 0 ? m_faults->edidSlot : slot;
    if (!m_faults->edidSplit) {
        sendAnswer(SimAnswers::lines({ SimAnswers::EdidStored.arg(shown) }));
        return;
    }
    sendAnswer(SimAnswers::lines({ SimAnswers::EdidUpdated.arg(shown) }));
    sendAnswerAt(SimAnswers::linesOk({}), m_device->inBaud(), EdidSplitPauseMs);
}

void SimLink::fileQuiet()
{
    if (m_in.isEmpty() || m_silent)
        return;
    if (m_transfer == SimDevice::Transfer::Edid) {
        const int slot = m_device->edidReceived(m_in);
        finishTransfer(SimDevice::PayloadResult::Ok);
        confirmEdid(slot);
        return;
    }
    if (m_transfer != SimDevice::Transfer::Firmware)
        return;
    if (m_in.size() == FirmwareTrailerBytes && m_in.startsWith(TrailerMagic))
        takeCheckCode();
    else
        takePacket(m_in.size());
}

void SimLink::receiveTimerFired()
{
    if (m_transfer == SimDevice::Transfer::None)
        return;
    const qint64 left = m_device->receiveTimeoutMs() - m_fileClock.elapsed();
    if (left > 0) {
        m_receiveTimer.start(int(left));
        return;
    }
    qInfo() << "receive mode ended after" << m_fileBytes << "bytes without more data";
    finishTransfer(SimDevice::PayloadResult::Timeout);
}

void SimLink::finishTransfer(SimDevice::PayloadResult result)
{
    if (m_payload) {
        if (m_payload->result == SimDevice::PayloadResult::Pending)
            m_payload->result = result;
        m_payload->receiving = false;
    }
    m_payload.reset();
    m_transfer = SimDevice::Transfer::None;
    m_silent = false;
    m_receiveTimer.stop();
    m_fileQuietTimer.stop();
    m_in.clear();
}

void SimLink::abandonTransfer(SimDevice::PayloadResult result)
{
    if (m_transfer != SimDevice::Transfer::None)
        finishTransfer(result);
}

void SimLink::sendAnswer(const QByteArray &answer)
{
    sendAnswerAt(answer, m_device->inBaud());
}

void SimLink::sendAnswerAt(const QByteArray &answer, int baud, int extraWaitMs)
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
    const int firstWaitMs = m_faults->delayMs + extraWaitMs;
    if (m_faults->splitAt.isEmpty()) {
        m_out.enqueue({ bytes, firstWaitMs, baud });
        pump();
        return;
    }
    int from = 0;
    bool first = true;
    QVector<int> cuts = m_faults->splitAt;
    cuts << bytes.size();
    for (int cut : qAsConst(cuts)) {
        cut = qMin(cut, bytes.size());
        if (cut <= from)
            continue;
        m_out.enqueue({ bytes.mid(from, cut - from), first ? firstWaitMs : m_faults->splitPauseMs, baud });
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
            // A delay or pause counts from the moment the line fell quiet.
            if (lineBusy())
                return;
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
    connect(socket, &QTcpSocket::readyRead, this, [this] {
        const QByteArray bytes = m_socket->readAll();
        feed(bytes, heartbeatShaped(bytes));
    });
    connect(socket, &QTcpSocket::disconnected, this, [this] {
        abandonTransfer(SimDevice::PayloadResult::Incomplete);
        deleteLater();
    });
}

void TcpLink::drop()
{
    abandonTransfer(SimDevice::PayloadResult::Dropped);
    stopInput();
    m_socket->abort();
    deleteLater();
}

void TcpLink::close()
{
    abandonTransfer(SimDevice::PayloadResult::Dropped);
    stopInput();
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
    m_clock.start();
    m_lineTimer.setSingleShot(true);
    m_lineTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_lineTimer, &QTimer::timeout, this, &PtyLink::serviceLine);
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
    m_lineTimer.stop();
    m_rx.clear();
    m_tx.clear();
    m_rxPending = m_txPending = 0;
    m_rxFreeUs = m_txFreeUs = 0;
    abandonTransfer(SimDevice::PayloadResult::Incomplete);
    if (m_master >= 0) {
        ::close(m_master);
        ::close(m_slave);
        QFile::remove(m_linkPath);
    }
    m_master = m_slave = -1;
}

qint64 PtyLink::completeUs(const LineChunk &chunk, int bytes)
{
    return chunk.startUs + qint64(bytes) * BitsPerByte * MicrosecondsPerSecond / chunk.baud;
}

int PtyLink::completeBy(const LineChunk &chunk, qint64 atUs)
{
    if (atUs <= chunk.startUs)
        return 0;
    const qint64 bytes = (atUs - chunk.startUs) * chunk.baud / (BitsPerByte * MicrosecondsPerSecond);
    return int(qMin<qint64>(bytes, chunk.bytes.size()));
}

// The chunk's end, or one slice's worth of line time after its last byte
// handed on, whichever comes first.
qint64 PtyLink::wakeUs(const LineChunk &chunk)
{
    return qMin(completeUs(chunk, chunk.bytes.size()), completeUs(chunk, chunk.done) + LineSliceUs);
}

void PtyLink::readMaster()
{
    char buffer[ReadChunkBytes];
    const ssize_t n = ::read(m_master, buffer, sizeof buffer);
    if (n <= 0)
        return;
    LineChunk chunk;
    chunk.bytes = QByteArray(buffer, int(n));
    // A byte arrives no earlier than the line allows after the one before.
    chunk.startUs = qMax(nowUs(), m_rxFreeUs);
    chunk.baud = device()->inBaud();
    chunk.heartbeat = heartbeatShaped(chunk.bytes);
    m_rxFreeUs = completeUs(chunk, chunk.bytes.size());
    m_rxPending += n;
    m_rx.enqueue(chunk);
    // Further writes wait in the pty until the device has room, as they would
    // in the program's serial driver.
    if (m_rxPending >= MaxInputBacklog)
        m_notifier->setEnabled(false);
    scheduleLine();
}

void PtyLink::writeBytes(const QByteArray &bytes, int baud)
{
    if (m_master < 0)
        return;
    if (baud == 0 && m_txPending > MaxOutputBacklog)
        return;
    LineChunk chunk;
    chunk.bytes = bytes;
    chunk.startUs = qMax(nowUs(), m_txFreeUs);
    chunk.baud = baud != 0 ? baud : device()->inBaud();
    chunk.noiseBaud = baud;
    m_txFreeUs = completeUs(chunk, chunk.bytes.size());
    m_txPending += bytes.size();
    m_tx.enqueue(chunk);
    scheduleLine();
}

void PtyLink::serviceLine()
{
    const qint64 dueUs = nowUs() + WakeToleranceUs;
    while (!m_rx.isEmpty() && m_master >= 0) {
        LineChunk &head = m_rx.head();
        const int due = completeBy(head, dueUs);
        if (due > head.done) {
            const QByteArray piece = head.bytes.mid(head.done, due - head.done);
            const bool heartbeat = head.heartbeat;
            head.done = due;
            m_rxPending -= piece.size();
            const bool whole = due == head.bytes.size();
            if (whole)
                m_rx.dequeue();
            feed(piece, heartbeat);
            if (!whole)
                break;
        } else {
            break;
        }
    }
    if (m_notifier && !m_notifier->isEnabled() && m_rxPending < MaxInputBacklog)
        m_notifier->setEnabled(true);

    bool sent = false;
    while (!m_tx.isEmpty() && m_master >= 0) {
        LineChunk &head = m_tx.head();
        const int due = completeBy(head, dueUs);
        if (due <= head.done)
            break;
        writeMaster(head.bytes.mid(head.done, due - head.done), head.noiseBaud);
        m_txPending -= due - head.done;
        head.done = due;
        sent = true;
        if (due < head.bytes.size())
            break;
        m_tx.dequeue();
    }
    if (sent && m_tx.isEmpty())
        lineDrained();
    scheduleLine();
}

void PtyLink::scheduleLine()
{
    qint64 wake = -1;
    for (const QQueue<LineChunk> *queue : { &m_rx, &m_tx }) {
        if (!queue->isEmpty()) {
            const qint64 at = wakeUs(queue->head());
            wake = wake < 0 ? at : qMin(wake, at);
        }
    }
    if (wake < 0 || m_master < 0) {
        m_lineTimer.stop();
        return;
    }
    // Timers count whole milliseconds: the nearest one, and the tolerance
    // takes up the rest.
    const qint64 delta = wake - nowUs();
    m_lineTimer.start(delta <= WakeToleranceUs ? 0 : int((delta + UsPerMs / 2) / UsPerMs));
}

void PtyLink::writeMaster(const QByteArray &bytes, int noiseBaud)
{
    const QByteArray line = noiseBaud != 0 && noiseBaud != slaveBaud() ? noiseFor(bytes) : bytes;
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
