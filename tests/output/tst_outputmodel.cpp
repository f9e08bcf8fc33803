#include "mainwindow/output/outputmodel.h"

#include <QStringList>
#include <QtTest>

using namespace Output;

namespace {

// "out1res<r>out2res<r>...ok", the all-outputs answer once its lines are joined.
QString allOutputs(int count, const QString &resolution = QStringLiteral("1920x1080@60Hz"))
{
    QString text;
    for (int o = 1; o <= count; ++o)
        text += QStringLiteral("out%1res%2").arg(o).arg(resolution);
    return text + QStringLiteral("ok");
}

QString expectedAll(int count, const QString &resolution = QStringLiteral("1920x1080@60Hz"))
{
    QStringList entries { QStringLiteral("all") };
    for (int o = 1; o <= count; ++o)
        entries << QStringLiteral("%1:%2").arg(o).arg(resolution);
    return entries.join(QLatin1Char(' '));
}

QString describe(const ResolutionAnswer &answer)
{
    QStringList out;
    if (answer.allOutputs)
        out << QStringLiteral("all");
    if (answer.outOfRange)
        out << QStringLiteral("out of range");
    for (const OutputResolution &e : answer.entries)
        out << QStringLiteral("%1:%2").arg(e.output).arg(e.resolution);
    return out.join(QLatin1Char(' '));
}

// Everything the single-output parsers read from one reply: each must take
// its own answer and nothing else.
QString readAll(const QString &reply)
{
    QStringList found;
    if (const auto a = parseBrightness(reply))
        found << QStringLiteral("brightness %1:%2").arg(a->output).arg(a->value);
    if (const auto a = parseContrast(reply))
        found << QStringLiteral("contrast %1:%2").arg(a->output).arg(a->value);
    if (const auto a = parseExternalAudio(reply))
        found << QStringLiteral("audio %1:%2").arg(a->output).arg(a->on ? "on" : "off");
    if (const auto a = parseFormat(reply))
        found << QStringLiteral("format %1:%2").arg(a->output).arg(a->format == Format::Dvi ? "DVI" : "HDMI");
    if (const auto output = parseHdcpRefusal(reply))
        found << QStringLiteral("hdcp %1").arg(*output);
    return found.join(QLatin1Char(' '));
}

} // namespace

class tst_OutputModel final : public QObject
{
    Q_OBJECT
private slots:
    void outputAnswers_data();
    void outputAnswers();
    void outputResolutions_data();
    void outputResolutions();
    void resolutionTable_data();
    void resolutionTable();
    void requests();
    void queries();
};

void tst_OutputModel::outputAnswers_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("brightness") << "output3brightness75ok" << "brightness 3:75";
    QTest::newRow("contrast") << "output16contrast0ok" << "contrast 16:0";
    QTest::newRow("level limit") << "output1brightness100ok" << "brightness 1:100";
    QTest::newRow("levels run together")
        << "output3contrast40okoutput5brightness60ok" << "brightness 5:60 contrast 3:40";
    QTest::newRow("level after a format answer")
        << "outputhdmi2formatisHDMIokoutput2brightness9ok" << "brightness 2:9 format 2:HDMI";
    QTest::newRow("level without ok") << "output3brightness75" << "brightness 3:75";
    QTest::newRow("level output 17") << "output17brightness5ok" << "";
    QTest::newRow("level output 0") << "output0contrast5ok" << "";
    QTest::newRow("level 101") << "output3brightness101ok" << "";
    QTest::newRow("negative level") << "output3contrast-1ok" << "";
    QTest::newRow("level output not a number") << "outputXbrightness5ok" << "";
    QTest::newRow("level not a number") << "output3brightnessfiftyok" << "";
    QTest::newRow("empty level") << "output3brightnessok" << "";
    QTest::newRow("huge level") << "output3brightness99999999999ok" << "";
    QTest::newRow("level keyword only") << "brightness50ok" << "";

    QTest::newRow("audio on") << "output3externalaudioonok" << "audio 3:on";
    QTest::newRow("audio off") << "output16externalaudiooffok" << "audio 16:off";
    QTest::newRow("audio after a brightness answer")
        << "output1brightness5okoutput2externalaudiooffok" << "brightness 1:5 audio 2:off";
    QTest::newRow("audio state unknown") << "output3externalaudiomaybeok" << "";
    QTest::newRow("audio state in capitals") << "output3externalaudioONok" << "";
    QTest::newRow("audio state runs on") << "output3externalaudioonnok" << "";
    QTest::newRow("audio output 17") << "output17externalaudioonok" << "";
    QTest::newRow("audio output missing") << "outputexternalaudioonok" << "";

    QTest::newRow("HDMI") << "outputhdmi3formatisHDMIok" << "format 3:HDMI";
    QTest::newRow("DVI") << "outputhdmi16formatisDVIok" << "format 16:DVI";
    QTest::newRow("lower case dvi") << "outputhdmi2formatisdviok" << "format 2:DVI";
    QTest::newRow("lower case hdmi") << "outputhdmi2formatishdmiok" << "format 2:HDMI";
    QTest::newRow("DVI found before HDMI") << "outputhdmi2formatisHDMI/DVIok" << "format 2:DVI";
    QTest::newRow("HDMI answer, DVI in a later one")
        << "outputhdmi2formatisHDMIokoutputhdmi3formatisDVIok" << "format 2:HDMI";
    QTest::newRow("format after a brightness answer")
        << "output1brightness5okoutputhdmi4formatisDVIok" << "brightness 1:5 format 4:DVI";
    QTest::newRow("format neither") << "outputhdmi2formatisVGAok" << "";
    QTest::newRow("empty format") << "outputhdmi2formatisok" << "";
    QTest::newRow("format output 17") << "outputhdmi17formatisDVIok" << "";
    QTest::newRow("format output not a number") << "outputhdmiXformatisDVIok" << "";
    QTest::newRow("no formatis") << "outputhdmi2formatDVIok" << "";

    QTest::newRow("hdcp") << "output3enabledhdcpok" << "hdcp 3";
    QTest::newRow("hdcp after a format answer")
        << "outputhdmi2formatisHDMIokoutput5enabledhdcpok" << "format 2:HDMI hdcp 5";
    QTest::newRow("hdcp output 17") << "output17enabledhdcpok" << "";
    QTest::newRow("hdcp output not a number") << "outputXenabledhdcpok" << "";
}

void tst_OutputModel::outputAnswers()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(readAll(reply), expected);
}

void tst_OutputModel::outputResolutions_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one output") << "out3res1920x1080@60Hzok" << "3:1920x1080@60Hz";
    QTest::newRow("one, not in the table") << "out2res720x576@50Hzok" << "2:720x576@50Hz";
    QTest::newRow("one, no ok") << "out2res1280x720@60Hz" << "2:1280x720@60Hz";
    QTest::newRow("one, empty") << "out2resok" << "";
    QTest::newRow("one, output 17") << "out17res1920x1080@60Hzok" << "";
    QTest::newRow("one, output not a number") << "outXres1920x1080@60Hzok" << "";
    QTest::newRow("one, after a routing answer") << "out5in3okout2res1920x1080@50Hzok" << "2:1920x1080@50Hz";
    QTest::newRow("one, after a brightness answer")
        << "output3brightness75okout3res3840x2160@30Hzok" << "3:3840x2160@30Hz";
    QTest::newRow("one, before an input resolution")
        << "out4res1280x720@60Hzokin1res1920x1080@60Hzok" << "4:1280x720@60Hz";
    QTest::newRow("one, after a signal status")
        << "ch4x4inYYNNoutYYYYokout1res1024x768@60Hzok" << "1:1024x768@60Hz";
    QTest::newRow("one, cut at 20 characters")
        << "out1res123456789012345678901234ok" << "1:12345678901234567890";

    QTest::newRow("all 2") << allOutputs(2) << expectedAll(2);
    QTest::newRow("all 9") << allOutputs(9, "3840x2160@30Hz") << expectedAll(9, "3840x2160@30Hz");
    QTest::newRow("all 16") << allOutputs(16) << expectedAll(16);
    QTest::newRow("all 17") << allOutputs(17) << "all out of range";
    QTest::newRow("all, last resolution empty") << "out1res1920x1080@60Hzout2resok" << "all 1:1920x1080@60Hz";
    QTest::newRow("all, pieces out of position")
        << "out2res1920x1080@60Hzout1res1280x720@60Hzout3res1024x768@60Hzok" << "all 3:1024x768@60Hz";
    QTest::newRow("all, bad piece keeps positions")
        << "out1res1920x1080@60HzoutXres1280x720@60Hzout3res1024x768@60Hzok"
        << "all 1:1920x1080@60Hz 3:1024x768@60Hz";
    QTest::newRow("all, piece without res")
        << "out1res1920x1080@60Hzout2out3res1024x768@60Hzok" << "all 1:1920x1080@60Hz 3:1024x768@60Hz";
    QTest::newRow("all after a brightness") << "output1brightness5ok" + allOutputs(4) << expectedAll(4);
    QTest::newRow("all, then another answer") << allOutputs(2) + "output1contrast5ok" << expectedAll(2);
    QTest::newRow("nothing but out") << "outoutoutres" << "all out of range";
    QTest::newRow("no resolution answer") << "out5in3okinres" << "";
    QTest::newRow("empty") << "" << "";
}

void tst_OutputModel::outputResolutions()
{
    QFETCH(QString, reply);
    QFETCH(QString, expected);
    QCOMPARE(describe(parseOutputResolutions(reply)), expected);
}

void tst_OutputModel::resolutionTable_data()
{
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value"); // 0: not offered

    QTest::newRow("first") << 0 << "1920x1200@60Hz" << 1;
    QTest::newRow("4096x2160@30Hz") << 0 << "4096x2160@30Hz" << 13;
    QTest::newRow("4K60 on Orvex") << 0 << "3840x2160@60Hz" << 0;
    QTest::newRow("4K60 on Orvex-Q") << 2 << "3840x2160@60Hz" << 0;
    QTest::newRow("4K60 on Orvex-T") << 3 << "3840x2160@60Hz" << 14;
    QTest::newRow("4096@60 on Orvex-T") << 3 << "4096x2160@60Hz" << 15;
    QTest::newRow("unknown text") << 3 << "720x576@50Hz" << 0;
}

void tst_OutputModel::resolutionTable()
{
    QFETCH(int, deviceType);
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(resolutionValue(text, deviceType).value_or(0), value);
    QCOMPARE(resolutions(deviceType).size(), deviceType == DeviceTypeOrvexT ? 15 : 13);
}

void tst_OutputModel::requests()
{
    QCOMPARE(resolutionRequest(16, 15), QStringLiteral("(set,o.res,16,15)"));
    QCOMPARE(contrastRequest(9, 0), QStringLiteral("(set,contrast,9,0)"));
    // Nothing to send for values the device cannot take.
    QVERIFY(resolutionRequest(17, 1).isEmpty());
    QVERIFY(resolutionRequest(1, 0).isEmpty());
    QVERIFY(resolutionRequest(1, 16).isEmpty());
    QVERIFY(brightnessRequest(1, 101).isEmpty());
    QVERIFY(contrastRequest(0, 50).isEmpty());
    QVERIFY(audioRequest(17, true).isEmpty());
}

void tst_OutputModel::queries()
{
    const QStringList plain { "(get,o.res,5)", "(get,o.format,5)", "(get,brightness,5)", "(get,contrast,5)" };
    QCOMPARE(outputQueries(5, 1), plain);
    QCOMPARE(outputQueries(5, DeviceTypeOrvexQ), plain + QStringList { "(get,ext.audio,5)" });
    QVERIFY(outputQueries(17, 0).isEmpty());
    QCOMPARE(outputsShown(QStringLiteral("3x7")), 4);
}

QTEST_GUILESS_MAIN(tst_OutputModel)
#include "tst_outputmodel.moc"
