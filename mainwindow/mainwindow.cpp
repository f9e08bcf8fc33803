#include "mainwindow/mainwindow.h"

#include <QApplication>
#include <QCompleter>
#include <QDebug>
#include <QCloseEvent>
#include <QDesktopWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QMovie>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QScreen>
#include <QScrollArea>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include "app/commonlyused.h"
#include "app/labsettings.h"
#include "app/platform.h"
#include "app/settingscatalogue.h"
#include "app/singleinstance.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "mainwindow/edid/edidpage.h"
#include "mainwindow/system/firmwarepage.h"
#include "ui_mainwindow.h"
#include "widgets/information_tips.h"
#include "widgets/inquiry_tips.h"
#include "widgets/my_warning.h"
#include "widgets/titlebar.h"
#include "widgets/waiting_interface.h"

#include "login/usermanagement.h"

namespace {
constexpr int TitleBarMargin = 40;
constexpr int FadeInMs = 500;
constexpr int CloseGeometryMs = 600;
constexpr int CloseOpacityMs = 400;
constexpr int ClickEffectSize = 150;
constexpr int ClickEffectMs = 350;
constexpr char ThemeResource[] = ":/QSS/QSS/Login.qss";
constexpr char SubtitleMenuStyle[] =
    "QMenu {background-color:rgb(89,87,87);border: none;min-height: 30px;font-size: 16px;}"
    "QMenu::item {font-size: 16px; color: rgb(225,225,225); min-width: 80px; min-height: 30px;"
    "border: 1px solid #036D6D;background-color:#000000;padding:-2px 3px;margin:1px 2px;}"
    "QMenu::item:selected {background-color: #1EC69C;}"
    "QMenu::item:pressed {border: 1px solid #036D6D;background-color: #1EC69C;}"
    "QMenu::indicator {width: 18px;height: 18px;}";

// A file image/<name>.png below the application directory wins over the
// built-in icon of the same name.
QIcon iconFor(const QString &name)
{
    const QString file = CommonlyUsed::applicationDir() + QStringLiteral("/image/") + name + QStringLiteral(".png");
    if (QFile::exists(file))
        return QIcon(file);
    return QIcon(QStringLiteral("://image/") + name + QStringLiteral(".png"));
}
} // namespace

QMutex MainWindow::s_mutex;
MainWindow *MainWindow::s_instance = nullptr;

MainWindow *MainWindow::getInstance()
{
    if (!s_instance) {
        QMutexLocker lock(&s_mutex);
        if (!s_instance)
            s_instance = new MainWindow();
    }
    return s_instance;
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent),
      m_link(new DeviceLink(this)),
      m_sink(makeDispatchSink(*this)),
      m_dispatcher(new ReplyDispatcher(*m_sink, this)),
      rawBuffer(m_link->rawBuffer),
      replyBuffer(m_link->replyBuffer),
      lastChunk(m_link->lastChunk),
      receiveSuspended(m_link->receiveSuspended),
      standby(m_dispatcher->state().standby),
      wakePending(m_dispatcher->state().wakePending),
      factoryResetRunning(m_dispatcher->state().factoryResetRunning),
      modelApplied(m_dispatcher->state().modelApplied),
      ui(new Ui::MainWindow)
{
    // 1. Form, timers (held by the link).
    ui->setupUi(this);
    receiveTimer = m_link->receiveTimer();
    heartbeatTimer = m_link->heartbeatTimer();
    reconnectTimer = m_link->reconnectTimer();

    // 2. Title and frame.
    setWindowTitle(tr("Trivane"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
    ui->verticalLayout_central->setContentsMargins(0, TitleBarMargin, 0, 0);
    m_titleBar = new TitleBar(this);
    m_titleBar->setTitleContent(windowTitle());
    m_titleBar->setResizable(true);
    m_titleBar->setDoubleClickMaximize(true);
    connect(m_titleBar, &TitleBar::send_close, this, &MainWindow::Get_Question);
    connect(m_titleBar, &TitleBar::send_cancellation, this, &MainWindow::Get_Question);
    connect(m_titleBar, &TitleBar::send_showToolbar, this, &MainWindow::Get_showToolbar);

    // 3. Icons.
    setupIcons();

    // 4. Drops, hover tracking, event filters.
    setAcceptDrops(true);
    for (const char *name : {"lineEdit_Load_EDID_File", "lineEdit_FirmwareUpdate"}) {
        if (auto *w = findChild<QWidget *>(QLatin1String(name)))
            w->setAcceptDrops(false);
    }
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    installEventFilter(this);
    ui->textEdit->installEventFilter(this);

    // 5. Start on page 0.
    ui->stackedWidget_matrix->setCurrentIndex(0);
    ui->stackedWidget_SystemSettings->setCurrentIndex(0);
    ui->stackedWidget_systemInformation->setCurrentIndex(0);
    ui->pushButton_SignalSwitching->setChecked(true);
    ui->pushButton_portStatus->setChecked(true);
    ui->pushButton_Modelsetting->setChecked(true);

    // 6. Subtitle menu; the subtitle dialog connects to its action.
    m_subtitleMenu = new QMenu(this);
    m_subtitleMenu->setObjectName(QStringLiteral("menu_Subtitle"));
    m_subtitleAction = m_subtitleMenu->addAction(tr("字幕设置"));
    m_subtitleMenu->setStyleSheet(QLatin1String(SubtitleMenuStyle));

    // 7. Command completion.
    setupCompleter();

    // 8. Shared dialogs, link, pages, theme.
    m_errorDialog = new Information_Tips(this);
    connect(m_errorDialog, &Information_Tips::Send_Mesg, this, &MainWindow::Get_Mesg);
    m_waiting = new Waiting_Interface(this);
    m_toast = new My_Warning(this);
    m_toast->hide();
    serialPort = m_link->serialPort();
    tcpSocket = m_link->tcpSocket();
    setupLink();
    applyAccountRestrictions();
    setupUserManagement();
    setupPages();
    CommonlyUsed::Load_stylesheet(this, QLatin1String(ThemeResource));

    // 9. Fade in.
    setWindowOpacity(0.0);
    auto *fade = new QPropertyAnimation(this, "windowOpacity", this);
    fade->setDuration(FadeInMs);
    fade->setStartValue(0.0);
    fade->setEndValue(1.0);
    m_fadeIn = fade;
}

MainWindow::~MainWindow()
{
    heartbeatTimer->stop();
    m_link->closeLink();
    delete ui;
    QMutexLocker lock(&s_mutex);
    if (s_instance == this)
        s_instance = nullptr;
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_fadeIn) {
        m_fadeIn->start(QAbstractAnimation::DeleteWhenStopped);
        m_fadeIn = nullptr;
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (refuseDuringTransfer()) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

bool MainWindow::refuseDuringTransfer()
{
    if (!transferRunning)
        return false;
    showToast(tr("当前有升级包在下发！"), QString::fromLatin1(Protocol::FailureStyle));
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Files are taken on the EDID page and the system settings page only.
    const bool filePage = currentPage == EdidPageNumber || currentPage == SystemSettingsPageNumber;
    if (filePage && event->mimeData()->hasUrls())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || (currentPage != EdidPageNumber && currentPage != SystemSettingsPageNumber)) {
        event->ignore();
        return;
    }
    const QString path = urls.first().toLocalFile();
    event->acceptProposedAction();
    // The device's files end in ".bin"; the comparison keeps its case.
    if (!path.endsWith(QLatin1String(".bin"))) {
        showToast(tr("请拖拽bin文件！"), QString::fromLatin1(Protocol::FailureStyle));
        return;
    }
    if (currentPage == EdidPageNumber) {
        m_edidPage->setEdidFile(path);
        m_edidPage->showUploadView(true);
    } else {
        m_firmwarePage->setFirmwareFile(path);
        if (ui->stackedWidget_SystemSettings->currentWidget() != ui->page_44)
            ui->pushButton_FirmwareUpdate->click();
    }
}

void MainWindow::setupIcons()
{
    const QString trayFile = CommonlyUsed::applicationDir() + QLatin1Char('/')
                             + QLatin1String(SettingsCatalogue::TrayIconOverrideFile);
    const QIcon windowIcon = QFile::exists(trayFile) ? QIcon(trayFile)
                                                     : QIcon(QStringLiteral("://image/trayIcon.ico"));
    setWindowIcon(windowIcon);
    m_titleBar->setTitleIcon(windowIcon.pixmap(TitleBar::IconSize, TitleBar::IconSize));
    const QList<QPair<QAbstractButton *, const char *>> buttons{
        {ui->pushButton_SignalSwitching, "Signal_switching"},
        {ui->pushButton_OutputSetting, "Function_settings"},
        {ui->pushButton_CecControl, "CEC"},
        {ui->pushButton_SplicingControl, "Splicing_settings"},
        {ui->pushButton_PartitionMode, "SplitScreen"},
        {ui->pushButton_EDIDSettings, "EDID_settings"},
        {ui->pushButton_SystemSettings, "System_settings"},
        {ui->pushButton_systemInformation, "system_information"},
        {ui->pushButton_Modelsetting, "Model_setting"},
        {ui->pushButton_UserManagement, "UserManagement"},
        {ui->pushButton_IPSettings, "connections_setting"},
        {ui->pushButton_FirmwareUpdate, "upgrade"},
        {ui->pushButton_Equipment_control, "Equipment_control"},
        {ui->pushButton_LanguageSet, "LanguageSet"},
        {ui->pushButton_ChannelRename, "ChannelRename"},
        {ui->pushButton_portStatus, "port_status"},
        {ui->pushButton_About, "About"},
    };
    for (const auto &entry : buttons)
        entry.first->setIcon(iconFor(QLatin1String(entry.second)));
}

void MainWindow::applyAccountRestrictions()
{
    // The splicing and partition pages are kept current but not offered to
    // operators: nothing leads to them from the navigation (a lab setting
    // brings the buttons back for engineers and pictures).
    const bool hiddenPages = LabSettings::hiddenPagesShown();
    ui->pushButton_SplicingControl->setVisible(hiddenPages);
    ui->pushButton_PartitionMode->setVisible(hiddenPages);
    // Only Orvex-Q devices speak CEC.
    if (CommonlyUsed::ver_minor != CommonlyUsed::DeviceTypeOrvexQ)
        ui->pushButton_CecControl->hide();
    // A "User" account sees the switching page only.
    if (SettingsCatalogue::readString(SettingsCatalogue::Keys::AccountType)
        != QLatin1String(SettingsCatalogue::Defaults::AccountUser))
        return;
    for (QWidget *button : {static_cast<QWidget *>(ui->pushButton_OutputSetting),
                            static_cast<QWidget *>(ui->pushButton_CecControl),
                            static_cast<QWidget *>(ui->pushButton_SplicingControl),
                            static_cast<QWidget *>(ui->pushButton_PartitionMode),
                            static_cast<QWidget *>(ui->pushButton_EDIDSettings),
                            static_cast<QWidget *>(ui->pushButton_SystemSettings),
                            static_cast<QWidget *>(ui->pushButton_systemInformation)})
        button->hide();
}

// ---- connection settings ----------------------------------------------------

void MainWindow::setSingleInstanceGuard(SingleInstance *guard)
{
    m_singleInstance = guard;
}

void MainWindow::setPortname(const QString &name)
{
    portName = name;
}

void MainWindow::setMyBaud_Rate(const QString &rate)
{
    baudRate = rate;
}

void MainWindow::setIP_Address(const QString &ip)
{
    deviceIp = ip;
}

void MainWindow::setLocalIPAddress(const QString &ip)
{
    localIp = ip;
}

void MainWindow::setPort_Number(const QString &port)
{
    portNumber = port;
}

void MainWindow::loadLanguage()
{
    if (!Platform::applyStoredLanguage(CommonlyUsed::ver_minor))
        qWarning() << "translation could not be loaded; source texts in force";
    retranslateShell();
}

void MainWindow::retranslateShell()
{
    static const char *const SubtitleTexts[] = {"字幕设置", "Subtitle settings", "字幕設置"};
    const int language = qBound(0, CommonlyUsed::getLanguageIndex(), 2);
    m_subtitleAction->setText(QString::fromUtf8(SubtitleTexts[language]));
}

// ---- shared dialogs -------------------------------------------------------

void MainWindow::showToast(const QString &text, const QString &style)
{
    m_lastToast = text;
    m_toast->showMessage(text, style);
}

void MainWindow::showLinkError(const QString &text, int closeAfterMs)
{
    errorDialogShown = 1;
    m_errorDialog->setMessage(text);
    m_errorDialog->show();
    ++linkErrorCount;
    m_lastLinkError = text;
    QTimer::singleShot(closeAfterMs, m_errorDialog, [this] {
        if (m_errorDialog->isVisible())
            m_errorDialog->close();
    });
}

void MainWindow::hideLinkError()
{
    if (m_errorDialog->isVisible())
        m_errorDialog->close();
}

void MainWindow::showWaitingOverlay(bool visible)
{
    if (visible) {
        if (isVisible())
            m_waiting->showOver(this);
    } else if (m_waiting->isVisible()) {
        m_waiting->hide();
    }
}

void MainWindow::resetLiveState()
{
    // The pages reset their tiles, icons and polling button (Send_LinkLost).
}

// ---- closing and logging out --------------------------------------------

void MainWindow::Get_showToolbar()
{
    if (ui->widget_toolbar->isVisible()) {
        ui->widget_toolbar->hide();
        toolbarShown = 0;
    } else {
        ui->widget_toolbar->show();
        toolbarShown = 1;
    }
}

void MainWindow::Get_Question(QString mesg, int type)
{
    if (questionDialogShown)
        return;
    // Leaving now could leave the device half-flashed.
    if (type != 2 && refuseDuringTransfer())
        return;
    questionDialogShown = 1;
    static const char *const Keys[] = {"cancellation", "close_window", "Delete scene"};
    auto *dialog = new Inquiry_Tips(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &Inquiry_Tips::Send_Mesg, this, &MainWindow::Get_Mesg);
    dialog->setKey(QLatin1String(Keys[qBound(0, type, 2)]));
    dialog->setMessage(mesg);
    dialog->show();
}

void MainWindow::askYesNo(const QString &text, QObject *context, std::function<void(bool yes)> answer)
{
    QPointer<QObject> guard(context);
    if (questionHook) {
        const bool yes = questionHook(text);
        if (guard)
            answer(yes);
        return;
    }
    if (questionDialogShown) {
        answer(false);
        return;
    }
    questionDialogShown = 1;
    auto *dialog = new Inquiry_Tips(this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    // Its own key: the yes answer comes back as the key, no other slot reacts.
    static const QString Key = QStringLiteral("Question");
    dialog->setKey(Key);
    dialog->setMessage(text);
    connect(dialog, &Inquiry_Tips::Send_Mesg, this, [this, guard, answer](const QString &mesg) {
        questionDialogShown = 0;
        if (guard)
            answer(mesg == Key);
    });
    dialog->show();
}

void MainWindow::Get_Mesg(QString mesg)
{
    if (mesg == QLatin1String("Close Error window")) {
        errorDialogShown = 0;
        return;
    }
    // Every answer of the yes/no dialog frees it for the next question.
    questionDialogShown = 0;
    const bool leaving = mesg == QLatin1String("Close the main window") || mesg == QLatin1String("Logout system");
    // A transfer may have started while the question was open.
    if (leaving && refuseDuringTransfer())
        return;
    if (mesg == QLatin1String("Close the main window"))
        runCloseAnimation();
    else if (mesg == QLatin1String("Logout system"))
        logoutSystem();
    else if (mesg == QLatin1String("Delete scene"))
        emit Send_DeleteSceneConfirmed();
}

void MainWindow::runCloseAnimation()
{
    closing = true;
    errorDialogShown = 1;
    heartbeatTimer->stop();
    setMinimumHeight(1);
    const QRect from = geometry();
    const QRect to(from.x(), from.y() + from.height() / 2, from.width(), 1);
    auto *group = new QParallelAnimationGroup(this);
    auto *shrink = new QPropertyAnimation(this, "geometry", group);
    shrink->setDuration(CloseGeometryMs);
    shrink->setEasingCurve(QEasingCurve::Linear);
    shrink->setStartValue(from);
    shrink->setEndValue(to);
    auto *fade = new QPropertyAnimation(this, "windowOpacity", group);
    fade->setDuration(CloseOpacityMs);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);
    group->addAnimation(shrink);
    group->addAnimation(fade);
    connect(group, &QParallelAnimationGroup::finished, this, &MainWindow::myCloseWindow);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

void MainWindow::saveNames()
{
    if (saveNamesHook)
        saveNamesHook();
}

void MainWindow::myCloseWindow()
{
    qDebug() << "退出软件";
    saveNames();
    QCoreApplication::quit();
}

void MainWindow::logoutSystem()
{
    errorDialogShown = 1;
    saveNames();
    // The listener stops first so that the new copy does not find this one.
    const bool started = restartHook ? restartHook() : restartApplication(m_singleInstance);
    if (!started) {
        errorDialogShown = 0;
        showLinkError(tr("程序重启失败！"), ErrorDialogCloseMs);
        return;
    }
    QCoreApplication::quit();
}

// ---- events -------------------------------------------------------------

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->textEdit) {
        if (event->type() == QEvent::Enter) {
            autoScroll = false;
            return true;
        }
        if (event->type() == QEvent::Leave) {
            autoScroll = true;
            return true;
        }
    }
    if (watched == this && event->type() == QEvent::HoverMove && !m_resizePressed) {
        const QPoint pos = static_cast<QHoverEvent *>(event)->pos();
        m_edge = edgeAt(pos);
        switch (m_edge) {
        case EdgeBottom:
            setCursor(Qt::SizeVerCursor);
            break;
        case EdgeLeft:
        case EdgeRight:
            setCursor(Qt::SizeHorCursor);
            break;
        case EdgeBottomLeft:
            setCursor(Qt::SizeBDiagCursor);
            break;
        case EdgeBottomRight:
            setCursor(Qt::SizeFDiagCursor);
            break;
        default:
            setCursor(Qt::ArrowCursor);
            break;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

int MainWindow::edgeAt(const QPoint &pos) const
{
    const QScreen *screen = this->screen();
    if (screen && geometry() == screen->availableGeometry())
        return EdgeNone;
    const int band = int(BorderWidth);
    const bool bottom = pos.y() >= height() - band;
    const bool right = pos.x() >= width() - band;
    const bool left = pos.x() < LeftBorderWidth;
    if (bottom && left)
        return EdgeBottomLeft;
    if (bottom && right)
        return EdgeBottomRight;
    if (bottom)
        return EdgeBottom;
    if (left)
        return EdgeLeft;
    if (right)
        return EdgeRight;
    return EdgeNone;
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && aboutPageShown()) {
        on_pushButton_SendIP_clicked();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        m_titleBar->setTitleContent(tr("Trivane"));
        retranslateShell();
        emit Send_LanguageChanged();
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        emit Send_EndRename();
        m_resizePressed = true;
        m_pressPos = event->globalPos();
        m_pressGeometry = geometry();
        m_edge = edgeAt(event->pos());
        if (m_edge != EdgeNone)
            grabMouse();
        showClickEffect(event->globalPos());
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_resizePressed && m_edge != EdgeNone && (event->buttons() & Qt::LeftButton)) {
        const QPoint delta = event->globalPos() - m_pressPos;
        QRect g = m_pressGeometry;
        const QScreen *screen = this->screen();
        const int availableBottom = screen ? screen->availableGeometry().bottom() : INT_MAX;
        if (m_edge == EdgeBottom || m_edge == EdgeBottomLeft || m_edge == EdgeBottomRight) {
            if (g.top() + g.height() + delta.y() <= availableBottom)
                g.setHeight(qMax(minimumHeight(), g.height() + delta.y()));
        }
        if (m_edge == EdgeLeft || m_edge == EdgeBottomLeft) {
            if (g.width() - delta.x() > minimumWidth())
                g.setLeft(g.left() + delta.x());
        }
        if (m_edge == EdgeRight || m_edge == EdgeBottomRight)
            g.setWidth(qMax(minimumWidth(), g.width() + delta.x()));
        setGeometry(g);
    }
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_resizePressed = false;
        releaseMouse();
        setCursor(Qt::ArrowCursor);
    }
    QMainWindow::mouseReleaseEvent(event);
}

void MainWindow::showClickEffect(const QPoint &globalPos)
{
    if (m_clickEffect)
        return;
    auto *label = new QLabel(nullptr, Qt::FramelessWindowHint | Qt::Tool | Qt::WindowStaysOnTopHint);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAttribute(Qt::WA_DeleteOnClose);
    label->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0);"));
    label->setFixedSize(ClickEffectSize, ClickEffectSize);
    auto *movie = new QMovie(QStringLiteral("://image/Mouse_click_feature.gif"), QByteArray(), label);
    movie->setScaledSize(QSize(ClickEffectSize, ClickEffectSize));
    label->setMovie(movie);
    movie->start();
    label->move(globalPos - QPoint(ClickEffectSize / 2, ClickEffectSize / 2));
    label->show();
    m_clickEffect = label;
    QTimer::singleShot(ClickEffectMs, label, &QLabel::close);
}

void MainWindow::setupUserManagement()
{
    m_userManagement = new UserManagement(ui->treeView, this, this);
    // The heartbeat would compete with the modal password dialog's event loop.
    connect(m_userManagement, &UserManagement::Send_Modify_User_Opening, this, [this] { heartbeatTimer->stop(); });
    connect(m_userManagement, &UserManagement::Send_Modify_User_Closed, this,
            [this] { heartbeatTimer->start(HeartbeatPeriodMs); });
    connect(m_userManagement, &UserManagement::Send_Account_Password_Modified_Successfully, this,
            &MainWindow::Get_Account_Password_Modified_Successfully);
    connect(this, &MainWindow::Send_LanguageChanged, m_userManagement, &UserManagement::retranslate);
}

void MainWindow::Get_Account_Password_Modified_Successfully()
{
    showToast(tr("修改成功，重启后生效！"), My_Warning::successStyle());
}
