#include "mainwindow/transfer/transferrunner.h"

#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QEventLoop>
#include <QIODevice>
#include <QPushButton>
#include <QSerialPort>
#include <QTcpSocket>

using namespace FileTransfer;

namespace {
QString buttonStyle(const QString &name, bool grey)
{
    return QStringLiteral("#%1{color: rgb(255, 255, 255);background-color: %2;border: 2px groove gray;"
                          "border-style: outset;border-radius: 16px;font-style:MingLiU-ExtB;}")
               .arg(name, grey ? QStringLiteral("rgb(193, 193, 193)") : QStringLiteral("rgb(22, 155, 213)"))
           + (grey ? QString()
                   : QStringLiteral("#%1:hover{background-color: rgb(44, 174, 232);}").arg(name));
}

QString seconds(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 2);
}
} // namespace

// The state machines' view of the link and the window.
class TransferRunner::Port final : public TransferPort
{
public:
    explicit Port(TransferRunner &runner) : r(runner) {}

    Kind kind = Kind::Firmware;

    bool write(const QByteArray &bytes) override
    {
        if (!r.m_device || !r.m_device->isOpen())
            return false;
        if (r.pacing == Pacing::FixedPoll)
            r.m_poll.start(); // the first poll comes one interval after the write
        if (r.m_window->deviceLink()->write(bytes) != bytes.size())
            return false;
        // Out now, not on the next turn of the event loop: the device waits
        // for each packet before it acknowledges.
        if (auto *socket = qobject_cast<QAbstractSocket *>(r.m_device.data()))
            socket->flush();
        else if (auto *serial = qobject_cast<QSerialPort *>(r.m_device.data()))
            serial->flush();
        return true;
    }
    qint64 bytesToWrite() const override { return r.m_device ? r.m_device->bytesToWrite() : 0; }
    void console(int kind, const QString &message) override { r.queueConsole(kind, message); }
    void progress(int percent) override { emit r.Send_TransferProgress(kind, percent); }

private:
    TransferRunner &r;
};

TransferRunner::TransferRunner(MainWindow *window)
    : QObject(window), m_window(window), m_port(std::make_unique<Port>(*this))
{
    qRegisterMetaType<TransferRunner::Kind>();
    m_clock.start();
    m_due.setSingleShot(true);
    m_due.setTimerType(Qt::PreciseTimer);
    connect(&m_due, &QTimer::timeout, this, &TransferRunner::pump);
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        m_readDue = true;
        pump();
    });
    m_consoleTimer.setSingleShot(true);
    m_consoleTimer.setInterval(ConsoleBatchMs);
    connect(&m_consoleTimer, &QTimer::timeout, this, &TransferRunner::flushConsole);
}

TransferRunner::~TransferRunner() = default;

void TransferRunner::registerBranches()
{
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    dispatcher->setBranchHandler(Protocol::Answer::FirmwareReady,
                                 [this](ReplyDispatcher::BranchCall &call) { return onFirmwareReady(call); });
    dispatcher->setBranchHandler(Protocol::Answer::EdidReady,
                                 [this](ReplyDispatcher::BranchCall &call) { return onEdidReady(call); });
    dispatcher->setBranchHandler(Protocol::Answer::EdidStored,
                                 [this](ReplyDispatcher::BranchCall &call) { return onEdidStored(call); });
}

void TransferRunner::armFirmware(const FirmwareImage &image)
{
    m_firmwareImage = image;
    m_firmwareArmedAt = image.isNull() ? -1 : now();
}

void TransferRunner::armEdid(const QByteArray &data, const QString &slot)
{
    m_edidData = data;
    m_edidSlot = slot;
    m_edidArmedAt = data.isEmpty() ? -1 : now();
}

bool TransferRunner::armed(Kind kind) const
{
    const qint64 at = kind == Kind::Firmware ? m_firmwareArmedAt : m_edidArmedAt;
    return at >= 0 && now() - at <= armValidMs;
}

void TransferRunner::lockButton(QPushButton *button, int ms)
{
    const QString name = button->objectName();
    // Only the latest lock frees the button: an earlier press's timer must
    // not end a later lock early.
    const int lock = button->property("transferLock").toInt() + 1;
    button->setProperty("transferLock", lock);
    button->setEnabled(false);
    button->setStyleSheet(buttonStyle(name, true));
    QPointer<QPushButton> guard(button);
    QTimer::singleShot(ms, button, [guard, name, lock] {
        if (!guard || guard->property("transferLock").toInt() != lock)
            return;
        guard->setStyleSheet(buttonStyle(name, false));
        guard->setEnabled(true);
    });
}

QString TransferRunner::problemText(Problem problem, Kind kind)
{
    switch (problem) {
    case Problem::None:
        return QString();
    case Problem::NoPath:
        return kind == Kind::Edid ? tr("请导入EDID文件！") : tr("请选择升级文件");
    case Problem::Missing:
        return tr("升级文件不存在！");
    case Problem::Unreadable:
        return tr("文件读取失败！");
    case Problem::Empty:
        return tr("文件内容为空！");
    case Problem::BadTrailer:
        return tr("文件校验失败！");
    case Problem::EmptyPayload:
        return tr("升级文件内容为空！");
    }
    return QString();
}

ReplyDispatcher::Flow TransferRunner::onFirmwareReady(ReplyDispatcher::BranchCall &call)
{
    // Only the upgrade button's own announcement, with a checked file, starts
    // a transfer: a typed or stray ready answer would stream nothing sensible.
    if (running() || !armed(Kind::Firmware)) {
        qInfo() << "device ready for a firmware file, but none was announced: ignored";
        return ReplyDispatcher::Flow::Continue;
    }
    m_firmwareArmedAt = -1;
    // The device restarts after a new image: the heartbeat's longer first
    // interval stands.
    call.heartbeatRestarted = true;
    return run(Kind::Firmware) ? ReplyDispatcher::Flow::Continue : ReplyDispatcher::Flow::End;
}

ReplyDispatcher::Flow TransferRunner::onEdidReady(ReplyDispatcher::BranchCall &call)
{
    if (running() || !armed(Kind::Edid)) {
        qInfo() << "device ready for an EDID file, but none was announced: ignored";
        return ReplyDispatcher::Flow::Continue;
    }
    m_edidArmedAt = -1;
    call.heartbeatRestarted = true;
    return run(Kind::Edid) ? ReplyDispatcher::Flow::Continue : ReplyDispatcher::Flow::End;
}

ReplyDispatcher::Flow TransferRunner::onEdidStored(ReplyDispatcher::BranchCall &call)
{
    // A confirmation after the transfer gave up waiting for it.
    if (m_lateEdidSlot.isEmpty()) {
        qInfo() << "EDID confirmation without an upload waiting for it: ignored";
        return ReplyDispatcher::Flow::Continue;
    }
    const QString expected = m_lateEdidSlot;
    m_lateEdidSlot.clear();
    const QString confirmed = confirmedEdidSlot(call.work).value_or(QString());
    emit Send_TransferShown(Kind::Edid, false);
    if (confirmed != expected) {
        m_window->showToast(tr("设备确认的是EDID%1，不是所选的EDID%2！").arg(confirmed, expected),
                            QString::fromLatin1(Protocol::FailureStyle));
        m_window->heartbeatTimer->start(HeartbeatAfterMs);
        m_lastFigures.outcome = Outcome::WrongSlot;
        emit Send_TransferFinished(Kind::Edid, false);
        return ReplyDispatcher::Flow::End;
    }
    edidSucceeded(expected, m_lastFigures.elapsedMs);
    m_lastFigures.outcome = Outcome::Succeeded;
    emit Send_TransferFinished(Kind::Edid, true);
    return ReplyDispatcher::Flow::Continue;
}

bool TransferRunner::run(Kind kind)
{
    begin(kind);
    QPointer<TransferRunner> self(this);
    bool succeeded = false;
    {
        QEventLoop loop;
        connect(this, &TransferRunner::Send_TransferFinished, &loop,
                [&loop, &succeeded](Kind, bool ok) {
                    succeeded = ok;
                    loop.quit();
                });
        pump();
        if (running())
            loop.exec();
    }
    return self && succeeded;
}

void TransferRunner::begin(Kind kind)
{
    m_window->heartbeatTimer->stop();
    m_window->transferRunning = true;
    m_window->receiveSuspended = true;
    m_window->replyBuffer.clear();
    m_device = m_window->currentDevice();
    m_port->kind = kind;
    m_lateEdidSlot.clear();
    m_readDue = false;
    m_linkLost = false;
    if (m_device) {
        if (pacing == Pacing::WakeOnData) {
            connect(m_device, &QIODevice::readyRead, this, [this] {
                m_readDue = true;
                pump();
            });
        }
        connect(m_device, &QIODevice::bytesWritten, this, &TransferRunner::pump);
    }
    DeviceLink *link = m_window->deviceLink();
    auto lost = [this] {
        m_linkLost = true;
        pump();
    };
    connect(link, &DeviceLink::Send_TcpDisconnected, this, lost);
    connect(link, &DeviceLink::Send_SerialLost, this, lost);
    if (pacing == Pacing::FixedPoll)
        m_poll.setInterval(firmwareTiming.pollMs);

    if (kind == Kind::Firmware) {
        m_firmware = std::make_unique<FirmwareTransfer>(*m_port, m_firmwareImage, firmwareTiming);
        m_firmware->start(now());
    } else {
        const int baud = m_window->connectionType == DeviceLink::SerialConnection ? link->baudRate() : 0;
        m_edid = std::make_unique<EdidTransfer>(*m_port, m_edidData, m_edidSlot, baud, edidTiming);
        m_edid->start(now());
    }
    qDebug() << (kind == Kind::Firmware ? "firmware" : "EDID") << "transfer starts";
}

void TransferRunner::pump()
{
    // A write may report itself (bytes written, a lost link) before it
    // returns: the machines are never entered twice, the event is taken on
    // the next turn of this loop instead.
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        if (!running())
            break;
        if (m_linkLost) {
            m_linkLost = false;
            if (m_firmware)
                m_firmware->linkLost(now());
            if (m_edid)
                m_edid->linkLost(now());
        }
        if (m_readDue) {
            m_readDue = false;
            readLink();
        }
        if (m_edid)
            m_edid->written(now());
        step();
    } while (m_pumpAgain);
    m_pumping = false;
}

void TransferRunner::readLink()
{
    if (!m_device)
        return;
    const QByteArray bytes = m_device->readAll();
    if (bytes.isEmpty())
        return;
    const QString text = m_window->deviceLink()->decodeChunk(bytes);
    if (m_firmware)
        m_firmware->received(text, now());
    if (m_edid)
        m_edid->received(text, now());
}

void TransferRunner::step()
{
    if (m_firmware) {
        m_firmware->tick(now());
        if (m_firmware->finished()) {
            reportFirmware(*m_firmware);
            return;
        }
        // The progress appears once the device had its second to get ready.
        // No waiting overlay: it would hide the very bar the operator
        // watches, and the sender refuses every request meanwhile anyway.
        if (m_firmware->phase() != FirmwareTransfer::Phase::Preparing && !m_shown) {
            m_shown = true;
            emit Send_TransferShown(Kind::Firmware, true);
        }
    } else if (m_edid) {
        m_edid->tick(now());
        if (m_edid->finished()) {
            reportEdid(*m_edid);
            return;
        }
        if (m_edid->phase() != EdidTransfer::Phase::Preparing && !m_shown) {
            m_shown = true;
            emit Send_TransferShown(Kind::Edid, true);
        }
    } else {
        return;
    }
    schedule();
}

void TransferRunner::schedule()
{
    const qint64 due = m_firmware ? m_firmware->nextDueMs() : m_edid ? m_edid->nextDueMs() : -1;
    if (due < 0) {
        m_due.stop();
        return;
    }
    m_due.start(int(qBound<qint64>(0, due - now(), 24 * 3600 * 1000)));
}

void TransferRunner::queueConsole(int kind, const QString &message)
{
    m_console.append({kind, message, QDateTime::currentMSecsSinceEpoch()});
    if (!m_consoleTimer.isActive())
        m_consoleTimer.start();
}

void TransferRunner::flushConsole()
{
    m_consoleTimer.stop();
    if (m_console.isEmpty())
        return;
    QVector<MainWindow::ConsoleMessage> batch;
    batch.swap(m_console);
    m_window->appendConsoleBatch(batch);
}

void TransferRunner::finishCommon(Kind kind)
{
    m_due.stop();
    m_poll.stop();
    if (m_device)
        disconnect(m_device, nullptr, this, nullptr);
    disconnect(m_window->deviceLink(), nullptr, this, nullptr);
    m_shown = false;
    m_window->transferRunning = false;
    m_window->receiveSuspended = false;
    emit Send_TransferShown(kind, false);
    emit Send_TransferProgress(kind, 0);
}

void TransferRunner::reportFirmware(const FirmwareTransfer &transfer)
{
    const bool ok = transfer.outcome() == Outcome::Succeeded;
    m_lastFigures = {Kind::Firmware, transfer.outcome(), transfer.total(), transfer.streamingMs(),
                     transfer.elapsedMs()};
    finishCommon(Kind::Firmware);
    if (ok) {
        // The payload is not needed again: the next upgrade reads its file anew.
        m_firmwareImage = FirmwareImage();
        m_window->showToast(tr("固件升级成功,设备正在重启！"), QString::fromLatin1(Protocol::SuccessStyle));
        queueConsole(ConsoleSuccess, tr("固件升级所用时间: %1秒\n").arg(seconds(transfer.elapsedMs())));
    } else {
        qWarning() << "未收到升级包数返回，退出升级!" << int(transfer.outcome()) << "after" << transfer.sent()
                   << "of" << transfer.total() << "bytes";
        m_window->showToast(tr("升级失败，退出升级!"), QString::fromLatin1(Protocol::FailureStyle));
        queueConsole(ConsoleFailure, tr("\n升级失败，退出升级!"));
    }
    flushConsole();
    m_window->heartbeatTimer->start(HeartbeatAfterMs);
    m_firmware.reset();
    afterTransfer();
    emit Send_TransferFinished(Kind::Firmware, ok);
}

void TransferRunner::reportEdid(const EdidTransfer &transfer)
{
    const Outcome outcome = transfer.outcome();
    m_lastFigures = {Kind::Edid, outcome, transfer.total(), transfer.elapsedMs(), transfer.elapsedMs()};
    finishCommon(Kind::Edid);
    const QString slot = transfer.slot();
    const QString failure = QString::fromLatin1(Protocol::FailureStyle);
    switch (outcome) {
    case Outcome::Succeeded:
        edidSucceeded(slot, transfer.elapsedMs());
        break;
    case Outcome::Unconfirmed:
        // The device may still confirm; a late confirmation is reported then.
        m_lateEdidSlot = slot;
        m_window->showToast(tr("EDID%1上传后未收到设备确认！").arg(slot), failure);
        queueConsole(ConsoleFailure, tr("\nEDID%1上传后未收到设备确认！").arg(slot));
        break;
    case Outcome::WrongSlot:
        m_window->showToast(tr("设备确认的是EDID%1，不是所选的EDID%2！").arg(transfer.confirmedSlot(), slot), failure);
        queueConsole(ConsoleFailure,
                     tr("\n设备确认的是EDID%1，不是所选的EDID%2！").arg(transfer.confirmedSlot(), slot));
        break;
    default:
        m_window->showToast(tr("EDID%1上传失败！").arg(slot), failure);
        queueConsole(ConsoleFailure, tr("\nEDID%1上传失败！").arg(slot));
        break;
    }
    flushConsole();
    m_window->heartbeatTimer->start(HeartbeatAfterMs);
    m_edid.reset();
    afterTransfer();
    emit Send_TransferFinished(Kind::Edid, outcome == Outcome::Succeeded);
}

void TransferRunner::edidSucceeded(const QString &slot, qint64 elapsedMs)
{
    m_window->showToast(tr("EDID%1升级成功！").arg(slot), QString::fromLatin1(Protocol::SuccessStyle));
    queueConsole(ConsoleSuccess, tr("EDID%1升级所用时间: %2秒\n").arg(slot, seconds(elapsedMs)));
    flushConsole();
}

void TransferRunner::afterTransfer()
{
    // What the device sent after the transfer's own answers is the receiver's.
    if (m_device && m_device->bytesAvailable() > 0)
        QTimer::singleShot(0, m_window, &MainWindow::receiveData);
}
