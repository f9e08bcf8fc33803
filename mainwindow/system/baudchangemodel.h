#pragma once

#include "mainwindow/system/systemmodel.h"

#include <QObject>
#include <QString>
#include <QTimer>

// A change of one of the device's RS-232 rates, step by step, driven by the
// device's answers and by timers (nothing here blocks):
//
//   start()      "(get,o.baud)" (or "(get,i.baud)") refreshes the other
//                port's selector; PauseBeforeSetMs later "(set,i.baud,code)".
//   onConfirmed() the device reported the rate with the change pending.
//      TCP link, or the output port on a serial link (the program does not
//      talk through that port): success at once.
//      Input port on a serial link: the program re-opens its port at the new
//      rate, waits SettleMs, then proves the line with "(cer)" (an answer
//      holding "Baudrate" within ProbeWaitMs). Proven: the rate is stored,
//      success. Not proven (or the port would not re-open): back to the rate
//      the link used before, proven the same way; then the operator is told
//      the device kept its old rate. Neither answers: failure, the link is
//      left to the reconnect timer.
//
// The flags "the next answer of this port confirms a change" (inBaudSetting,
// outBaudSetting) live here; changing() reports them.
class BaudChange final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(BaudChange)
public:
    using Port = System::SerialPort;

    // What a change does to the world. The window implements it; tests fake it.
    class Sink
    {
    public:
        virtual ~Sink() = default;
        // Asynchronous request (sendData).
        virtual void send(const QString &request) = 0;
        // True on a serial link (connection type 2).
        virtual bool serialLink() const = 0;
        // The rate the program's own serial port runs at now ("9600" ...).
        virtual QString linkRate() const = 0;
        // Sets the link's rate and re-opens the serial port; false when it
        // would not open.
        virtual bool reopenSerial(const QString &rate) = 0;
        // Writes "(cer)" and reports whether an answer holding "Baudrate"
        // came within `waitMs` (may pump events).
        virtual bool probeBanner(int waitMs) = 0;
        // Stores the proven rate ("Serial_port_information/Baud_Rate").
        virtual void storeRate(const QString &rate) = 0;
        virtual void showWaiting(bool visible) = 0;
    };

    enum class Outcome {
        Confirmed, // the device took the rate (and, on the program's own port, answers at it)
        FellBack, // the device did not answer at the new rate; the link is back on its old rate
        LinkLost, // the device answers at neither rate
        NotSent, // no rate code for the selector's text
    };

    static constexpr int PauseBeforeSetMs = 500;
    static constexpr int SettleMs = 1000;
    // 15 polls of 100 ms.
    static constexpr int ProbeWaitMs = 1500;

    explicit BaudChange(Sink &sink, QObject *parent = nullptr);
    ~BaudChange() override;

    // Starts changing `port` to `rate` (a selector text). NotSent (emitted at
    // once through finished()) when the text has no code. A change already
    // running for either port is abandoned first.
    void start(Port port, const QString &rate);
    // A query of the port's rate: the next answer only refreshes the selector.
    void clearPending(Port port);
    void clearAll();

    // Whether the next answer of `port` confirms a change (inBaudSetting /
    // outBaudSetting).
    bool changing(Port port) const;
    // The device reported `rate` for `port` while changing(port). Returns at
    // once; the rest runs on timers. Returns false when no change was pending
    // (the caller then treats the answer as a query's).
    bool onConfirmed(Port port, int rate);
    bool running() const { return m_step != Step::Idle; }

    // Tests shorten the waits.
    void setTimings(int pauseBeforeSetMs, int settleMs, int probeWaitMs);

    // How long the device has to confirm a sent rate; tests shorten it.
    static constexpr int AnswerTimeoutMs = 5000;
    void setAnswerTimeout(int answerTimeoutMs) { m_answerTimeoutMs = answerTimeoutMs; }

signals:
    // The change ended; `rate` is the rate now in force on the device's port
    // (Confirmed), or the link's previous rate (FellBack, LinkLost).
    void finished(System::SerialPort port, BaudChange::Outcome outcome, const QString &rate);
    // The device never confirmed the rate it was sent (no answer, or "err")
    // within AnswerTimeoutMs; the change is dropped and nothing was reopened.
    void notConfirmed(System::SerialPort port);

private:
    enum class Step {
        Idle,
        WaitingToSet, // the other port's query is out; the set follows
        WaitingForAnswer, // the set is out
        Reopening, // confirmed: the program's port moves to the new rate
        Settling, // reopened at the new rate; the line settles before the proof
        SettlingBack, // reopened at the previous rate; the line settles before the proof
    };
    static int slot(Port port) { return port == Port::Input ? 0 : 1; }
    void onTimer();
    void sendSet();
    void reopenAtNewRate();
    void proveNewRate();
    void fallBack();
    void provePreviousRate();
    void finish(Outcome outcome, const QString &rate);
    // Stops whatever runs and forgets both flags.
    void abandon();
    bool underWay(Port port) const { return running() && m_port == port; }

    Sink &m_sink;
    Step m_step = Step::Idle;
    Port m_port = Port::Input;
    int m_code = 0;
    QString m_rate; // the rate asked for
    QString m_confirmedRate; // the rate the device reported
    QString m_previousRate; // the link's rate when the change started
    bool m_pending[2] = { false, false };
    bool m_waitingShown = false;
    // Bumped whenever a change starts or is abandoned: a step that pumped
    // events (reopen, probe) checks it to learn whether it still counts.
    quint64 m_generation = 0;
    int m_pauseBeforeSetMs = PauseBeforeSetMs;
    int m_settleMs = SettleMs;
    int m_probeWaitMs = ProbeWaitMs;
    int m_answerTimeoutMs = AnswerTimeoutMs;
    QTimer m_timer;
};
