#include "mainwindow/system/networksettingspage.h"
#include "ui_networksettingspage.h"

#include "app/commonlyused.h"
#include "app/logpreview.h"
#include "app/settingscatalogue.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "netmodule/netsettingscheck.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEvent>
#include <QLabel>
#include <QPointer>

namespace {

using Port = System::SerialPort;

// The heartbeat period the window runs with after a pause.
constexpr int HeartbeatRestartMs = MainWindow::HeartbeatPeriodMs;
// Between two "(cer)" tries when the first got an answer without the banner.
constexpr int ProbeRetryGapMs = 100;
constexpr char BannerKeyword[] = "Baudrate";

QString failureStyle()
{
    return QString::fromLatin1(Protocol::FailureStyle);
}

QString successStyle()
{
    return QString::fromLatin1(Protocol::SuccessStyle);
}

} // namespace

// What a rate change does to the window and its link.
class NetworkSettingsPage::Sink final : public BaudChange::Sink
{
public:
    explicit Sink(MainWindow *window)
        : m_window(window)
    {
    }

    void send(const QString &request) override { m_window->sendData(request); }

    bool serialLink() const override { return m_window->connectionType == DeviceLink::SerialConnection; }

    QString linkRate() const override { return m_window->baudRate; }

    bool reopenSerial(const QString &rate) override
    {
        m_window->baudRate = rate;
        return m_window->Open_Serial_Port(0);
    }

    bool probeBanner(int waitMs) override
    {
        // Through the window's exchange: it waits out a heartbeat answer that
        // is due, shows the request in the console and marks the link as
        // answered when the banner comes.
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            QString answer;
            QString display;
            m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::BaudBanner), answer, display);
            if (answer.contains(QLatin1String(BannerKeyword)))
                return true;
            // Something else came first (a stray answer of the old rate):
            // ask again while time is left.
            if (clock.elapsed() + ProbeRetryGapMs >= waitMs)
                return false;
            CommonlyUsed::Delay_MSec(ProbeRetryGapMs);
        }
    }

    void storeRate(const QString &rate) override
    {
        if (!SettingsCatalogue::write(SettingsCatalogue::Keys::BaudRate, rate))
            qWarning() << "the new baud rate could not be stored:" << rate;
    }

    void showWaiting(bool visible) override
    {
        // The heartbeat would take the quiet moments of the change (the line
        // reopened at another rate) for a lost device.
        if (visible) {
            m_heartbeatWasRunning = m_window->heartbeatTimer->isActive();
            m_window->heartbeatTimer->stop();
        } else if (m_heartbeatWasRunning) {
            m_heartbeatWasRunning = false;
            m_window->heartbeatTimer->start(HeartbeatRestartMs);
        }
        m_window->showWaitingOverlay(visible);
    }

private:
    MainWindow *m_window;
    bool m_heartbeatWasRunning = false;
};

NetworkSettingsPage::NetworkSettingsPage(MainWindow *window, QWidget *parent)
    : QWidget(parent)
    , m_window(window)
    , ui(new Ui::NetworkSettingsPage)
    , m_sink(std::make_unique<Sink>(window))
    , m_baud(std::make_unique<BaudChange>(*m_sink))
{
    ui->setupUi(this);
    ui->comboBox_Input_baudRate->addItems(System::baudRates());
    ui->comboBox_Output_baudRate->addItems(System::baudRates());
    // The device's factory rate until the device says otherwise.
    const QString factoryRate = QString::fromLatin1(SettingsCatalogue::Defaults::FactoryBaudRate);
    ui->comboBox_Input_baudRate->setCurrentText(factoryRate);
    ui->comboBox_Output_baudRate->setCurrentText(factoryRate);

    localAddressesHook = [] { return LocalAddress::current(); };
    connect(m_baud.get(), &BaudChange::finished, this, &NetworkSettingsPage::onBaudFinished);
    connect(m_baud.get(), &BaudChange::notConfirmed, this, &NetworkSettingsPage::onBaudNotConfirmed);
    registerBranches();
}

NetworkSettingsPage::~NetworkSettingsPage()
{
    delete ui;
}

void NetworkSettingsPage::registerBranches()
{
    using Flow = ReplyDispatcher::Flow;
    QPointer<NetworkSettingsPage> self(this);
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    dispatcher->setBranchHandler(Protocol::Answer::InputBaudRate, [self](ReplyDispatcher::BranchCall &call) {
        if (self)
            self->onBaudAnswer(Port::Input, call.work);
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::OutputBaudRate, [self](ReplyDispatcher::BranchCall &call) {
        if (self)
            self->onBaudAnswer(Port::Output, call.work);
        return Flow::Continue;
    });
}

// ---- RS-232 rates ------------------------------------------------------------

QComboBox *NetworkSettingsPage::selector(Port port) const
{
    return port == Port::Input ? ui->comboBox_Input_baudRate : ui->comboBox_Output_baudRate;
}

void NetworkSettingsPage::showRate(Port port, const QString &rate)
{
    QComboBox *box = selector(port);
    const int index = box->findText(rate);
    if (index >= 0)
        box->setCurrentIndex(index);
}

void NetworkSettingsPage::onBaudAnswer(Port port, const QString &work)
{
    const auto rate = System::parseBaudAnswer(work, port);
    if (!rate) {
        qDebug() << "baud answer without a known rate ignored:" << LogPreview::cut(work);
        return;
    }
    if (m_baud->onConfirmed(port, *rate)) {
        syncBaudFlags();
        return;
    }
    showRate(port, QString::number(*rate));
}

void NetworkSettingsPage::query(Port port)
{
    m_baud->clearPending(port);
    syncBaudFlags();
    m_window->sendData(QString::fromLatin1(
        port == Port::Input ? Protocol::Command::GetInputBaud : Protocol::Command::GetOutputBaud));
}

void NetworkSettingsPage::startChange(Port port)
{
    // One change at a time: the buttons return when it has ended.
    setBaudControlsEnabled(false);
    m_baud->start(port, selector(port)->currentText());
    syncBaudFlags();
    if (!m_baud->running())
        setBaudControlsEnabled(true);
}

void NetworkSettingsPage::on_pushButton_query_input_clicked()
{
    query(Port::Input);
}

void NetworkSettingsPage::on_pushButton_query_output_clicked()
{
    query(Port::Output);
}

void NetworkSettingsPage::on_pushButton_set_input_clicked()
{
    startChange(Port::Input);
}

void NetworkSettingsPage::on_pushButton_set_output_clicked()
{
    startChange(Port::Output);
}

void NetworkSettingsPage::onBaudFinished(Port port, BaudChange::Outcome outcome, const QString &rate)
{
    syncBaudFlags();
    setBaudControlsEnabled(true);
    switch (outcome) {
    case BaudChange::Outcome::Confirmed:
        showRate(port, rate);
        m_window->showToast(
            port == Port::Input ? tr("输入波特率设置成功！") : tr("输出波特率设置成功！"), successStyle());
        break;
    case BaudChange::Outcome::FellBack:
        showRate(port, rate);
        m_window->showToast(tr("设备未在新波特率下应答，已恢复为 %1").arg(rate), failureStyle());
        break;
    case BaudChange::Outcome::LinkLost:
        showRate(port, rate);
        m_window->showToast(tr("设备在新旧波特率下均无应答，请检查连接！"), failureStyle());
        // The window's serial loss: disconnected status, and the reconnect
        // timer keeps trying at the previous rate.
        m_window->onSerialPortLost(
            QStringLiteral("no answer after a baud rate change, link back at %1").arg(rate));
        break;
    case BaudChange::Outcome::NotSent:
        qWarning() << "baud rate change not sent: no code for" << rate;
        break;
    }
}

void NetworkSettingsPage::onBaudNotConfirmed(Port port)
{
    Q_UNUSED(port)
    syncBaudFlags();
    setBaudControlsEnabled(true);
    m_window->showToast(tr("设备未确认波特率设置！"), failureStyle());
}

void NetworkSettingsPage::syncBaudFlags()
{
    m_window->inBaudSetting = m_baud->changing(Port::Input);
    m_window->outBaudSetting = m_baud->changing(Port::Output);
}

void NetworkSettingsPage::setBaudControlsEnabled(bool enabled)
{
    ui->pushButton_set_input->setEnabled(enabled);
    ui->pushButton_set_output->setEnabled(enabled);
}

// ---- sub-page ------------------------------------------------------------------

void NetworkSettingsPage::onShown()
{
    m_baud->clearAll();
    syncBaudFlags();
    m_window->netcfgSetting = false;
    // While the device cycles through scenes its unasked answers would mix
    // with these.
    if (m_window->pollingRunning)
        return;

    QString answer;
    if (m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetInputBaud), answer))
        m_window->Data_Processing(answer);
    answer.clear();
    if (m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetOutputBaud), answer))
        m_window->Data_Processing(answer);
    answer.clear();
    // Read here, not dispatched: the network branch would take it for the
    // confirmation of a change.
    if (m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetNetConfig), answer))
        fillNetworkFields(answer);
}

void NetworkSettingsPage::fillNetworkFields(const QString &answer)
{
    const auto network = System::parseNetworkAnswer(answer);
    if (!network) {
        qDebug() << "network answer not understood:" << LogPreview::cut(answer);
        return;
    }
    ui->lineEdit_IPAddress->setText(network->address);
    ui->lineEdit_SubnetMask->setText(network->mask);
    ui->lineEdit_DefaultGateway->setText(network->gateway);
}

// ---- network settings ----------------------------------------------------------

void NetworkSettingsPage::on_pushButton_Save_IP_settings_clicked()
{
    NetworkSettings settings;
    settings.ip = ui->lineEdit_IPAddress->text().trimmed();
    settings.mask = ui->lineEdit_SubnetMask->text().trimmed();
    settings.gateway = ui->lineEdit_DefaultGateway->text().trimmed();
    const QList<LocalAddress> local = localAddressesHook ? localAddressesHook() : LocalAddress::current();

    using Result = NetSettingsCheck::Result;
    QString refusal;
    switch (NetSettingsCheck::check(settings, local)) {
    case Result::Ok:
        sendNetworkSettings(settings);
        return;
    case Result::NotInLocalSegment:
        break;
    case Result::IpEmpty:
        refusal = tr("IP地址不能为空！");
        break;
    case Result::GatewayEmpty:
        refusal = tr("默认网关不能为空！");
        break;
    case Result::MaskEmpty:
        refusal = tr("子网掩码不能为空！");
        break;
    case Result::IpMalformed:
        refusal = tr("IP地址格式错误！");
        break;
    case Result::GatewayMalformed:
        refusal = tr("默认网关格式错误！");
        break;
    case Result::MaskMalformed:
        refusal = tr("子网掩码格式错误！");
        break;
    }
    if (!refusal.isEmpty()) {
        m_window->showToast(refusal, failureStyle());
        return;
    }

    // No address of this computer in the new network: the link may not
    // survive the change. The heartbeat stays out while the operator decides.
    m_window->heartbeatTimer->stop();
    m_window->askYesNo(
        tr("电脑中不包含该网段，修改后可能无法通信,是否确认修改?"), this, [this, settings](bool yes) {
            m_window->heartbeatTimer->start(HeartbeatRestartMs);
            if (!yes) {
                qDebug() << "取消修改网口参数!";
                return;
            }
            sendNetworkSettings(settings);
        });
}

void NetworkSettingsPage::sendNetworkSettings(const NetworkSettings &settings)
{
    // Plain decimal on the wire and in the fields: "010" would read as octal
    // to some stacks.
    const QString ip = CommonlyUsed::Normalize_IP_Address(settings.ip);
    const QString mask = CommonlyUsed::Normalize_IP_Address(settings.mask);
    const QString gateway = CommonlyUsed::Normalize_IP_Address(settings.gateway);
    ui->lineEdit_IPAddress->setText(ip);
    ui->lineEdit_SubnetMask->setText(mask);
    ui->lineEdit_DefaultGateway->setText(gateway);

    const QString request = Protocol::build(Protocol::Command::SetNetConfig, { ip, mask, gateway });
    // The flag marks the answer to this request only: set as it goes out,
    // cleared once its answer is handled or none came.
    m_window->netcfgSetting = true;
    QString answer;
    QString display;
    if (m_window->sendDataDevice(request, answer, display))
        m_window->Data_Processing(answer);
    else if (!display.isEmpty())
        m_window->showToast(tr("设备未接受网络设置！"), failureStyle());
    m_window->netcfgSetting = false;
}

void NetworkSettingsPage::alignLabelColumns()
{
    // The fields of both boxes start on one line, whatever the language.
    const QList<QLabel *> captions { ui->label_Input_baudRate, ui->label_Output_baudRate, ui->label_IPAddress,
        ui->label_SubnetMask, ui->label_DefaultGateway };
    int width = 0;
    for (QLabel *caption : captions) {
        caption->setMinimumWidth(0);
        width = qMax(width, caption->sizeHint().width());
    }
    for (QLabel *caption : captions)
        caption->setMinimumWidth(width);
}

void NetworkSettingsPage::showEvent(QShowEvent *event)
{
    // Measured once the style sheet has given the captions their font.
    alignLabelColumns();
    QWidget::showEvent(event);
}

void NetworkSettingsPage::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        alignLabelColumns();
    }
    QWidget::changeEvent(event);
}
