#include "mainwindow/wall/wallmodel.h"

#include <QStringList>
#include <QtTest>

using namespace Wall;

namespace {

QString describe(const std::optional<ModeAnswer> &answer)
{
    return answer ? QStringLiteral("%1:%2x%3").arg(answer->group).arg(answer->rows).arg(answer->columns)
                  : QStringLiteral("none");
}

QString describe(const std::optional<BorderAnswer> &answer)
{
    return answer ? QStringLiteral("%1,%2").arg(answer->first).arg(answer->second) : QStringLiteral("none");
}

QString describe(const QVector<PositionRecord> &records)
{
    QStringList out;
    for (const PositionRecord &r : records)
        out << QStringLiteral("%1/%2@%3,%4").arg(r.group).arg(r.port).arg(r.row).arg(r.column);
    return out.join(QLatin1Char(' '));
}

// Ports of the screens in order, 0 for an unbound one.
QString ports(const Layout &layout)
{
    QStringList out;
    for (const Screen &screen : layout.screens())
        out << QString::number(screen.port);
    return out.join(QLatin1Char(','));
}

} // namespace

class tst_WallModel final : public QObject
{
    Q_OBJECT
private slots:
    void sizeCheck_data();
    void sizeCheck();
    void layoutPositions();
    void binding();
    void commands();
    void switching_data();
    void switching();
    void textMetrics_data();
    void textMetrics();
    void modeAnswer_data();
    void modeAnswer();
    void borderAndSource_data();
    void borderAndSource();
    void positions_data();
    void positions();
};

void tst_WallModel::sizeCheck_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("8x16: 4 x 4") << "8x16" << 4 << 4 << true;
    QTest::newRow("8x16: 3 x 6") << "8x16" << 3 << 6 << false;
    QTest::newRow("8x16: 17 x 1") << "8x16" << 17 << 1 << false;
    QTest::newRow("8x16: 0 x 4") << "8x16" << 0 << 4 << false;
    QTest::newRow("8x16: negative both") << "8x16" << -4 << -4 << false;
    // Multiplied as int this wraps to 0 and would pass.
    QTest::newRow("8x16: 65536 x 65536") << "8x16" << 65536 << 65536 << false;
    QTest::newRow("4x2: 1 x 2") << "4x2" << 1 << 2 << true;
    QTest::newRow("4x2: 2 x 2") << "4x2" << 2 << 2 << false;
    QTest::newRow("unknown model counts as 4x4") << "9x99" << 2 << 2 << true;
}

void tst_WallModel::sizeCheck()
{
    QFETCH(QString, model);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QFETCH(bool, accepted);
    QCOMPARE(checkSize(rows, columns, maxScreensFor(model)) == SizeCheck::Ok, accepted);
}

void tst_WallModel::layoutPositions()
{
    const Layout wall(2, 3);
    QCOMPARE(wall.count(), 6);
    QStringList positions;
    for (const Screen &screen : wall.screens())
        positions << screen.position();
    QCOMPARE(positions.join(QLatin1Char(' ')), QStringLiteral("1,1 1,2 1,3 2,1 2,2 2,3"));
    QCOMPARE(wall.indexAt(2, 1), 3);
    QCOMPARE(wall.indexAt(3, 1), -1);
    QCOMPARE(Layout().count(), DefaultRows * DefaultColumns);
    // A size that slipped past the check still cannot ask for millions of screens.
    QVERIFY(Layout(65536, 65536).count() <= MaxPorts * MaxPorts);
    QCOMPARE(Layout(0, 0).count(), 1);
}

void tst_WallModel::binding()
{
    Layout wall(2, 2);
    QCOMPARE(wall.bind(0, 3), -1);
    QCOMPARE(wall.bind(2, 5), -1);
    // Port 3 on a second screen: the first one loses it.
    QCOMPARE(wall.bind(1, 3), 0);
    QCOMPARE(ports(wall), QStringLiteral("0,3,5,0"));
    QCOMPARE(wall.screensBoundTo(3), QVector<int> { 1 });
    // Binding a screen again to its own port takes nothing from anyone.
    QCOMPARE(wall.bind(1, 3), -1);
    QCOMPARE(ports(wall), QStringLiteral("0,3,5,0"));
    // Out-of-range screens and ports change nothing.
    QCOMPARE(wall.bind(4, 1), -1);
    QCOMPARE(wall.bind(0, MaxPorts + 1), -1);
    QCOMPARE(ports(wall), QStringLiteral("0,3,5,0"));
    // Unbound screens are no screens of port 0.
    QVERIFY(wall.screensBoundTo(0).isEmpty());
    QCOMPARE(wall.bind(2, 0), -1);
    QCOMPARE(ports(wall), QStringLiteral("0,3,0,0"));
    QVERIFY(wall.anyBound());

    wall.setInput(1, 7);
    wall.setInput(9, 7);
    QCOMPARE(wall.screen(1).input, 7);
    wall.clear();
    QVERIFY(!wall.anyBound());
    QCOMPARE(wall.screen(1).input, 0);
}

void tst_WallModel::commands()
{
    Layout wall(2, 2);
    QCOMPARE(positionsCommand(wall), QString());
    wall.bind(0, 2);
    wall.bind(3, 16);
    // One position per bound screen in screen order, as one text; unbound skipped.
    QCOMPARE(positionsCommand(wall), QStringLiteral("(set,splicerpos,1,2,1,1)(set,splicerpos,1,16,2,2)"));
    QCOMPARE(sizeCommand(3, 5), QStringLiteral("(set,splicermode,1,3,5)"));
    QCOMPARE(borderCommand(10, 20), QStringLiteral("(set,splicerbord,1,10,20)"));
}

void tst_WallModel::switching_data()
{
    QTest::addColumn<QVector<int>>("bindings"); // port per screen of a 2 x 2 wall
    QTest::addColumn<int>("input");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("command");

    auto row = [](const char *name, const QVector<int> &bindings, int input, const char *model,
                   const char *command) {
        QTest::newRow(name) << bindings << input << QString::fromLatin1(model)
                            << QString::fromLatin1(command);
    };
    row("route to the bound screens", { 1, 0, 3, 4 }, 2, "8x16", "(sw,2,1,3,4)");
    row("screen order, not port order", { 9, 0, 0, 2 }, 16, "16x16", "(sw,16,9,2)");
    row("4x4 sets the wall source", { 1, 2, 0, 0 }, 3, "4x4", "(set,splicersrc,1,3)");
    row("nothing bound", { 0, 0, 0, 0 }, 2, "8x16", "");
    row("no input", { 1, 0, 0, 0 }, 0, "8x16", "");
    row("input 17", { 1, 0, 0, 0 }, 17, "4x4", "");
}

void tst_WallModel::switching()
{
    QFETCH(QVector<int>, bindings);
    QFETCH(int, input);
    QFETCH(QString, model);
    QFETCH(QString, command);
    Layout wall(2, 2);
    for (int i = 0; i < bindings.size(); ++i)
        wall.bind(i, bindings[i]);
    QCOMPARE(switchCommand(wall, input, model), command);
}

void tst_WallModel::textMetrics_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("fontSize");
    QTest::addColumn<int>("lineSpacing");

    QTest::newRow("large") << 200 << 13.5 << 35;
    QTest::newRow("below 200") << 199 << 12.5 << 33;
    QTest::newRow("at 100") << 100 << 9.5 << 27;
    QTest::newRow("below 40") << 39 << 5.5 << 19;
    QTest::newRow("below 20") << 19 << 4.5 << 17;
}

void tst_WallModel::textMetrics()
{
    QFETCH(int, height);
    QFETCH(double, fontSize);
    QFETCH(int, lineSpacing);
    const TextMetrics metrics = textMetricsFor(height);
    QCOMPARE(metrics.fontSize, fontSize);
    QCOMPARE(metrics.lineSpacing, lineSpacing);
}

void tst_WallModel::modeAnswer_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("2 x 4") << "splicermodegroup1is2x4ok" << "1:2x4";
    QTest::newRow("no closing ok") << "splicermodegroup1is4x4" << "1:4x4";
    QTest::newRow("0x0 is one screen") << "splicermodegroup1is0x0ok" << "1:1x1";
    // The size is checked by the page, not here.
    QTest::newRow("17 rows") << "splicermodegroup1is17x1ok" << "1:17x1";
    QTest::newRow("65536 x 65536") << "splicermodegroup1is65536x65536ok" << "1:65536x65536";
    QTest::newRow("after a partition answer")
        << "group2splittermodeis3oksplicermodegroup1is1x2ok" << "1:1x2";
    QTest::newRow("rows 0 only") << "splicermodegroup1is0x4ok" << "none";
    QTest::newRow("no x") << "splicermodegroup1is24ok" << "none";
    QTest::newRow("negative") << "splicermodegroup1is-1x4ok" << "none";
    QTest::newRow("overflowing") << "splicermodegroup1is99999999999x1ok" << "none";
    QTest::newRow("no group") << "splicermodegroupis2x2ok" << "none";
}

void tst_WallModel::modeAnswer()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseMode(reply)), expected);
}

void tst_WallModel::borderAndSource_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("border");
    QTest::addColumn<int>("source"); // 0 = none

    QTest::newRow("bezel") << "splicerbordersetgroup1h10v20ok" << "10,20" << 0;
    QTest::newRow("bezel at the limit is read") << "splicerbordersetgroup1h100v0ok" << "100,0" << 0;
    QTest::newRow("bezel without v") << "splicerbordersetgroup1h10ok" << "none" << 0;
    QTest::newRow("bezel not a number") << "splicerbordersetgroup1h1xv20ok" << "none" << 0;
    QTest::newRow("bezel negative") << "splicerbordersetgroup1h-1v2ok" << "none" << 0;
    QTest::newRow("source 2") << "splicergroup1source2ok" << "none" << 2;
    QTest::newRow("source 16 at the end") << "splicergroup1source16" << "none" << 16;
    QTest::newRow("source 17") << "splicergroup1source17ok" << "none" << 0;
    QTest::newRow("source empty") << "splicergroup1sourceok" << "none" << 0;
}

void tst_WallModel::borderAndSource()
{
    QFETCH(QString, reply);
    QFETCH(QString, border);
    QFETCH(int, source);
    QCOMPARE(describe(parseBorder(reply)), border);
    QCOMPARE(parseSource(reply).value_or(0), source);
}

void tst_WallModel::positions_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("two records") << "splicerpositiongroup:1,port:2,x:1,y:1;group:1,port:3,x:1,y:2;ok"
                                 << "1/2@1,1 1/3@1,2";
    // The closing ok belongs to no record.
    QTest::newRow("no trailing ;") << "splicerpositiongroup:1,port:4,x:2,y:2ok" << "1/4@2,2";
    QTest::newRow("empty records") << "splicerposition;;group:1,port:5,x:1,y:3;;ok" << "1/5@1,3";
    QTest::newRow("three fields") << "splicerpositiongroup:1,port:2,x:1;group:1,port:6,x:2,y:1;ok"
                                  << "1/6@2,1";
    QTest::newRow("non-numeric value") << "splicerpositiongroup:1,port:a,x:1,y:1;group:1,port:7,x:1,y:1;ok"
                                       << "1/7@1,1";
    QTest::newRow("empty value") << "splicerpositiongroup:1,port:2,x:,y:1;ok" << "";
    QTest::newRow("value after the last colon") << "splicerpositiongroup:g:1,port:8,x:1,y:2;ok" << "1/8@1,2";
    QTest::newRow("stops at the first ok")
        << "splicerpositiongroup:1,port:2,x:1,y:1;okgroup:1,port:3,x:1,y:2;ok" << "1/2@1,1";
}

void tst_WallModel::positions()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(describe(parsePositions(reply)), expected);
}

QTEST_GUILESS_MAIN(tst_WallModel)
#include "tst_wallmodel.moc"
