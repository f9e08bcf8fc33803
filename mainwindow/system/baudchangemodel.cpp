#include "mainwindow/system/baudchangemodel.h"

#include "link/protocol/protocol.h"

#include <QDebug>

BaudChange::BaudChange(Sink &sink, QObject *parent)
    : QObject(parent)
    , m_sink(sink)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early: the device is given its full pause.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &BaudChange::onTimer);
}

BaudChange::~BaudChange() = default;

void BaudChange::setTimings(int pauseBeforeSetMs, int settleMs, int probeWaitMs)
{
    m_pauseBeforeSetMs = pauseBeforeSetMs;
    m_settleMs = settleMs;
    m_probeWaitMs = probeWaitMs;
}

bool BaudChange::changing(Port port) const
{
    return m_pending[slot(port)];
}

void BaudChange::start(Port port, const QString &rate)
{
    abandon();
    const auto code = System::baudCode(rate);
    if (!code) {
        qWarning() << "no baud code for" << rate << "- nothing sent";
        emit finished(port, Outcome::NotSent, rate);
        return;
    }
    m_port = port;
    m_code = *code;
    m_rate = rate;
    m_confirmedRate.clear();
    m_previousRate = m_sink.linkRate();
    m_pending[slot(port)] = true;
    m_step = Step::WaitingToSet;

    // The other port's answer refreshes its selector (its flag is clear).
    const quint64 generation = m_generation;
    m_sink.send(QString::fromLatin1(
        port == Port::Input ? Protocol::Command::GetOutputBaud : Protocol::Command::GetInputBaud));
    // The send waits for the first answer bytes; a newer change may have
    // started meanwhile.
    if (generation == m_generation && m_step == Step::WaitingToSet)
        m_timer.start(m_pauseBeforeSetMs);
}

void BaudChange::clearPending(Port port)
{
    // Once the set is on its way only the device's answer (or the time-out)
    // ends the change: on a serial link the program's port must follow it.
    if (underWay(port)) {
        qDebug() << "baud query during a change of the same port: the change stays pending";
        return;
    }
    m_pending[slot(port)] = false;
}

void BaudChange::clearAll()
{
    clearPending(Port::Input);
    clearPending(Port::Output);
}

bool BaudChange::onConfirmed(Port port, int rate)
{
    if (!m_pending[slot(port)])
        return false;
    switch (m_step) {
    case Step::Idle:
    case Step::WaitingToSet:
        // Not the answer to our set (that is not out yet): a query's answer.
        return false;
    case Step::Reopening:
    case Step::Settling:
    case Step::SettlingBack:
        // Already confirmed and being proven; a repeated answer changes nothing.
        return true;
    case Step::WaitingForAnswer:
        break;
    }
    m_timer.stop();
    m_confirmedRate = QString::number(rate);
    if (m_confirmedRate != m_rate)
        qWarning() << "device reported" << m_confirmedRate << "after being set to" << m_rate;

    if (port == Port::Output || !m_sink.serialLink()) {
        // The program does not talk through this port: nothing to follow.
        finish(Outcome::Confirmed, m_confirmedRate);
        return true;
    }
    m_step = Step::Reopening;
    m_waitingShown = true;
    m_sink.showWaiting(true);
    // Reopening may block (the port's reopen delay); not inside the dispatch.
    m_timer.start(0);
    return true;
}

void BaudChange::onTimer()
{
    switch (m_step) {
    case Step::WaitingToSet:
        sendSet();
        break;
    case Step::WaitingForAnswer: {
        qWarning() << "the device did not confirm the baud rate" << m_rate;
        const Port port = m_port;
        m_pending[slot(port)] = false;
        m_step = Step::Idle;
        emit notConfirmed(port);
        break;
    }
    case Step::Reopening:
        reopenAtNewRate();
        break;
    case Step::Settling:
        proveNewRate();
        break;
    case Step::SettlingBack:
        provePreviousRate();
        break;
    case Step::Idle:
        break;
    }
}

void BaudChange::sendSet()
{
    m_step = Step::WaitingForAnswer;
    // Started first: the answer may come while the send still waits.
    m_timer.start(m_answerTimeoutMs);
    m_sink.send(Protocol::build(
        m_port == Port::Input ? Protocol::Command::SetInputBaud : Protocol::Command::SetOutputBaud,
        { m_code }));
}

void BaudChange::reopenAtNewRate()
{
    const quint64 generation = m_generation;
    const bool opened = m_sink.reopenSerial(m_confirmedRate);
    if (generation != m_generation)
        return;
    if (!opened) {
        qWarning() << "serial port did not reopen at" << m_confirmedRate;
        fallBack();
        return;
    }
    m_step = Step::Settling;
    m_timer.start(m_settleMs);
}

void BaudChange::proveNewRate()
{
    const quint64 generation = m_generation;
    const bool proven = m_sink.probeBanner(m_probeWaitMs);
    if (generation != m_generation)
        return;
    if (proven) {
        m_sink.storeRate(m_confirmedRate);
        finish(Outcome::Confirmed, m_confirmedRate);
        return;
    }
    qWarning() << "no answer at the new rate" << m_confirmedRate << "- back to" << m_previousRate;
    fallBack();
}

void BaudChange::fallBack()
{
    const quint64 generation = m_generation;
    const bool opened = m_sink.reopenSerial(m_previousRate);
    if (generation != m_generation)
        return;
    if (!opened) {
        qWarning() << "serial port did not reopen at the previous rate" << m_previousRate;
        finish(Outcome::LinkLost, m_previousRate);
        return;
    }
    m_step = Step::SettlingBack;
    m_timer.start(m_settleMs);
}

void BaudChange::provePreviousRate()
{
    const quint64 generation = m_generation;
    const bool proven = m_sink.probeBanner(m_probeWaitMs);
    if (generation != m_generation)
        return;
    if (!proven)
        qWarning() << "no answer at" << m_confirmedRate << "nor at" << m_previousRate;
    finish(proven ? Outcome::FellBack : Outcome::LinkLost, m_previousRate);
}

void BaudChange::finish(Outcome outcome, const QString &rate)
{
    m_timer.stop();
    const Port port = m_port;
    // Cleared here also on TCP: a later query's answer is no confirmation.
    m_pending[slot(port)] = false;
    m_step = Step::Idle;
    if (m_waitingShown) {
        m_waitingShown = false;
        m_sink.showWaiting(false);
    }
    emit finished(port, outcome, rate);
}

void BaudChange::abandon()
{
    ++m_generation;
    m_timer.stop();
    m_pending[0] = m_pending[1] = false;
    m_step = Step::Idle;
    if (m_waitingShown) {
        m_waitingShown = false;
        m_sink.showWaiting(false);
    }
}
