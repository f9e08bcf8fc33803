// MainWindow: the device link (open, send, receive, heartbeat, loss paths).
#include "mainwindow/mainwindow.h"

#include <QCoreApplication>
#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRegularExpression>
#include <QSerialPort>
#include <QStackedWidget>
#include <QTcpSocket>
#include <QTimer>

#include "app/commonlyused.h"
#include "app/logpreview.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "ui_mainwindow.h"

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace {
constexpr unsigned WmPowerBroadcast = 0x0218;
constexpr quintptr PbtApmSuspend = 4;
constexpr quintptr PbtApmResumeAutomatic = 18;

const QString RedStatus = QStringLiteral("font-size:18px; color: rgb(237,28,36);");
const QString GreenStatus = QStringLiteral("font-size:18px; color: rgb(85, 170, 0);");
// Open but not yet answered: neither the green of a proven link nor the red
// of a lost one (dark amber keeps 4.5:1 on the light status bar).
const QString AmberStatus = QStringLiteral("font-size:18px; color: rgb(180, 95, 0);");

// A signal-status answer with port counts the device can have.
bool holdsSignalStatus(const QString &text)
{
    const auto status = Protocol::findSignalStatus(text);
    return status && status->countsInRange();
}

} // namespace

// Cuts the heartbeat's signal-status answer out of the received text and
// leaves every other answer of the same quiet period in place.
QString MainWindow::withoutHeartbeatAnswer(const QString &raw)
{
    // Both values runs of Y/N, as the dispatcher recognises the answer.
    static const QRegularExpression status(QStringLiteral(
        "in\\s*[YyNn]+\\s*out\\s*[YyNn]+\\s*ok[ \\t]*(\\r\\n|\\n|\\r)?"));
    QString text = raw;
    int from = 0;
    for (;;) {
        const QRegularExpressionMatch m = status.match(text, from);
        if (!m.hasMatch())
            break;
        const int in = m.capturedStart();
        const int ch = in >= 2 ? text.lastIndexOf(QLatin1String("ch"), in - 2) : -1;
        if (ch < from) {
            from = m.capturedEnd();
            continue;
        }
        text.remove(ch, m.capturedEnd() - ch);
        from = ch;
    }
    return text;
}

QIODevice *MainWindow::currentDevice() const
{
    return m_link->currentDevice();
}

void MainWindow::setStatus(const QString &text, const QString &style, int delayMs)
{
    statusText = text;
    const quint64 serial = ++m_statusSerial;
    auto apply = [this, text, style, serial] {
        // A status set meanwhile wins; its text must not get this one's colour.
        if (serial != m_statusSerial)
            return;
        ui->label_statusBarData->setStyleSheet(style);
        ui->label_statusBarData->setText(text);
        emit Send_StatusShown(text);
    };
    if (delayMs > 0)
        QTimer::singleShot(delayMs, this, apply);
    else
        apply();
}

quint64 MainWindow::setLinkBusy()
{
    linkBusy = true;
    return ++m_linkBusyToken;
}

void MainWindow::clearLinkBusy(quint64 token)
{
    // Only the exchange that set the flag clears it.
    if (token == m_linkBusyToken)
        linkBusy = false;
}

bool MainWindow::waitUntil(const std::function<bool()> &done, int totalMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const qint64 left = totalMs - clock.elapsed();
        if (left <= 0)
            return false;
        QEventLoop loop;
        connect(m_link, &DeviceLink::Send_DataArrived, &loop, &QEventLoop::quit);
        connect(m_link, &DeviceLink::Send_ReplyComplete, &loop, &QEventLoop::quit,
                Qt::QueuedConnection);
        QTimer::singleShot(int(qMin<qint64>(left, WaitRecheckMs)), &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool MainWindow::sendAllowed(const QString &command)
{
    if (standby && !Protocol::allowedInStandby(command)) {
        showToast(tr("设备处于待机中!"), QString::fromLatin1(Protocol::FailureStyle));
        return false;
    }
    if (transferRunning) {
        showToast(tr("当前有数据正在下发！"), QString::fromLatin1(Protocol::FailureStyle));
        return false;
    }
    if (command == QLatin1String(Protocol::Command::WakeUp))
        wakePending = true;
    return true;
}

bool MainWindow::Open_Serial_Port(int withToast)
{
    m_wantedConnection = DeviceLink::SerialConnection;
    if (m_serialOpening)
        return false;
    m_serialOpening = true;
    qDebug() << "BaudRate = " << baudRate << "Port = " << portName;
    setStatus(tr(" 正在重新连接..."), RedStatus);
    if (serialReopenDelay)
        CommonlyUsed::Delay_MSec(serialReopenWaitMs);

    const bool opened = m_link->openSerial(portName, baudRate);
    m_serialOpening = false;
    if (!opened) {
        ++serialRetryCount;
        setStatus(tr(" 请求超时，连接失败！(重连次数: %1 )").arg(serialRetryCount), RedStatus);
        qDebug() << "串口打开失败！" << m_link->lastError();
        return false;
    }
    qDebug() << "串口打开成功";
    connectionType = DeviceLink::SerialConnection;
    showLinkOpened(DeviceLink::SerialConnection);
    if (withToast == 1 && !factoryResetRunning) {
        if (lossNoticeCount > 0)
            m_connectToastPending = true;
        else
            showToast(tr("串口连接成功！"), QString::fromLatin1(Protocol::SuccessStyle));
    }
    linkOpen = 1;
    serialRetryCount = 0;
    serialLost = 0;
    reconnectTimer->stop();
    return true;
}

void MainWindow::Connect_TCP_Server()
{
    m_wantedConnection = DeviceLink::TcpConnection;
    // One attempt at a time: the wait below lets timers and clicks run.
    if (m_link->connecting())
        return;
    qDebug() << "TCP连接目标IP = " << deviceIp << "端口 = " << portNumber << "本地绑定IP = " << localIp;
    m_linkConfirmed = false;
    setStatus(tr(" 正在重新连接..."), RedStatus);
    if (!m_link->connectTcp(deviceIp, localIp, quint16(portNumber.toUInt()))) {
        ++tcpRetryCount;
        setStatus(tr(" 请求超时，连接失败！(重连次数: %1 )").arg(tcpRetryCount), RedStatus);
        qWarning() << "TCP connect failed:" << m_link->lastError();
        return;
    }
    if (serialLost) {
        errorDialogShown = 0;
        hideLinkError();
        serialLost = 0;
    }
    connectionType = DeviceLink::TcpConnection;
    linkOpen = 1;
    tcpRetryCount = 0;
    reconnectTimer->stop();
    showLinkOpened(DeviceLink::TcpConnection);
    if (lossNoticeCount > 0)
        m_connectToastPending = true;
    else
        showToast(tr("TCP连接成功！"), QString::fromLatin1(Protocol::SuccessStyle));
}

void MainWindow::showLinkOpened(int type)
{
    m_linkConfirmed = false;
    const bool tcp = type == DeviceLink::TcpConnection;
    // Reopened after a loss and still silent: say so rather than "connected".
    if (lossNoticeCount > 0)
        setStatus(tcp ? tr(" 连接状态: 设备无应答（TCP）") : tr(" 连接状态: 设备无应答（串口）"), RedStatus,
                  StatusLabelDelayMs);
    else
        setStatus(tcp ? tr(" 连接状态: 等待设备应答（TCP）") : tr(" 连接状态: 等待设备应答（串口）"), AmberStatus,
                  StatusLabelDelayMs);
}

void MainWindow::confirmLink()
{
    if (m_linkConfirmed || !m_link->channelReady())
        return;
    m_linkConfirmed = true;
    const bool tcp = connectionType == DeviceLink::TcpConnection;
    setStatus(tcp ? tr(" 连接状态: 已连接（TCP）") : tr(" 连接状态: 已连接（串口）"), GreenStatus);
    if (m_connectToastPending) {
        m_connectToastPending = false;
        showToast(tcp ? tr("TCP连接成功！") : tr("串口连接成功！"), QString::fromLatin1(Protocol::SuccessStyle));
    }
}

void MainWindow::onTcpDisconnected()
{
    qWarning() << "TCP连接断开" << m_link->tcpSocket()->errorString();
    m_linkConfirmed = false;
    setStatus(tr(" 连接状态: 已断开（TCP）"), RedStatus);
}

void MainWindow::startHeartbeat()
{
    heartbeatTimer->start(HeartbeatStartMs);
}

void MainWindow::whenLinkFree(QObject *context, std::function<void()> work)
{
    runWhenLinkFree(context, std::move(work), m_linkClock.elapsed() + LinkFreeMaxWaitMs);
}

void MainWindow::runWhenLinkFree(QObject *context, std::function<void()> work, qint64 deadlineMs)
{
    // Free: no exchange reads the port, no request waits for its answer and
    // no heartbeat answer is due. A link that never comes free (a device
    // that chatters) does not hold the work back for ever.
    const bool free = !m_link->exchangeRunning() && !linkBusy && !heartbeatPending;
    if (free || m_linkClock.elapsed() >= deadlineMs) {
        work();
        return;
    }
    QTimer::singleShot(WaitRecheckMs, context,
                       [this, context, work, deadlineMs] { runWhenLinkFree(context, work, deadlineMs); });
}

void MainWindow::sendData(QString info)
{
    sendRequest(info, true);
}

void MainWindow::sendRequest(const QString &info, bool showInConsole)
{
    if (linkOpen != 1 || !currentDevice())
        return;
    if (!sendAllowed(info))
        return;
    // A reply still inside its quiet period belongs to the previous request.
    if (receiveTimer->isActive())
        onReciverTimerTimeOut();
    if (!m_link->exchangeRunning())
        receiveSuspended = false;
    const quint64 token = setLinkBusy();
    replyBuffer.clear();
    rawBuffer.clear();

    const QByteArray bytes = m_link->encode(info);
    if (showInConsole)
        TextEdit_Message_Display(1, info);
    const qint64 written = m_link->write(bytes);
    dataArrived = 0;
    m_replyOutstanding = written > 0;
    qDebug() << "发送的数据 =" << LogPreview::cut(info) << (written < 0 ? "(not written: link not ready)" : "");
    releaseLinkBusyWhenAnswered(token, m_linkClock.elapsed(), LinkBusyClearMs);

    if (written > 0 && bytes.contains('(') && bytes.contains(')') && !transferRunning) {
        const bool answered = waitUntil([this] { return dataArrived != 0 || !m_link->channelReady(); }, replyWaitMs);
        if (!answered && replyReceived && m_link->channelReady())
            showToast(tr("无数据返回！"), QString::fromLatin1(Protocol::FailureStyle));
    }
}

void MainWindow::releaseLinkBusyWhenAnswered(quint64 token, qint64 sentAtMs, int delayMs)
{
    QTimer::singleShot(delayMs, this, [this, token, sentAtMs] {
        if (token != m_linkBusyToken || !linkBusy)
            return;
        // The heartbeat stays out until the reply to this request has been
        // handled, or its time is up (the reply wait plus one quiet period),
        // so the two answers are never taken for each other.
        const qint64 bound = ReplyWaitStepMs * ReplyWaitSteps + m_link->quietIntervalMs();
        const bool underWay = receiveTimer->isActive()
                              || (m_replyOutstanding && m_linkClock.elapsed() - sentAtMs < bound);
        if (underWay) {
            releaseLinkBusyWhenAnswered(token, sentAtMs, LinkBusyRecheckMs);
            return;
        }
        linkBusy = false;
    });
}

bool MainWindow::waitForPendingHeartbeat()
{
    // The heartbeat's answer must not be taken as this exchange's own.
    return waitUntil([this] { return !heartbeatPending; }, HeartbeatCheckMs);
}

bool MainWindow::sendDataDevice(const QString command, QString &answer)
{
    QString display;
    return sendDataDevice(command, answer, display);
}

bool MainWindow::sendDataDevice(const QString command, QString &answer, QString &display)
{
    if (m_link->exchangeRunning()) {
        qWarning() << "exchange refused while another waits for its answer:" << command;
        return false;
    }
    if (!sendAllowed(command))
        return false;
    if (heartbeatPending)
        waitForPendingHeartbeat();
    if (receiveTimer->isActive())
        onReciverTimerTimeOut();

    const quint64 token = setLinkBusy();
    replyBuffer.clear();
    rawBuffer.clear();
    const QByteArray bytes = m_link->encode(command);
    TextEdit_Message_Display(1, command);

    // Lets what is already queued run before the device is read (the fixed
    // 5 ms pause cost every exchange more than the device's own answer time).
    QCoreApplication::processEvents();
    QIODevice *device = currentDevice();
    if (!device || !device->isOpen()) {
        clearLinkBusy(token);
        return false;
    }
    qDebug() << "发送的数据为：" << bytes;
    const bool wasSuspended = receiveSuspended;
    receiveSuspended = true;
    const DeviceLink::ExchangeResult result = m_link->exchange(bytes, &answer, &display);
    receiveSuspended = wasSuspended;
    clearLinkBusy(token);
    if (!display.isEmpty()) {
        // Bytes read here prove the link as well as the heartbeat's answer.
        replyReceived = true;
        dataArrived = 1;
        confirmLink();
    }
    // What came after the answer is the receiver's again.
    if (!receiveSuspended && currentDevice() && currentDevice()->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &MainWindow::receiveData);

    switch (result) {
    case DeviceLink::ExchangeResult::Ok:
        qDebug() << "完整数据数据：" << LogPreview::cut(answer);
        TextEdit_Message_Display(0, display);
        return true;
    case DeviceLink::ExchangeResult::DeviceError:
        qDebug() << "指令错误！" << LogPreview::cut(display);
        TextEdit_Message_Display(0, display);
        return false;
    case DeviceLink::ExchangeResult::WriteFailed:
        qWarning() << QStringLiteral("发送数据失败: %1").arg(m_link->lastError());
        return false;
    case DeviceLink::ExchangeResult::ConnectionLost:
        qWarning() << "连接已断开，未接收到数据返回!" << m_link->lastError();
        return false;
    case DeviceLink::ExchangeResult::Timeout:
        qDebug() << "等待超时，未接收到数据返回!";
        return false;
    default:
        return false;
    }
}

void MainWindow::receiveData()
{
    if (receiveSuspended)
        return;
    linkBusy = true;
    m_link->readIncoming();
}

void MainWindow::onReciverTimerTimeOut()
{
    QString raw;
    QString reply;
    m_link->takeReply(&raw, &reply);
    if (raw.trimmed().isEmpty()) {
        // A stray line break is no reply: nothing to show, dispatch or count.
        if (!m_replyOutstanding)
            linkBusy = false;
        return;
    }
    qDebug() << "equipment_data = " << LogPreview::cut(raw);
    if (!heartbeatPending) {
        TextEdit_Message_Display(0, raw);
    } else {
        replyReceived = true;
        heartbeatPending = false;
        TextEdit_Message_Display(0, withoutHeartbeatAnswer(raw));
    }
    m_replyOutstanding = false;
    confirmLink();

    if (Protocol::isErrorReply(raw)) {
        qDebug() << "指令错误！" << LogPreview::cut(raw);
        linkBusy = false;
        return;
    }
    reply = DeviceLink::dispatchText(reply);
    qDebug() << "收到返回数据=" << LogPreview::cut(reply);
    replyReceived = true;
    lastReply = reply;
    dispatchReply(reply, raw);
    if (autoScroll)
        scrollConsoleToEnd();
    linkBusy = false;
}

void MainWindow::onDeviceConnect()
{
    // The first tick comes HeartbeatStartMs after the start; the rest follow
    // every HeartbeatPeriodMs.
    if (heartbeatTimer->isActive() && heartbeatTimer->interval() != HeartbeatPeriodMs)
        heartbeatTimer->setInterval(HeartbeatPeriodMs);
    sendHeartbeatNow();
}

void MainWindow::sendHeartbeatNow()
{
    if (transferRunning || fileDialogOpen || m_link->connecting())
        return;
    if (linkBusy || heartbeatPending) {
        // Skipping would leave a silent device unnoticed for another period.
        deferHeartbeat();
        return;
    }
    replyReceived = false;
    heartbeatPending = true;
    QTimer::singleShot(heartbeatCheckDelayMs, Qt::PreciseTimer, this, &MainWindow::onHeartbeatChecked);
    sendRequest(QString::fromLatin1(Protocol::Command::InfoLink), false);
}

void MainWindow::deferHeartbeat()
{
    if (m_heartbeatDeferred)
        return;
    m_heartbeatDeferred = true;
    QTimer::singleShot(HeartbeatRetryMs, this, [this] {
        m_heartbeatDeferred = false;
        // Closed meanwhile ("(close,heartbeat)", a transfer, closing): no send.
        if (heartbeatTimer->isActive())
            sendHeartbeatNow();
    });
}

void MainWindow::onHeartbeatChecked()
{
    if (!replyReceived) {
        restoreRefreshCount = 0;
        // A lost answer must not hide every later command from the console.
        heartbeatPending = false;
        m_linkConfirmed = false;
        if (lossNoticeCount < 1) {
            ++lossNoticeCount;
            if (!errorDialogShown)
                showLinkError(tr("设备连接中断！"), ErrorDialogCloseMs);
        }
        const int type = connectionType ? connectionType : m_wantedConnection;
        if (type == DeviceLink::TcpConnection) {
            setStatus(tr(" 连接状态: 设备无应答（TCP）"), RedStatus);
            Connect_TCP_Server();
        } else if (type == DeviceLink::SerialConnection) {
            setStatus(tr(" 连接状态: 已断开（串口）"), RedStatus);
            // A port that never opened (or closed under us) is retried.
            if (!serialPort->isOpen() && !reconnectTimer->isActive())
                reconnectTimer->start(reconnectIntervalMs);
        }
        resetLiveState();
        emit Send_LinkLost();
        return;
    }
    if (!holdsSignalStatus(lastReply) || lastReply.contains(QLatin1String("systemon")))
        return;

    lossNoticeCount = 0;
    errorDialogShown = 0;
    tcpRetryCount = 0;
    if (restoreRefreshCount == 0)
        restorePageAfterLoss();
    else if (restoreRefreshCount == 1)
        refreshPageAgain();
    if (restoreRefreshCount < 2)
        ++restoreRefreshCount;
    m_linkConfirmed = false;
    confirmLink();
    showWaitingOverlay(false);
}

void MainWindow::restorePageAfterLoss()
{
    ++restoreQueryCount;
    showWaitingOverlay(true);
    // A device that falls silent again ends the re-query at its first
    // unanswered request, so the next heartbeat is not held back.
    bool silent = false;
    auto ask = [this, &silent](const QString &request, QString &answer) {
        if (silent)
            return false;
        answer.clear();
        QString display;
        const bool ok = sendDataDevice(request, answer, display);
        silent = !ok && display.isEmpty();
        return ok;
    };
    QString answer;
    switch (currentPage) {
    case 0:
        if (ask(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
            emit Send_SwitchStatus(answer);
        break;
    case 3:
        if (ask(QString::fromLatin1(Protocol::Command::GetSplicerPosition), answer))
            Data_Processing(answer);
        if (ask(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
            emit Send_SwitchStatus(answer);
        break;
    case 6:
        if (ui->stackedWidget_SystemSettings->currentIndex() == 4
            && ask(QString::fromLatin1(Protocol::Command::InfoDevice), answer))
            Data_Processing(answer);
        break;
    case 7:
        if (ask(Protocol::build(Protocol::Command::GetOutputResolution, {0}), answer))
            Data_Processing(answer);
        break;
    default:
        break;
    }
    if (restoreQueryHook && !silent)
        restoreQueryHook(currentPage);
    if (ask(Protocol::build(Protocol::Command::SceneStatus, {0}), answer)
        && !answer.contains(QLatin1String("systemon")))
        emit Send_SceneStatus(answer);
    showWaitingOverlay(false);
}

void MainWindow::refreshPageAgain()
{
    if (currentPage == 6 && ui->stackedWidget_SystemSettings->currentIndex() == 4) {
        sendData(QString::fromLatin1(Protocol::Command::InfoDevice));
    } else if (currentPage == 0 || currentPage == 7) {
        QString answer;
        if (sendDataDevice(Protocol::build(Protocol::Command::GetInputResolution, {0}), answer))
            Data_Processing(answer);
    }
}

void MainWindow::onSerialPortLost(const QString &reason)
{
    qWarning() << "串口连接中断" << reason;
    if (!errorDialogShown)
        showLinkError(tr("串口连接中断，请检查串口连接！"), ErrorDialogCloseMs);
    serialLost = 1;
    serialReopenDelay = 1;
    linkOpen = 0;
    setStatus(tr(" 连接状态: 已断开（串口）"), RedStatus);
    reconnectTimer->start(reconnectIntervalMs);
}

bool MainWindow::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
#ifdef Q_OS_WIN
    if (eventType == "windows_generic_MSG") {
        const MSG *msg = static_cast<MSG *>(message);
        handlePowerMessage(msg->message, quintptr(msg->wParam));
    }
#endif
    // Never consumed: the rest of the application sees the message as well.
    return QMainWindow::nativeEvent(eventType, message, result);
}

void MainWindow::handlePowerMessage(unsigned message, quintptr event)
{
    if (message != WmPowerBroadcast)
        return;
    if (event == PbtApmSuspend) {
        qDebug() << "系统休眠中，最小化窗口！";
        showMinimized();
    } else if (event == PbtApmResumeAutomatic) {
        qDebug() << "系统已唤醒，恢复窗口！";
        showNormal();
    }
}

void MainWindow::setupLink()
{
    connect(m_link, &DeviceLink::Send_ReplyComplete, this, &MainWindow::onReciverTimerTimeOut);
    connect(m_link, &DeviceLink::Send_HeartbeatDue, this, &MainWindow::onDeviceConnect);
    connect(m_link, &DeviceLink::Send_SerialLost, this, &MainWindow::onSerialPortLost);
    connect(m_link, &DeviceLink::Send_DataArrived, this, [this] { dataArrived = 1; });
    connect(m_link, &DeviceLink::Send_TcpDisconnected, this, &MainWindow::onTcpDisconnected);
    connect(m_link, &DeviceLink::Send_ReconnectDue, this, [this] {
        if (connectionType == DeviceLink::SerialConnection || m_wantedConnection == DeviceLink::SerialConnection)
            Open_Serial_Port(1);
    });
    m_linkClock.start();
    // The receiver goes through MainWindow's slot.
    m_link->setAutoRead(false);
    connect(serialPort, &QIODevice::readyRead, this, &MainWindow::receiveData);
    connect(tcpSocket, &QIODevice::readyRead, this, &MainWindow::receiveData);
}
