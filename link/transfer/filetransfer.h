#pragma once

#include "link/transfer/transferfile.h"

#include <QByteArray>
#include <QString>

// The two file transfers as state machines, fed by what the device sends and
// by a clock, so that every wait and bound is exercised without widgets or
// real time. The owner calls start() on the device's ready answer, received()
// with every piece of text the link delivers, written() when the link took
// bytes, and tick() whenever the clock passes nextDueMs().
namespace FileTransfer {

// Console message kinds, as the console shows them.
enum ConsoleKind { ConsoleReceived = 0, ConsoleFailure = 2, ConsoleSuccess = 3 };

// What a transfer does to its surroundings.
class TransferPort
{
public:
    virtual ~TransferPort() = default;
    // Hands the bytes to the link in one write; false when the link took none
    // (closed, not connected).
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes handed over but not yet taken by the line or the network.
    virtual qint64 bytesToWrite() const = 0;
    // One console message; shown in order, none dropped.
    virtual void console(int kind, const QString &message) = 0;
    // The progress bar's value; called only when it changes.
    virtual void progress(int percent) = 0;
};

enum class Outcome {
    Running,
    Succeeded,
    NoAcknowledgement, // firmware: no "pack" within a packet's bound
    DeviceRefused,     // the device answered "err"
    LinkLost,          // the link went away during the transfer
    WriteFailed,       // the link took no bytes
    WrongSlot,         // EDID: the device confirmed another slot
    Unconfirmed,       // EDID: no "updatedok" within the bound
};

struct FirmwareTiming
{
    int readyWaitMs = 1000;  // after the ready answer, before the first packet
    int pollMs = 50;         // one poll's bound
    int packetPolls = 40;    // polls for a packet's "pack": 2 s
    int checkCodePolls = 30; // polls for the check code's "pack": 1.5 s
    int successWaitMs = 700; // after the last "pack", before the report
};

// Stop-and-wait: one 1024-byte packet in flight, each acknowledged by a text
// holding "pack", then the 76-byte check code, also acknowledged.
class FirmwareTransfer
{
public:
    enum class Phase { Idle, Preparing, Packet, CheckCode, Finishing, Done };

    FirmwareTransfer(TransferPort &port, FirmwareImage image, FirmwareTiming timing = {});

    void start(qint64 nowMs);
    // Text the device sent, decoded, as received.
    void received(const QString &text, qint64 nowMs);
    // Runs what is due at nowMs (the first packet, a missed bound, the report).
    void tick(qint64 nowMs);
    void linkLost(qint64 nowMs);
    // When tick() must run next; -1 when nothing is due.
    qint64 nextDueMs() const;

    Phase phase() const { return m_phase; }
    Outcome outcome() const { return m_outcome; }
    bool finished() const { return m_phase == Phase::Done; }
    qint64 total() const { return m_plan.total; }
    qint64 sent() const { return m_sent; }
    int packetsAcknowledged() const { return m_acked; }
    // From the first packet to the report, the success wait included.
    qint64 elapsedMs() const;
    // From the first packet to the check code's "pack": the streaming alone.
    qint64 streamingMs() const;

private:
    void writePacket(qint64 nowMs);
    void acknowledged(qint64 nowMs);
    void finish(Outcome outcome, qint64 nowMs);
    void writeCheckCode(qint64 nowMs);
    void setProgress(int percent);
    void note(qint64 nowMs);

    TransferPort &m_port;
    FirmwareImage m_image;
    FirmwareTiming m_timing;
    PacketPlan m_plan;
    Phase m_phase = Phase::Idle;
    Outcome m_outcome = Outcome::Running;
    int m_next = 0;      // next packet to write
    int m_acked = 0;
    qint64 m_sent = 0;
    qint64 m_dueMs = -1; // the phase's deadline or its end
    qint64 m_streamStartMs = -1;
    qint64 m_streamEndMs = -1;
    qint64 m_doneMs = -1;
    qint64 m_lastNowMs = -1; // the latest time any call brought
    int m_progress = -1;
    QString m_consoleText; // shown once it holds "ok"
    QString m_collected;   // normalised, since the last packet was written
    QString m_rawSincePacket;
};

struct EdidTiming
{
    int readyWaitMs = 1000;    // after the ready answer, before the first packet
    int checkWaitMs = 500;     // after the last byte left, before the first check
    int hideWaitMs = 700;      // after the last byte left, before the widgets go
    int confirmGraceMs = 2000; // beyond the line time of the data
    int drainRecheckMs = 10;   // how often the link's queue is looked at
};

// Packets back to back (no acknowledgement each), then the device confirms
// "edid<slot>updatedok". The waits start when the link has taken every byte;
// the confirmation is awaited for the data's line time (size × 10 / baud) plus
// confirmGraceMs, so nothing sent later can become part of the stored EDID.
class EdidTransfer
{
public:
    enum class Phase { Idle, Preparing, Writing, Confirming, Finishing, Done };

    // baud: the serial line's rate, 0 over TCP.
    EdidTransfer(TransferPort &port, QByteArray data, QString slot, int baud, EdidTiming timing = {});

    void start(qint64 nowMs);
    void received(const QString &text, qint64 nowMs);
    // The link took bytes: the next packet goes out once the previous one has.
    void written(qint64 nowMs);
    void tick(qint64 nowMs);
    void linkLost(qint64 nowMs);
    qint64 nextDueMs() const;

    Phase phase() const { return m_phase; }
    Outcome outcome() const { return m_outcome; }
    bool finished() const { return m_phase == Phase::Done; }
    QString slot() const { return m_slot; }
    // The slot the device confirmed (WrongSlot), else empty.
    QString confirmedSlot() const { return m_confirmedSlot; }
    qint64 total() const { return m_plan.total; }
    qint64 sent() const { return m_sent; }
    // When the link had taken every byte; -1 before.
    qint64 drainedAtMs() const { return m_drainedMs; }
    // The last moment a confirmation is awaited; -1 before the bytes left.
    qint64 confirmDeadlineMs() const;
    // From the first packet to the outcome.
    qint64 elapsedMs() const;

private:
    void writeMore(qint64 nowMs);
    void evaluate(qint64 nowMs);
    void decide(Outcome outcome, qint64 nowMs);
    void setProgress(int percent);
    void note(qint64 nowMs);

    TransferPort &m_port;
    QByteArray m_data;
    QString m_slot;
    int m_baud = 0;
    EdidTiming m_timing;
    PacketPlan m_plan;
    Phase m_phase = Phase::Idle;
    Outcome m_outcome = Outcome::Running;
    int m_next = 0;
    qint64 m_sent = 0;
    qint64 m_dueMs = -1;
    qint64 m_streamStartMs = -1;
    qint64 m_drainedMs = -1;
    qint64 m_decidedMs = -1;
    qint64 m_lastNowMs = -1; // the latest time any call brought
    bool m_checked = false;  // the first look at the answer after the drain is done
    int m_progress = -1;
    QString m_confirmedSlot;
    QString m_consoleText;
    QString m_collected;
    QString m_raw;
};

} // namespace FileTransfer
