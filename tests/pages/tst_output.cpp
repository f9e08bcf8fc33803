// The output setting page against the simulator (an 8x16 Orvex-T): choices
// reach the device, its answers set the widgets without being sent back.
#include "pages_harness.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>

#include "app/settingscatalogue.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/output/outputpage.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mylineedit.h"

namespace {
const QStringList OutputRequestKinds = { "o.res", "o.format", "brightness", "contrast", "ext.audio" };

// Notches of the mouse wheel, delivered as the window system does.
void turnWheel(QWidget *widget, int notches)
{
    const QPoint at = widget->rect().center();
    for (int notch = 0; notch < notches; ++notch) {
        QWheelEvent wheel(QPointF(at), QPointF(widget->mapToGlobal(at)), QPoint(), QPoint(0, 120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QSpontaneKeyEvent::setSpontaneous(&wheel);
        qApp->notify(widget, &wheel);
    }
}
} // namespace

class TestOutput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void enteringThePageReadsTheCurrentOutput();
    void choicesReachTheDevice_data();
    void choicesReachTheDevice();
    void answersSetWidgetsWithoutSending_data();
    void answersSetWidgetsWithoutSending();
    void unlistedResolutionIsShownNotOffered();
    void levelsAreSentOncePerSettledValue();
    void audioSwitchFollowsTheDevice();
    void renameInPlaceIsStored();
    void buttonsShowConnections();
    void modelHidesOutputs();
    void factoryResetCentresEveryOutput(); // last: its waiting overlay stays up

private:
    OutputPage *page() const { return h.window()->outputPage(); }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    // This page's requests since the last "history clear".
    QStringList requests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history())
            if (OutputRequestKinds.contains(request.section(QLatin1Char(','), 1, 1)))
                mine << request;
        return mine;
    }
    void expectNoRequests(int waitMs = 100)
    {
        QTest::qWait(waitMs);
        QVERIFY2(requests().isEmpty(), qPrintable(requests().join(' ')));
    }
    // Clicks output n's button and waits until its settings are read.
    void openOutput(int output)
    {
        control(QStringLiteral("history clear"));
        QTest::mouseClick(page()->outputButtons().at(output - 1), Qt::LeftButton);
        QTRY_VERIFY(requests().contains(QStringLiteral("(get,ext.audio,%1)").arg(output)));
        control(QStringLiteral("history clear"));
    }
    // Picks an entry from the open list with the keyboard.
    static void choose(QComboBox *combo, int index)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
    }
    // resolution|format|brightness|contrast|audio of an output.
    QString shown(int output) const
    {
        return QStringList(
            { page()->resolutionCombo(output)->currentText(), page()->formatCombo(output)->currentText(),
                QString::number(page()->brightnessSlider(output)->value()),
                QString::number(page()->contrastSlider(output)->value()),
                page()->audioSwitch(output)->isChecked() ? "on" : "off" })
            .join(QLatin1Char('|'));
    }

    PagesHarness h;
};

void TestOutput::initTestCase()
{
    CommonlyUsed::ver_minor = CommonlyUsed::DeviceTypeOrvexT; // chosen at login, before the window
    QVERIFY2(h.start({ "--model", "8x16", "--type", "Orvex-T" }), qPrintable(h.error()));
    h.window()->findChild<QPushButton *>(QStringLiteral("pushButton_OutputSetting"))->click();
    QTRY_VERIFY(page()->isVisible() && !h.window()->switchingPage()->isVisible());
}

void TestOutput::enteringThePageReadsTheCurrentOutput()
{
    for (const char *line : { "set level brightness 1 37", "set level contrast 1 64", "set ores 1 3",
             "set audio 1 on", "history clear" })
        control(line);
    emit h.window()->Send_PageShown(1);
    QTRY_COMPARE(requests(),
        QStringList({ "(get,o.res,1)", "(get,o.format,1)", "(get,brightness,1)", "(get,contrast,1)",
            "(get,ext.audio,1)" }));
    QCOMPARE(shown(1), QStringLiteral("1280x720@60Hz|HDMI|37|64|on"));

    // While the device polls scenes the page asks nothing.
    h.window()->setPollingRunning(true);
    control("history clear");
    emit h.window()->Send_PageShown(1);
    expectNoRequests();
    h.window()->setPollingRunning(false);
}

void TestOutput::choicesReachTheDevice_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("hdcp"); // the device refuses DVI and keeps HDMI
    QTest::newRow("4096x2160@30Hz") << 3 << 12 << "(set,o.res,3,13)" << false;
    QTest::newRow("first resolution") << 5 << 0 << "(set,o.res,5,1)" << false;
    QTest::newRow("Orvex-T 4K60") << 2 << 14 << "(set,o.res,2,15)" << false;
    QTest::newRow("DVI") << 4 << 1 << "(set,o.format,4,1)" << false;
    QTest::newRow("HDMI") << 4 << 0 << "(set,o.format,4,0)" << false;
    QTest::newRow("DVI under HDCP") << 2 << 1 << "(set,o.format,2,1)" << true;
}

void TestOutput::choicesReachTheDevice()
{
    QFETCH(int, output);
    QFETCH(int, index);
    QFETCH(QString, request);
    QFETCH(bool, hdcp);
    control(QStringLiteral("set hdcp %1 %2").arg(output).arg(hdcp ? "on" : "off"));
    openOutput(output);
    const bool format = request.contains(QLatin1String("o.format"));
    QComboBox *combo = format ? page()->formatCombo(output) : page()->resolutionCombo(output);
    choose(combo, index);
    QTRY_COMPARE(requests(), QStringList(request));
    if (hdcp) {
        QTRY_COMPARE(h.window()->lastToast(),
            QCoreApplication::translate("OutputPage", "输出%1hdcp已打开，无法切换到dvi！").arg(output));
        QCOMPARE(combo->currentText(), QStringLiteral("HDMI"));
        control(QStringLiteral("set hdcp %1 off").arg(output));
    }
}

void TestOutput::answersSetWidgetsWithoutSending_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    QString allOutputs;
    for (int output = 1; output <= 16; ++output)
        allOutputs += QStringLiteral("out%1res1360x768@60Hz").arg(output);

    QTest::newRow("two answers") << "output6brightness0okoutput6contrast100ok"
                                 << "1920x1200@60Hz|HDMI|0|100|off";
    QTest::newRow("audio on") << "output6externalaudioonok"
                              << "1920x1200@60Hz|HDMI|50|50|on";
    QTest::newRow("DVI") << "outputhdmi6formatisDVIok"
                         << "1920x1200@60Hz|DVI|50|50|off";
    QTest::newRow("all outputs") << allOutputs + "ok"
                                 << "1360x768@60Hz|HDMI|50|50|off";
    QTest::newRow("17 outputs") << allOutputs + "out17res1360x768@60Hzok"
                                << "1920x1200@60Hz|HDMI|50|50|off";
}

void TestOutput::answersSetWidgetsWithoutSending()
{
    QFETCH(QString, answer);
    QFETCH(QString, expected);
    page()->resolutionCombo(6)->setCurrentIndex(0);
    page()->formatCombo(6)->setCurrentIndex(0);
    page()->setPictureSliders(6, 6, 50);
    page()->audioSwitch(6)->setChecked(false);
    control("history clear");

    h.window()->Data_Processing(answer);
    QCOMPARE(shown(6), expected);
    expectNoRequests(50);
}

void TestOutput::unlistedResolutionIsShownNotOffered()
{
    QSignalSpy reported(page(), &OutputPage::outputResolutionShown);
    QComboBox *combo = page()->resolutionCombo(7);
    const auto deviceReports = [&](const QString &value) {
        control("set ores 7 " + value);
        page()->queryOutput(7);
    };
    deviceReports("2560x1440@60Hz");
    QTRY_COMPARE(combo->currentText(), QStringLiteral("2560x1440@60Hz"));
    QCOMPARE(reported.last(), QVariantList({ 7, QStringLiteral("2560x1440@60Hz") }));
    // A second unlisted one replaces the first.
    deviceReports("720x576@50Hz");
    QTRY_COMPARE(combo->currentText(), QStringLiteral("720x576@50Hz"));
    QCOMPARE(combo->count(), 16);

    // Neither that entry, nor anything past it, nor a wheel asks the device.
    control("history clear");
    emit combo->activated(15);
    turnWheel(combo, 1);
    expectNoRequests();
    QCOMPARE(combo->currentText(), QStringLiteral("720x576@50Hz"));

    deviceReports("2");
    QTRY_COMPARE(combo->currentIndex(), 1);
    QCOMPARE(combo->count(), 15);
}

void TestOutput::levelsAreSentOncePerSettledValue()
{
    page()->brightnessSlider(1)->setValue(100);
    page()->contrastSlider(1)->setValue(50);
    control("history clear");

    // Plus at the top sends the top and stays there; three wheel notches
    // send one request with the value they reach.
    QTest::mouseClick(page()->brightnessSlider(1)->findChild<QPushButton *>(QStringLiteral("volumePlusBut")),
        Qt::LeftButton);
    turnWheel(page()->contrastSlider(1)->slider(), 3);
    QTest::qWait(CustomizeVolumeSlider::SettleMs * 3);
    QCOMPARE(requests(), QStringList({ "(set,brightness,1,100)", "(set,contrast,1,80)" }));
    QCOMPARE(page()->brightnessSlider(1)->value(), 100);
}

void TestOutput::audioSwitchFollowsTheDevice()
{
    openOutput(4);
    QPushButton *audio = page()->audioSwitch(4);
    for (const bool on : { true, false }) {
        control("history clear");
        QTest::mouseClick(audio, Qt::LeftButton);
        QTRY_COMPARE(audio->isChecked(), on);
        QCOMPARE(requests(), QStringList(QStringLiteral("(set,ext.audio,4,%1)").arg(int(on))));
    }

    // A device that does not answer did not switch: neither does the button.
    control("fault silence on");
    const auto speakAgain = qScopeGuard([this] { control("fault silence off"); });
    QTest::mouseClick(audio, Qt::LeftButton);
    QTest::qWait(200);
    QVERIFY(!audio->isChecked());
    QTRY_VERIFY_WITH_TIMEOUT(!h.window()->linkBusy, 4000);
}

void TestOutput::renameInPlaceIsStored()
{
    NameStore *names = h.window()->nameStore();
    my_ToolButton *button = page()->outputButtons().at(2);
    QTest::mouseClick(button, Qt::LeftButton); // the settings title names the current output
    button->startRename();
    button->editor()->setText(QStringLiteral("Stage & Left"));
    QTest::keyClick(button->editor(), Qt::Key_Return);
    QCOMPARE(names->name(NameStore::Output, 3), QStringLiteral("Stage & Left"));
    QCOMPARE(page()->findChild<QGroupBox *>()->title(), QStringLiteral("Stage && Left"));
    QSettings stored(
        SettingsCatalogue::filePath(SettingsCatalogue::File::SignalSwitching), QSettings::IniFormat);
    QCOMPARE(stored.value("pushButton_OutPutHDMI/OutPutHDMI_value2").toString(),
        names->display(NameStore::Output, 3));

    // A name given on another page shows here too.
    names->setName(NameStore::Output, 5, QStringLiteral("Foyer"));
    QCOMPARE(page()->outputButtons().at(4)->text(), QStringLiteral("Foyer"));
    names->setName(NameStore::Output, 5, QString());
}

void TestOutput::buttonsShowConnections()
{
    const auto image = [](const QIcon &icon) { return icon.pixmap(24, 24).toImage(); };
    const QImage connected = image(QIcon(":/image/HDMI-Select.png"));
    const QImage unconnected = image(QIcon(":/image/HDMI-Unselect.png"));
    h.window()->Data_Processing("ch8x16inYYYYYYYYoutYNYNYNYNYNYNYNYNok");
    for (int i = 0; i < 16; ++i)
        QCOMPARE(image(page()->outputButtons().at(i)->icon()), i % 2 ? unconnected : connected);
    emit h.window()->Send_LinkLost();
    QCOMPARE(image(page()->outputButtons().first()->icon()), unconnected);
}

void TestOutput::modelHidesOutputs()
{
    openOutput(12);
    QVERIFY2(h.useModel("8x9"), qPrintable(h.error()));
    QVERIFY(!page()->outputButtons().at(8)->isHidden() && page()->outputButtons().at(9)->isHidden());
    // Output 12 is gone: the page shows output 1 and reads it.
    QCOMPARE(page()->currentOutput(), 1);
    QTRY_VERIFY(requests().contains("(get,ext.audio,1)"));
    QVERIFY2(h.useModel("8x16"), qPrintable(h.error()));
    // All sixteen fit a 1366x768 window by scrolling.
    page()->findChild<QScrollArea *>()->ensureWidgetVisible(page()->outputButtons().last());
    QVERIFY(!page()->outputButtons().last()->visibleRegion().isEmpty());
}

void TestOutput::factoryResetCentresEveryOutput()
{
    QVERIFY2(h.useModel("16x16"), qPrintable(h.error()));
    for (int output = 1; output <= 16; ++output) {
        page()->brightnessSlider(output)->setValue(output);
        page()->contrastSlider(output)->setValue(100 - output);
    }
    // The reset's delayed reconnect to the factory address must never run here.
    DispatchTimings timings = h.window()->dispatcher()->timings();
    timings.factoryResetMs = 24 * 3600 * 1000;
    h.window()->dispatcher()->setTimings(timings);
    control("history clear");
    h.window()->Data_Processing("factoryresetok");
    for (int output = 1; output <= 16; ++output) {
        QCOMPARE(page()->brightnessSlider(output)->value(), 50);
        QCOMPARE(page()->contrastSlider(output)->value(), 50);
    }
    expectNoRequests(50);
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
