#pragma once

#include "link/dispatch/replydispatcher.h"
#include "link/transfer/filetransfer.h"
#include "mainwindow/mainwindow.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QVector>

#include <memory>

class QIODevice;
class QPushButton;

// Runs the firmware and EDID transfers on the window's link: arms them when
// a page announces a checked file, starts them on the device's ready answer
// (dispatcher branches 27 and 28), feeds the state machines with the link's
// bytes and a clock, shows their console lines in batches and reports the
// outcome. A ready answer nobody announced is logged and ignored.
class TransferRunner final : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Firmware, Edid };
    Q_ENUM(Kind)
    // How the acknowledgements are read: on every data notification, or by
    // polling every FirmwareTiming::pollMs (the slower design, kept for the
    // benchmark's comparison).
    enum class Pacing { WakeOnData, FixedPoll };

    explicit TransferRunner(MainWindow *window);
    ~TransferRunner() override;

    // Registers branches 27, 28 and 29 with the window's dispatcher.
    void registerBranches();

    // The upgrade button announces `image`; a ready answer within
    // ArmValidMs starts its transfer.
    void armFirmware(const FileTransfer::FirmwareImage &image);
    // The upload button announces `data` for slot "1".."4".
    void armEdid(const QByteArray &data, const QString &slot);
    bool armed(Kind kind) const;
    // A transfer is on the link now.
    bool running() const { return m_firmware || m_edid; }
    // Slot of an EDID upload whose confirmation did not come in time; a late
    // "edid<slot>updatedok" (branch 29) still reports it.
    QString lateEdidSlot() const { return m_lateEdidSlot; }

    // Test and benchmark seams.
    FileTransfer::FirmwareTiming firmwareTiming;
    FileTransfer::EdidTiming edidTiming;
    Pacing pacing = Pacing::WakeOnData;
    int armValidMs = ArmValidMs;
    struct Figures
    {
        Kind kind = Kind::Firmware;
        FileTransfer::Outcome outcome = FileTransfer::Outcome::Running;
        qint64 bytes = 0;
        qint64 streamingMs = 0; // firmware: first packet to the check code's "pack"
        qint64 elapsedMs = 0;
    };
    // Of the transfer that ended last.
    Figures lastFigures() const { return m_lastFigures; }

    static constexpr int ArmValidMs = 10000;
    static constexpr int ConsoleBatchMs = 100;
    static constexpr int HeartbeatAfterMs = 6000;
    static constexpr int ButtonLockMs = 4000;

    // The grey, disabled look of an upload button for ButtonLockMs, then its
    // own look again (the button's object name picks the style).
    static void lockButton(QPushButton *button, int ms = ButtonLockMs);
    // The operator's message for a file that is not sent.
    static QString problemText(FileTransfer::Problem problem, Kind kind);

signals:
    // The page shows or hides its progress label and bar.
    void Send_TransferShown(TransferRunner::Kind kind, bool visible);
    void Send_TransferProgress(TransferRunner::Kind kind, int percent);
    // A transfer ended; for an EDID upload that ended unconfirmed, once more
    // when the device's late confirmation arrives.
    void Send_TransferFinished(TransferRunner::Kind kind, bool succeeded);

private:
    class Port;
    ReplyDispatcher::Flow onFirmwareReady(ReplyDispatcher::BranchCall &call);
    ReplyDispatcher::Flow onEdidReady(ReplyDispatcher::BranchCall &call);
    ReplyDispatcher::Flow onEdidStored(ReplyDispatcher::BranchCall &call);

    // Runs the armed transfer to its end inside the dispatch, the window
    // staying live; true when it succeeded.
    bool run(Kind kind);
    void begin(Kind kind);
    void end(Kind kind, bool succeeded);
    // Every event of a running transfer (data, bytes written, a lost link,
    // a due time) lands here; the machines are entered from nowhere else.
    void pump();
    void readLink();
    void step();
    void schedule();
    void queueConsole(int kind, const QString &message);
    void flushConsole();
    void finishCommon(Kind kind);
    void afterTransfer();
    void reportFirmware(const FileTransfer::FirmwareTransfer &transfer);
    void reportEdid(const FileTransfer::EdidTransfer &transfer);
    void edidSucceeded(const QString &slot, qint64 elapsedMs);
    qint64 now() const { return m_clock.elapsed(); }

    MainWindow *m_window;
    std::unique_ptr<Port> m_port;
    QPointer<QIODevice> m_device;
    QElapsedTimer m_clock;
    QTimer m_due;
    QTimer m_poll;
    QTimer m_consoleTimer;
    QVector<MainWindow::ConsoleMessage> m_console; // waiting for the next batch
    bool m_shown = false;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    bool m_readDue = false; // data arrived (or a poll is due)
    bool m_linkLost = false;

    FileTransfer::FirmwareImage m_firmwareImage;
    qint64 m_firmwareArmedAt = -1;
    QByteArray m_edidData;
    QString m_edidSlot;
    qint64 m_edidArmedAt = -1;
    QString m_lateEdidSlot;

    std::unique_ptr<FileTransfer::FirmwareTransfer> m_firmware;
    std::unique_ptr<FileTransfer::EdidTransfer> m_edid;
    Figures m_lastFigures;
};
