// The video-wall page against an 8x16 simulator: the wall size the operator
// asks for, the port menu and its one binding per output, the positions sent
// together, the device's wall answers (good, oversized and malformed),
// entering the page, routing the chosen input to the wall, and a wall that is
// replaced while a screen's menu or click is still running.
#include "pages_harness.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>

#include "mainwindow/naming/namestore.h"
#include "mainwindow/wall/screenwidget.h"
#include "mainwindow/wall/splicingpage.h"
#include "widgets/my_toolbutton.h"

namespace {

const QString Marker = QStringLiteral("-");

QString refusedToast(int maximum)
{
    return QStringLiteral("%1%2!").arg(SplicingPage::tr("拼接行列总数不能超过")).arg(maximum);
}

} // namespace

class TestSplicing : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void wallSizeFromOperator_data();
    void wallSizeFromOperator();
    void portMenuBindsEachOutputOnce();
    void positionsGoOutInOneTransmission_data();
    void positionsGoOutInOneTransmission();
    void wallAnswers_data();
    void wallAnswers();
    void enteringPageReadsTheWall();
    void chosenInputGoesToTheWall_data();
    void chosenInputGoesToTheWall();
    void singleRouteLabelsOnlyItsScreens();
    void wallReplacedWhileMenuIsOpen();
    void wallReplacedWhileClickWaits();

private:
    SplicingPage *page() const { return h.window()->splicingPage(); }
    ScreenWidget *screen(int index) const { return page()->screens().value(index); }
    QSpinBox *spinBox(const char *name) const { return page()->findChild<QSpinBox *>(QLatin1String(name)); }
    bool simCommand(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        return ok;
    }
    QStringList wallRequests()
    {
        return h.sim().history().filter(
            QRegularExpression(QStringLiteral("^\\((get,sw|sw,|(get|set),splicer)")));
    }
    // One value per screen, "1,0,0,4".
    template <typename Value> QString perScreen(Value value) const
    {
        QStringList list;
        for (const ScreenWidget *s : page()->screens())
            list << value(s);
        return list.join(QLatin1Char(','));
    }
    QString ports() const
    {
        return perScreen([](const ScreenWidget *s) { return QString::number(s->outPortParam()); });
    }
    QString inputNames() const
    {
        return perScreen([](const ScreenWidget *s) { return s->inputName(); });
    }
    // A wall of rows x columns on the device and the page, ports bound by index.
    void showWall(int rows, int columns, const QVector<QPair<int, int>> &bindings = {});
    // Right-clicks `screen` and reads the port its menu shows as bound (0
    // none), then chooses `port` there (0: leaves the menu unchosen).
    int usePortMenu(ScreenWidget *target, int port, QStringList *texts = nullptr);

    PagesHarness h;
};

void TestSplicing::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x16") }), qPrintable(h.error()));
    QVERIFY(page());
    QCOMPARE(page()->maxScreens(), 16);
    QCOMPARE(page()->inputButtons().size(), 16);
    QCOMPARE(page()->inputButtons().at(11)->objectName(), QStringLiteral("InputSourceList_12"));
    for (int i = 0; i < 16; ++i)
        QCOMPARE(page()->inputButtons().at(i)->isHidden(), i >= 8);
    // The default wall: 2 x 4, nothing bound, input 1 chosen.
    QCOMPARE(page()->screens().size(), 8);
    QCOMPARE(screen(5)->position(), QStringLiteral("2,2"));
    QCOMPARE(ports(), QStringLiteral("0,0,0,0,0,0,0,0"));
    QCOMPARE(CommonlyUsed::InputSource, QStringLiteral("1"));
    QVERIFY(page()->inputButtons().first()->isChecked());

    // On show, the page asks the device, whose wall is still "0x0".
    h.window()->on_pushButton_SplicingControl_clicked();
    QTRY_COMPARE(page()->screens().size(), 1);
    QTRY_VERIFY(wallRequests().contains(QStringLiteral("(get,sw)")));
    QTest::qWait(200);
}

void TestSplicing::cleanup()
{
    if (CommonlyUsed::deviceType != QLatin1String("8x16"))
        QVERIFY2(h.useModel(QStringLiteral("8x16")), qPrintable(h.error()));
}

void TestSplicing::showWall(int rows, int columns, const QVector<QPair<int, int>> &bindings)
{
    QString answer;
    QVERIFY(h.window()->sendDataDevice(
        QStringLiteral("(set,splicermode,1,%1,%2)").arg(rows).arg(columns), answer));
    h.window()->Data_Processing(answer);
    QCOMPARE(page()->screens().size(), rows * columns);
    for (const auto &binding : bindings)
        page()->onRemoveDuplicateMap(screen(binding.first), binding.second);
}

int TestSplicing::usePortMenu(ScreenWidget *target, int port, QStringList *texts)
{
    int shownBound = -1;
    bool opened = false;
    bool done = false;
    QTimer driver;
    driver.setInterval(10);
    connect(&driver, &QTimer::timeout, this, [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || menu->actions().isEmpty())
            return;
        QAction *first = menu->actions().first();
        if (first->menu()) { // the top menu: one entry, the port list
            if (done) {
                QTest::keyClick(menu, Qt::Key_Escape);
            } else if (!opened) {
                opened = true;
                menu->setActiveAction(first);
                QTest::keyClick(menu, Qt::Key_Right);
            }
            return;
        }
        if (done)
            return;
        done = true;
        shownBound = 0;
        QAction *choice = nullptr;
        for (QAction *action : menu->actions()) {
            if (texts)
                texts->append(action->text());
            if (action->isChecked())
                shownBound = action->data().toInt();
            if (action->data().toInt() == port)
                choice = action;
        }
        if (choice)
            QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(choice).center());
        else
            QTest::keyClick(menu, Qt::Key_Escape);
    });
    driver.start();
    const QPoint at = target->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    driver.stop();
    return shownBound;
}

void TestSplicing::wallSizeFromOperator_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("4x4") << 4 << 4 << true;
    QTest::newRow("1x16") << 1 << 16 << true;
    QTest::newRow("3x6") << 3 << 6 << false;
}

void TestSplicing::wallSizeFromOperator()
{
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(bool, accepted);
    showWall(2, 2);
    QVERIFY(simCommand(QStringLiteral("history clear")));
    spinBox("rowSpinBox")->setValue(rows);
    spinBox("colSpinBox")->setValue(columns);
    page()->findChild<QPushButton *>(QStringLiteral("pushButtonOk"))->click();
    if (accepted) {
        QTRY_COMPARE(page()->screens().size(), rows * columns);
        QCOMPARE(
            h.sim().state().value(QStringLiteral("wall")), QStringLiteral("%1x%2").arg(rows).arg(columns));
        QCOMPARE(screen(rows * columns - 1)->position(), QStringLiteral("%1,%2").arg(rows).arg(columns));
    } else {
        QCOMPARE(h.window()->lastToast(), refusedToast(16));
        QTest::qWait(100);
        QVERIFY(wallRequests().isEmpty());
        QCOMPARE(page()->screens().size(), 4);
    }
}

void TestSplicing::portMenuBindsEachOutputOnce()
{
    showWall(2, 2);
    h.window()->nameStore()->setName(NameStore::Output, 3, QStringLiteral("Left & Right"));
    QStringList texts;
    QCOMPARE(usePortMenu(screen(0), 3, &texts), 0);
    // One entry per output of the model, the name as given.
    QCOMPARE(texts.size(), 16);
    QCOMPARE(texts.at(2), SplicingPage::tr("输出: %1   ").arg(QStringLiteral("Left && Right")));
    QCOMPARE(screen(0)->outPortParam(), 3);
    QCOMPARE(screen(0)->outputName(), QStringLiteral("Left & Right"));

    // Port 3 on a second screen leaves the first.
    QCOMPARE(usePortMenu(screen(1), 3), 0);
    QCOMPARE(ports(), QStringLiteral("0,3,0,0"));
    QCOMPARE(screen(0)->outputName(), QString());
    QCOMPARE(screen(1)->outputName(), QStringLiteral("Left & Right"));
    // The menus show the binding as it is now; leaving one changes nothing.
    QCOMPARE(usePortMenu(screen(0), 0), 0);
    QCOMPARE(usePortMenu(screen(1), 0), 3);
    QCOMPARE(ports(), QStringLiteral("0,3,0,0"));

    // A rename reaches the screen that shows the output.
    h.window()->nameStore()->setName(NameStore::Output, 3, QString());
    QCOMPARE(screen(1)->outputName(), QStringLiteral("HDMI-3"));
}

void TestSplicing::positionsGoOutInOneTransmission_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("enabled"); // the wall is switched on afterwards
    QTest::newRow("8x16") << "8x16" << false;
    QTest::newRow("4x4") << "4x4" << true;
}

void TestSplicing::positionsGoOutInOneTransmission()
{
    QFETCH(QString, model);
    QFETCH(bool, enabled);
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    showWall(2, 2, { { 0, 1 }, { 3, 4 } });
    QVERIFY(simCommand(QStringLiteral("history clear")));
    page()->findChild<QPushButton *>(QStringLiteral("ScreenSplicingBut"))->click();
    const QString first = QStringLiteral("(set,splicerpos,1,1,1,1)");
    const QString second = QStringLiteral("(set,splicerpos,1,4,2,2)");
    QStringList expected { first, second };
    if (enabled)
        expected << QStringLiteral("(set,splicerenable,1)");
    QTRY_COMPARE(wallRequests(), expected);
    QCOMPARE(h.sim().state().value(QStringLiteral("wallpos")), QStringLiteral("1@1,1;4@2,2"));
    QTRY_COMPARE(h.window()->lastToast(), SplicingPage::tr("拼接成功!"));
    QVERIFY(page()->isSplicingMode());
    h.window()->flushConsole();
    QVERIFY(h.window()->consolePlainText().contains(first + second));

    // Nothing bound: nothing to send, and the operator is told.
    showWall(1, 2);
    QVERIFY(simCommand(QStringLiteral("history clear")));
    page()->on_ScreenSplicingBut_clicked();
    QCOMPARE(h.window()->lastToast(), SplicingPage::tr("请先绑定输出端口!"));
    QTest::qWait(Wall::EnableDelayMs + 100);
    QVERIFY(wallRequests().isEmpty());
}

void TestSplicing::wallAnswers_data()
{
    // Each row starts from a 2 x 2 wall with output 1 on the first screen
    // and output 4 on the last, and the bezel boxes at 5 and 6.
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("ports");
    QTest::addColumn<QString>("border");
    QTest::addColumn<QString>("toast");
    const QString kept = QStringLiteral("1,0,0,4");
    const QString border = QStringLiteral("5,6");
    QTest::newRow("0x0 is one screen") << "splicermodegroup1is0x0ok"
                                       << "0" << border << Marker;
    QTest::newRow("3x5") << "splicermodegroup1is3x5ok" << QStringLiteral("0,").repeated(14) + "0" << border
                         << Marker;
    QTest::newRow("17x1 refused") << "splicermodegroup1is17x1ok" << kept << border << refusedToast(16);
    QTest::newRow("65536x65536 refused")
        << "splicermodegroup1is65536x65536ok" << kept << border << refusedToast(16);
    QTest::newRow("0x4 not read") << "splicermodegroup1is0x4ok" << kept << border << Marker;
    QTest::newRow("size of group 2") << "splicermodegroup2is1x2ok" << kept << border << Marker;
    QTest::newRow("position y:2ok") << "splicerpositiongroup:1,port:2,x:1,y:2ok"
                                    << "1,2,0,4" << border << Marker;
    QTest::newRow("positions with trailing ;")
        << "splicerpositiongroup:1,port:3,x:2,y:1;group:1,port:1,x:2,y:2;ok"
        << "0,0,3,1" << border << Marker;
    QTest::newRow("positions malformed")
        << "splicerpositiongroup:1,port:x,x:1,y:2;group:1,port:2;;group:2,port:2,x:1,y:2;"
           "group:1,port:17,x:1,y:2;group:1,port:2,x:3,y:1;group:1,port:2,x:1,y:ok"
        << kept << border << Marker;
    QTest::newRow("cleared") << "splicercleargroup1ok"
                             << "0,0,0,0" << border << SplicingPage::tr("清除映射成功!");
    QTest::newRow("cleared group 2") << "splicercleargroup2ok" << kept << border << Marker;
    QTest::newRow("bezel") << "splicerbordersetgroup1h12v34ok" << kept << "12,34" << Marker;
    QTest::newRow("bezel 100") << "splicerbordersetgroup1h100v3ok" << kept << border << Marker;
    QTest::newRow("bezel of group 3") << "splicerbordersetgroup3h1v2ok" << kept << border << Marker;
    QTest::newRow("wall set") << "splicerok" << kept << border << SplicingPage::tr("拼接成功!");
}

void TestSplicing::wallAnswers()
{
    QFETCH(QString, answer);
    QFETCH(QString, ports);
    QFETCH(QString, border);
    QFETCH(QString, toast);
    showWall(2, 2, { { 0, 1 }, { 3, 4 } });
    spinBox("VSpacingSpinBox")->setValue(5);
    spinBox("HSpacingSpinBox")->setValue(6);
    h.window()->showToast(Marker, QString::fromLatin1(Protocol::SuccessStyle));

    h.window()->Data_Processing(answer);
    QCOMPARE(this->ports(), ports);
    QCOMPARE(QStringLiteral("%1,%2")
                 .arg(spinBox("VSpacingSpinBox")->value())
                 .arg(spinBox("HSpacingSpinBox")->value()),
        border);
    QCOMPARE(h.window()->lastToast(), toast);
}

void TestSplicing::enteringPageReadsTheWall()
{
    // The device's wall, set behind the page's back.
    QString answer;
    for (const char *request :
        { "(set,splicermode,1,2,3)", "(set,splicerpos,1,4,2,3)", "(set,splicerbord,1,7,9)" })
        QVERIFY2(h.window()->sendDataDevice(QLatin1String(request), answer), request);
    QVERIFY(simCommand(QStringLiteral("history clear")));
    h.window()->on_pushButton_SplicingControl_clicked();
    QTRY_COMPARE(wallRequests(),
        QStringList({ QStringLiteral("(get,splicermode,1)"), QStringLiteral("(get,splicerbord,1)"),
            QStringLiteral("(get,splicerpos,1)"), QStringLiteral("(get,sw)") }));
    QTRY_COMPARE(ports(), QStringLiteral("0,0,0,0,0,4"));
    QCOMPARE(spinBox("VSpacingSpinBox")->value(), 7);
    QCOMPARE(spinBox("HSpacingSpinBox")->value(), 9);
    QCOMPARE(spinBox("rowSpinBox")->value(), 2);
    QCOMPARE(spinBox("colSpinBox")->value(), 3);
    QTest::qWait(200); // the routing answer of this visit
    // Laid out in a display's shape inside the page.
    const QSize size = screen(0)->size();
    QVERIFY2(
        qAbs(size.width() * 9 - size.height() * 16) <= 16 * 2, qPrintable(QString::number(size.width())));

    // A wall larger than the device's outputs is refused, the screens stay.
    QVERIFY(simCommand(QStringLiteral("set wall 5 5")));
    QVERIFY(simCommand(QStringLiteral("history clear")));
    h.window()->on_pushButton_SplicingControl_clicked();
    QTRY_COMPARE(wallRequests().size(), 4);
    QTRY_COMPARE(h.window()->lastToast(), refusedToast(16));
    QCOMPARE(page()->screens().size(), 6);
}

void TestSplicing::chosenInputGoesToTheWall_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("inputs"); // shown on the four screens
    QTest::newRow("8x16") << "8x16"
                          << "(sw,2,1,3,4)"
                          << "Cam 2,Cam 2,Cam 2,";
    // The screen bound to no output is not part of the wall on either.
    QTest::newRow("4x4") << "4x4"
                         << "(set,splicersrc,1,2)"
                         << "Cam 2,Cam 2,Cam 2,";
}

void TestSplicing::chosenInputGoesToTheWall()
{
    QFETCH(QString, model);
    QFETCH(QString, request);
    QFETCH(QString, inputs);
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    h.window()->nameStore()->setName(NameStore::Input, 2, QStringLiteral("Cam 2"));
    showWall(2, 2, { { 0, 1 }, { 1, 3 }, { 2, 4 } });
    QTest::mouseClick(page()->inputButtons().at(1), Qt::LeftButton);
    QCOMPARE(CommonlyUsed::InputSource, QStringLiteral("2"));

    // A screen without a port does nothing.
    QVERIFY(simCommand(QStringLiteral("history clear")));
    QTest::mouseClick(screen(3), Qt::LeftButton);
    QTest::qWait(100);
    QVERIFY(wallRequests().isEmpty());

    QTest::mouseClick(screen(0), Qt::LeftButton);
    QTRY_COMPARE(wallRequests(), QStringList(request));
    QTRY_COMPARE(inputNames(), inputs);
    h.window()->nameStore()->setName(NameStore::Input, 2, QString());
    QCOMPARE(screen(0)->inputName(), QStringLiteral("HDMI-2"));
}

void TestSplicing::singleRouteLabelsOnlyItsScreens()
{
    showWall(2, 2, { { 1, 5 }, { 2, 6 } });
    QVERIFY(page()->isSplicingMode());
    // The front panel routes input 7 to output 5, then to output 9 (no screen).
    QVERIFY(simCommand(QStringLiteral("panel route 7 5")));
    QTRY_COMPARE(screen(1)->inputName(), QStringLiteral("HDMI-7"));
    QVERIFY(simCommand(QStringLiteral("panel route 8 9")));
    QTest::qWait(200);
    QCOMPARE(screen(0)->inputName(), QString());
    QCOMPARE(screen(1)->inputName(), QStringLiteral("HDMI-7"));
    QCOMPARE(screen(2)->inputName(), QString());
    QCOMPARE(screen(3)->inputName(), QString());

    // Only the screens of a connected output are painted so.
    QVector<bool> outputs(16, false);
    outputs[4] = true;
    emit h.window()->Send_PortStatus(QVector<bool>(8, true), outputs);
    QVERIFY(screen(1)->outputConnected());
    QVERIFY(!screen(0)->outputConnected());
    QVERIFY(!screen(2)->outputConnected());
}

void TestSplicing::wallReplacedWhileMenuIsOpen()
{
    showWall(2, 4);
    QPointer<ScreenWidget> old = screen(2);
    bool dispatched = false;
    bool goneWhileOpen = false;
    int ticks = 0;
    QTimer driver;
    driver.setInterval(10);
    connect(&driver, &QTimer::timeout, this, [&] {
        QWidget *menu = QApplication::activePopupWidget();
        if (!menu)
            return;
        if (!dispatched) {
            // The device's answer arrives while the operator looks at the menu.
            dispatched = true;
            h.window()->Data_Processing(QStringLiteral("splicermodegroup1is2x2ok"));
        } else if (!old || ++ticks > 20) {
            goneWhileOpen = old.isNull();
            menu->close();
        }
    });
    driver.start();
    const QPoint at = old->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, old->mapToGlobal(at));
    QApplication::sendEvent(old.data(), &event);
    driver.stop();
    QVERIFY(dispatched);
    // The case that matters: the screen went while its menu still ran.
    QVERIFY(goneWhileOpen);
    QCOMPARE(page()->screens().size(), 4);
    QCOMPARE(usePortMenu(screen(2), 2), 0);
    QCOMPARE(ports(), QStringLiteral("0,0,2,0"));
}

void TestSplicing::wallReplacedWhileClickWaits()
{
    showWall(1, 2, { { 0, 1 } });
    QPointer<ScreenWidget> old = screen(0);
    // As if the route request waited for the device and the device's wall
    // answer came in meanwhile.
    connect(old.data(), &ScreenWidget::switchInputSource, this, [this] {
        h.window()->Data_Processing(QStringLiteral("splicermodegroup1is1x1ok"));
        QTest::qWait(50);
    });
    QTest::mouseClick(old.data(), Qt::LeftButton);
    QVERIFY(old.isNull());
    QCOMPARE(page()->screens().size(), 1);
}

QTEST_MAIN(TestSplicing)
#include "tst_splicing.moc"
