// The signal switching page against the simulator: layout per model, routes
// made by clicks, one-to-all, the device's own routing answers, entering the
// page while the device polls scenes, names on buttons and tiles.
#include "pages_harness.h"

#include <QGridLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>

#include <algorithm>

#include "app/settingscatalogue.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mylineedit.h"
#include "widgets/signalswitchbut.h"

class TestSwitching : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void openingShowsTheDevicesRouting();
    void layoutFollowsModel_data();
    void layoutFollowsModel();
    void unknownModelLaysOutAsFourByFour();
    void inputColumnScrollsOnSmallScreens();
    void tileClickRoutesThroughDevice();
    void quickClicksEachGetTheirOwnAnswer();
    void oneToAllHoldsWindowThenPaintsEveryTile();
    void deviceRoutingAnswers();
    void enteringWhilePollingSendsNothing();
    void renamedInputIsStoredAndShown();
    void tileWithoutOutputNameShowsDefault();

private:
    SwitchingPage *page() const { return h.window()->switchingPage(); }
    NameStore *names() const { return h.window()->nameStore(); }
    QGridLayout *grid() const
    {
        return page()->findChild<QGridLayout *>(QStringLiteral("gridLayout_signal_Change"));
    }
    // The device's route as a list of inputs, output 1 first.
    QStringList deviceRoute()
    {
        return h.sim().state().value(QStringLiteral("route")).split(QLatin1Char(','));
    }
    bool simCommand(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        return ok;
    }
    // The requests of this page the device received (other pages ask too).
    QStringList pageRequests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history()) {
            if (request.startsWith(QLatin1String("(sw,")) || request.startsWith(QLatin1String("(get,sw)"))
                || request.startsWith(QLatin1String("(get,i.res,")))
                mine << request;
        }
        return mine;
    }
    int shownInputs() const
    {
        return int(std::count_if(page()->inputButtons().cbegin(), page()->inputButtons().cend(),
            [](const my_ToolButton *b) { return !b->isHidden(); }));
    }
    void checkLayout(int inputs, int outputs, int rows, int columns);

    PagesHarness h;
};

void TestSwitching::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("16x16") }), qPrintable(h.error()));
    QVERIFY(page());
    QCOMPARE(page()->inputButtons().size(), 16);
    QCOMPARE(page()->tiles().size(), 16);
    // The object names the style sheet and older settings rely on.
    QCOMPARE(page()->inputButtons().at(9)->objectName(), QStringLiteral("toolButton_HDMI_010"));
    QCOMPARE(page()->inputButtons().at(9)->property("inputNumber").toInt(), 10);
    QCOMPARE(page()->tiles().at(15)->objectName(), QStringLiteral("pushButton_HDMI_16"));
    QCOMPARE(page()->tiles().at(15)->outputNumber(), 16);
    QVERIFY(grid());
}

void TestSwitching::checkLayout(int inputs, int outputs, int rows, int columns)
{
    QCOMPARE(shownInputs(), inputs);
    for (int i = 0; i < 16; ++i) {
        SignalSwitchBut *tile = page()->tiles().at(i);
        const int index = grid()->indexOf(tile);
        if (i >= outputs) {
            QVERIFY2(tile->isHidden(), qPrintable(tile->objectName()));
            QCOMPARE(index, -1); // an empty cell would still take room
            continue;
        }
        QVERIFY2(!tile->isHidden(), qPrintable(tile->objectName()));
        int row = -1, column = -1, rowSpan = 0, columnSpan = 0;
        grid()->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        QCOMPARE(row, i / columns);
        QCOMPARE(column, i % columns);
    }
    // Shown tiles share the area evenly and stay inside it.
    const QRect area = page()->findChild<QWidget *>(QStringLiteral("widget_signal_Change"))->rect();
    const QSize first = page()->tiles().first()->size();
    for (int i = 0; i < outputs; ++i) {
        QVERIFY(area.contains(page()->tiles().at(i)->geometry()));
        QVERIFY(qAbs(page()->tiles().at(i)->width() - first.width()) <= 1);
    }
    QVERIFY(first.height() * rows <= area.height());
}

void TestSwitching::openingShowsTheDevicesRouting()
{
    // Nobody clicked: the device's first answer about itself was enough.
    const QStringList route = deviceRoute();
    QVERIFY(!route.isEmpty());
    for (int output = 1; output <= route.size(); ++output) {
        QCOMPARE(page()->tiles().at(output - 1)->routedInput(), route.at(output - 1).toInt());
        QVERIFY(!page()->tiles().at(output - 1)->resolution().isEmpty());
    }
}

void TestSwitching::layoutFollowsModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("8x9") << "8x9" << 8 << 9 << 3 << 3;
    QTest::newRow("4x2") << "4x2" << 4 << 2 << 1 << 2;
    QTest::newRow("16x16") << "16x16" << 16 << 16 << 4 << 4;
}

void TestSwitching::layoutFollowsModel()
{
    QFETCH(QString, model);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    QCOMPARE(CommonlyUsed::deviceType, model);
    QCoreApplication::processEvents();
    checkLayout(inputs, outputs, rows, columns);
}

void TestSwitching::unknownModelLaysOutAsFourByFour()
{
    page()->Route_selection_currentTextChanged(QStringLiteral("5x7"));
    QCoreApplication::processEvents();
    checkLayout(4, 4, 2, 2);

    // Input 10 was chosen on the bigger device; a smaller one forgets it, so
    // a tile click cannot ask for an input the device does not have.
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
    QTest::mouseClick(page()->inputButtons().at(9), Qt::LeftButton);
    QCOMPARE(page()->currentInputNumber(), 10);
    QVERIFY(page()->inputButtons().at(9)->isChecked());
    QVERIFY2(h.useModel(QStringLiteral("8x8")), qPrintable(h.error()));
    QCOMPARE(page()->currentInputNumber(), 0);
    QVERIFY(!page()->inputButtons().at(9)->isChecked());
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
}

void TestSwitching::inputColumnScrollsOnSmallScreens()
{
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
    h.window()->resize(1366, 768);
    QTest::qWait(50);
    auto *area = page()->findChild<QScrollArea *>(QStringLiteral("scrollArea"));
    QVERIFY(area);
    QScrollBar *bar = area->verticalScrollBar();
    QVERIFY(bar->isVisible());
    QVERIFY(bar->maximum() > 0);
    for (const my_ToolButton *button : page()->inputButtons())
        QVERIFY(button->height() >= 40);

    // The wheel over a button scrolls the column (the button does not keep it).
    bar->setValue(0);
    my_ToolButton *first = page()->inputButtons().first();
    const QPoint at = first->rect().center();
    QWheelEvent wheel(at, first->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QSpontaneKeyEvent::setSpontaneous(&wheel); // as the window system delivers it
    qApp->notify(first, &wheel);
    QVERIFY(bar->value() > 0);
    bar->setValue(0);
}

void TestSwitching::tileClickRoutesThroughDevice()
{
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
    QVERIFY(simCommand(QStringLiteral("set res 3 3840x2160@30Hz")));
    names()->setName(NameStore::Input, 3, QStringLiteral("A&B Cam"));
    QCOMPARE(page()->inputButtons().at(2)->text(), QStringLiteral("A&&B Cam"));
    QVERIFY(deviceRoute().value(4) != QStringLiteral("3"));

    // Before an input is chosen nothing is sent.
    QCOMPARE(page()->currentInputNumber(), 0);
    QVERIFY(simCommand(QStringLiteral("history clear")));
    QTest::mouseClick(page()->tiles().at(4), Qt::LeftButton);
    QTest::qWait(150);
    QVERIFY(pageRequests().isEmpty());

    QTest::mouseClick(page()->inputButtons().at(2), Qt::LeftButton);
    QCOMPARE(page()->currentInputNumber(), 3);
    QVERIFY(page()->inputButtons().at(2)->isChecked());
    SignalSwitchBut *tile = page()->tiles().at(4);
    QTest::mouseClick(tile, Qt::LeftButton);

    QCOMPARE(deviceRoute().value(4), QStringLiteral("3"));
    QCOMPARE(tile->routedInput(), 3);
    QCOMPARE(tile->inputName(), QStringLiteral("A&B Cam"));
    QTRY_COMPARE_WITH_TIMEOUT(tile->resolution(), QStringLiteral("3840x2160@30Hz"), 3000);
    QCOMPARE(pageRequests(), QStringList({ QStringLiteral("(sw,3,5)"), QStringLiteral("(get,i.res,3)") }));
    // Other tiles keep what they showed.
    QVERIFY(page()->tiles().at(3)->resolution() != QStringLiteral("3840x2160@30Hz"));

    // A renamed input renames the tiles it feeds.
    names()->setName(NameStore::Input, 3, QStringLiteral("Camera 3"));
    QCOMPARE(tile->inputName(), QStringLiteral("Camera 3"));
}

void TestSwitching::quickClicksEachGetTheirOwnAnswer()
{
    // The resolution query of the first click falls due while the second
    // click's route waits for a slow device: it must wait its turn instead
    // of reading the route's answer as its own.
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
    QTest::mouseClick(page()->inputButtons().at(5), Qt::LeftButton);
    QVERIFY(simCommand(QStringLiteral("fault delay 150")));
    QVERIFY(simCommand(QStringLiteral("history clear")));
    SignalSwitchBut *first = page()->tiles().at(0);
    SignalSwitchBut *second = page()->tiles().at(1);
    QTest::mouseClick(first, Qt::LeftButton);
    QTest::mouseClick(second, Qt::LeftButton);
    QVERIFY(simCommand(QStringLiteral("fault clear")));
    QCOMPARE(first->routedInput(), 6);
    QCOMPARE(second->routedInput(), 6);
    QCOMPARE(deviceRoute().mid(0, 2), QStringList({QStringLiteral("6"), QStringLiteral("6")}));
    QTRY_VERIFY_WITH_TIMEOUT(!first->resolution().isEmpty() && !second->resolution().isEmpty(), 3000);
    // One resolution query per click, each after the route it follows; a
    // crossed answer would have sent a third.
    QTest::qWait(500);
    const QString route1 = QStringLiteral("(sw,6,1)");
    const QString route2 = QStringLiteral("(sw,6,2)");
    const QString query = QStringLiteral("(get,i.res,6)");
    QCOMPARE(pageRequests(), QStringList({route1, route2, query, query}));
}

void TestSwitching::oneToAllHoldsWindowThenPaintsEveryTile()
{
    QVERIFY2(h.useModel(QStringLiteral("8x9")), qPrintable(h.error()));
    QVERIFY(simCommand(QStringLiteral("set res 2 1280x720@50Hz")));
    for (SignalSwitchBut *tile : page()->tiles())
        tile->setResolution(QStringLiteral("stale"));
    QTest::mouseClick(page()->inputButtons().at(1), Qt::LeftButton);
    QCOMPARE(page()->currentInputNumber(), 2);

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(
        page()->findChild<QPushButton *>(QStringLiteral("pushButton_Input_All")), Qt::LeftButton);
    QCOMPARE(page()->allSwitchPending(), 1);
    QVERIFY(!h.window()->isEnabled());
    QCOMPARE(deviceRoute(), QString("2,2,2,2,2,2,2,2,2").split(QLatin1Char(',')));
    QTRY_VERIFY_WITH_TIMEOUT(h.window()->isEnabled(), 4000);
    QVERIFY2(clock.elapsed() >= 950, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(page()->allSwitchPending(), 0);
    for (int i = 0; i < 9; ++i) {
        SignalSwitchBut *tile = page()->tiles().at(i);
        QCOMPARE(tile->routedInput(), 2);
        QCOMPARE(tile->resolution(), QStringLiteral("1280x720@50Hz"));
    }
}

void TestSwitching::deviceRoutingAnswers()
{
    QVERIFY2(h.useModel(QStringLiteral("16x16")), qPrintable(h.error()));
    ReplyDispatcher *dispatcher = h.window()->dispatcher();
    QSignalSpy ended(dispatcher, &ReplyDispatcher::dispatchEnded);
    h.window()->currentPage = 0;

    // A whole table of 16 pieces is applied; the resolutions follow.
    QString table;
    for (int output = 1; output <= 16; ++output)
        table += QStringLiteral("out%1in%2").arg(output).arg(17 - output);
    QVERIFY(simCommand(QStringLiteral("history clear")));
    h.window()->Data_Processing(table + QStringLiteral("ok"));
    QVERIFY(ended.isEmpty());
    for (int output = 1; output <= 16; ++output)
        QCOMPARE(page()->tiles().at(output - 1)->routedInput(), 17 - output);
    QTRY_COMPARE_WITH_TIMEOUT(pageRequests(), QStringList { QStringLiteral("(get,i.res,0)") }, 3000);

    // 17 pieces: nothing applied and the dispatch ends at the routing branch.
    h.window()->Data_Processing(QStringLiteral("out1in1") + table + QStringLiteral("ok"));
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toInt(), 30);
    QCOMPARE(page()->tiles().at(0)->routedInput(), 16);

    // One switch made on the device itself: that tile, then its input's resolution.
    QVERIFY(simCommand(QStringLiteral("set res 6 720x576@50Hz")));
    QVERIFY(simCommand(QStringLiteral("history clear")));
    h.window()->Data_Processing(QStringLiteral("out2in6ok"));
    QCOMPARE(page()->tiles().at(1)->routedInput(), 6);
    QVERIFY(page()->tiles().at(1)->resolution().isEmpty()); // not input 15's any more
    QCOMPARE(page()->tiles().at(0)->routedInput(), 16);
    QTRY_COMPARE_WITH_TIMEOUT(page()->tiles().at(1)->resolution(), QStringLiteral("720x576@50Hz"), 3000);
    QCOMPARE(pageRequests(), QStringList { QStringLiteral("(get,i.res,6)") });

    // A route that stopped the device's scene polling frees the page.
    h.window()->setPollingRunning(true);
    page()->refreshSwitchStatus(QStringLiteral("scenepollingdisableokout4in1ok"));
    QVERIFY(!h.window()->pollingRunning);
    QCOMPARE(page()->tiles().at(3)->routedInput(), 1);
}

void TestSwitching::enteringWhilePollingSendsNothing()
{
    h.window()->setPollingRunning(true);
    QVERIFY(!page()->inputButtons().first()->isEnabled());
    QVERIFY(!page()->findChild<QPushButton *>(QStringLiteral("pushButton_Input_All"))->isEnabled());
    QVERIFY(simCommand(QStringLiteral("history clear")));
    emit h.window()->Send_PageShown(0);
    QTest::qWait(150);
    QVERIFY(pageRequests().isEmpty());

    h.window()->setPollingRunning(false);
    QVERIFY(page()->inputButtons().first()->isEnabled());
    emit h.window()->Send_PageShown(0);
    QCOMPARE(pageRequests(), QStringList({ QStringLiteral("(get,sw)"), QStringLiteral("(get,i.res,0)") }));
    QVERIFY(h.window()->isEnabled());
}

void TestSwitching::renamedInputIsStoredAndShown()
{
    my_ToolButton *button = page()->inputButtons().at(0);
    button->startRename();
    button->editor()->setText(QStringLiteral("Lecture hall A&B"));
    QVERIFY(simCommand(QStringLiteral("history clear")));
    button->m_ReName(MyLineEdit::FinishAccept);

    QCOMPARE(names()->name(NameStore::Input, 1), QStringLiteral("Lecture hall A&B"));
    QCOMPARE(button->text(), names()->display(NameStore::Input, 1));
    // The rename refreshed the page, which stored the names first.
    QVERIFY(pageRequests().contains(QStringLiteral("(get,sw)")));
    QSettings stored(
        SettingsCatalogue::filePath(SettingsCatalogue::File::SignalSwitching), QSettings::IniFormat);
    QVERIFY(stored.value(QStringLiteral("toolButton_HDMI/toolButton_value0"))
                .toString()
                .contains(QStringLiteral("Lecture")));
}

void TestSwitching::tileWithoutOutputNameShowsDefault()
{
    SignalSwitchBut *tile = page()->tiles().at(6);
    QVERIFY(!names()->hasName(NameStore::Output, 7));
    QVERIFY(tile->outputLine().endsWith(QStringLiteral("HDMI-7")));
    names()->setName(NameStore::Output, 7, QStringLiteral("Projector"));
    QCOMPARE(tile->outputName(), QStringLiteral("Projector"));
    QVERIFY(tile->outputLine().endsWith(QStringLiteral("Projector")));
    names()->setName(NameStore::Output, 7, QString());
    QVERIFY(tile->outputLine().endsWith(QStringLiteral("HDMI-7")));
}

QTEST_MAIN(TestSwitching)
#include "tst_switching.moc"
