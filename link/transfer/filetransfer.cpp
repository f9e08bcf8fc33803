#include "link/transfer/filetransfer.h"

#include "link/protocol/protocol.h"

#include <algorithm>

namespace FileTransfer {

namespace {

const QLatin1String Acknowledgement("pack");
const QLatin1String ConsoleEnd("ok");

// The device's text waits for the console until it holds "ok". Only the new
// text (and the character before it) is searched, so a long run of "pack"
// answers without "ok" does not make every chunk dearer.
void showDeviceText(QString &pending, const QString &text, TransferPort &port)
{
    const int from = std::max(0, pending.size() - 1);
    pending += text;
    if (pending.indexOf(ConsoleEnd, from) >= 0) {
        port.console(ConsoleReceived, pending);
        pending.clear();
    }
}

// What the device said last before a failure (an "err", a half answer) is
// shown even without "ok": it is the operator's only clue.
void flushDeviceText(QString &pending, TransferPort &port)
{
    if (!pending.isEmpty()) {
        port.console(ConsoleReceived, pending);
        pending.clear();
    }
}

QString sendLine(const char *format, int packet, qint64 sent, qint64 total)
{
    return QString::fromLatin1(format).arg(packet).arg(sent).arg(total);
}

} // namespace

// ---- Firmware ---------------------------------------------------------------------

FirmwareTransfer::FirmwareTransfer(TransferPort &port, FirmwareImage image, FirmwareTiming timing)
    : m_port(port)
    , m_image(std::move(image))
    , m_timing(timing)
{
    m_plan.total = m_image.isNull() ? 0 : m_image.payloadSize();
}

void FirmwareTransfer::note(qint64 nowMs)
{
    m_lastNowMs = std::max(m_lastNowMs, nowMs);
}

void FirmwareTransfer::start(qint64 nowMs)
{
    if (m_phase != Phase::Idle)
        return;
    note(nowMs);
    m_collected.clear();
    m_rawSincePacket.clear();
    // Only an image that passed the checks has something to send.
    if (m_image.isNull() || m_plan.count() == 0) {
        finish(Outcome::WriteFailed, nowMs);
        return;
    }
    m_phase = Phase::Preparing;
    m_dueMs = nowMs + m_timing.readyWaitMs;
}

void FirmwareTransfer::received(const QString &text, qint64 nowMs)
{
    if (m_phase == Phase::Idle || m_phase == Phase::Done)
        return;
    note(nowMs);
    showDeviceText(m_consoleText, text, m_port);
    if (m_phase != Phase::Packet && m_phase != Phase::CheckCode)
        return;
    m_rawSincePacket += text;
    m_collected += normalised(text);
    if (m_collected.contains(Acknowledgement))
        acknowledged(nowMs);
    else if (Protocol::isErrorReply(m_rawSincePacket))
        // The device acknowledges nothing after "err": no point in waiting.
        finish(Outcome::DeviceRefused, nowMs);
}

void FirmwareTransfer::tick(qint64 nowMs)
{
    note(nowMs);
    if (m_dueMs < 0 || nowMs < m_dueMs)
        return;
    switch (m_phase) {
    case Phase::Preparing:
        m_streamStartMs = nowMs;
        m_phase = Phase::Packet;
        writePacket(nowMs);
        break;
    case Phase::Packet:
    case Phase::CheckCode:
        finish(Outcome::NoAcknowledgement, nowMs);
        break;
    case Phase::Finishing:
        m_phase = Phase::Done;
        m_outcome = Outcome::Succeeded;
        m_doneMs = nowMs;
        m_dueMs = -1;
        break;
    case Phase::Idle:
    case Phase::Done:
        break;
    }
}

void FirmwareTransfer::linkLost(qint64 nowMs)
{
    if (m_phase == Phase::Idle || m_phase == Phase::Done)
        return;
    note(nowMs);
    // The check code was acknowledged: the image is on the device, which now
    // restarts and may well close the link doing so.
    finish(m_phase == Phase::Finishing ? Outcome::Succeeded : Outcome::LinkLost, nowMs);
}

qint64 FirmwareTransfer::nextDueMs() const
{
    switch (m_phase) {
    case Phase::Preparing:
    case Phase::Packet:
    case Phase::CheckCode:
    case Phase::Finishing:
        return m_dueMs;
    case Phase::Idle:
    case Phase::Done:
        break;
    }
    return -1;
}

qint64 FirmwareTransfer::elapsedMs() const
{
    if (m_streamStartMs < 0)
        return 0;
    const qint64 end = m_doneMs >= 0 ? m_doneMs : m_lastNowMs;
    return std::max<qint64>(0, end - m_streamStartMs);
}

qint64 FirmwareTransfer::streamingMs() const
{
    if (m_streamStartMs < 0 || m_streamEndMs < 0)
        return 0;
    return m_streamEndMs - m_streamStartMs;
}

void FirmwareTransfer::writePacket(qint64 nowMs)
{
    // Cleared before the write, so that nothing said for the previous packet
    // can acknowledge this one.
    m_collected.clear();
    m_rawSincePacket.clear();
    if (!m_port.write(m_image.payload(m_plan.offset(m_next), m_plan.size(m_next)))) {
        finish(Outcome::WriteFailed, nowMs);
        return;
    }
    ++m_next;
    m_dueMs = nowMs + qint64(m_timing.packetPolls) * m_timing.pollMs;
}

void FirmwareTransfer::writeCheckCode(qint64 nowMs)
{
    m_collected.clear();
    m_rawSincePacket.clear();
    const QByteArray code = m_image.checkCode();
    if (!m_port.write(code)) {
        finish(Outcome::WriteFailed, nowMs);
        return;
    }
    m_port.console(ConsoleReceived, QStringLiteral("\nCheck code data length = %1").arg(code.size()));
    m_phase = Phase::CheckCode;
    m_dueMs = nowMs + qint64(m_timing.checkCodePolls) * m_timing.pollMs;
}

void FirmwareTransfer::acknowledged(qint64 nowMs)
{
    if (m_phase == Phase::CheckCode) {
        m_port.console(ConsoleReceived, QStringLiteral("\nSerialPortData = %1").arg(m_collected));
        m_collected.clear();
        setProgress(100);
        m_streamEndMs = nowMs;
        m_phase = Phase::Finishing;
        m_dueMs = nowMs + m_timing.successWaitMs;
        return;
    }
    m_port.console(ConsoleReceived, QStringLiteral("\nSerialPortData = %1\n").arg(m_collected));
    m_collected.clear();
    const int size = m_plan.size(m_acked);
    setProgress(progressPercent(m_sent, m_plan.total));
    m_sent += size;
    m_port.console(ConsoleReceived,
        sendLine("Single length of Send = %1 \nTotal length of Send = %2 \nFile Total length = %3\n", size,
            m_sent, m_plan.total));
    ++m_acked;
    if (m_acked < m_plan.count())
        writePacket(nowMs);
    else
        writeCheckCode(nowMs);
}

void FirmwareTransfer::finish(Outcome outcome, qint64 nowMs)
{
    if (m_phase == Phase::Done)
        return;
    if (outcome != Outcome::Succeeded)
        flushDeviceText(m_consoleText, m_port);
    m_phase = Phase::Done;
    m_outcome = outcome;
    m_doneMs = nowMs;
    m_dueMs = -1;
}

void FirmwareTransfer::setProgress(int percent)
{
    if (percent == m_progress)
        return;
    m_progress = percent;
    m_port.progress(percent);
}

// ---- EDID -------------------------------------------------------------------------

EdidTransfer::EdidTransfer(TransferPort &port, QByteArray data, QString slot, int baud, EdidTiming timing)
    : m_port(port)
    , m_data(std::move(data))
    , m_slot(std::move(slot))
    , m_baud(baud)
    , m_timing(timing)
{
    m_plan.total = m_data.size();
}

void EdidTransfer::note(qint64 nowMs)
{
    m_lastNowMs = std::max(m_lastNowMs, nowMs);
}

void EdidTransfer::start(qint64 nowMs)
{
    if (m_phase != Phase::Idle)
        return;
    note(nowMs);
    if (m_data.isEmpty()) {
        decide(Outcome::WriteFailed, nowMs);
        return;
    }
    m_phase = Phase::Preparing;
    m_dueMs = nowMs + m_timing.readyWaitMs;
}

void EdidTransfer::received(const QString &text, qint64 nowMs)
{
    if (m_phase == Phase::Idle || m_phase == Phase::Done)
        return;
    note(nowMs);
    showDeviceText(m_consoleText, text, m_port);
    // What came before the first packet cannot confirm this file.
    if (m_phase != Phase::Writing && m_phase != Phase::Confirming)
        return;
    m_collected += normalised(text);
    m_raw += text;
    if (m_phase == Phase::Confirming
        && (nowMs >= m_drainedMs + m_timing.checkWaitMs || nowMs >= confirmDeadlineMs()))
        evaluate(nowMs);
    if ((m_phase == Phase::Writing || m_phase == Phase::Confirming) && Protocol::isErrorReply(m_raw))
        decide(Outcome::DeviceRefused, nowMs);
}

void EdidTransfer::written(qint64 nowMs)
{
    note(nowMs);
    if (m_phase == Phase::Writing)
        writeMore(nowMs);
}

void EdidTransfer::tick(qint64 nowMs)
{
    note(nowMs);
    switch (m_phase) {
    case Phase::Preparing:
        if (nowMs >= m_dueMs) {
            m_streamStartMs = nowMs;
            m_phase = Phase::Writing;
            writeMore(nowMs);
        }
        break;
    case Phase::Writing:
        writeMore(nowMs);
        break;
    case Phase::Confirming:
        if (nowMs >= m_drainedMs + m_timing.checkWaitMs || nowMs >= confirmDeadlineMs())
            evaluate(nowMs);
        if (m_phase == Phase::Confirming && nowMs >= confirmDeadlineMs())
            decide(Outcome::Unconfirmed, nowMs);
        break;
    case Phase::Finishing:
        if (nowMs >= m_drainedMs + m_timing.hideWaitMs)
            m_phase = Phase::Done;
        break;
    case Phase::Idle:
    case Phase::Done:
        break;
    }
}

void EdidTransfer::linkLost(qint64 nowMs)
{
    if (m_phase == Phase::Idle || m_phase == Phase::Done)
        return;
    note(nowMs);
    // Already decided: only the widgets' wait is cut short.
    if (m_phase == Phase::Finishing) {
        m_phase = Phase::Done;
        return;
    }
    decide(Outcome::LinkLost, nowMs);
}

qint64 EdidTransfer::nextDueMs() const
{
    switch (m_phase) {
    case Phase::Preparing:
        return m_dueMs;
    case Phase::Writing:
        return m_lastNowMs + m_timing.drainRecheckMs;
    case Phase::Confirming: {
        const qint64 deadline = confirmDeadlineMs();
        return m_checked ? deadline : std::min(m_drainedMs + m_timing.checkWaitMs, deadline);
    }
    case Phase::Finishing:
        return m_drainedMs + m_timing.hideWaitMs;
    case Phase::Idle:
    case Phase::Done:
        break;
    }
    return -1;
}

qint64 EdidTransfer::confirmDeadlineMs() const
{
    if (m_drainedMs < 0)
        return -1;
    // Ten bits a byte on the line: start, eight data bits, stop.
    const qint64 lineMs = m_baud > 0 ? (m_plan.total * 10 * 1000 + m_baud - 1) / m_baud : 0;
    return m_drainedMs + lineMs + m_timing.confirmGraceMs;
}

qint64 EdidTransfer::elapsedMs() const
{
    if (m_streamStartMs < 0)
        return 0;
    const qint64 end = m_decidedMs >= 0 ? m_decidedMs : m_lastNowMs;
    return std::max<qint64>(0, end - m_streamStartMs);
}

void EdidTransfer::writeMore(qint64 nowMs)
{
    const int count = m_plan.count();
    while (m_next < count && m_port.bytesToWrite() == 0) {
        const int size = m_plan.size(m_next);
        if (!m_port.write(m_data.mid(int(m_plan.offset(m_next)), size))) {
            decide(Outcome::WriteFailed, nowMs);
            return;
        }
        ++m_next;
        setProgress(progressPercent(m_sent, m_plan.total));
        m_sent += size;
        m_port.console(ConsoleReceived,
            sendLine("\nSingle length of Send = %1 \nTotal length of Send = %2 \nFile Total length = %3",
                size, m_sent, m_plan.total));
    }
    if (m_next >= count && m_port.bytesToWrite() == 0) {
        m_drainedMs = nowMs;
        setProgress(100);
        m_phase = Phase::Confirming;
    }
}

void EdidTransfer::evaluate(qint64 nowMs)
{
    m_checked = true;
    if (!m_collected.contains(QLatin1String("edid")) || !m_collected.contains(QLatin1String("updatedok")))
        return;
    const std::optional<QString> confirmed = confirmedEdidSlot(m_collected);
    if (!confirmed)
        return;
    if (*confirmed == m_slot) {
        decide(Outcome::Succeeded, nowMs);
    } else {
        m_confirmedSlot = *confirmed;
        decide(Outcome::WrongSlot, nowMs);
    }
}

void EdidTransfer::decide(Outcome outcome, qint64 nowMs)
{
    if (m_outcome != Outcome::Running || m_phase == Phase::Done)
        return;
    m_outcome = outcome;
    m_decidedMs = nowMs;
    if (outcome != Outcome::Succeeded)
        flushDeviceText(m_consoleText, m_port);
    // The file left the computer in these cases: the widgets stay their while.
    const bool sent
        = outcome == Outcome::Succeeded || outcome == Outcome::WrongSlot || outcome == Outcome::Unconfirmed;
    if (sent && m_drainedMs >= 0 && nowMs < m_drainedMs + m_timing.hideWaitMs)
        m_phase = Phase::Finishing;
    else
        m_phase = Phase::Done;
}

void EdidTransfer::setProgress(int percent)
{
    if (percent == m_progress)
        return;
    m_progress = percent;
    m_port.progress(percent);
}

} // namespace FileTransfer
