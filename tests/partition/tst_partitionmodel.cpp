#include "mainwindow/partition/partitionmodel.h"

#include <QStringList>
#include <QtTest>

using namespace Partition;

namespace {

QString describe(const QVector<QRect> &rects)
{
    QStringList out;
    for (const QRect &r : rects)
        out << QStringLiteral("%1,%2-%3,%4").arg(r.left()).arg(r.top()).arg(r.right()).arg(r.bottom());
    return out.join(QLatin1Char(' '));
}

// What both parsers read from one answer, "" when neither reads anything.
QString readAll(const QString &text)
{
    QStringList found;
    if (const auto mode = parseMode(text))
        found << QStringLiteral("mode %1:%2").arg(mode->group).arg(mode->mode);
    if (const auto windows = parseWindows(text)) {
        QString digits;
        for (const int p : windows->positions)
            digits += QString::number(p);
        found << QStringLiteral("windows %1:%2").arg(windows->group).arg(digits);
    }
    return found.join(QLatin1Char(' '));
}

} // namespace

class tst_PartitionModel final : public QObject
{
    Q_OBJECT
private slots:
    void inputs();
    void groupsPerModel_data();
    void groupsPerModel();
    void rectangles_data();
    void rectangles();
    void everyModeFitsItsTile();
    void answers_data();
    void answers();
};

void tst_PartitionModel::inputs()
{
    QCOMPARE(inputPosition(8), 4);
    QCOMPARE(inputPosition(9), 1);
    QCOMPARE(inputPosition(0), None);
    QCOMPARE(absoluteInput(3, 2), 10);
    QCOMPARE(absoluteInput(4, 4), 16);
    QCOMPARE(absoluteInput(0, 1), None);
    QCOMPARE(absoluteInput(5, 1), None);
    QCOMPARE(absoluteInput(2, 0), None);
    QCOMPARE(absoluteInput(2, 5), None);
}

void tst_PartitionModel::groupsPerModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("groups");
    QTest::newRow("4x2") << "4x2" << 1;
    QTest::newRow("4x4") << "4x4" << 1;
    QTest::newRow("8x8") << "8x8" << 2;
    QTest::newRow("8x9") << "8x9" << 2;
    QTest::newRow("8x16") << "8x16" << 2;
    QTest::newRow("16x16") << "16x16" << 4;
    QTest::newRow("unknown") << "32x32" << 1;
}

void tst_PartitionModel::groupsPerModel()
{
    QFETCH(QString, model);
    QFETCH(int, groups);
    QCOMPARE(groupsFor(model), groups);
}

void tst_PartitionModel::rectangles_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("windows");
    QTest::addColumn<QString>("expected"); // tile 0..200 x 0..120
    QTest::newRow("0") << 0 << 0 << "0,0-200,120";
    QTest::newRow("1") << 1 << 2 << "0,20-99,100 100,20-200,100";
    QTest::newRow("2") << 2 << 3 << "0,0-99,60 100,0-200,60 50,61-150,120";
    QTest::newRow("3") << 3 << 4 << "0,0-99,59 100,0-200,59 0,60-99,120 100,60-200,120";
    QTest::newRow("4") << 4 << 2 << "0,0-200,120 6,6-50,40";
    QTest::newRow("5") << 5 << 2 << "0,0-200,120 6,80-50,114";
    QTest::newRow("6") << 6 << 2 << "0,0-200,120 150,6-194,40";
    QTest::newRow("7") << 7 << 2 << "0,0-200,120 150,80-194,114";
    QTest::newRow("16") << 16 << 0 << "";
    QTest::newRow("-1") << -1 << 0 << "";
}

void tst_PartitionModel::rectangles()
{
    QFETCH(int, mode);
    QFETCH(int, windows);
    QFETCH(QString, expected);
    QCOMPARE(windowCount(mode), windows);
    QCOMPARE(describe(windowRects(mode, 200, 120)), expected);
}

void tst_PartitionModel::everyModeFitsItsTile()
{
    const QVector<QSize> sizes { { 200, 120 }, { 97, 61 }, { 400, 300 } };
    for (const QSize &size : sizes) {
        const QRect tile(QPoint(0, 0), QPoint(size.width(), size.height()));
        for (int mode = 0; mode < Modes; ++mode) {
            const QVector<QRect> rects = windowRects(mode, size.width(), size.height());
            QCOMPARE(rects.size(), qMax(1, windowCount(mode)));
            QSet<QString> distinct;
            for (const QRect &r : rects) {
                QVERIFY2(!r.isEmpty() && tile.contains(r), qPrintable(QStringLiteral("mode %1").arg(mode)));
                distinct << describe({ r });
            }
            QCOMPARE(distinct.size(), rects.size());
            if (mode >= 12) {
                const QRect a = rects.at(0);
                const QRect label = labelRectA(mode, a);
                // Inside A, against the edge A shares with the others.
                QVERIFY(a.contains(label));
                const bool sharedEdge = mode == 12 ? label.right() == a.right() && a.right() < tile.right()
                    : mode == 13                   ? label.left() == a.left() && a.left() > 0
                    : mode == 14                   ? label.bottom() == a.bottom() && a.bottom() < tile.bottom()
                                                   : label.top() == a.top() && a.top() > 0;
                QVERIFY2(sharedEdge, qPrintable(QStringLiteral("mode %1").arg(mode)));
            }
        }
    }
    // A tile too small for the inset windows gives empty windows, not ones
    // reaching outside it.
    for (const QRect &r : windowRects(4, 3, 3))
        QVERIFY(r.isEmpty() || QRect(0, 0, 4, 4).contains(r));
}

void tst_PartitionModel::answers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("mode") << "group1splittermodeis3ok" << "mode 1:3";
    QTest::newRow("mode 15 without ok") << "group4splittermodeis15" << "mode 4:15";
    QTest::newRow("mode 0") << "group2splittermodeis0ok" << "mode 2:0";
    QTest::newRow("mode 16") << "group1splittermodeis16ok" << "";
    QTest::newRow("mode empty") << "group1splittermodeisok" << "";
    QTest::newRow("mode group 0") << "group0splittermodeis3ok" << "";
    QTest::newRow("mode group 5") << "group5splittermodeis3ok" << "";
    QTest::newRow("mode group missing") << "splittermodeis3ok" << "";
    QTest::newRow("mode after a wall answer")
        << "splicermodegroup1is2x4okgroup3splittermodeis7ok" << "mode 3:7";
    QTest::newRow("windows") << "group1splittervideoABCD1234ok" << "windows 1:1234";
    QTest::newRow("windows unset") << "group2splittervideoABCD0000ok" << "windows 2:0000";
    QTest::newRow("window E") << "group3splittervideoABCD1E5ok" << "windows 3:1000";
    QTest::newRow("windows short") << "group1splittervideoABCD12" << "";
    QTest::newRow("windows group 0") << "group0splittervideoABCD1234ok" << "";
    QTest::newRow("windows without letters") << "group1splittervideo1234ok" << "";
    QTest::newRow("mode and windows run together")
        << "group1splittermodeis3okgroup2splittervideoABCD4321ok" << "mode 1:3 windows 2:4321";
}

void tst_PartitionModel::answers()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(readAll(text), expected);
}

QTEST_GUILESS_MAIN(tst_PartitionModel)
#include "tst_partitionmodel.moc"
