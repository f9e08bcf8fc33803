#include "login/connection_settings.h"
#include "ui_connection_settings.h"

#include "app/commonlyused.h"
#include "login/login_interface.h"
#include "login/loginfiles.h"
#include "netmodule/discoverycodec.h"
#include "netmodule/modulesearch.h"
#include "netmodule/searchmodule.h"
#include "netmodule/udpcommunication.h"
#include "widgets/my_warning.h"
#include "widgets/titlebar.h"
#include "widgets/waiting_interface.h"

#include <QApplication>
#include <QDebug>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QParallelAnimationGroup>
#include <QPointer>
#include <QPropertyAnimation>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {

constexpr int TcpPage = 0;
constexpr int SerialPage = 1;
constexpr int BaudRates[] = {9600, 19200, 38400, 57600, 115200};

Connection_Settings::PortLister &portLister()
{
    static Connection_Settings::PortLister lister;
    return lister;
}

// The widest address the device and local address lists must show in full.
const QString WidestAddress = QStringLiteral("255.255.255.255");

// Width at which the combo's text field shows every sample and every item
// in full, measured in the combo's own (style-sheet) font and box.
int comboWidthFor(QComboBox *combo, QStringList samples)
{
    combo->ensurePolished();
    for (int i = 0; i < combo->count(); ++i)
        samples << combo->itemText(i);
    const QFontMetrics metrics = combo->fontMetrics();
    int textWidth = 0;
    for (const QString &sample : qAsConst(samples))
        textWidth = qMax(textWidth, metrics.horizontalAdvance(sample));
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    option.frame = combo->hasFrame();
    return combo->style()
        ->sizeFromContents(QStyle::CT_ComboBox, &option, QSize(textWidth, metrics.height()), combo)
        .width();
}

// Lays the dialog out for the texts of the current language: one label
// column for the mode row and both pages, address lists wide enough for any
// address, and the dialog as large as its contents need (never below its
// design size). It also covers the login dialog it opens over, whose edges
// and title bar would otherwise show around it.
void fitToContents(QDialog *dialog, Ui::Connection_Settings *ui)
{
    const QList<QLabel *> labels{ui->label_communication, ui->label_desIpAddress, ui->label_LocalIpAddress,
                                 ui->label_PassWord,      ui->label_UserName_2,   ui->label_PassWord_2};
    int labelWidth = 0;
    for (QLabel *label : labels) {
        label->ensurePolished();
        labelWidth = qMax(labelWidth, label->sizeHint().width());
    }
    for (QLabel *label : labels)
        label->setMinimumWidth(labelWidth);

    for (QComboBox *combo : {ui->comboBox_desIP, ui->comboBox_LocalIp})
        combo->setMinimumWidth(comboWidthFor(combo, {WidestAddress}));
    for (QComboBox *combo : {ui->comboBox, ui->comboBox_BaudRate})
        combo->setMinimumWidth(comboWidthFor(combo, {}));
    // A minimum width from the form would otherwise let the layout squeeze a
    // button below its text.
    for (QPushButton *button : {ui->pushButtonNetWorkSet, ui->pushButton_Login, ui->pushButton_Exit,
                                ui->pushButton_Login2, ui->pushButton_Exit1}) {
        button->ensurePolished();
        button->setMinimumWidth(qMax(button->minimumWidth(), button->sizeHint().width()));
    }

    // The widgets are not shown yet, so their new minimums have not reached
    // the layouts' cached sizes.
    const QList<QLayout *> layouts = dialog->findChildren<QLayout *>();
    for (QLayout *layout : layouts)
        layout->invalidate();
    dialog->layout()->activate();
    QSize size = dialog->minimumSizeHint().expandedTo(
        QSize(Connection_Settings::DialogWidth, Connection_Settings::DialogHeight));
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (qobject_cast<Login_Interface *>(window) && window->isVisible())
            size = size.expandedTo(window->size());
    }
    dialog->setFixedSize(size);
}

QList<LoginRules::PortDescription> systemPorts()
{
    QList<LoginRules::PortDescription> ports;
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : infos)
        ports.append({info.portName(), info.description()});
    return ports;
}

} // namespace

void Connection_Settings::setPortLister(PortLister lister)
{
    portLister() = std::move(lister);
}

Connection_Settings::Connection_Settings(QWidget *parent)
    : FBaseDialog(parent), ui(new Ui::Connection_Settings)
{
    ui->setupUi(this);
    setCornerRadius(CornerRadius);
    setWindowTitle(tr("连接设置"));
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));

    for (QComboBox *combo : {ui->comboBox, ui->comboBox_desIP, ui->comboBox_LocalIp,
                             ui->comboBox_SerialPort, ui->comboBox_BaudRate})
        combo->setItemDelegate(new QStyledItemDelegate(combo));

    ui->comboBox->clear();
    if (serialOnly()) {
        ui->comboBox->addItem(tr("COM口"));
        ui->stackedWidget->setCurrentIndex(SerialPage);
    } else {
        ui->comboBox->addItem(QStringLiteral("TCP/IP"));
        ui->comboBox->addItem(tr("COM口"));
        ui->stackedWidget->setCurrentIndex(TcpPage);
    }

    if (CommonlyUsed::getLanguageIndex() == 1) {
        ui->pushButton_Login->setMinimumWidth(EnglishConfirmWidth);
        ui->pushButton_Login2->setMinimumWidth(EnglishConfirmWidth);
        ui->pushButton_Exit->setMinimumWidth(EnglishCancelWidth);
        ui->pushButton_Exit1->setMinimumWidth(EnglishCancelWidth);
    }

    const QString iconFile = CommonlyUsed::applicationDir() + QStringLiteral("/image/trayIcon.png");
    const bool customIcon = QFile::exists(iconFile);
    setWindowIcon(QIcon(customIcon ? iconFile : QStringLiteral("://image/trayIcon.ico")));

    m_titleBar = new TitleBar(this);
    m_titleBar->setButtons(TitleBar::CloseButton);
    // Only the height is fixed: the bar follows the dialog's width.
    m_titleBar->setFixedHeight(TitleBarHeight);
    m_titleBar->setTitleContent(tr("连接设置"));
    m_titleBar->setTitleIcon(QPixmap(customIcon ? iconFile : QStringLiteral("://image/trayIcon.png")));
    connect(m_titleBar, &TitleBar::send_close, this, [this] {
        m_refreshTimer->stop();
        closeProbePort();
        startCloseSequence();
    });

    m_warning = new My_Warning(this);
    m_warning->hide();
    m_waiting = new Waiting_Interface(this, true);
    m_waiting->hide();

    m_refreshTimer = new QTimer(this);
    connect(m_refreshTimer, &QTimer::timeout, this, &Connection_Settings::showValidPort);
    m_refreshTimer->start(RefreshMs);

    m_serialPort = new QSerialPort(this);
    ui->label_PassWord->hide();
    ui->lineEdit_Port->hide();
    fitToContents(this, ui);

    connect(UdpCommunication::getInstance(), &UdpCommunication::setReceiveData, this,
            &Connection_Settings::getReceiveData);
}

Connection_Settings::~Connection_Settings()
{
    closeProbePort();
    delete ui;
}

bool Connection_Settings::serialOnly() const
{
    return CommonlyUsed::ver_minor == 0;
}

void Connection_Settings::showToast(const QString &text, const QString &style)
{
    m_lastToastText = text;
    qDebug() << "Connection toast:" << text;
    m_warning->showMessage(text, style);
}

void Connection_Settings::Get_SetDefaults(QString Portname, QString MyBaud_Rate, QString MyIP, QString MyPort)
{
    ui->comboBox_BaudRate->setCurrentText(QStringLiteral("115200"));
    if (serialOnly()) {
        ui->comboBox->setCurrentIndex(0);
        showSerialPage();
    } else {
        ui->comboBox_desIP->setCurrentText(MyIP);
        ui->comboBox_LocalIp->addItems(CommonlyUsed::Get_Local_IPv4_Addresses());
        ui->lineEdit_Port->setText(MyPort);
        ui->comboBox_SerialPort->setCurrentText(Portname);
        ui->comboBox_BaudRate->setCurrentText(MyBaud_Rate);

        const QString mode = LoginFiles::connectionTypeOrTcp();
        if (mode == QLatin1String("TCP")) {
            ui->comboBox->setCurrentIndex(TcpPage);
            showTcpPage();
            searchModules();
        } else if (mode == QLatin1String("SerialPort")) {
            ui->comboBox->setCurrentIndex(SerialPage);
            showSerialPage();
        } else {
            ui->comboBox->setCurrentIndex(TcpPage);
            showTcpPage();
        }
    }
    const QString savedBaud = LoginFiles::serialBaudRate();
    if (!savedBaud.isEmpty())
        ui->comboBox_BaudRate->setCurrentText(savedBaud);
}

void Connection_Settings::showTcpPage()
{
    ui->stackedWidget->setCurrentIndex(TcpPage);
}

void Connection_Settings::showSerialPage()
{
    ui->stackedWidget->setCurrentIndex(SerialPage);
}

void Connection_Settings::searchModules()
{
    ui->comboBox_desIP->clear();
    // A channel that is not bound to the chosen address never sees the
    // modules' answers, so the search is not even tried.
    if (!ModuleSearch::bindChannel(ui->comboBox_LocalIp->currentText())
        || !ModuleSearch::sendSearchRequest()) {
        showToast(tr("数据接收失败!"), My_Warning::failureStyle());
    }
}

void Connection_Settings::getReceiveData(QString receiveData)
{
    const DiscoveryReply reply = DiscoveryCodec::decodeReplyHex(receiveData);
    if (!reply.valid) {
        // An empty entry would be chosen as device address and count as a duplicate.
        qWarning().noquote() << QStringLiteral("module reply without address ignored: %1").arg(receiveData);
        return;
    }
    qInfo().noquote() << QStringLiteral("module found: IP %1 MAC %2 name %3 version %4")
                             .arg(reply.ip, reply.macText(), reply.name, reply.versionText());
    ui->comboBox_desIP->addItem(reply.ip);
}

void Connection_Settings::on_comboBox_activated(int index)
{
    if (!serialOnly() && index == TcpPage) {
        showTcpPage();
        searchModules();
        return;
    }
    showSerialPage();
    if (!m_baudDetectedOnce && ui->comboBox_SerialPort->count() > 0) {
        InitBaudRateData();
        m_baudDetectedOnce = true;
    }
}

void Connection_Settings::on_comboBox_SerialPort_activated(const QString &arg1)
{
    if (arg1.isEmpty())
        return;
    if (!serialOnly() && ui->comboBox->currentIndex() != SerialPage)
        return;
    InitBaudRateData();
}

void Connection_Settings::showValidPort()
{
    const QString current = ui->comboBox_SerialPort->currentText();
    ui->comboBox_SerialPort->setToolTip(current);
    ui->comboBox_SerialPort->setToolTipDuration(ToolTipMs);

    const QList<LoginRules::PortDescription> ports = portLister() ? portLister()() : systemPorts();
    if (ports.isEmpty()) {
        ui->comboBox_SerialPort->clear();
        return;
    }
    const QStringList entries = LoginRules::portEntries(ports);
    if (ui->comboBox_SerialPort->count() > 0) {
        QStringList shown;
        for (int i = 0; i < ui->comboBox_SerialPort->count(); ++i)
            shown << ui->comboBox_SerialPort->itemText(i);
        if (shown == entries)
            return;
        ui->comboBox_SerialPort->clear();
    }
    ui->comboBox_SerialPort->addItems(entries);
    ui->comboBox_SerialPort->setCurrentText(current);
}

void Connection_Settings::closeProbePort()
{
    if (m_serialPort && m_serialPort->isOpen()) {
        m_serialPort->clear(QSerialPort::AllDirections);
        m_serialPort->close();
    }
}

bool Connection_Settings::openProbePort()
{
    m_portName = LoginRules::portNameOf(ui->comboBox_SerialPort->currentText());
    closeProbePort();
    m_serialPort->setPortName(m_portName);
    if (!m_serialPort->open(QIODevice::ReadWrite)) {
        qDebug().noquote() << QStringLiteral("串口打开失败！") << m_portName << m_serialPort->errorString();
        return false;
    }
    return true;
}

void Connection_Settings::applyPortSettings(int baudRate)
{
    m_serialPort->setBaudRate(baudRate, QSerialPort::AllDirections);
    m_serialPort->setDataBits(QSerialPort::Data8);
    m_serialPort->setParity(QSerialPort::NoParity);
    m_serialPort->setStopBits(QSerialPort::OneStop);
    m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
}

bool Connection_Settings::InitBaudRateData()
{
    if (ui->comboBox_SerialPort->count() == 0 || ui->comboBox_SerialPort->currentText().isEmpty())
        return false;
    if (!openProbePort())
        return false;

    m_waiting->showOver(this);
    for (int i = 0; i < int(std::size(BaudRates)); ++i) {
        applyPortSettings(BaudRates[i]);
        if (sendInfo(QStringLiteral("(cer)"))) {
            m_waiting->hide();
            showToast(tr("波特率正确！"), My_Warning::successStyle());
            const int last = ui->comboBox_BaudRate->count() - 1;
            if (last >= 0 && ui->comboBox_BaudRate->itemText(last).isEmpty())
                ui->comboBox_BaudRate->removeItem(last);
            ui->comboBox_BaudRate->setCurrentIndex(i);
            return true;
        }
    }
    const int last = ui->comboBox_BaudRate->count() - 1;
    if (last < 0 || !ui->comboBox_BaudRate->itemText(last).isEmpty())
        ui->comboBox_BaudRate->addItem(QString());
    m_waiting->hide();
    showToast(tr("波特率错误！"), My_Warning::failureStyle());
    return false;
}

bool Connection_Settings::sendInfo(const QString &info)
{
    // Collected afresh for every probe: an answer left from the previous rate
    // must not make this one look right.
    QString collected;
    m_serialPort->write(info.toLatin1());
    for (int attempt = 0; attempt < ProbeAttempts; ++attempt) {
        CommonlyUsed::Delay_MSec(ProbeSliceMs);
        if (!m_serialPort->isOpen())
            return false;
        const QByteArray bytes = m_serialPort->readAll();
        if (!bytes.isEmpty()) {
            QString text = QString::fromLocal8Bit(bytes);
            text.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
            collected += text;
        }
        if (collected.contains(QLatin1String("Baudrate")))
            return true;
    }
    return false;
}

void Connection_Settings::Query_Baud_Rate()
{
    if (ui->comboBox_SerialPort->count() == 0 || ui->comboBox_SerialPort->currentText().isEmpty()) {
        showToast(tr("串口不能为空！"), My_Warning::failureStyle());
        return;
    }
    if (!openProbePort())
        return;
    bool ok = false;
    const int rate = ui->comboBox_BaudRate->currentText().toInt(&ok);
    if (ok && std::find(std::begin(BaudRates), std::end(BaudRates), rate) != std::end(BaudRates))
        m_serialPort->setBaudRate(rate, QSerialPort::AllDirections);
    m_serialPort->setDataBits(QSerialPort::Data8);
    m_serialPort->setParity(QSerialPort::NoParity);
    m_serialPort->setStopBits(QSerialPort::OneStop);
    m_serialPort->setFlowControl(QSerialPort::NoFlowControl);
}

void Connection_Settings::on_pushButton_Login2_clicked()
{
    m_refreshTimer->stop();
    if (ui->comboBox_SerialPort->count() == 0 || ui->comboBox_SerialPort->currentText().isEmpty()) {
        showToast(tr("串口不能为空！"), My_Warning::failureStyle());
        return;
    }
    m_portName = LoginRules::portNameOf(ui->comboBox_SerialPort->currentText());
    closeProbePort();
    emit Send_IsSerialPortConnection_Successful(m_portName, ui->comboBox_BaudRate->currentText());
    startCloseSequence();
}

void Connection_Settings::on_pushButton_Exit1_clicked()
{
    m_refreshTimer->stop();
    closeProbePort();
    startCloseSequence();
}

void Connection_Settings::on_pushButton_Login_clicked()
{
    QStringList devices;
    for (int i = 0; i < ui->comboBox_desIP->count(); ++i)
        devices << ui->comboBox_desIP->itemText(i);
    const QString deviceIp = ui->comboBox_desIP->currentText();
    const QString localIp = ui->comboBox_LocalIp->currentText();

    const LoginRules::TcpChoiceCheck check = LoginRules::checkTcpChoice(devices, deviceIp, localIp);
    if (check == LoginRules::TcpChoiceCheck::Duplicate) {
        showToast(tr("IP重复，请修改！"), My_Warning::failureStyle());
        return;
    }
    m_refreshTimer->stop();
    switch (check) {
    case LoginRules::TcpChoiceCheck::EmptyDevice:
        showToast(tr("请先搜索并选择目的IP地址！"), My_Warning::failureStyle());
        return;
    case LoginRules::TcpChoiceCheck::DifferentSegment:
        showToast(tr("请选择相同网段IP!"), My_Warning::failureStyle());
        return;
    default:
        break;
    }
    emit Send_IsTCPConnection_Successful(deviceIp, localIp, QString::number(TcpModulePort, 10));
    startCloseSequence();
}

void Connection_Settings::on_pushButton_Exit_clicked()
{
    m_refreshTimer->stop();
    startCloseSequence();
}

void Connection_Settings::on_pushButtonNetWorkSet_clicked()
{
    UdpCommunication *channel = UdpCommunication::getInstance();
    disconnect(channel, &UdpCommunication::setReceiveData, this, &Connection_Settings::getReceiveData);
    QPointer<SearchModule> search = new SearchModule(this);
    if (!ModuleSearch::bindChannel(ui->comboBox_LocalIp->currentText()))
        qWarning() << "Connection settings: cannot bind the UDP channel to" << ui->comboBox_LocalIp->currentText();
    search->exec();
    connect(channel, &UdpCommunication::setReceiveData, this, &Connection_Settings::getReceiveData,
            Qt::UniqueConnection);
    // Module addresses may have changed in the search dialog.
    searchModules();
    delete search;
}

void Connection_Settings::startCloseSequence()
{
    if (m_closing)
        return;
    m_closing = true;
    m_animationIdle = false;
    const QRect from = geometry();
    const QRect to(from.x(), from.y() + from.height() / 2, from.width(), 1);
    setMinimumSize(1, 1);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    auto *collapse = new QPropertyAnimation(this, "geometry");
    collapse->setDuration(CloseAnimationMs);
    collapse->setStartValue(from);
    collapse->setEndValue(to);
    auto *fade = new QPropertyAnimation(this, "windowOpacity");
    fade->setDuration(CloseAnimationMs);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    auto *group = new QParallelAnimationGroup(this);
    group->addAnimation(collapse);
    group->addAnimation(fade);
    connect(group, &QParallelAnimationGroup::finished, this, &Connection_Settings::finishCloseSequence);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void Connection_Settings::finishCloseSequence()
{
    UdpCommunication::getInstance()->udpClose();
    m_animationIdle = true;
    m_refreshTimer->stop();
    close();
}

void Connection_Settings::keyPressEvent(QKeyEvent *event)
{
    const bool serialPage = ui->stackedWidget->currentIndex() == SerialPage;
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        if (serialPage)
            on_pushButton_Login2_clicked();
        else
            on_pushButton_Login_clicked();
        return;
    case Qt::Key_Escape:
        m_refreshTimer->stop();
        if (serialPage)
            on_pushButton_Exit1_clicked();
        else
            on_pushButton_Exit_clicked();
        return;
    default:
        FBaseDialog::keyPressEvent(event);
    }
}

