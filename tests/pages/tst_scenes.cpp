// The scene block and the polling dialog against the simulator: store,
// recall and delete change the device's scenes and routing, the device's
// answers mark the buttons, and the polling settings travel both ways.
#include "pages_harness.h"

#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>

#include "mainwindow/naming/namestore.h"
#include "mainwindow/scenes/scene_polling.h"
#include "mainwindow/scenes/scenemodel.h"
#include "mainwindow/scenes/scenepanel.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/inquiry_tips.h"
#include "widgets/mybutton.h"
#include "widgets/signalswitchbut.h"

namespace {
constexpr int Outputs = 9; // model 8x9: the shortest refresh delay after a recall
const QString Stored = QLatin1String(ScenePanel::StoredLook);
const QString Empty = QLatin1String(ScenePanel::EmptyLook);

QStringList itemTexts(const QListWidget *list)
{
    QStringList texts;
    for (int row = 0; row < list->count(); ++row)
        texts << list->item(row)->text();
    return texts;
}
} // namespace

class TestScenes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void storeRecallAndDelete();
    void statusAnswersMarkStoredScenes();
    void deletionKeepsTheSceneOfTheQuestion();
    void pollingDialogShowsTheDeviceSettings();
    void pollingStoppedOnTheDeviceFreesThePage();

private:
    MainWindow *w() const { return h.window(); }
    ScenePanel *panel() const { return h.window()->scenePanel(); }
    MyButton *scene(int n) const { return panel()->sceneButtons().at(n - 1); }
    QPushButton *button(const char *name) const
    {
        return panel()->findChild<QPushButton *>(QLatin1String(name));
    }
    bool control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        return ok;
    }
    QString simState(const char *key) { return h.sim().state().value(QLatin1String(key)); }
    // Requests the device received since the last clear, in order.
    QStringList requests() { return h.sim().history(); }
    Scene_Polling *openPollingDialog()
    {
        button("pushButton_ScenePollingSet")->click();
        return panel()->pollingDialog();
    }

    PagesHarness h;
};

void TestScenes::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x9") }), qPrintable(h.error()));
    // The model's own queries: is the device polling, which scenes it holds.
    QTRY_VERIFY_WITH_TIMEOUT(requests().contains(QStringLiteral("(scene,sta,0)")), 5000);
    QTRY_COMPARE(w()->Scene_Call_OR_Delete_Falg, 0);
    QVERIFY(requests().contains(QStringLiteral("(scene,pollsta)")));
    QCOMPARE(scene(1)->objectName(), QStringLiteral("pushButton_scene1"));
    QCOMPARE(panel()->sceneButtons().size(), 32);
}

void TestScenes::storeRecallAndDelete()
{
    const QString routeA = QStringLiteral("2,2,2,2,2,2,2,2,2");
    QVERIFY(control(QStringLiteral("panel route 2 a")));
    QTRY_COMPARE(simState("route"), routeA);

    // Nothing selected yet in this run: nothing is sent.
    QVERIFY(control(QStringLiteral("history clear")));
    button("pushButton_Scene_call")->click();
    QCOMPARE(w()->lastToast(), QStringLiteral("请先选中要调用的场景！"));
    QVERIFY(requests().isEmpty());

    scene(3)->click();
    QCOMPARE(panel()->selectedScene(), 3);
    button("pushButton_Scene_saving")->click();
    QTRY_COMPARE(simState("scenes"), QStringLiteral("3"));
    QTRY_COMPARE(scene(3)->styleSheet(), Stored);
    QCOMPARE(w()->lastToast(), Scenes::savedToast(CommonlyUsed::getLanguageIndex()));

    QVERIFY(control(QStringLiteral("panel route 5 a")));
    QTRY_COMPARE(simState("route"), QStringLiteral("5,5,5,5,5,5,5,5,5"));

    QVERIFY(control(QStringLiteral("history clear")));
    scene(3)->click();
    button("pushButton_Scene_call")->click();
    QTRY_COMPARE(simState("route"), routeA);
    // Asked first, recalled after; then the routing is read back.
    QTRY_VERIFY(requests().contains(QStringLiteral("(get,sw)")));
    const QStringList sent = requests();
    QVERIFY(sent.indexOf(QStringLiteral("(scene,sta,3)")) < sent.indexOf(QStringLiteral("(scene,call,3)")));
    QVERIFY(sent.indexOf(QStringLiteral("(scene,call,3)")) < sent.indexOf(QStringLiteral("(get,sw)")));
    const QList<SignalSwitchBut *> tiles = w()->switchingPage()->tiles();
    QVERIFY(tiles.size() >= Outputs);
    for (int o = 0; o < Outputs; ++o)
        QTRY_COMPARE(tiles.at(o)->routedInput(), 2);
    QTRY_COMPARE(w()->lastToast(), QStringLiteral("场景调用成功!"));

    // A scene the device does not hold is not recalled.
    QVERIFY(control(QStringLiteral("history clear")));
    scene(6)->click();
    button("pushButton_Scene_call")->click();
    QTRY_COMPARE(w()->lastToast(), QStringLiteral("场景不存在！"));
    QTest::qWait(Scenes::StepDelayMs + 200);
    QVERIFY(!requests().contains(QStringLiteral("(scene,call,6)")));

    // Deletion: question, check, delete; the name goes back to its default.
    w()->nameStore()->setName(NameStore::Scene, 3, QStringLiteral("Lobby"));
    QCOMPARE(scene(3)->text(), QStringLiteral("Lobby"));
    scene(3)->click();
    button("pushButton_Scene_deletion")->click();
    auto *question = w()->findChild<Inquiry_Tips *>();
    QVERIFY(question);
    QVERIFY(question->message().startsWith(QStringLiteral("您确定删除场景吗？")));
    QVERIFY(question->message().contains(QStringLiteral("Lobby")));
    question->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_OK"))->click();
    QTRY_COMPARE(simState("scenes"), QString());
    QTRY_COMPARE(scene(3)->styleSheet(), Empty);
    QCOMPARE(w()->lastToast(), Scenes::deletedToast(CommonlyUsed::getLanguageIndex()));
    QCOMPARE(w()->nameStore()->hasName(NameStore::Scene, 3), false);
    QCOMPARE(scene(3)->text(), w()->nameStore()->display(NameStore::Scene, 3));
}

void TestScenes::statusAnswersMarkStoredScenes()
{
    panel()->showAllScenesEmpty();
    w()->Scene_Call_OR_Delete_Falg = 3;
    w()->Data_Processing(QStringLiteral("scene1isbereadyscene2isnotreadyscene3isbereadyok"));
    QCOMPARE(scene(1)->styleSheet(), Stored);
    QCOMPARE(scene(2)->styleSheet(), Empty);
    QCOMPARE(scene(3)->styleSheet(), Stored);
    QCOMPARE(w()->Scene_Call_OR_Delete_Falg, 0);

    // A single-scene answer marks its own button, not the first one; the
    // marks are only ever added.
    panel()->showAllScenesEmpty();
    scene(2)->setStyleSheet(Stored);
    w()->Scene_Call_OR_Delete_Falg = 3;
    w()->Data_Processing(QStringLiteral("scene5isbereadyok"));
    QCOMPARE(scene(5)->styleSheet(), Stored);
    QCOMPARE(scene(1)->styleSheet(), Empty);
    QCOMPARE(scene(2)->styleSheet(), Stored);

    // Saved on the device's front panel: marked, selected and scrolled to.
    QVERIFY(control(QStringLiteral("panel save 32")));
    QTRY_VERIFY(scene(32)->isChecked());
    QScrollBar *bar
        = panel()->findChild<QScrollArea *>(QStringLiteral("scrollArea_scene"))->verticalScrollBar();
    QCOMPARE(scene(32)->styleSheet(), Stored);
    QCOMPARE(panel()->selectedScene(), 32);
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(control(QStringLiteral("panel save 1")));
    QTRY_VERIFY(scene(1)->isChecked());
    QCOMPARE(bar->value(), 0);
    QVERIFY(control(QStringLiteral("panel clear 32")));
    QVERIFY(control(QStringLiteral("panel clear 1")));
    QTRY_COMPARE(scene(1)->styleSheet(), Empty);
}

void TestScenes::deletionKeepsTheSceneOfTheQuestion()
{
    QVERIFY(control(QStringLiteral("panel save 3")));
    QTRY_COMPARE(scene(3)->styleSheet(), Stored);
    QVERIFY(control(QStringLiteral("history clear")));

    scene(3)->click();
    button("pushButton_Scene_deletion")->click();
    QCOMPARE(panel()->sceneToDelete(), 3);
    // While the question is open the device saves scene 5, which selects it.
    QVERIFY(control(QStringLiteral("panel save 5")));
    QTRY_COMPARE(panel()->selectedScene(), 5);
    auto *question = w()->findChild<Inquiry_Tips *>();
    QVERIFY(question);
    question->findChild<QPushButton *>(QStringLiteral("pushButton_inquiry_OK"))->click();

    QTRY_COMPARE(simState("scenes"), QStringLiteral("5"));
    QVERIFY(requests().contains(QStringLiteral("(scene,del,3)")));
    QVERIFY(!requests().contains(QStringLiteral("(scene,del,5)")));
    QCOMPARE(scene(5)->styleSheet(), Stored);
    QVERIFY(control(QStringLiteral("panel clear 5")));
}

void TestScenes::pollingDialogShowsTheDeviceSettings()
{
    for (int n : { 2, 4, 7, 9 })
        QVERIFY(control(QStringLiteral("panel save %1").arg(n)));
    QTRY_COMPARE(scene(9)->styleSheet(), Stored);
    QString answer;
    QVERIFY(w()->sendDataDevice(QStringLiteral("(scene,list,4,2,7)"), answer));
    w()->nameStore()->setName(NameStore::Scene, 4, QStringLiteral("Hall & Stage"));
    QVERIFY(control(QStringLiteral("panel time 2")));

    Scene_Polling *dialog = openPollingDialog();
    QVERIFY(dialog && dialog->isVisible());
    auto *polling = dialog->findChild<QListWidget *>(QStringLiteral("listWidget_Polling_scenario"));
    auto *existing = dialog->findChild<QListWidget *>(QStringLiteral("listWidget_Existing_scenes"));
    auto *interval = dialog->findChild<QSpinBox *>(QStringLiteral("spinBox_TimeInterval"));
    const NameStore *names = w()->nameStore();
    QCOMPARE(itemTexts(polling),
        QStringList({ QStringLiteral("Hall & Stage"), names->name(NameStore::Scene, 2),
            names->name(NameStore::Scene, 7) }));
    QCOMPARE(dialog->pollingScenes(), QVector<int>({ 4, 2, 7 }));
    QCOMPARE(dialog->availableScenes(), QVector<int>({ 9 }));
    QCOMPARE(panel()->pollInterval(), 2);
    QCOMPARE(interval->value(), 5); // the device's 2 s, as close as the dialog allows
    interval->setValue(1000);
    QCOMPARE(interval->value(), 999);

    dialog->findChild<QPushButton *>(QStringLiteral("pushButton_Scenario_Polling_NO"))->click();
    QTRY_VERIFY(!panel()->pollingDialog());

    QVERIFY(control(QStringLiteral("panel time 30")));
    dialog = openPollingDialog();
    QVERIFY(dialog);
    polling = dialog->findChild<QListWidget *>(QStringLiteral("listWidget_Polling_scenario"));
    existing = dialog->findChild<QListWidget *>(QStringLiteral("listWidget_Existing_scenes"));
    QCOMPARE(dialog->findChild<QSpinBox *>(QStringLiteral("spinBox_TimeInterval"))->value(), 30);

    // Add goes right after the current polling item; without a current item nothing moves.
    polling->setCurrentRow(0);
    existing->setCurrentRow(0);
    dialog->on_pushButton_SenceAdd_clicked();
    QCOMPARE(dialog->pollingScenes(), QVector<int>({ 4, 9, 2, 7 }));
    existing->setCurrentRow(-1);
    dialog->on_pushButton_SenceAdd_clicked();
    QCOMPARE(dialog->pollingScenes().size(), 4);

    // Emptied and confirmed: the interval, then the empty list.
    dialog->on_pushButton_SenceSave_clicked();
    QVERIFY(dialog->pollingScenes().isEmpty());
    QCOMPARE(dialog->availableScenes().size(), 4);
    QVERIFY(control(QStringLiteral("history clear")));
    dialog->findChild<QPushButton *>(QStringLiteral("pushButton_Scenario_Polling_OK"))->click();
    QTRY_COMPARE(simState("polllist"), QString());
    QCOMPARE(
        requests(), QStringList({ QStringLiteral("(scene,time,30)"), QStringLiteral("(scene,list,0)") }));
    QTRY_COMPARE(w()->lastToast(), QStringLiteral("轮询列表为空!"));
    QVERIFY(panel()->pollList().isEmpty());
    QTRY_VERIFY(!panel()->pollingDialog());
}

void TestScenes::pollingStoppedOnTheDeviceFreesThePage()
{
    QString answer;
    QVERIFY(w()->sendDataDevice(QStringLiteral("(scene,list,4,2)"), answer));
    QVERIFY(control(QStringLiteral("panel save 4")));
    QWidget *otherPage = w()->findChild<QWidget *>(QStringLiteral("page_2"));
    QVERIFY(otherPage);
    QPushButton *start = button("pushButton_ScenePollingStart");

    QVERIFY(control(QStringLiteral("panel polling on")));
    QTRY_VERIFY(w()->pollingRunning);
    QCOMPARE(start->text(), QStringLiteral("停止轮询"));
    QVERIFY(start->isEnabled());
    QVERIFY(!scene(1)->isEnabled());
    QVERIFY(!button("pushButton_Scene_call")->isEnabled());
    QVERIFY(!button("pushButton_ScenePollingSet")->isEnabled());
    QVERIFY(!otherPage->isEnabled());

    // The device's cycling recalls scene 4: it is shown as the current scene.
    QVERIFY(control(QStringLiteral("poll tick")));
    QTRY_VERIFY(scene(4)->isChecked());
    QCOMPARE(panel()->selectedScene(), 4);

    QVERIFY(control(QStringLiteral("panel polling off")));
    QTRY_VERIFY(!w()->pollingRunning);
    QCOMPARE(start->text(), QStringLiteral("启动轮询"));
    QVERIFY(scene(1)->isEnabled());
    QVERIFY(button("pushButton_Scene_saving")->isEnabled());
    QVERIFY(button("pushButton_ScenePollingSet")->isEnabled());
    QVERIFY(otherPage->isEnabled());

    // The button asks; only the device's answer changes the state.
    start->click();
    QTRY_COMPARE(simState("polling"), QStringLiteral("1"));
    QTRY_VERIFY(w()->pollingRunning);
    start->click();
    QTRY_COMPARE(simState("polling"), QStringLiteral("0"));
    QTRY_VERIFY(!w()->pollingRunning);
    QCOMPARE(start->text(), QStringLiteral("启动轮询"));
}

QTEST_MAIN(TestScenes)
#include "tst_scenes.moc"
