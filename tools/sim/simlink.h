#pragma once

#include "tools/sim/simdevice.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QQueue>
#include <QTimer>
#include <QVector>

class QSocketNotifier;
class QTcpSocket;

// Faults shared by every connection, set through the control channel.
struct SimFaults
{
    bool silence = false; // requests are swallowed, nothing is answered
    int delayMs = 0; // before the first byte of every answer
    QVector<int> splitAt; // byte positions at which every answer is cut
    int splitPauseMs = 0; // pause between the pieces
    QByteArray garbageOnce; // sent in front of the next answer, then forgotten
    int bigReplyBytes = 0; // every answer is led by one line this long
    // File transfers. Packets count from 1 in every firmware transfer, the
    // check code being the one after the last payload packet; 0 = off.
    int packetDelayMs = 0; // processing time before a packet is answered
    int ackDrop = 0; // this packet is taken but not acknowledged
    int packErr = 0; // this packet is answered "err" and the receive mode ends
    int dropAfter = 0; // after acknowledging this packet the device drops the link
    int edidSlot = 0; // EDID uploads are confirmed for this slot
    bool edidSplit = false; // the EDID confirmation comes in two writes
    int rebootMs = 0; // after a good check code the device restarts this long
};

// One connection to the device (a TCP client or the pty): cuts the incoming
// byte stream into requests, collects file data during a transfer and sends
// the answers through the fault pipeline, in order.
class SimLink : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimLink)
public:
    static constexpr int FirmwarePacketBytes = 1024;
    static constexpr int FirmwareTrailerBytes = 76;
    static constexpr int TrailerLengthOffset = 12;
    static constexpr int FileQuietMs = 60;
    static constexpr int JunkQuietMs = 150;
    static constexpr int IncompleteRequestMs = 1000;
    static constexpr int MaxRequestBytes = 512;
    // A chunk this short that is one "(...)" text is a heartbeat-shaped write.
    static constexpr int MaxHeartbeatBytes = 64;
    static constexpr int EdidSplitPauseMs = 50;

    SimLink(SimDevice *device, SimFaults *faults, QObject *parent);
    ~SimLink() override;

    // Answers and device output: through delay, split and garbage faults, at
    // the device's current serial rate.
    void sendAnswer(const QByteArray &answer);
    // Bytes sent as they are, in order after what is queued.
    void sendRaw(const QByteArray &bytes);
    // Bytes handed over but not yet taken by the peer.
    virtual qint64 backlog() const { return 0; }
    // Output still waiting for its delay, a split pause or the line.
    bool hasQueuedOutput() const { return !m_out.isEmpty() || lineBusy(); }

    // "(" printable ASCII ")", nothing around it, at most MaxHeartbeatBytes.
    static bool heartbeatShaped(const QByteArray &chunk);

signals:
    void requestSeen(const QByteArray &request);
    // The device closes every TCP connection once its answers have left.
    void closeConnectionsRequested();
    // A good firmware update: the device restarts for ms.
    void rebootRequested(int ms);

protected:
    SimDevice *device() const { return m_device; }
    // One piece of what the peer sent; heartbeat: the write it came in was
    // heartbeat-shaped, which does not keep a receive mode alive.
    void feed(const QByteArray &bytes, bool heartbeat);
    // The connection goes: a transfer on it ends with this result.
    void abandonTransfer(SimDevice::PayloadResult result);
    // From now on what the peer sends is ignored.
    void stopInput() { m_inputStopped = true; }
    // baud: the serial rate the device sends these bytes at, 0 for raw bytes.
    virtual void writeBytes(const QByteArray &bytes, int baud) = 0;
    // False when the peer talks at a rate the device does not use.
    virtual bool speedMatches() const { return true; }
    // Bytes still on their way out over a paced line.
    virtual bool lineBusy() const { return false; }
    // A paced line sent its last byte: pauses that wait for it may start.
    void lineDrained() { pump(); }

private:
    struct Chunk
    {
        QByteArray bytes;
        int waitMs = 0;
        int baud = 0;
    };

    void sendAnswerAt(const QByteArray &answer, int baud, int extraWaitMs = 0);

    void process();
    void receiveFile(const QByteArray &bytes, bool heartbeat);
    void processFile();
    void handleRequest(const QByteArray &request);
    void takePacket(int bytes);
    void takeCheckCode();
    void acknowledge(int packet);
    // Answers to packets come after the packet-processing fault's delay.
    void answerPacket(const QByteArray &answer);
    void confirmEdid(int slot);
    void fileQuiet();
    void receiveTimerFired();
    void finishTransfer(SimDevice::PayloadResult result);
    void pump();

    SimDevice *m_device;
    SimFaults *m_faults;
    QByteArray m_in;
    SimDevice::Transfer m_transfer = SimDevice::Transfer::None;
    SimDevice::PayloadPtr m_payload;
    qint64 m_fileBytes = 0;
    int m_packets = 0; // packets taken in this transfer
    bool m_silent = false; // dropped: the rest of the transfer is ignored
    bool m_inputStopped = false;
    QElapsedTimer m_fileClock; // since the last file bytes that count
    QTimer m_junkTimer;
    QTimer m_fileQuietTimer;
    QTimer m_receiveTimer;
    QQueue<Chunk> m_out;
    QTimer m_outTimer;
};

class TcpLink final : public SimLink
{
    Q_OBJECT
public:
    static constexpr int CloseGraceMs = 1000;

    TcpLink(QTcpSocket *socket, SimDevice *device, SimFaults *faults, QObject *parent);
    void drop();
    // Closes after what has been written reached the peer, as a module that
    // restarts; a peer that does not read is cut off after CloseGraceMs.
    void close();
    qint64 backlog() const override;

protected:
    void writeBytes(const QByteArray &bytes, int baud) override;

private:
    QTcpSocket *m_socket;
};

// A pty pair whose slave is reachable through a symlink; the device sits on
// the master side. As on a real RS-232 line, a request is understood only when
// the slave is set to the device's rate, and what the device sends reads as
// noise unless the slave is set to the rate it was sent at. Both directions
// take the line's time: every byte 10 bit times at the device's rate.
class PtyLink final : public SimLink
{
    Q_OBJECT
public:
    static constexpr int BitsPerByte = 10; // start, 8 data, stop
    static constexpr qint64 MicrosecondsPerSecond = 1000000;
    // Bytes are handed on at least this often while a long write is on the line.
    static constexpr qint64 LineSliceUs = 5000;
    // What is due this close to the wake-up is handed on at once.
    static constexpr qint64 WakeToleranceUs = 500;
    // The device's receive buffer: beyond it the program's writes wait.
    static constexpr qint64 MaxInputBacklog = 4096;
    // Raw output beyond this much still on the line is lost, as on a UART.
    static constexpr qint64 MaxOutputBacklog = 1024 * 1024;

    PtyLink(const QString &linkPath, SimDevice *device, SimFaults *faults, QObject *parent);
    ~PtyLink() override;

    bool open(QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString path() const { return m_linkPath; }

protected:
    void writeBytes(const QByteArray &bytes, int baud) override;
    bool speedMatches() const override;
    bool lineBusy() const override { return !m_tx.isEmpty(); }

private:
    // Bytes on the line: byte i (from 0) is complete at
    // startUs + (i + 1) * 10 s / baud.
    struct LineChunk
    {
        QByteArray bytes;
        qint64 startUs = 0;
        int baud = 0; // the pace
        int done = 0; // bytes already handed on
        bool heartbeat = false; // received: the write was heartbeat-shaped
        int noiseBaud = 0; // sent: the rate it is sent at, 0 for raw bytes
    };
    static qint64 completeUs(const LineChunk &chunk, int bytes);
    static int completeBy(const LineChunk &chunk, qint64 atUs);
    static qint64 wakeUs(const LineChunk &chunk);

    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    void readMaster();
    void serviceLine();
    void scheduleLine();
    void writeMaster(const QByteArray &bytes, int noiseBaud);
    int slaveBaud() const;

    QString m_linkPath;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
    QElapsedTimer m_clock;
    QTimer m_lineTimer;
    QQueue<LineChunk> m_rx;
    QQueue<LineChunk> m_tx;
    qint64 m_rxFreeUs = 0; // when the last received byte is complete
    qint64 m_txFreeUs = 0;
    qint64 m_rxPending = 0;
    qint64 m_txPending = 0;
};
