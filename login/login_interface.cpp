#include "login/login_interface.h"
#include "ui_login_interface.h"

#include "app/commonlyused.h"
#include "app/platform.h"
#include "login/connection_settings.h"
#include "login/loginfiles.h"
#include "widgets/my_warning.h"
#include "widgets/titlebar.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QPropertyAnimation>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSerialPort>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTcpSocket>
#include <QTimer>

namespace {
QMutex s_instanceMutex;
QPointer<Login_Interface> s_instance;

const QString kRedStyle = QStringLiteral("background-color: rgb(204, 0, 0);");
} // namespace

Login_Interface *Login_Interface::getInstance()
{
    if (s_instance.isNull()) {
        QMutexLocker locker(&s_instanceMutex);
        if (s_instance.isNull())
            s_instance = new Login_Interface();
    }
    return s_instance.data();
}

Login_Interface::Login_Interface(QWidget *parent)
    : FBaseDialog(parent), ui(new Ui::Login_Interface)
{
    ui->setupUi(this);
    setCornerRadius(CornerRadius);
    initData();
}

Login_Interface::~Login_Interface()
{
    if (m_testPort && m_testPort->isOpen())
        m_testPort->close();
    delete ui;
}

void Login_Interface::initData()
{
    LanguageSwitch();
    initFilesAndWidgets();

    m_titleBar = new TitleBar(this);
    m_titleBar->setButtons(TitleBar::MinButton | TitleBar::CloseButton);
    m_titleBar->setTitleContent(tr("用户登录"));
    m_titleBar->setTitleIcon(windowIcon().pixmap(TitleBar::IconSize, TitleBar::IconSize));
    connect(m_titleBar, &TitleBar::send_close, this, [this] { on_pushButton_Exit_clicked(); });

    m_warning = new My_Warning(this);
    m_warning->hide();

    initDeviceTypes();
}

void Login_Interface::initFilesAndWidgets()
{
    CommonlyUsed::Load_stylesheet(this, QStringLiteral(":/QSS/QSS/Login.qss"));

    if (LoginFiles::createDefaultFiles()) {
        ui->lineEdit_UserName->setPlaceholderText(tr("默认账号: admin"));
        ui->lineEdit_PassWord->setPlaceholderText(tr("默认密码: 739204"));
    } else {
        ui->lineEdit_UserName->setPlaceholderText(tr("请输入用户名"));
        ui->lineEdit_PassWord->setPlaceholderText(tr("请输入密码"));
    }

    ui->lineEdit_PassWord->setValidator(
        new QRegularExpressionValidator(LoginRules::passwordExpression(), ui->lineEdit_PassWord));
    ui->lineEdit_PassWord->setAttribute(Qt::WA_InputMethodEnabled, false);

    const LoginFiles::Accounts accounts = LoginFiles::readAccounts();
    const LoginRules::StoredAccount remembered =
        accounts.accountType == QLatin1String("User") ? accounts.user : accounts.admin;
    if (accounts.accountType == QLatin1String("User") || accounts.accountType == QLatin1String("Admin")) {
        m_rememberedName = remembered.name;
        m_rememberedPassword = CommonlyUsed::Decode_Password(remembered.storedPassword);
    }

    const QString remember = LoginFiles::rememberPassword();
    if (remember == QLatin1String("1")) {
        ui->checkBox->setChecked(true);
        ui->lineEdit_UserName->setText(m_rememberedName);
        setPasswordText(m_rememberedPassword);
        m_reveal.setPrefilled(!m_rememberedPassword.isEmpty());
    } else if (remember == QLatin1String("0")) {
        setPasswordText(QString());
        ui->checkBox->setChecked(false);
    }

    m_testPort = new QSerialPort(this);
    m_testSocket = new QTcpSocket(this);
    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(RevealMs);
    connect(m_hideTimer, &QTimer::timeout, this, &Login_Interface::Hide_Password);

    const QString iconFile = CommonlyUsed::applicationDir() + QStringLiteral("/image/trayIcon.png");
    setWindowIcon(QIcon(QFile::exists(iconFile) ? iconFile : QStringLiteral("://image/trayIcon.ico")));

    // Come to the front once without staying above every other window.
    Platform::setTopmost(this, true);
    QTimer::singleShot(TopmostMs, this, [this] { Platform::setTopmost(this, false); });
}

void Login_Interface::initDeviceTypes()
{
    ui->DeviceTypeComboBox->setItemDelegate(new QStyledItemDelegate(ui->DeviceTypeComboBox));
    ui->DeviceTypeComboBox->clear();
    ui->DeviceTypeComboBox->addItems({QStringLiteral("Orvex"), QStringLiteral("Orvex-L"),
                                      QStringLiteral("Orvex-Q"), QStringLiteral("Orvex-T")});
    const int stored = LoginFiles::deviceTypeIndex();
    if (stored >= 0 && stored < ui->DeviceTypeComboBox->count()) {
        ui->DeviceTypeComboBox->setCurrentIndex(stored);
        CommonlyUsed::ver_minor = stored;
    }
}

void Login_Interface::LanguageSwitch()
{
    const Platform::LanguageChoice choice =
        Platform::languageForValue(LoginFiles::languageValue(), CommonlyUsed::ver_minor);
    if (choice.index == Platform::English) {
        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(EnglishFontPixelSize);
        QApplication::setFont(font);
        ui->pushButton_Connections_SettingUp->setMinimumWidth(EnglishSettingsButtonWidth);
    }
    Platform::applyLanguage(choice);
    ui->retranslateUi(this);
}

void Login_Interface::setPasswordText(const QString &text)
{
    m_settingPassword = true;
    ui->lineEdit_PassWord->setText(text);
    m_settingPassword = false;
}

void Login_Interface::showToast(const QString &text, const QString &style)
{
    m_lastToastText = text;
    qDebug() << "Login toast:" << text;
    m_warning->showMessage(text, style);
}

void Login_Interface::showError(const QString &text)
{
    showToast(text, kRedStyle);
}

QString Login_Interface::getConnection_Mode()
{
    const QString mode = LoginFiles::connectionType();
    if (mode.isEmpty())
        showError(tr("请设置连接方式！"));
    return mode;
}

QString Login_Interface::getIP_Address() const { return LoginFiles::tcpDeviceIp(); }
QString Login_Interface::getLocalIPAddress() const { return LoginFiles::tcpLocalIp(); }
QString Login_Interface::getPort_Number() const { return LoginFiles::tcpPort(); }
QString Login_Interface::getPortname() const { return LoginFiles::serialPortName(); }
QString Login_Interface::getMyBaud_Rate() const { return LoginFiles::serialBaudRate(); }

void Login_Interface::on_DeviceTypeComboBox_activated(int index)
{
    CommonlyUsed::ver_minor = index;
    LoginFiles::setDeviceTypeIndex(index);
}

void Login_Interface::on_lineEdit_PassWord_textChanged(const QString &arg1)
{
    if (!m_reveal.textChanged(arg1, !m_settingPassword))
        return;
    ui->lineEdit_PassWord->setEchoMode(QLineEdit::Normal);
    m_hideTimer->start();
}

void Login_Interface::Hide_Password()
{
    m_hideTimer->stop();
    ui->lineEdit_PassWord->setEchoMode(QLineEdit::Password);
}

void Login_Interface::on_checkBox_clicked(bool checked)
{
    // Only the choice is recorded: filling in a stored password here would
    // hand the last account to anyone at the computer.
    LoginFiles::setRememberPassword(checked);
}

void Login_Interface::on_pushButton_Connections_SettingUp_clicked()
{
    auto *dialog = new Connection_Settings();
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setGeometry(x(), y(), dialog->width(), dialog->height());
    connect(this, &Login_Interface::Send_SetDefaults, dialog, &Connection_Settings::Get_SetDefaults,
            Qt::UniqueConnection);
    connect(dialog, &Connection_Settings::Send_IsSerialPortConnection_Successful, this,
            &Login_Interface::Get_IsSerialPortConnection_Successful, Qt::UniqueConnection);
    connect(dialog, &Connection_Settings::Send_IsTCPConnection_Successful, this,
            &Login_Interface::Get_IsTCPConnection_Successful, Qt::UniqueConnection);
    emit Send_SetDefaults(m_portName, m_baudRate, m_deviceIp, m_port);
    dialog->exec();
}

void Login_Interface::Get_IsSerialPortConnection_Successful(QString SerialPortname, QString Baud_Rate)
{
    m_portName = SerialPortname;
    m_baudRate = Baud_Rate;
    m_connectionMode = QStringLiteral("SerialPort");
    LoginFiles::setSerialChoice(SerialPortname, Baud_Rate);
}

void Login_Interface::Get_IsTCPConnection_Successful(QString IP, QString localIp, QString Port)
{
    m_deviceIp = IP;
    m_localIp = localIp;
    m_port = Port;
    m_connectionMode = QStringLiteral("TCP");
    LoginFiles::setTcpChoice(IP, localIp, Port);
}

bool Login_Interface::testSerialConnection()
{
    const QString name = getPortname();
    if (name.isEmpty()) {
        showError(tr("串口名为空！"));
        return false;
    }
    if (m_testPort->isOpen()) {
        m_testPort->clear(QSerialPort::AllDirections);
        m_testPort->close();
    }
    m_testPort->setPortName(name);
    if (!m_testPort->open(QIODevice::ReadWrite)) {
        qWarning() << "Login: serial port test failed" << name << m_testPort->errorString();
        showError(tr("串口打开失败(被占用)"));
        return false;
    }
    m_testPort->close();
    return true;
}

bool Login_Interface::testTcpConnection()
{
    // Leading zeros would be read as octal by QHostAddress.
    const QString deviceIp = CommonlyUsed::Plain_IP_Address(getIP_Address());
    const quint16 port = static_cast<quint16>(getPort_Number().toUInt(nullptr, 10));
    m_testSocket->abort();
    m_testSocket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // Leave through the interface the operator chose.
    const QString localIp = CommonlyUsed::Plain_IP_Address(getLocalIPAddress());
    if (!localIp.isEmpty() && !m_testSocket->bind(QHostAddress(localIp), 0))
        qWarning() << "Login: cannot bind the test socket to" << localIp << m_testSocket->errorString();
    m_testSocket->connectToHost(deviceIp, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    // The dialog stays live while a switched-off device is tried; a second
    // Login meanwhile is not taken.
    ui->pushButton_Login->setEnabled(false);
    const bool connected = CommonlyUsed::Wait_For_Connected(m_testSocket, TcpTestTimeoutMs);
    ui->pushButton_Login->setEnabled(true);
    if (!connected) {
        qWarning() << "Login: TCP test failed" << deviceIp << port << m_testSocket->errorString();
        m_testSocket->abort();
        showError(tr("连接板卡失败！"));
        return false;
    }
    m_testSocket->disconnectFromHost();
    m_testSocket->close();
    return true;
}

void Login_Interface::on_pushButton_Login_clicked()
{
    // Enter during a connection test's wait would start a second one.
    if (!ui->pushButton_Login->isEnabled())
        return;
    const QString mode = getConnection_Mode();
    if (mode == QLatin1String("SerialPort")) {
        if (testSerialConnection())
            checkAccount();
    } else if (mode == QLatin1String("TCP")) {
        if (testTcpConnection())
            checkAccount();
    }
}

void Login_Interface::checkAccount()
{
    const QString name = ui->lineEdit_UserName->text().trimmed();
    const QString password = ui->lineEdit_PassWord->text();
    const LoginFiles::Accounts accounts = LoginFiles::readAccounts();

    const LoginRules::LoginCheck check = LoginRules::checkLogin(name, password, accounts.admin, accounts.user);
    switch (check) {
    case LoginRules::LoginCheck::EmptyName:
        showError(tr("账号不能为空！"));
        return;
    case LoginRules::LoginCheck::EmptyPassword:
        showError(tr("密码不能为空！"));
        return;
    case LoginRules::LoginCheck::WrongName:
    case LoginRules::LoginCheck::WrongPassword:
    case LoginRules::LoginCheck::Ok:
        break;
    }
    // Otherwise every login fails as a wrong account name, which misleads.
    if (!accounts.readable) {
        showError(LoginFiles::accountsUnreadableText());
        return;
    }
    if (check == LoginRules::LoginCheck::WrongName) {
        showError(tr("输入账号错误！"));
        return;
    }
    if (check == LoginRules::LoginCheck::WrongPassword) {
        showError(tr("输入密码错误！"));
        return;
    }
    // The main window grants rights by the stored type: a stale one must not
    // stand for this login.
    if (!LoginFiles::setAccountType(LoginRules::accountTypeFor(name))) {
        qWarning() << "Login refused: account type not stored for" << name;
        showError(LoginFiles::accountsUnwritableText());
        return;
    }
    qInfo() << "Login accepted for" << name;
    accept();
}

void Login_Interface::on_pushButton_Exit_clicked()
{
    closeWithAnimation();
}

void Login_Interface::closeAnimationFinished()
{
    reject();
    QCoreApplication::exit(0);
}

void Login_Interface::startEntryAnimation()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int x = area.x() + (area.width() - width()) / 2;
    const QPoint from(x, area.top());
    const QPoint to(x, area.y() + (area.height() - height()) / 2);
    auto *animation = new QPropertyAnimation(this, "pos", this);
    animation->setDuration(EntryAnimationMs);
    animation->setStartValue(from);
    animation->setEndValue(to);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void Login_Interface::showEvent(QShowEvent *event)
{
    FBaseDialog::showEvent(event);
    if (!m_entryAnimated) {
        m_entryAnimated = true;
        startEntryAnimation();
    }
}

void Login_Interface::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Enter:
    case Qt::Key_Return:
        on_pushButton_Login_clicked();
        return;
    case Qt::Key_Escape:
        on_pushButton_Exit_clicked();
        return;
    default:
        FBaseDialog::keyPressEvent(event);
    }
}

