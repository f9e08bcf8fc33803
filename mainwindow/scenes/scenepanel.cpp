#include "mainwindow/scenes/scenepanel.h"

#include "ui_scenepanel.h"

#include <QDebug>
#include <QEvent>
#include <QGridLayout>
#include <QLineEdit>
#include <QMap>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTimer>

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/scenes/scenemodel.h"
#include "widgets/mybutton.h"

namespace {
using Flow = ReplyDispatcher::Flow;
using BranchCall = ReplyDispatcher::BranchCall;

// Scene_Call_OR_Delete_Falg: what the next scene-status answer is for.
constexpr int FlagNone = 0;
constexpr int FlagRecall = 1;
constexpr int FlagDelete = 2;
constexpr int FlagStatusQuery = 3;

// "pushButton_scene12": the number is the (at most two) digits after "scene".
const QLatin1String SceneNameKey("scene");
constexpr int SceneNumberDigits = 2;

const QLatin1String PollingDisabledAnswer("scenepollingdisableok");
const QLatin1String PollingDisabled("scenepollingdisable");
const QLatin1String PollingEnabled("scenepollingenable");
const QLatin1String SavedKeyword("saved");
const QLatin1String DeletedKeyword("deleted");

// Every answer of one kind in a collected text, in text order: answers that
// arrive within one quiet period are dispatched together.
QVector<int> everyScene(
    const QString &text, QLatin1String keyword, std::optional<int> (*parse)(const QString &))
{
    QVector<int> scenes;
    int from = 0;
    for (int at = text.indexOf(keyword); at >= 0; at = text.indexOf(keyword, from)) {
        const int end = at + keyword.size();
        if (const auto scene = parse(text.mid(from, end - from)))
            scenes.append(*scene);
        from = end;
    }
    return scenes;
}

// Where the last "scenepolling<n>called" starts; -1 when there is none.
int lastPollingCall(const QString &text)
{
    static const QRegularExpression call(QStringLiteral("scenepolling[0-9]+called"));
    int last = -1;
    QRegularExpressionMatchIterator it = call.globalMatch(text);
    while (it.hasNext())
        last = it.next().capturedStart();
    return last;
}
} // namespace

ScenePanel::ScenePanel(MainWindow *window, NameStore *names, QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ScenePanel)
    , m_window(window)
    , m_names(names)
{
    ui->setupUi(this);
    buildSceneButtons();
    registerBranches();
    showPollingState(m_window->pollingRunning);

    connect(m_window, &MainWindow::Send_SceneStatus, this, &ScenePanel::refreshSceneStatus);
    connect(m_window, &MainWindow::Send_ScenesEmpty, this, &ScenePanel::showAllScenesEmpty);
    connect(m_window, &MainWindow::Send_PollingChanged, this, &ScenePanel::showPollingState);
    connect(m_window, &MainWindow::Send_DeleteSceneConfirmed, this, &ScenePanel::Delete_scene);
    // Out of the dispatcher call that applied the model before asking.
    connect(m_window, &MainWindow::Send_ModelApplied, this,
        [this] { QTimer::singleShot(0, this, &ScenePanel::queryDeviceScenes); });
    connect(m_names, &NameStore::nameChanged, this, [this](int kind, int number) {
        if (kind == NameStore::Scene && number >= 1 && number <= m_scenes.size())
            m_scenes.at(number - 1)->setText(m_names->display(NameStore::Scene, number));
    });
}

ScenePanel::~ScenePanel()
{
    delete ui;
}

void ScenePanel::buildSceneButtons()
{
    auto *grid = ui->gridLayout_scene;
    for (int scene = 1; scene <= Scenes::SceneCount; ++scene) {
        auto *button = new MyButton(ui->scrollAreaWidgetContents_scene);
        button->setObjectName(QStringLiteral("pushButton_scene%1").arg(scene));
        button->setCheckable(true);
        button->setAutoExclusive(true);
        button->setFocusPolicy(Qt::NoFocus);
        // Grows with a wrapped name; the row keeps short names at the
        // minimum height (the style sheet's min-height would override a
        // minimum set on the button).
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);
        button->setText(m_names->display(NameStore::Scene, scene));
        button->setStyleSheet(QLatin1String(EmptyLook));
        grid->addWidget(button, (scene - 1) / SceneColumns, (scene - 1) % SceneColumns);
        m_scenes.append(button);

        connect(button, &QPushButton::clicked, this, &ScenePanel::pushButton_scene_clicked);
        connect(button, &MyButton::sendLineEdit, m_window, &MainWindow::Get_SceneButton);
        connect(button, &MyButton::send_Scene_renamed, this, [this, button, scene] {
            const QString plain = ButtonText::unescape(ButtonText::withoutLineBreaks(button->text()));
            m_names->setName(NameStore::Scene, scene, plain);
            if (!m_names->save(NameStore::Scene))
                qWarning() << "scene names could not be stored";
        });
    }
    const int rows = (Scenes::SceneCount + SceneColumns - 1) / SceneColumns;
    for (int row = 0; row < rows; ++row)
        grid->setRowMinimumHeight(row, SceneButtonMinHeight);
    // Spare height goes below the buttons instead of stretching them, and
    // the area scrolls rather than squeezing a three-line name.
    grid->setRowStretch(rows, 1);
    ui->scrollAreaWidgetContents_scene->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
    for (int column = 0; column < SceneColumns; ++column)
        grid->setColumnStretch(column, 1);
}

void ScenePanel::registerBranches()
{
    ReplyDispatcher *dispatcher = m_window->dispatcher();
    dispatcher->setBranchHandler(Protocol::Answer::ScenePollingEnable, [this](BranchCall &) {
        m_window->setPollingRunning(true);
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::ScenePollingDisable, [this](BranchCall &call) {
        const int stop = call.work.lastIndexOf(PollingDisabled);
        const bool restarted = call.work.lastIndexOf(PollingEnabled) > stop;
        // The recall branch runs after this one whatever the order in the
        // text: a recall the device made before it stopped must not start
        // polling again.
        m_pollingStoppedAtDepth
            = lastPollingCall(call.work) < stop ? m_window->dispatcher()->depth() : NoDepth;
        call.work.remove(PollingDisabledAnswer);
        if (!restarted)
            m_window->setPollingRunning(false);
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::ScenePollingTime, [this](BranchCall &call) {
        if (const auto seconds = Scenes::pollingInterval(call.work))
            m_pollInterval = *seconds;
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::ScenePollingList, [this](BranchCall &call) {
        const auto list = Scenes::pollingList(call.work);
        if (!list)
            return Flow::Continue;
        // Only this answer leaves the working copy; the "ok" of the others stays.
        call.work.remove(list->begin, list->length);
        if (list->empty) {
            m_pollList.clear();
            if (m_dialogOpened)
                toast(tr("轮询列表为空!"), false);
        } else {
            m_pollList = list->scenes;
        }
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::ScenePollingCalled, [this](BranchCall &call) {
        onPollingCalled(QString(call.work)); // a copy: the refresh pumps events
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::SceneReady, [this](BranchCall &call) {
        onSceneStatusAnswer(call.work);
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::SceneSaved, [this](BranchCall &call) {
        int last = 0;
        for (int scene : everyScene(call.work, SavedKeyword, &Scenes::savedScene)) {
            if (isSceneNumber(scene)) {
                setStored(scene, true);
                last = scene;
            }
        }
        if (!last)
            return Flow::Continue;
        toast(Scenes::savedToast(CommonlyUsed::getLanguageIndex()), true);
        m_selectedScene = last;
        m_window->Scene_Call_OR_Delete_Falg = FlagRecall;
        showScene(last);
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::SceneCalled, [this](BranchCall &call) {
        onSceneCalled(QString(call.work)); // a copy: the refresh pumps events
        return Flow::Continue;
    });
    dispatcher->setBranchHandler(Protocol::Answer::SceneDeleted, [this](BranchCall &call) {
        bool deleted = false;
        for (int scene : everyScene(call.work, DeletedKeyword, &Scenes::deletedScene)) {
            if (!isSceneNumber(scene))
                continue;
            setStored(scene, false);
            m_names->setName(NameStore::Scene, scene, QString());
            deleted = true;
        }
        if (!deleted)
            return Flow::Continue;
        toast(Scenes::deletedToast(CommonlyUsed::getLanguageIndex()), true);
        if (!m_names->save(NameStore::Scene))
            qWarning() << "scene names could not be stored";
        return Flow::Continue;
    });
}

// ---- scene status ------------------------------------------------------------

void ScenePanel::refreshSceneStatus(const QString &text)
{
    for (int scene : Scenes::storedScenes(text)) {
        if (isSceneNumber(scene))
            setStored(scene, true);
    }
}

void ScenePanel::showAllScenesEmpty()
{
    for (MyButton *button : qAsConst(m_scenes))
        button->setStyleSheet(QLatin1String(EmptyLook));
}

void ScenePanel::setStored(int scene, bool stored)
{
    m_scenes.at(scene - 1)->setStyleSheet(QLatin1String(stored ? StoredLook : EmptyLook));
}

bool ScenePanel::isSceneNumber(int scene) const
{
    return scene >= 1 && scene <= m_scenes.size();
}

void ScenePanel::onSceneStatusAnswer(const QString &text)
{
    refreshSceneStatus(text);
    const int flag = m_window->Scene_Call_OR_Delete_Falg;
    const int scene = m_checkedScene;
    m_checkedScene = 0;
    m_window->Scene_Call_OR_Delete_Falg = FlagNone;

    const Scenes::SceneCheck check = Scenes::sceneCheck(text);
    if (check.missing && flag != FlagStatusQuery)
        toast(tr("场景不存在！"), false);
    // Only the answer about the scene this panel asked for goes on to the
    // recall or deletion.
    if ((flag != FlagRecall && flag != FlagDelete) || !isSceneNumber(scene) || !check.exists
        || !Scenes::sceneCheck(text, scene).exists)
        return;
    const char *request = flag == FlagRecall ? Protocol::Command::SceneCall : Protocol::Command::SceneDelete;
    QTimer::singleShot(Scenes::StepDelayMs, this, [this, request, scene] {
        m_window->whenLinkFree(this, [this, request, scene] { m_window->sendData(Protocol::build(request, { scene })); });
    });
}

void ScenePanel::checkScene(int scene, int flag)
{
    m_checkedScene = scene;
    m_window->Scene_Call_OR_Delete_Falg = flag;
    m_window->sendData(Protocol::build(Protocol::Command::SceneStatus, { scene }));
}

void ScenePanel::queryDeviceScenes()
{
    m_window->sendData(QString::fromLatin1(Protocol::Command::ScenePollingStatus));
    m_window->Scene_Call_OR_Delete_Falg = FlagStatusQuery;
    m_window->sendData(Protocol::build(Protocol::Command::SceneStatus, { 0 }));
}

// ---- the operator's actions ----------------------------------------------------

void ScenePanel::pushButton_scene_clicked()
{
    const QString name = sender() ? sender()->objectName() : QString();
    const int at = name.lastIndexOf(SceneNameKey);
    if (at < 0)
        return;
    bool ok = false;
    const int scene = name.mid(at + SceneNameKey.size(), SceneNumberDigits).toInt(&ok, 10);
    if (ok)
        m_selectedScene = scene;
}

void ScenePanel::on_pushButton_Scene_saving_clicked()
{
    if (!isSceneNumber(m_selectedScene)) {
        toast(tr("请先选中要保存的场景！"), false);
        return;
    }
    m_window->sendData(Protocol::build(Protocol::Command::SceneSave, { m_selectedScene }));
}

void ScenePanel::on_pushButton_Scene_call_clicked()
{
    if (!isSceneNumber(m_selectedScene)) {
        toast(tr("请先选中要调用的场景！"), false);
        return;
    }
    checkScene(m_selectedScene, FlagRecall);
}

void ScenePanel::on_pushButton_Scene_deletion_clicked()
{
    if (!isSceneNumber(m_selectedScene)) {
        toast(tr("请选中要删除的场景！"), false);
        return;
    }
    m_sceneToDelete = m_selectedScene;
    m_window->Get_Question(
        tr("您确定删除场景吗？") + QLatin1Char('\n') + m_names->name(NameStore::Scene, m_sceneToDelete), 2);
}

void ScenePanel::Delete_scene()
{
    // The scene named in the question; a direct call without one deletes the selection.
    const int scene = m_sceneToDelete ? m_sceneToDelete : m_selectedScene;
    m_sceneToDelete = 0;
    if (!isSceneNumber(scene)) {
        toast(tr("请选中要删除的场景！"), false);
        return;
    }
    checkScene(scene, FlagDelete);
}

void ScenePanel::showScene(int scene)
{
    QScrollBar *bar = ui->scrollArea_scene->verticalScrollBar();
    bar->setValue(Scenes::scrollValueFor(scene, bar->maximum()));
    MyButton *button = m_scenes.at(scene - 1);
    // Two buttons share a row, so the value above can leave the row just out of view.
    ui->scrollArea_scene->ensureWidgetVisible(button, 0, 0);
    button->setChecked(true);
}

// ---- recall ------------------------------------------------------------------

void ScenePanel::refreshRoutingAfterRecall(bool withResolutions)
{
    CommonlyUsed::Delay_MSec(Scenes::recallRefreshDelayMs(CommonlyUsed::deviceType));
    QString answer;
    if (m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::GetSwitch), answer))
        m_window->refreshSwitchStatus(answer);
    if (!withResolutions)
        return;
    answer.clear();
    if (m_window->sendDataDevice(Protocol::build(Protocol::Command::GetInputResolution, { 0 }), answer))
        m_window->Data_Processing(answer);
}

void ScenePanel::onSceneCalled(const QString &text)
{
    const std::optional<int> scene = Scenes::calledScene(text);
    if (m_window->currentPage == 0)
        refreshRoutingAfterRecall(true);
    if (m_window->pollingRunning)
        return;
    if (scene && isSceneNumber(*scene)) {
        m_selectedScene = *scene;
        m_window->Scene_Call_OR_Delete_Falg = FlagRecall;
        showScene(*scene);
    }
    toast(tr("场景调用成功!"), true);
}

void ScenePanel::onPollingCalled(const QString &text)
{
    const std::optional<int> scene = Scenes::pollingCalledScene(text);
    const bool stoppedAfterwards = m_pollingStoppedAtDepth == m_window->dispatcher()->depth();
    m_pollingStoppedAtDepth = NoDepth;
    if (!stoppedAfterwards && !m_window->pollingRunning)
        m_window->setPollingRunning(true);
    if (scene && isSceneNumber(*scene)) {
        // The checked button and the selection stay the same scene, so a
        // recall after polling stops takes the scene the operator sees.
        m_selectedScene = *scene;
        m_window->Scene_Call_OR_Delete_Falg = FlagRecall;
        showScene(*scene);
    }
    refreshRoutingAfterRecall(false);
}

// ---- polling -----------------------------------------------------------------

void ScenePanel::showPollingState(bool running)
{
    for (MyButton *button : qAsConst(m_scenes))
        button->setEnabled(!running);
    for (QPushButton *button : { ui->pushButton_Scene_saving, ui->pushButton_Scene_call,
             ui->pushButton_Scene_deletion, ui->pushButton_ScenePollingSet })
        button->setEnabled(!running);
    ui->pushButton_ScenePollingStart->setText(running ? tr("停止轮询") : tr("启动轮询"));
}

void ScenePanel::on_pushButton_ScenePollingStart_clicked()
{
    // The device's answer, not the press, changes the polling state.
    m_window->sendData(QString::fromLatin1(m_window->pollingRunning ? Protocol::Command::ScenePollingStop
                                                                    : Protocol::Command::ScenePollingStart));
}

void ScenePanel::on_pushButton_ScenePollingSet_clicked()
{
    QString answer;
    if (!m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::SceneGetTime), answer)) {
        toast(tr("读取轮询设置失败！"), false);
        return;
    }
    if (const auto seconds = Scenes::pollingInterval(answer))
        m_pollInterval = *seconds;

    answer.clear();
    if (!m_window->sendDataDevice(QString::fromLatin1(Protocol::Command::SceneListStatus), answer)) {
        toast(tr("读取轮询设置失败！"), false);
        return;
    }
    if (const auto list = Scenes::pollingList(answer))
        m_pollList = list->scenes;

    answer.clear();
    if (!m_window->sendDataDevice(Protocol::build(Protocol::Command::SceneStatus, { 0 }), answer)) {
        toast(tr("读取轮询设置失败！"), false);
        return;
    }
    refreshSceneStatus(answer);

    QMap<int, QString> names;
    for (int scene : Scenes::storedScenes(answer))
        names.insert(scene, m_names->name(NameStore::Scene, scene));
    // A listed scene that is no longer stored keeps its place and its name.
    for (int scene : qAsConst(m_pollList)) {
        if (!names.contains(scene))
            names.insert(scene, m_names->name(NameStore::Scene, scene));
    }

    if (!m_dialog) {
        m_dialog = new Scene_Polling(m_window);
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_dialog, &Scene_Polling::pollingSettingsAccepted, this, &ScenePanel::sendPollingSettings);
    }
    m_dialog->setPollList(names, m_pollList.toList());
    m_dialog->setInterval(m_pollInterval);
    const QRect area = m_window->frameGeometry();
    m_dialog->move(area.center() - QPoint(m_dialog->width() / 2, m_dialog->height() / 2));
    m_dialog->show();
    m_dialog->raise();
    m_dialog->activateWindow();
    m_dialogOpened = true;
}

void ScenePanel::sendPollingSettings(int seconds, const QVector<int> &scenes)
{
    m_window->sendData(Protocol::build(Protocol::Command::SceneSetTime, { seconds }));
    CommonlyUsed::Delay_MSec(Scenes::PollingRequestGapMs);
    m_window->sendData(Scenes::buildPollingList(scenes));
}

// ---- shared ------------------------------------------------------------------

void ScenePanel::toast(const QString &text, bool success)
{
    m_window->showToast(text, QString::fromLatin1(success ? Protocol::SuccessStyle : Protocol::FailureStyle));
}

void ScenePanel::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        ui->retranslateUi(this);
        showPollingState(m_window->pollingRunning);
    }
    QWidget::changeEvent(event);
}
