#include "mainwindow/output/outputmodel.h"

#include <QStringList>
#include <QtTest>

using namespace Output;

namespace {

// "out1res<r>out2res<r>...ok", the all-outputs answer once the receiver has
// joined its lines.
QString allOutputs(int count, const QString &resolution = QStringLiteral("1920x1080@60Hz"))
{
    QString text;
    for (int o = 1; o <= count; ++o)
        text += QStringLiteral("out%1res%2").arg(o).arg(resolution);
    return text + QStringLiteral("ok");
}

QString expectedAll(int count, const QString &resolution = QStringLiteral("1920x1080@60Hz"))
{
    QStringList entries;
    for (int o = 1; o <= count; ++o)
        entries << QStringLiteral("%1:%2").arg(o).arg(resolution);
    return entries.join(QLatin1Char(' '));
}

QString describe(const QVector<OutputResolution> &entries)
{
    QStringList out;
    for (const OutputResolution &e : entries)
        out << QStringLiteral("%1:%2").arg(e.output).arg(e.resolution);
    return out.join(QLatin1Char(' '));
}

QString describe(const std::optional<LevelAnswer> &answer)
{
    return answer ? QStringLiteral("%1:%2").arg(answer->output).arg(answer->value) : QString();
}

} // namespace

class tst_OutputModel final : public QObject
{
    Q_OBJECT
private slots:
    void levels_data();
    void levels();
    void externalAudio_data();
    void externalAudio();
    void outputResolutions_data();
    void outputResolutions();
    void format_data();
    void format();
    void hdcp_data();
    void hdcp();
    void resolutionTable_data();
    void resolutionTable();
    void objectNames_data();
    void objectNames();
    void requests();
    void queries();
};

void tst_OutputModel::levels_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("brightness");
    QTest::addColumn<QString>("contrast");

    QTest::newRow("brightness") << "output3brightness75ok" << "3:75" << "";
    QTest::newRow("contrast") << "output16contrast0ok" << "" << "16:0";
    QTest::newRow("limits") << "output1brightness100ok" << "1:100" << "";
    QTest::newRow("both run together")
        << "output3contrast40okoutput5brightness60ok" << "5:60" << "3:40";
    QTest::newRow("after a format answer")
        << "outputhdmi2formatisHDMIokoutput2brightness9ok" << "2:9" << "";
    QTest::newRow("no ok") << "output3brightness75" << "3:75" << "";
    QTest::newRow("output 17") << "output17brightness5ok" << "" << "";
    QTest::newRow("output 0") << "output0contrast5ok" << "" << "";
    QTest::newRow("value 101") << "output3brightness101ok" << "" << "";
    QTest::newRow("negative value") << "output3contrast-1ok" << "" << "";
    QTest::newRow("output not a number") << "outputXbrightness5ok" << "" << "";
    QTest::newRow("value not a number") << "output3brightnessfiftyok" << "" << "";
    QTest::newRow("empty value") << "output3brightnessok" << "" << "";
    QTest::newRow("huge number") << "output3brightness99999999999ok" << "" << "";
    QTest::newRow("keyword only") << "brightness50ok" << "" << "";
}

void tst_OutputModel::levels()
{
    QFETCH(QString, reply);
    QFETCH(QString, brightness);
    QFETCH(QString, contrast);
    QCOMPARE(describe(parseBrightness(reply)), brightness);
    QCOMPARE(describe(parseContrast(reply)), contrast);
}

void tst_OutputModel::externalAudio_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("output"); // 0: nothing
    QTest::addColumn<bool>("on");

    QTest::newRow("on") << "output3externalaudioonok" << 3 << true;
    QTest::newRow("off") << "output16externalaudiooffok" << 16 << false;
    QTest::newRow("after a brightness answer") << "output1brightness5okoutput2externalaudiooffok" << 2 << false;
    QTest::newRow("state unknown") << "output3externalaudiomaybeok" << 0 << false;
    QTest::newRow("state in capitals") << "output3externalaudioONok" << 0 << false;
    QTest::newRow("state runs on") << "output3externalaudioonnok" << 0 << false;
    QTest::newRow("output 17") << "output17externalaudioonok" << 0 << false;
    QTest::newRow("output missing") << "outputexternalaudioonok" << 0 << false;
}

void tst_OutputModel::externalAudio()
{
    QFETCH(QString, reply);
    QFETCH(int, output);
    QFETCH(bool, on);
    const auto answer = parseExternalAudio(reply);
    QCOMPARE(answer.has_value(), output != 0);
    if (answer) {
        QCOMPARE(answer->output, output);
        QCOMPARE(answer->on, on);
    }
}

void tst_OutputModel::outputResolutions_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("allOutputs");
    QTest::addColumn<bool>("outOfRange");
    QTest::addColumn<QString>("entries");

    QTest::newRow("one output") << "out3res1920x1080@60Hzok" << false << false << "3:1920x1080@60Hz";
    QTest::newRow("one, not in the table") << "out2res720x576@50Hzok" << false << false << "2:720x576@50Hz";
    QTest::newRow("one, no ok") << "out2res1280x720@60Hz" << false << false << "2:1280x720@60Hz";
    QTest::newRow("one, empty") << "out2resok" << false << false << "";
    QTest::newRow("one, output 17") << "out17res1920x1080@60Hzok" << false << false << "";
    QTest::newRow("one, output not a number") << "outXres1920x1080@60Hzok" << false << false << "";
    QTest::newRow("one, after a routing answer")
        << "out5in3okout2res1920x1080@50Hzok" << false << false << "2:1920x1080@50Hz";
    QTest::newRow("one, after a brightness answer")
        << "output3brightness75okout3res3840x2160@30Hzok" << false << false << "3:3840x2160@30Hz";
    QTest::newRow("one, before an input resolution")
        << "out4res1280x720@60Hzokin1res1920x1080@60Hzok" << false << false << "4:1280x720@60Hz";
    QTest::newRow("one, after a signal status")
        << "ch4x4inYYNNoutYYYYokout1res1024x768@60Hzok" << false << false << "1:1024x768@60Hz";
    QTest::newRow("one, cut at 20 characters")
        << "out1res123456789012345678901234ok" << false << false << "1:12345678901234567890";

    QTest::newRow("all 2") << allOutputs(2) << true << false << expectedAll(2);
    QTest::newRow("all 9, closing ok cut off") << allOutputs(9, "3840x2160@30Hz") << true << false
                                                << expectedAll(9, "3840x2160@30Hz");
    QTest::newRow("all 16") << allOutputs(16) << true << false << expectedAll(16);
    QTest::newRow("all 17") << allOutputs(17) << true << true << "";
    QTest::newRow("all, last resolution empty")
        << "out1res1920x1080@60Hzout2resok" << true << false << "1:1920x1080@60Hz";
    QTest::newRow("all, pieces out of position")
        << "out2res1920x1080@60Hzout1res1280x720@60Hzout3res1024x768@60Hzok" << true << false
        << "3:1024x768@60Hz";
    QTest::newRow("all, bad piece keeps positions")
        << "out1res1920x1080@60HzoutXres1280x720@60Hzout3res1024x768@60Hzok" << true << false
        << "1:1920x1080@60Hz 3:1024x768@60Hz";
    QTest::newRow("all, piece without res")
        << "out1res1920x1080@60Hzout2out3res1024x768@60Hzok" << true << false
        << "1:1920x1080@60Hz 3:1024x768@60Hz";
    QTest::newRow("all, after a brightness answer")
        << "output1brightness5ok" + allOutputs(4) << true << false << expectedAll(4);
    QTest::newRow("all, followed by another answer")
        << allOutputs(2) + "output1contrast5ok" << true << false << expectedAll(2);
    QTest::newRow("nothing but out") << "outoutoutres" << true << true << "";
    QTest::newRow("no resolution answer") << "out5in3okinres" << false << false << "";
    QTest::newRow("empty") << "" << false << false << "";
}

void tst_OutputModel::outputResolutions()
{
    QFETCH(QString, reply);
    QFETCH(bool, allOutputs);
    QFETCH(bool, outOfRange);
    QFETCH(QString, entries);

    const ResolutionAnswer answer = parseOutputResolutions(reply);
    QCOMPARE(answer.allOutputs, allOutputs);
    QCOMPARE(answer.outOfRange, outOfRange);
    QCOMPARE(describe(answer.entries), entries);
}

void tst_OutputModel::format_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("output"); // 0: nothing
    QTest::addColumn<int>("format");

    QTest::newRow("HDMI") << "outputhdmi3formatisHDMIok" << 3 << int(Format::Hdmi);
    QTest::newRow("DVI") << "outputhdmi16formatisDVIok" << 16 << int(Format::Dvi);
    QTest::newRow("lower case dvi") << "outputhdmi2formatisdviok" << 2 << int(Format::Dvi);
    QTest::newRow("lower case hdmi") << "outputhdmi2formatishdmiok" << 2 << int(Format::Hdmi);
    QTest::newRow("DVI found before HDMI") << "outputhdmi2formatisHDMI/DVIok" << 2 << int(Format::Dvi);
    QTest::newRow("HDMI answer, DVI in a later one")
        << "outputhdmi2formatisHDMIokoutputhdmi3formatisDVIok" << 2 << int(Format::Hdmi);
    QTest::newRow("after a brightness answer")
        << "output1brightness5okoutputhdmi4formatisDVIok" << 4 << int(Format::Dvi);
    QTest::newRow("neither") << "outputhdmi2formatisVGAok" << 0 << 0;
    QTest::newRow("empty format") << "outputhdmi2formatisok" << 0 << 0;
    QTest::newRow("output 17") << "outputhdmi17formatisDVIok" << 0 << 0;
    QTest::newRow("output not a number") << "outputhdmiXformatisDVIok" << 0 << 0;
    QTest::newRow("no formatis") << "outputhdmi2formatDVIok" << 0 << 0;
}

void tst_OutputModel::format()
{
    QFETCH(QString, reply);
    QFETCH(int, output);
    QFETCH(int, format);
    const auto answer = parseFormat(reply);
    QCOMPARE(answer.has_value(), output != 0);
    if (answer) {
        QCOMPARE(answer->output, output);
        QCOMPARE(int(answer->format), format);
    }
}

void tst_OutputModel::hdcp_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("output"); // 0: nothing

    QTest::newRow("simulator") << "output3enabledhdcpok" << 3;
    QTest::newRow("after a format answer") << "outputhdmi2formatisHDMIokoutput5enabledhdcpok" << 5;
    QTest::newRow("output 17") << "output17enabledhdcpok" << 0;
    QTest::newRow("not a number") << "outputXenabledhdcpok" << 0;
    QTest::newRow("no hdcp") << "output3brightness5ok" << 0;
}

void tst_OutputModel::hdcp()
{
    QFETCH(QString, reply);
    QFETCH(int, output);
    QCOMPARE(parseHdcpRefusal(reply).value_or(0), output);
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

void tst_OutputModel::objectNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("resolutionCombo");
    QTest::addColumn<int>("formatCombo");
    QTest::addColumn<int>("brightness");

    QTest::newRow("resolution 3") << "comboBox_resolution_ratio_3" << 3 << 0 << 0;
    QTest::newRow("resolution 16") << "comboBox_resolution_ratio_16" << 16 << 0 << 0;
    QTest::newRow("resolution 17") << "comboBox_resolution_ratio_17" << 0 << 0 << 0;
    QTest::newRow("resolution 0") << "comboBox_resolution_ratio_0" << 0 << 0 << 0;
    QTest::newRow("resolution trailing _") << "comboBox_resolution_ratio_" << 0 << 0 << 0;
    QTest::newRow("format 3") << "comboBox_HDMI3_Signal_format" << 0 << 3 << 0;
    QTest::newRow("format 16") << "comboBox_HDMI16_Signal_format" << 0 << 16 << 0;
    QTest::newRow("format 17") << "comboBox_HDMI17_Signal_format" << 0 << 0 << 0;
    QTest::newRow("brightness 3") << "OutputBrightnessWidget3" << 0 << 0 << 3;
    QTest::newRow("brightness 16") << "OutputBrightnessWidget16" << 0 << 0 << 16;
    QTest::newRow("brightness 3x") << "OutputBrightnessWidget3x" << 0 << 0 << 0;
    QTest::newRow("brightness none") << "OutputBrightnessWidget" << 0 << 0 << 0;
    QTest::newRow("contrast widget") << "OutputContrastRatioWidget3" << 0 << 0 << 0;
}

void tst_OutputModel::objectNames()
{
    QFETCH(QString, name);
    QFETCH(int, resolutionCombo);
    QFETCH(int, formatCombo);
    QFETCH(int, brightness);
    const bool isResolutionCombo = name.startsWith(QLatin1String("comboBox_resolution"));
    if (isResolutionCombo)
        QCOMPARE(numberAfterLastUnderscore(name).value_or(0), resolutionCombo);
    QCOMPARE(formatComboOutput(name).value_or(0), formatCombo);
    QCOMPARE(numberAfter(name, QLatin1String("OutputBrightnessWidget")).value_or(0), brightness);
}

void tst_OutputModel::requests()
{
    QCOMPARE(resolutionRequest(3, *resolutionValue(QStringLiteral("4096x2160@30Hz"), 0)),
        QStringLiteral("(set,o.res,3,13)"));
    QCOMPARE(resolutionRequest(16, 15), QStringLiteral("(set,o.res,16,15)"));
    QCOMPARE(formatRequest(2, Format::Dvi), QStringLiteral("(set,o.format,2,1)"));
    QCOMPARE(formatRequest(2, Format::Hdmi), QStringLiteral("(set,o.format,2,0)"));
    QCOMPARE(brightnessRequest(1, 100), QStringLiteral("(set,brightness,1,100)"));
    QCOMPARE(contrastRequest(9, 0), QStringLiteral("(set,contrast,9,0)"));
    QCOMPARE(audioRequest(4, true), QStringLiteral("(set,ext.audio,4,1)"));
    QCOMPARE(audioRequest(4, false), QStringLiteral("(set,ext.audio,4,0)"));

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
    QCOMPARE(outputQueries(5, 0), plain);
    QCOMPARE(outputQueries(5, 1), plain);
    QCOMPARE(outputQueries(5, DeviceTypeOrvexQ), plain + QStringList { "(get,ext.audio,5)" });
    QCOMPARE(outputQueries(5, DeviceTypeOrvexT), plain + QStringList { "(get,ext.audio,5)" });
    QVERIFY(outputQueries(17, 0).isEmpty());

    QCOMPARE(outputsShown(QStringLiteral("8x9")), 9);
    QCOMPARE(outputsShown(QStringLiteral("16x16")), 16);
    QCOMPARE(outputsShown(QStringLiteral("3x7")), 4);
}

QTEST_GUILESS_MAIN(tst_OutputModel)
#include "tst_outputmodel.moc"
