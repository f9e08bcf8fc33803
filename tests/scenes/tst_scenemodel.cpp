#include "link/protocol/protocol.h"
#include "mainwindow/scenes/scenemodel.h"

#include <QtTest>

class tst_SceneModel final : public QObject
{
    Q_OBJECT
private slots:
    void storedScenes_data();
    void storedScenes();
    void sceneCheck_data();
    void sceneCheck();
    void sceneNumbers_data();
    void sceneNumbers();
    void pollingList_data();
    void pollingList();
    void pollingInterval_data();
    void pollingInterval();
    void boundedInterval_data();
    void boundedInterval();
    void buildPollingList_data();
    void buildPollingList();
    void scrollValue_data();
    void scrollValue();
};

void tst_SceneModel::storedScenes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QVector<int>>("stored");

    QString all;
    QVector<int> odd;
    for (int scene = 1; scene <= Scenes::SceneCount; ++scene) {
        all += QStringLiteral("scene%1is%2ready").arg(scene).arg(scene % 2 ? "be" : "not");
        if (scene % 2)
            odd << scene;
    }
    all += QLatin1String("ok");

    QTest::newRow("1 and 3 stored, 2 empty")
        << "scene1isbereadyscene2isnotreadyscene3isbereadyok" << QVector<int>{1, 3};
    QTest::newRow("all 32, odd stored") << all << odd;
    QTest::newRow("single stored scene by its number") << "scene5isbereadyok" << QVector<int>{5};
    QTest::newRow("single empty scene") << "scene5isnotreadyok" << QVector<int>{};
    QTest::newRow("scene 0") << "scene0isbereadyok" << QVector<int>{};
    QTest::newRow("scene 33") << "scene33isbereadyok" << QVector<int>{};
    QTest::newRow("scene 999") << "scene999isbereadyok" << QVector<int>{};
    QTest::newRow("number overflows") << "scene99999999999isbereadyok" << QVector<int>{};
    QTest::newRow("no number") << "sceneisbereadyok" << QVector<int>{};
    QTest::newRow("after another answer") << "scene3savedokscene7isbereadyok" << QVector<int>{7};
    QTest::newRow("repeated and unordered")
        << "scene9isbereadyscene2isbereadyscene9isbereadyok" << QVector<int>{2, 9};
}

void tst_SceneModel::storedScenes()
{
    QFETCH(QString, text);
    QFETCH(QVector<int>, stored);
    QCOMPARE(Scenes::storedScenes(text), stored);
}

void tst_SceneModel::sceneCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scene"); // 0: the single-answer check
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("missing");

    const QString all = QStringLiteral("scene1isbereadyscene2isnotreadyscene3isbereadyok");
    QTest::newRow("single stored") << "scene5isbereadyok" << 0 << true << false;
    QTest::newRow("single empty") << "scene5isnotreadyok" << 0 << false << true;
    QTest::newRow("all scenes decide nothing") << all << 0 << false << false;
    QTest::newRow("no state") << "scene5isreadyok" << 0 << false << false;
    QTest::newRow("scene 33") << "scene33isbereadyok" << 0 << false << false;
    QTest::newRow("asked scene stored in all") << all << 3 << true << false;
    QTest::newRow("asked scene empty in all") << all << 2 << false << true;
    QTest::newRow("asked scene not reported") << all << 4 << false << false;
    QTest::newRow("other single scene") << "scene5isbereadyok" << 6 << false << false;
}

void tst_SceneModel::sceneCheck()
{
    QFETCH(QString, text);
    QFETCH(int, scene);
    QFETCH(bool, exists);
    QFETCH(bool, missing);
    const Scenes::SceneCheck check = scene == 0 ? Scenes::sceneCheck(text) : Scenes::sceneCheck(text, scene);
    QCOMPARE(check.exists, exists);
    QCOMPARE(check.missing, missing);
}

void tst_SceneModel::sceneNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("saved"); // 0: none
    QTest::addColumn<int>("called");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<int>("pollingCalled");

    QTest::newRow("saved") << "scene5savedok" << 5 << 0 << 0 << 0;
    QTest::newRow("called") << "scene3calledok" << 0 << 3 << 0 << 0;
    QTest::newRow("deleted") << "scene3deletedok" << 0 << 0 << 3 << 0;
    QTest::newRow("polling recall is no plain recall") << "scenepolling3calledok" << 0 << 0 << 0 << 3;
    QTest::newRow("after a status answer") << "scene1isbereadyokscene12calledok" << 0 << 12 << 0 << 0;
    QTest::newRow("scene 0") << "scene0savedok" << 0 << 0 << 0 << 0;
    QTest::newRow("scene 33") << "scene33calledok" << 0 << 0 << 0 << 0;
    QTest::newRow("scene 999") << "scene999deletedok" << 0 << 0 << 0 << 0;
    QTest::newRow("polling scene 40") << "scenepolling40calledok" << 0 << 0 << 0 << 0;
    QTest::newRow("garbage number") << "scene3xsavedok" << 0 << 0 << 0 << 0;
}

void tst_SceneModel::sceneNumbers()
{
    QFETCH(QString, text);
    QFETCH(int, saved);
    QFETCH(int, called);
    QFETCH(int, deleted);
    QFETCH(int, pollingCalled);
    QCOMPARE(Scenes::savedScene(text).value_or(0), saved);
    QCOMPARE(Scenes::calledScene(text).value_or(0), called);
    QCOMPARE(Scenes::deletedScene(text).value_or(0), deleted);
    QCOMPARE(Scenes::pollingCalledScene(text).value_or(0), pollingCalled);
}

void tst_SceneModel::pollingList_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<bool>("empty");
    QTest::addColumn<QVector<int>>("scenes");
    QTest::addColumn<int>("begin");
    QTest::addColumn<int>("length");

    QTest::newRow("list") << "scenepollinglist4,2,7ok" << true << false << QVector<int>{4, 2, 7} << 0 << 23;
    QTest::newRow("empty") << "scenepollinglistemptyok" << true << true << QVector<int>{} << 0 << 23;
    QTest::newRow("collected after the time answer")
        << "scenepollingtime10sokscenepollinglist4,2,7ok" << true << false << QVector<int>{4, 2, 7} << 21 << 23;
    QTest::newRow("followed by a status answer")
        << "scenepollinglist1,3okscene1isbereadyok" << true << false << QVector<int>{1, 3} << 0 << 21;
    QTest::newRow("garbage between commas")
        << "scenepollinglist4,x,,2,0,33,-1,7ok" << true << false << QVector<int>{4, 2, 7} << 0 << 34;
    QTest::newRow("cut short") << "scenepollinglist4,2,7" << false << false << QVector<int>{} << 0 << 0;
    QTest::newRow("no list answer") << "scenepollingtime10sok" << false << false << QVector<int>{} << 0 << 0;
}

void tst_SceneModel::pollingList()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(bool, empty);
    QFETCH(QVector<int>, scenes);
    QFETCH(int, begin);
    QFETCH(int, length);
    const auto answer = Scenes::pollingList(text);
    QCOMPARE(answer.has_value(), found);
    if (!found)
        return;
    QCOMPARE(answer->empty, empty);
    QCOMPARE(answer->scenes, scenes);
    QCOMPARE(answer->begin, begin);
    QCOMPARE(answer->length, length);
    QVERIFY(text.mid(answer->begin, answer->length).endsWith(QLatin1String("ok")));
}

void tst_SceneModel::pollingInterval_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds"); // -1: none
    QTest::newRow("ten") << "scenepollingtime10sok" << 10;
    QTest::newRow("collected with the list") << "scenepollinglist4ok" "scenepollingtime999sok" << 999;
    QTest::newRow("below the dialog's minimum as reported") << "scenepollingtime2sok" << 2;
    QTest::newRow("not a number") << "scenepollingtimexsok" << -1;
    QTest::newRow("no end") << "scenepollingtime10" << -1;
}

void tst_SceneModel::pollingInterval()
{
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QCOMPARE(Scenes::pollingInterval(text).value_or(-1), seconds);
}

void tst_SceneModel::boundedInterval_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("bounded");
    QTest::newRow("below") << 4 << 5;
    QTest::newRow("negative") << -3 << 5;
    QTest::newRow("inside") << 120 << 120;
    QTest::newRow("above") << 1000 << 999;
}

void tst_SceneModel::boundedInterval()
{
    QFETCH(int, seconds);
    QFETCH(int, bounded);
    QCOMPARE(Scenes::boundedInterval(seconds), bounded);
}

void tst_SceneModel::buildPollingList_data()
{
    QTest::addColumn<QVector<int>>("scenes");
    QTest::addColumn<QString>("request");
    QTest::newRow("empty") << QVector<int>{} << "(scene,list,0)";
    QTest::newRow("in order") << QVector<int>{4, 2, 7} << "(scene,list,4,2,7)";
}

void tst_SceneModel::buildPollingList()
{
    QFETCH(QVector<int>, scenes);
    QFETCH(QString, request);
    QCOMPARE(Scenes::buildPollingList(scenes), request);
    QCOMPARE(Protocol::buildSceneList(scenes.toList()), request);
    QVERIFY(Protocol::isWellFormedRequest(request));
}

void tst_SceneModel::scrollValue_data()
{
    QTest::addColumn<int>("scene");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value");
    QTest::newRow("scene 1 at the top") << 1 << 640 << 0;
    QTest::newRow("scene 32 at the maximum") << 32 << 640 << 640;
    QTest::newRow("middle") << 16 << 640 << 290;
    QTest::newRow("middle, integer division") << 16 << 655 << 290;
    QTest::newRow("never below 0") << 2 << 320 << 0;
    QTest::newRow("no scrolling") << 16 << 0 << 0;
}

void tst_SceneModel::scrollValue()
{
    QFETCH(int, scene);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QCOMPARE(Scenes::scrollValueFor(scene, maximum), value);
}

QTEST_GUILESS_MAIN(tst_SceneModel)
#include "tst_scenemodel.moc"
