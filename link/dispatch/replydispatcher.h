#pragma once

#include "link/dispatch/dispatchsink.h"
#include "link/protocol/protocol.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

// The dispatcher's own flags. MainWindow reads them (the sender's standby
// filter) and sets wakePending when it sends "(wakeup)".
struct DispatchState
{
    bool standby = false;
    bool wakePending = false;
    bool factoryResetRunning = false;
    bool modelApplied = false;
};

// Intervals of the delayed steps; tests shorten them.
struct DispatchTimings
{
    int heartbeatMs = 5000;
    int factoryResetMs = 15000;
    int wakeUpDelay4x4Ms = 2500;
    int wakeUpDelayMs = 50;
    int wakeUpResolutionGapMs = 1000;
    int networkReconnectMs = 3000;
};

// Interprets the text collected from the device: runs the 43 answer tests in
// their fixed order over a working copy and carries out every branch that
// matches (Data_Processing). Branches for device state, signal status, device
// information, versions, device name and network settings are built in; the
// others are hooks that the feature pages register. Re-entrant: a branch that
// waits (synchronous queries, delays) may see dispatch() called again; each
// call works on its own copy and reads the flags afresh.
class ReplyDispatcher final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ReplyDispatcher)
public:
    enum class Flow { Continue, End };

    // What a hook branch gets: the working copy (a hook may edit it; later
    // branches see the edit) and the received text before blanks and line
    // breaks were removed (empty when the caller had none). Copy what you
    // need before any wait; do not keep references into either.
    struct BranchCall
    {
        QString &work;
        QString raw;
        // Set by a branch that restarted the heartbeat with an interval of
        // its own (after a file transfer): the dispatch's end leaves it.
        bool heartbeatRestarted = false;
    };
    using BranchHandler = std::function<Flow(BranchCall &)>;

    explicit ReplyDispatcher(DispatchSink &sink, QObject *parent = nullptr);
    ~ReplyDispatcher() override;

    // Data_Processing. `text` is the collected text without blanks and line
    // breaks; `rawText` optionally the same text as received, before blanks
    // and line breaks were removed (rawBuffer, or the display text of a
    // synchronous exchange): a device name keeps its blanks only with it.
    void dispatch(const QString &text, const QString &rawText = QString());

    DispatchState &state() { return m_state; }
    const DispatchState &state() const { return m_state; }

    void setTimings(const DispatchTimings &timings) { m_timings = timings; }
    const DispatchTimings &timings() const { return m_timings; }

    // Registers the handler of a hook branch (6-13, 15-23, 25-33, 36-38,
    // 41-43). Returns false for a built-in branch, which cannot be replaced.
    bool setBranchHandler(Protocol::Answer answer, BranchHandler handler);
    bool hasBranchHandler(Protocol::Answer answer) const;
    static bool isBuiltIn(Protocol::Answer answer);

    // The local address to bind for talking to `deviceIp`: the first whose
    // interface subnet holds the device, else the first with the same third
    // dotted number, else empty (no bind).
    static QString chooseLocalAddress(const QString &deviceIp, const QList<LocalAddress> &candidates);

    // Nesting level of dispatch() right now (0 when idle).
    int depth() const { return m_depth; }

    // This application's version as shown on the information page.
    static constexpr char HostVersion[] = "V1.0.0";
    static constexpr char FactoryDeviceIp[] = "192.168.0.178";
    static constexpr char FactoryBaudRate[] = "115200";
    // Every output the largest model has: a reset leaves no output's sliders stale.
    static constexpr int FactorySliderLastOutput = Protocol::MaxPorts;
    static constexpr int FactorySliderValue = 50;
    static constexpr int SystemInformationPage = 7;

signals:
    // A branch's test held and the branch ran (number 1..43).
    void branchMatched(int number);
    // A call ended early through an ending branch.
    void dispatchEnded(int number);

private:
    Flow runBuiltIn(Protocol::Answer answer, QString &work, const QString &raw, bool &holdHeartbeat);
    Flow factoryReset(bool &holdHeartbeat);
    void systemOff();
    void systemOn();
    Flow signalStatus(QString &work);
    void deviceInfo(QString &work, const QString &raw);
    void controlCardVersion(const QString &work);
    void boardVersions(const QString &work);
    void networkSettings(const QString &work, bool &holdHeartbeat);

    void finishFactoryReset();
    void runWakeUpSequence();
    void finishNetworkChange(const QString &deviceIp, const QString &localIp);

    DispatchSink &m_sink;
    DispatchState m_state;
    DispatchTimings m_timings;
    std::array<BranchHandler, Protocol::AnswerCount> m_handlers;
    int m_depth = 0;
};
