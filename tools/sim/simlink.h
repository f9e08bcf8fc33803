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
    static constexpr int TransferTimeoutMs = 10000;
    static constexpr int JunkQuietMs = 150;
    static constexpr int IncompleteRequestMs = 1000;
    static constexpr int MaxRequestBytes = 512;

    SimLink(SimDevice *device, SimFaults *faults, QObject *parent);

    // Answers and device output: through delay, split and garbage faults, at
    // the device's current serial rate.
    void sendAnswer(const QByteArray &answer);
    // Bytes sent as they are, in order after what is queued.
    void sendRaw(const QByteArray &bytes);
    // Bytes handed over but not yet taken by the peer.
    virtual qint64 backlog() const { return 0; }
    // Answers still waiting for their delay or split pause.
    bool hasQueuedOutput() const { return !m_out.isEmpty(); }

signals:
    void requestSeen(const QByteArray &request);

protected:
    SimDevice *device() const { return m_device; }
    void feed(const QByteArray &bytes);
    // baud: the serial rate the device sends these bytes at, 0 for raw bytes.
    virtual void writeBytes(const QByteArray &bytes, int baud) = 0;
    // False when the peer talks at a rate the device does not use.
    virtual bool speedMatches() const { return true; }

private:
    struct Chunk
    {
        QByteArray bytes;
        int waitMs = 0;
        int baud = 0;
    };

    void sendAnswerAt(const QByteArray &answer, int baud);

    void process();
    void processFile();
    void handleRequest(const QByteArray &request);
    void fileQuiet();
    void endTransfer();
    void pump();

    SimDevice *m_device;
    SimFaults *m_faults;
    QByteArray m_in;
    SimDevice::Transfer m_transfer = SimDevice::Transfer::None;
    qint64 m_fileBytes = 0;
    int m_packets = 0;
    QTimer m_junkTimer;
    QTimer m_fileQuietTimer;
    QTimer m_transferTimer;
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
// noise unless the slave is set to the rate it was sent at.
class PtyLink final : public SimLink
{
    Q_OBJECT
public:
    PtyLink(const QString &linkPath, SimDevice *device, SimFaults *faults, QObject *parent);
    ~PtyLink() override;

    bool open(QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString path() const { return m_linkPath; }

protected:
    void writeBytes(const QByteArray &bytes, int baud) override;
    bool speedMatches() const override;

private:
    void readMaster();
    int slaveBaud() const;

    QString m_linkPath;
    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_notifier = nullptr;
};
