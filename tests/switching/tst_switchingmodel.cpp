#include "mainwindow/switching/switchingmodel.h"

#include <QStringList>
#include <QtTest>

using namespace Switching;

Q_DECLARE_METATYPE(Switching::LinkKind)

namespace {

// "out1in<first>out2in<first+1>...ok" with `count` routes, as the device
// sends the whole table once the receiver has joined its lines.
QString routingTable(int count, int firstInput = 1)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("out%1in%2").arg(i).arg((firstInput + i - 2) % MaxPorts + 1);
    return text + QStringLiteral("ok");
}

QString expectedTable(int count, int firstInput = 1)
{
    QStringList routes;
    for (int i = 1; i <= count; ++i)
        routes << QStringLiteral("%1:%2").arg(i).arg((firstInput + i - 2) % MaxPorts + 1);
    return routes.join(QLatin1Char(' '));
}

QString allResolutions(int count)
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("in%1res1920x1080@60Hz").arg(i);
    return text + QStringLiteral("ok");
}

QString expectedResolutions(int count)
{
    QStringList entries;
    for (int i = 1; i <= count; ++i)
        entries << QStringLiteral("%1:1920x1080@60Hz:own").arg(i);
    return entries.join(QLatin1Char('|'));
}

QString describe(const QVector<Route> &routes)
{
    QStringList out;
    for (const Route &r : routes)
        out << QStringLiteral("%1:%2").arg(r.output).arg(r.input);
    return out.join(QLatin1Char(' '));
}

QString describe(const QVector<InputResolution> &entries)
{
    QStringList out;
    for (const InputResolution &e : entries)
        out << QStringLiteral("%1:%2:%3").arg(e.input).arg(e.resolution, e.atOwnPosition ? "own" : "moved");
    return out.join(QLatin1Char('|'));
}

} // namespace

class tst_SwitchingModel final : public QObject
{
    Q_OBJECT
private slots:
    void routing_data();
    void routing();
    void resolutions_data();
    void resolutions();
    void layout_data();
    void layout();
    void portCounts_data();
    void portCounts();
    void tableDelay_data();
    void tableDelay();
    void singleDelay();
    void tileFont_data();
    void tileFont();
};

void tst_SwitchingModel::routing_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("pollingStopped");
    QTest::addColumn<bool>("wholeTable");
    QTest::addColumn<bool>("outOfRange");
    QTest::addColumn<QString>("routes");

    QTest::newRow("single switch") << "out5in3ok" << false << false << false << "5:3";
    QTest::newRow("single, polling stopped first")
        << "scenepollingdisableokout5in3ok" << true << false << false << "5:3";
    QTest::newRow("polling notice only") << "scenepollingdisableok" << true << false << false << "";
    QTest::newRow("notice without its ok")
        << "scenepollingdisableout2in4ok" << true << false << false << "2:4";
    QTest::newRow("single, output 17") << "out17in3ok" << false << false << false << "";
    QTest::newRow("single, input 0") << "out5in0ok" << false << false << false << "";
    QTest::newRow("single, not a number") << "outxin3ok" << false << false << false << "";
    QTest::newRow("single, no ok") << "out5in3" << false << false << false << "5:3";
    QTest::newRow("empty") << "" << false << false << false << "";
    QTest::newRow("garbage") << "hello" << false << false << false << "";

    QTest::newRow("table 4x2") << "out1in3out2in4ok" << false << true << false << "1:3 2:4";
    QTest::newRow("table 4x4") << routingTable(4) << false << true << false << expectedTable(4);
    QTest::newRow("table 16") << routingTable(16, 5) << false << true << false << expectedTable(16, 5);
    QTest::newRow("table 17") << routingTable(17) << false << true << true << "";
    QTest::newRow("table after polling notice")
        << "scenepollingdisableok" + routingTable(8) << true << true << false << expectedTable(8);
    QTest::newRow("table, numbers out of range")
        << "out1in17out2in2out0in3out3in1ok" << false << true << false << "2:2 3:1";
    QTest::newRow("table, not numbers") << "out1inxout2in2outyin3outin4ok" << false << true << false << "2:2";
    QTest::newRow("table, overflowing number")
        << "out99999999999in1out2in2ok" << false << true << false << "2:2";
    QTest::newRow("table, piece without in") << "out1out2in2ok" << false << true << false << "2:2";
    QTest::newRow("table of nothing") << "outoutout" << false << true << true << "";
}

void tst_SwitchingModel::routing()
{
    QFETCH(QString, reply);
    QFETCH(bool, pollingStopped);
    QFETCH(bool, wholeTable);
    QFETCH(bool, outOfRange);
    QFETCH(QString, routes);

    const RoutingAnswer answer = parseRouting(reply);
    QCOMPARE(answer.pollingStopped, pollingStopped);
    QCOMPARE(answer.wholeTable, wholeTable);
    QCOMPARE(answer.outOfRange, outOfRange);
    QCOMPARE(describe(answer.routes), routes);
}

void tst_SwitchingModel::resolutions_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("allInputs");
    QTest::addColumn<bool>("outOfRange");
    QTest::addColumn<QString>("entries");

    QTest::newRow("one input") << "in1res1920x1080@60Hzok" << false << false << "1:1920x1080@60Hz:own";
    QTest::newRow("no signal") << "in2res0x0@0Hzok" << false << false << "2:0x0@0Hz:own";
    QTest::newRow("empty resolution") << "in3resok" << false << false << "";
    QTest::newRow("input 17") << "in17res1920x1080@60Hzok" << false << false << "";
    QTest::newRow("input not a number") << "inxres1920x1080@60Hzok" << false << false << "";
    QTest::newRow("cut at 20 characters")
        << "in2res123456789012345678901234ok" << false << false << "2:12345678901234567890:own";
    QTest::newRow("no res") << "in2ok" << false << false << "";
    QTest::newRow("empty") << "" << false << false << "";

    // Before the repair the last input read "1920x1080@60Hzok".
    QTest::newRow("all four")
        << "in1res1920x1080@60Hzin2res0x0@0Hzin3res1280x720@60Hzin4res1920x1080@60Hzok" << true << false
        << "1:1920x1080@60Hz:own|2:0x0@0Hz:own|3:1280x720@60Hz:own|4:1920x1080@60Hz:own";
    QTest::newRow("all two") << "in1res720x576@50Hzin2res1920x1080@60Hzok" << true << false
                             << "1:720x576@50Hz:own|2:1920x1080@60Hz:own";
    QTest::newRow("all sixteen") << allResolutions(16) << true << false << expectedResolutions(16);
    QTest::newRow("seventeen") << allResolutions(17) << true << true << "";
    QTest::newRow("port not at its place") << "in1res1920x1080@60Hzin3res720x576@50Hzok" << true << false
                                           << "1:1920x1080@60Hz:own|3:720x576@50Hz:moved";
    QTest::newRow("one empty resolution")
        << "in1resin2res1280x720@60Hzok" << true << false << "2:1280x720@60Hz:own";
    QTest::newRow("bad ports") << "inxres1920in2res720in99res1ok" << true << false << "2:720:own";
    QTest::newRow("piece without res") << "in1in2res720ok" << true << false << "2:720:own";
    QTest::newRow("long resolution in a list")
        << "in1res123456789012345678901234in2res1ok" << true << false << "1:12345678901234567890:own|2:1:own";
    QTest::newRow("trailing text after ok") << "in1res640x480@60Hzin2res800x600@60Hzokready" << true << false
                                            << "1:640x480@60Hz:own|2:800x600@60Hz:own";
}

void tst_SwitchingModel::resolutions()
{
    QFETCH(QString, reply);
    QFETCH(bool, allInputs);
    QFETCH(bool, outOfRange);
    QFETCH(QString, entries);

    const ResolutionAnswer answer = parseInputResolutions(reply);
    QCOMPARE(answer.allInputs, allInputs);
    QCOMPARE(answer.outOfRange, outOfRange);
    QCOMPARE(describe(answer.entries), entries);
}

void tst_SwitchingModel::layout_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("laidOut");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");

    QTest::newRow("16x16") << "16x16"
                           << "16x16" << 16 << 16 << 4 << 4;
    QTest::newRow("8x16") << "8x16"
                          << "8x16" << 8 << 16 << 4 << 4;
    QTest::newRow("8x9") << "8x9"
                         << "8x9" << 8 << 9 << 3 << 3;
    QTest::newRow("8x8") << "8x8"
                         << "8x8" << 8 << 8 << 2 << 4;
    QTest::newRow("4x4") << "4x4"
                         << "4x4" << 4 << 4 << 2 << 2;
    QTest::newRow("4x2") << "4x2"
                         << "4x2" << 4 << 2 << 1 << 2;
    QTest::newRow("unknown") << "32x32"
                             << "4x4" << 4 << 4 << 2 << 2;
    QTest::newRow("empty") << ""
                           << "4x4" << 4 << 4 << 2 << 2;
}

void tst_SwitchingModel::layout()
{
    QFETCH(QString, model);
    QFETCH(QString, laidOut);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QFETCH(int, rows);
    QFETCH(int, columns);

    const ModelLayout l = layoutFor(model);
    QCOMPARE(l.model, laidOut);
    QCOMPARE(l.inputs, inputs);
    QCOMPARE(l.outputs, outputs);
    QCOMPARE(l.rows, rows);
    QCOMPARE(l.columns, columns);
    QVERIFY(l.rows * l.columns >= l.outputs);
}

void tst_SwitchingModel::portCounts_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");

    QTest::newRow("16x16") << "16x16" << 16 << 16;
    QTest::newRow("8x16") << "8x16" << 8 << 16;
    QTest::newRow("8x9") << "8x9" << 8 << 9;
    QTest::newRow("4x2") << "4x2" << 4 << 2;
    QTest::newRow("two characters only") << "8x1616" << 8 << 16;
    QTest::newRow("no x") << "44" << 0 << 0;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("letters") << "axb" << 0 << 0;
}

void tst_SwitchingModel::portCounts()
{
    QFETCH(QString, model);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QCOMPARE(inputCount(model), inputs);
    QCOMPARE(outputCount(model), outputs);
}

void tst_SwitchingModel::tableDelay_data()
{
    QTest::addColumn<LinkKind>("link");
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("delay");

    QTest::newRow("tcp 4x4") << LinkKind::Tcp << 0 << "4x4" << 700;
    QTest::newRow("tcp 8x8") << LinkKind::Tcp << 0 << "8x8" << 600;
    QTest::newRow("tcp 8x16") << LinkKind::Tcp << 0 << "8x16" << 300;
    QTest::newRow("tcp ignores baud") << LinkKind::Tcp << 9600 << "4x2" << 300;
    QTest::newRow("9600 4x4") << LinkKind::Serial << 9600 << "4x4" << 1000;
    QTest::newRow("9600 16x16") << LinkKind::Serial << 9600 << "16x16" << 1100;
    QTest::newRow("9600 8x9") << LinkKind::Serial << 9600 << "8x9" << 600;
    QTest::newRow("19200 4x4") << LinkKind::Serial << 19200 << "4x4" << 1000;
    QTest::newRow("115200 4x4") << LinkKind::Serial << 115200 << "4x4" << 700;
    QTest::newRow("115200 8x8") << LinkKind::Serial << 115200 << "8x8" << 600;
    QTest::newRow("115200 4x2") << LinkKind::Serial << 115200 << "4x2" << 300;
}

void tst_SwitchingModel::tableDelay()
{
    QFETCH(LinkKind, link);
    QFETCH(int, baud);
    QFETCH(QString, model);
    QFETCH(int, delay);
    QCOMPARE(tableResolutionDelayMs(link, baud, model), delay);
}

void tst_SwitchingModel::singleDelay()
{
    QCOMPARE(singleResolutionDelayMs(QStringLiteral("4x4")), 200);
    QCOMPARE(singleResolutionDelayMs(QStringLiteral("16x16")), 300);
    QCOMPARE(singleResolutionDelayMs(QStringLiteral("4x2")), 300);
}

void tst_SwitchingModel::tileFont_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("size");

    QTest::newRow("200") << 200 << 13.5;
    QTest::newRow("199") << 199 << 11.5;
    QTest::newRow("150") << 150 << 11.5;
    QTest::newRow("149") << 149 << 10.5;
    QTest::newRow("100") << 100 << 10.5;
    QTest::newRow("99") << 99 << 9.5;
    QTest::newRow("65") << 65 << 9.5;
    QTest::newRow("64") << 64 << 7.5;
    QTest::newRow("0") << 0 << 7.5;
}

void tst_SwitchingModel::tileFont()
{
    QFETCH(int, height);
    QFETCH(double, size);
    QCOMPARE(tileFontSize(height), size);
}

QTEST_GUILESS_MAIN(tst_SwitchingModel)
#include "tst_switchingmodel.moc"
