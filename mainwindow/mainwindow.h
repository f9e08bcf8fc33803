#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <QMutex>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVector>

#include "link/transport/devicelink.h"

#include <functional>
#include <memory>

class QAction;
class QCompleter;
class QPropertyAnimation;
class QIODevice;
class QLabel;
class QMenu;
class QSerialPort;
class QStackedWidget;
class QTcpSocket;
class QTimer;
class UserManagement;

class DispatchSink;
class SingleInstance;
class ReplyDispatcher;
class Information_Tips;
class Waiting_Interface;
class MyButton;
class NameStore;
class QLineEdit;
class RenamePage;
class OutputPage;
class PortStatusPage;
class EdidPage;
class CecPage;
class SplicingPage;
class PartitionPage;
class ModelSettingPage;
class NetworkSettingsPage;
class FirmwarePage;
class EquipmentControlPage;
class LanguagePage;
class VersionsPanel;
class SubtitleFlow;
class TransferRunner;
class ScenePanel;
class SwitchingPage;
class my_ToolButton;
class My_Warning;
class TitleBar;

namespace Ui {
class UserManagement;

class MainWindow;
}

// The one top-level window after login: title bar, navigation, the page
// stack, the status bar and the command console. It owns the device link and
// keeps the link state that the pages and the dispatcher share.
class MainWindow final : public QMainWindow
{
    Q_OBJECT

    // First members: the link and dispatcher fields below are bound to them.
    DeviceLink *m_link = nullptr;
    std::unique_ptr<DispatchSink> m_sink;
    ReplyDispatcher *m_dispatcher = nullptr;

public:
    static MainWindow *getInstance();
    ~MainWindow() override;

    // ---- connection settings (from login) --------------------------------
    // The single-instance listener that log-out stops before the new copy starts.
    void setSingleInstanceGuard(SingleInstance *guard);
    void setPortname(const QString &name);
    void setMyBaud_Rate(const QString &rate);
    void setIP_Address(const QString &ip);
    void setLocalIPAddress(const QString &ip);
    void setPort_Number(const QString &port);
    // Installs the translation chosen in the stored language value.
    void loadLanguage();

    // ---- device link -----------------------------------------------------
    bool Open_Serial_Port(int withToast);
    void Connect_TCP_Server();
    // Starts the link check once the link is open and the pages are laid
    // out: the first "(info,link)" after HeartbeatStartMs, then every
    // HeartbeatPeriodMs.
    void startHeartbeat();
    // True once the device has answered since the link was last (re)opened;
    // only then does the status read "connected".
    bool linkConfirmed() const { return m_linkConfirmed; }
    // Synchronous exchange. Refused (false) while another exchange waits for
    // its answer: the device answers in order, so a request sent from inside
    // that wait would take the other's answer as its own.
    bool sendDataDevice(const QString command, QString &answer);
    // The same exchange; `display` gets the answer as received.
    bool sendDataDevice(const QString command, QString &answer, QString &display);
    // Runs `work` as soon as no exchange waits for its answer (at once when
    // none does); dropped when `context` goes. For requests sent by timers.
    void whenLinkFree(QObject *context, std::function<void()> work);
    static constexpr int LinkFreeMaxWaitMs = 5000;
    QIODevice *currentDevice() const;
    DeviceLink *deviceLink() const { return m_link; }
    ReplyDispatcher *dispatcher() const { return m_dispatcher; }

    void showToast(const QString &text, const QString &style);
    // The waiting overlay over the whole window.
    void showWaitingOverlay(bool visible);

    // ---- pages -----------------------------------------------------------
    // The operator's channel and scene names, loaded when the window is built.
    NameStore *nameStore() const { return m_names; }
    SwitchingPage *switchingPage() const { return m_switchingPage; }
    ScenePanel *scenePanel() const { return m_scenePanel; }
    RenamePage *renamePage() const { return m_renamePage; }
    OutputPage *outputPage() const { return m_outputPage; }
    PortStatusPage *portStatusPage() const { return m_portStatusPage; }
    EdidPage *edidPage() const { return m_edidPage; }
    CecPage *cecPage() const { return m_cecPage; }
    SplicingPage *splicingPage() const { return m_splicingPage; }
    PartitionPage *partitionPage() const { return m_partitionPage; }
    ModelSettingPage *modelSettingPage() const { return m_modelSettingPage; }
    NetworkSettingsPage *networkSettingsPage() const { return m_networkPage; }
    FirmwarePage *firmwarePage() const { return m_firmwarePage; }
    EquipmentControlPage *equipmentControlPage() const { return m_equipmentPage; }
    LanguagePage *languagePage() const { return m_languagePage; }
    VersionsPanel *versionsPanel() const { return m_versionsPanel; }
    SubtitleFlow *subtitleFlow() const { return m_subtitleFlow; }
    // The firmware and EDID file transfers.
    TransferRunner *transferRunner() const { return m_transferRunner; }
    // True (after telling the operator) while a file transfer runs: nothing
    // may start another one or cut it off.
    bool refuseDuringTransfer();
    // The menu with the subtitle action; input buttons pop it up.
    QMenu *subtitleMenu() const { return m_subtitleMenu; }
    // The input whose subtitle the menu asks for: the port button last
    // opened the menu on (1..16).
    int Currunt_ToolButton_HDMI = 1;
    // Asks a yes/no question with the shared question dialog; `answer` runs
    // once with the reply (not at all when `context` went meanwhile, or when
    // another question is open: then the call answers false at once).
    void askYesNo(const QString &text, QObject *context, std::function<void(bool yes)> answer);
    // Tests answer the questions themselves.
    std::function<bool(const QString &question)> questionHook;
    // The one routine for the device's polling state: sets pollingRunning,
    // locks or frees the pages that must not be used while the device
    // polls, and tells the pages (Send_PollingChanged).
    void setPollingRunning(bool running);
    // A scene rename was committed by a click elsewhere.
    bool sceneNamesEdited = false;
    // The shared error dialog: shown once, closed after `closeAfterMs`.
    void showLinkError(const QString &text, int closeAfterMs);

    // Page whose navigation the slide animations move.
    QStackedWidget *matrixStack() const;

    // ---- console under load ----------------------------------------------
    // Lines are queued and shown in batches, so a chattering device costs the
    // event loop a bounded amount per batch whatever the console holds.

    // The console's plain text, queued lines included.
    QString consolePlainText();
    // Shows the queued lines now (the batch timer does this otherwise).
    void flushConsole();
    static constexpr int ConsoleMaxLines = 20000;
    static constexpr int ConsoleMaxChars = 1000000;
    // Of one huge message only this much is shown, with its full length.
    static constexpr int ConsoleLinePreviewChars = 4096;
    static constexpr int ConsoleFlushMs = 50;
    // Queued lines beyond these are dropped oldest first, with a note.
    static constexpr int ConsoleMaxPendingLines = 1000;
    static constexpr int ConsoleMaxPendingChars = 512 * 1024;

    // Messages shown together, in order, in one update of the console (a
    // transfer's lines): kind as for TextEdit_Message_Display, atMs the time
    // each was made (milliseconds since the epoch). None is dropped.
    struct ConsoleMessage
    {
        int kind = 0;
        QString text;
        qint64 atMs = 0;
    };
    void appendConsoleBatch(const QVector<ConsoleMessage> &messages);

    // Console commands that are accepted (standby filter, transfer check)
    // and either sent or refused; exposed for the pages.
    static const QStringList &completionList();

    // ---- link state (names shared with the dispatcher and the pages) -----
    int connectionType = 0;
    int linkOpen = 1;
    QString portName;
    QString baudRate;
    QString deviceIp;
    QString localIp;
    QString portNumber;
    QTimer *receiveTimer = nullptr;
    QTimer *heartbeatTimer = nullptr;
    QTimer *reconnectTimer = nullptr;
    QSerialPort *serialPort = nullptr;
    QTcpSocket *tcpSocket = nullptr;
    QString &rawBuffer;
    QString &replyBuffer;
    QString &lastChunk;
    QString lastReply;
    QString statusText;
    bool &receiveSuspended;
    bool linkBusy = false;
    bool heartbeatPending = false;
    bool replyReceived = false;
    int dataArrived = 0;
    int errorDialogShown = 0;
    int lossNoticeCount = 0;
    int restoreRefreshCount = 4;
    int serialLost = 0;
    int serialReopenDelay = 0;
    int serialRetryCount = 0;
    int tcpRetryCount = 0;
    int currentPage = 0;

    // Flags owned by the dispatcher (kept in its state), the transfer and the pages.
    bool &standby;
    bool &wakePending;
    bool &factoryResetRunning;
    bool &modelApplied;
    QString moduleMac;
    bool transferRunning = false;
    bool fileDialogOpen = false;
    bool pollingRunning = false;
    int Scene_Call_OR_Delete_Falg = 0;
    bool inBaudSetting = false;
    bool outBaudSetting = false;
    bool netcfgSetting = false;
    int subtitlePendingSet = 0;

    // ---- main window state ----------------------------------------------
    bool autoScroll = true;
    int questionDialogShown = 0;
    bool closing = false;
    int toolbarShown = 1;

    // Test seams: the heartbeat's check delay and the page re-query after a
    // loss (the feature pages hook in here as they are built).
    int heartbeatCheckDelayMs = HeartbeatCheckMs;
    int replyWaitMs = ReplyWaitStepMs * ReplyWaitSteps;
    int serialReopenWaitMs = SerialReopenWaitMs;
    int reconnectIntervalMs = DeviceLink::ReconnectIntervalMs;
    std::function<void(int page)> restoreQueryHook;
    // Saves the channel and scene names (the naming page sets it).
    std::function<void()> saveNamesHook;
    // Starts a fresh copy of the program; true when it started.
    std::function<bool()> restartHook;
    // Replaces the export's save dialog (tests).
    std::function<QString(const QString &proposed)> exportFileNameHook;
    QString lastToast() const { return m_lastToast; }
    QString lastLinkError() const { return m_lastLinkError; }
    int linkErrorCount = 0;
    // Counts page re-queries after a loss (for the status overlay and tests).
    int restoreQueryCount = 0;

    // Pages that take dropped files.
    static constexpr int EdidPageNumber = 5;
    static constexpr int SystemSettingsPageNumber = 6;

    static constexpr int HeartbeatStartMs = 6000;
    static constexpr int HeartbeatPeriodMs = 5000;
    static constexpr int HeartbeatCheckMs = 2500;
    static constexpr int StatusLabelDelayMs = 300;
    static constexpr int ErrorDialogCloseMs = 1500;
    static constexpr int SerialReopenWaitMs = 2000;
    static constexpr int LinkBusyClearMs = 2000;
    static constexpr int ReplyWaitStepMs = 100;
    static constexpr int ReplyWaitSteps = 30;
    static constexpr int WaitRecheckMs = 10;
    // A heartbeat due while an exchange holds the link goes out as soon as
    // the link is free; this is how often that is looked at.
    static constexpr int HeartbeatRetryMs = 100;
    static constexpr int LinkBusyRecheckMs = 100;

    // Power broadcast (suspend minimises, automatic resume restores); the
    // native hook passes the Windows message and its event code.
    void handlePowerMessage(unsigned message, quintptr event);

    // The received text without the heartbeat's signal-status answer.
    static QString withoutHeartbeatAnswer(const QString &raw);

signals:
    // A heartbeat found no answer: the pages reset their live state.
    void Send_LinkLost();
    // The status bar now shows this link state.
    void Send_StatusShown(const QString &text);
    // Answers of the re-query after a loss, for the pages that own them.
    void Send_SwitchStatus(const QString &answer);
    void Send_SceneStatus(const QString &answer);
    // Dispatcher outcomes for the feature pages.
    void Send_ModelApplied(const QString &model);
    void Send_PortStatus(const QVector<bool> &inputs, const QVector<bool> &outputs);
    void Send_PictureSliders(int firstOutput, int lastOutput, int value);
    void Send_FactoryNames();
    // Navigation: the page's own queries run on this.
    void Send_PageShown(int page);
    void Send_DeleteSceneConfirmed();
    void Send_LanguageChanged();
    // A press anywhere ends an in-place rename.
    void Send_EndRename();
    // The device's scene polling started (true) or stopped (false).
    void Send_PollingChanged(bool running);
    // Every scene button shows the empty look (factory reset).
    void Send_ScenesEmpty();

public slots:
    void sendData(QString info);
    void receiveData();
    void onReciverTimerTimeOut();
    void onDeviceConnect();
    void onSerialPortLost(const QString &reason);
    void Data_Processing(QString Mydata);
    void TextEdit_Message_Display(int ReceiveOrSend, QString Message);
    void Get_showToolbar();
    void Get_Mesg(QString mesg);
    void Get_Question(QString mesg, int type);
    void myCloseWindow();
    void Get_Account_Password_Modified_Successfully();

    // navigation
    void on_pushButton_SignalSwitching_clicked();
    void on_pushButton_OutputSetting_clicked();
    void on_pushButton_CecControl_clicked();
    void on_pushButton_SplicingControl_clicked();
    void on_pushButton_PartitionMode_clicked();
    void on_pushButton_EDIDSettings_clicked();
    void on_pushButton_SystemSettings_clicked();
    void on_pushButton_systemInformation_clicked();
    void on_pushButton_portStatus_clicked();
    void on_pushButton_About_clicked();
    void on_pushButton_UserManagement_clicked();
    void on_pushButton_LanguageSet_clicked();
    void on_pushButton_ChannelRename_clicked();
    void on_pushButton_Modelsetting_clicked();
    void on_pushButton_IPSettings_clicked();
    void on_pushButton_FirmwareUpdate_clicked();
    void on_pushButton_Equipment_control_clicked();
    // The subtitle menu's action: asks for the subtitle of Currunt_ToolButton_HDMI.
    void Open_Subtitle_Set();

    // pages (forwards to the page that owns them)
    void refreshSwitchStatus(QString reply);
    void refreshSceneStatus(QString reply);
    void Route_selection_currentTextChanged(QString model);
    void Route_selection_EDID_currentTextChanged(QString model);
    void OutputSetting_currentTextChanged(QString model);
    void setPartitionMode(QString mode);
    void Delete_scene();
    // The in-place rename that a click elsewhere commits.
    void Get_InputButton(my_ToolButton *nbutton, QLineEdit *nlineEdit, int number);
    void Get_SceneButton(MyButton *nbutton, QLineEdit *nlineEdit, int number);
    void pageTurningMode();
    void onslotBtnNext();
    void onslotBtnPre();
    void onAnimationFinished();
    void pageUpTurningMode(QStackedWidget *stack, int index);
    void onUpSlotBtnNext(QStackedWidget *stack, int index);
    void onUpSlotBtnPre(QStackedWidget *stack, int index);
    void onUpAnimationFinished();

    // console
    void on_pushButton_SendIP_clicked();
    void on_pushButton_ClearWindow_clicked();
    void on_pushButton_Export_text_clicked();
    void on_pushButton_Look_Log_clicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Firmware and EDID files dropped on their pages.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    explicit MainWindow(QWidget *parent = nullptr);
    Q_DISABLE_COPY(MainWindow)

    void setupIcons();
    void retranslateShell();
    void saveNames();
    bool aboutPageShown() const;
    void setupCompleter();
    void setupLink();
    void applyAccountRestrictions();
    void setupUserManagement();
    void setupPages();
    void endRename();
    Q_SLOT void onRenameFinished();
    void setStatus(const QString &text, const QString &style, int delayMs = 0);
    quint64 setLinkBusy();
    void clearLinkBusy(quint64 token);
    // Pumps events until `done` holds or `totalMs` passed; wakes on every
    // data notification instead of waiting out fixed slices.
    bool waitUntil(const std::function<bool()> &done, int totalMs);
    void refreshPageAgain();
    void hideLinkError();
    void dispatchReply(const QString &reply, const QString &raw);
    void scrollConsoleToEnd();
    void appendConsoleLine(const QString &html);
    // Removes the oldest blocks beyond the line and character caps; returns
    // the number of characters removed from the top.
    int trimConsole(int roomForBlocks);
    // The batch timer, made on first use together with the log's settings.
    QTimer *consoleFlushTimer();
    bool sendAllowed(const QString &command);
    void onHeartbeatChecked();
    // Sends without the checks' side effects on the console: the heartbeat's
    // own request is not shown, everything else is.
    void sendRequest(const QString &info, bool showInConsole);
    void sendHeartbeatNow();
    void deferHeartbeat();
    void releaseLinkBusyWhenAnswered(quint64 token, qint64 sentAtMs, int delayMs);
    // The device answered: the status turns green (once per (re)connect).
    void confirmLink();
    void onTcpDisconnected();
    // Status after a successful open, before the device has answered.
    void showLinkOpened(int type);
    void resetLiveState();
    void restorePageAfterLoss();
    void logoutSystem();
    void runCloseAnimation();
    void showClickEffect(const QPoint &globalPos);
    int edgeAt(const QPoint &pos) const;
    // True when the page is (now) on show.
    bool navigateTo(int page);
    void slideTo(bool next);
    void verticalSlide(QStackedWidget *stack, int index, bool next);
    bool waitForPendingHeartbeat();
    void runWhenLinkFree(QObject *context, std::function<void()> work, qint64 deadlineMs);

    static QMutex s_mutex;
    static MainWindow *s_instance;

    Ui::MainWindow *ui = nullptr;
    TitleBar *m_titleBar = nullptr;
    Information_Tips *m_errorDialog = nullptr;
    Waiting_Interface *m_waiting = nullptr;
    My_Warning *m_toast = nullptr;
    QMenu *m_subtitleMenu = nullptr;
    QCompleter *m_completer = nullptr;
    // Console lines waiting for the next batch (markup, oldest first).
    QStringList m_consolePending;
    int m_consolePendingChars = 0;
    int m_consoleDropped = 0;
    QTimer *m_consoleFlushTimer = nullptr;
    QPointer<QLabel> m_clickEffect;
    SingleInstance *m_singleInstance = nullptr;
    QAction *m_subtitleAction = nullptr;
    QPropertyAnimation *m_fadeIn = nullptr;
    QString m_lastToast;
    QString m_lastLinkError;
    UserManagement *m_userManagement = nullptr;
    NameStore *m_names = nullptr;
    SwitchingPage *m_switchingPage = nullptr;
    ScenePanel *m_scenePanel = nullptr;
    RenamePage *m_renamePage = nullptr;
    OutputPage *m_outputPage = nullptr;
    PortStatusPage *m_portStatusPage = nullptr;
    EdidPage *m_edidPage = nullptr;
    CecPage *m_cecPage = nullptr;
    SplicingPage *m_splicingPage = nullptr;
    PartitionPage *m_partitionPage = nullptr;
    ModelSettingPage *m_modelSettingPage = nullptr;
    NetworkSettingsPage *m_networkPage = nullptr;
    FirmwarePage *m_firmwarePage = nullptr;
    EquipmentControlPage *m_equipmentPage = nullptr;
    LanguagePage *m_languagePage = nullptr;
    VersionsPanel *m_versionsPanel = nullptr;
    SubtitleFlow *m_subtitleFlow = nullptr;
    TransferRunner *m_transferRunner = nullptr;
    // The open in-place rename: 1 input/output button, 2 scene button, 0 none.
    int m_renameKind = 0;
    QPointer<my_ToolButton> m_renameButton;
    QPointer<MyButton> m_renameScene;

    bool m_horizontalSliding = false;
    bool m_verticalSliding = false;
    int m_pendingPage = 0;
    quint64 m_linkBusyToken = 0;
    quint64 m_statusSerial = 0;
    bool m_serialOpening = false;
    bool m_linkConfirmed = false;
    // "TCP/serial connection succeeded" waits for the device's answer when
    // the link was reopened after a loss.
    bool m_connectToastPending = false;
    bool m_heartbeatDeferred = false;
    // A request sent with sendData whose reply has not been handled yet.
    bool m_replyOutstanding = false;
    // The link the operator chose (kept when opening it failed, so the
    // heartbeat and the reconnect timer still know what to retry).
    int m_wantedConnection = 0;
    QElapsedTimer m_linkClock;
    friend class MainWindowSink;
    static std::unique_ptr<DispatchSink> makeDispatchSink(MainWindow &window);

    static constexpr double BorderWidth = 10.0;
    static constexpr int LeftBorderWidth = 3;
    enum Edge { EdgeBottom = 0, EdgeLeft, EdgeRight, EdgeBottomLeft, EdgeBottomRight, EdgeNone };
    bool m_resizePressed = false;
    int m_edge = EdgeNone;
    QPoint m_pressPos;
    QRect m_pressGeometry;
};
