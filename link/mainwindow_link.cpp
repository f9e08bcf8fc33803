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

// "ch", "in", "out" in this order: the text holds a signal-status answer.
bool holdsSignalStatus(const QString &text)
{
    const int ch = text.indexOf(QLatin1String("ch"));
    const int in = ch < 0 ? -1 : text.indexOf(QLatin1String("in"), ch + 2);
    return in >= 0 && text.indexOf(QLatin1String("out"), in + 2) >= 0;
}
} // namespace

// Cuts the heartbeat's signal-status answer out of the received text and
// leaves every other answer of the same quiet period in place.
QString MainWindow::withoutHeartbeatAnswer(const QString &raw)
{
    static const QRegularExpression statusEnd(
        QStringLiteral("out[\\sYyNn]*[YyNn]\\s*\\r?\\n\\s*ok[ \\t]*(\\r\\n|\\n|\\r)?"));
    QString text = raw;
    int from = 0;
    for (;;) {
        const QRegularExpressionMatch m = statusEnd.match(text, from);
        if (!m.hasMatch())
            break;
        const int out = m.capturedStart();
        const int in = text.lastIndexOf(QLatin1String("in"), out - 1);
        const int ch = in < 0 ? -1 : text.lastIndexOf(QLatin1String("ch"), in - 1);
        if (ch < 0) {
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
    setStatus(tr(" 连接状态: 已连接（串口）"), GreenStatus, StatusLabelDelayMs);
    if (withToast == 1 && !factoryResetRunning)
        showToast(tr("串口连接成功！"), QString::fromLatin1(Protocol::SuccessStyle));
    linkOpen = 1;
    serialRetryCount = 0;
    serialLost = 0;
    reconnectTimer->stop();
    return true;
}

void MainWindow::Connect_TCP_Server()
{
    qDebug() << "TCP连接目标IP = " << deviceIp << "端口 = " << portNumber << "本地绑定IP = " << localIp;
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
    setStatus(tr(" 连接状态: 已连接（TCP）"), GreenStatus, StatusLabelDelayMs);
    showToast(tr("TCP连接成功！"), QString::fromLatin1(Protocol::SuccessStyle));
}

void MainWindow::sendData(QString info)
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
    if (!heartbeatPending)
        TextEdit_Message_Display(1, info);
    m_link->write(bytes);
    dataArrived = 0;
    qDebug() << "发送的数据 =" << info << bytes;
    QTimer::singleShot(LinkBusyClearMs, this, [this, token] { clearLinkBusy(token); });

    if (bytes.contains('(') && bytes.contains(')') && !transferRunning) {
        if (!waitUntil([this] { return dataArrived != 0; }, replyWaitMs)
            && replyReceived)
            showToast(tr("无数据返回！"), QString::fromLatin1(Protocol::FailureStyle));
    }
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
    if (!heartbeatPending)
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
    }
    // What came after the answer is the receiver's again.
    if (!receiveSuspended && currentDevice() && currentDevice()->bytesAvailable() > 0)
        QTimer::singleShot(0, this, &MainWindow::receiveData);

    switch (result) {
    case DeviceLink::ExchangeResult::Ok:
        qDebug() << "完整数据数据：" << answer;
        TextEdit_Message_Display(0, display);
        return true;
    case DeviceLink::ExchangeResult::WriteFailed:
        qWarning() << QStringLiteral("发送数据失败: %1").arg(m_link->lastError());
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
    qDebug() << "equipment_data = " << raw;
    if (!heartbeatPending) {
        TextEdit_Message_Display(0, raw);
    } else {
        replyReceived = true;
        heartbeatPending = false;
        TextEdit_Message_Display(0, withoutHeartbeatAnswer(raw));
    }

    if (Protocol::isErrorReply(raw)) {
        qDebug() << "指令错误！" << raw;
        linkBusy = false;
        return;
    }
    reply.remove(QLatin1Char(' '));
    qDebug() << "收到返回数据=" << reply;
    replyReceived = true;
    reply.remove(QStringLiteral("\r\n"));
    lastReply = reply;
    if (!reply.isEmpty() || !raw.isEmpty())
        dispatchReply(reply, raw);
    if (autoScroll)
        scrollConsoleToEnd();
    linkBusy = false;
}

void MainWindow::onDeviceConnect()
{
    if (transferRunning || linkBusy || fileDialogOpen)
        return;
    replyReceived = false;
    heartbeatPending = true;
    QTimer::singleShot(heartbeatCheckDelayMs, this, &MainWindow::onHeartbeatChecked);
    sendData(QString::fromLatin1(Protocol::Command::InfoLink));
}

void MainWindow::onHeartbeatChecked()
{
    if (!replyReceived) {
        restoreRefreshCount = 0;
        // A lost answer must not hide every later command from the console.
        heartbeatPending = false;
        if (lossNoticeCount < 1) {
            ++lossNoticeCount;
            if (!errorDialogShown)
                showLinkError(tr("设备连接中断！"), ErrorDialogCloseMs);
        }
        if (connectionType == DeviceLink::TcpConnection)
            Connect_TCP_Server();
        else if (connectionType == DeviceLink::SerialConnection)
            setStatus(tr(" 连接状态: 已断开（串口）"), RedStatus);
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
    setStatus(connectionType == DeviceLink::TcpConnection ? tr(" 连接状态: 已连接（TCP）")
                                                          : tr(" 连接状态: 已连接（串口）"),
              GreenStatus);
    showWaitingOverlay(false);
}

void MainWindow::restorePageAfterLoss()
{
    ++restoreQueryCount;
    showWaitingOverlay(true);
    QString answer;
    switch (currentPage) {
    case 0:
        if (sendDataDevice(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
            emit Send_SwitchStatus(answer);
        break;
    case 3:
        if (sendDataDevice(QString::fromLatin1(Protocol::Command::GetSplicerPosition), answer))
            Data_Processing(answer);
        answer.clear();
        if (sendDataDevice(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
            emit Send_SwitchStatus(answer);
        break;
    case 6:
        if (ui->stackedWidget_SystemSettings->currentIndex() == 4
            && sendDataDevice(QString::fromLatin1(Protocol::Command::InfoDevice), answer))
            Data_Processing(answer);
        break;
    case 7:
        if (sendDataDevice(Protocol::build(Protocol::Command::GetOutputResolution, {0}), answer))
            Data_Processing(answer);
        break;
    default:
        break;
    }
    if (restoreQueryHook)
        restoreQueryHook(currentPage);
    answer.clear();
    if (sendDataDevice(Protocol::build(Protocol::Command::SceneStatus, {0}), answer)
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
    connect(m_link, &DeviceLink::Send_ReconnectDue, this, [this] {
        if (connectionType == DeviceLink::SerialConnection)
            Open_Serial_Port(1);
    });
    // The receiver goes through MainWindow's slot.
    m_link->setAutoRead(false);
    connect(serialPort, &QIODevice::readyRead, this, &MainWindow::receiveData);
    connect(tcpSocket, &QIODevice::readyRead, this, &MainWindow::receiveData);
}
