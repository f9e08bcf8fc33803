// The output setting page against the simulator (an 8x16 Orvex-T): the
// operator's choices reach the device, the device's answers set the widgets
// without anything being sent back, HDCP refusing DVI, the audio switch
// following the device, names, matrix sizes and a factory reset.
#include "pages_harness.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStackedWidget>

#include <algorithm>

#include "app/settingscatalogue.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/output/outputpage.h"
#include "mainwindow/switching/switchingpage.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mylineedit.h"

namespace {
constexpr int OutputPageIndex = 1;
const QStringList OutputRequestKinds = { "o.res", "o.format", "brightness", "contrast", "ext.audio" };

QString pageText(const char *source)
{
    return QCoreApplication::translate("OutputPage", source);
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(24, 24).toImage();
}

// Notches of the mouse wheel over `widget`, as the window system delivers them.
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
    void hdcpKeepsHdmi();
    void audioSwitchFollowsTheDevice();
    void renameInPlaceIsStored();
    void buttonsShowConnections();
    void modelHidesOutputs();
    void pageRendersAtBothWindowSizes();
    void factoryResetCentresEveryOutput(); // last: its waiting overlay stays up

private:
    OutputPage *page() const { return h.window()->outputPage(); }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    // This page's requests the device received since the last clear.
    QStringList requests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history()) {
            if (std::any_of(OutputRequestKinds.cbegin(), OutputRequestKinds.cend(),
                    [&](const QString &kind) { return request.contains(QLatin1Char(',') + kind + ','); }))
                mine << request;
        }
        return mine;
    }
    QStringList deviceList(const char *key)
    {
        return h.sim().state().value(QLatin1String(key)).split(QLatin1Char(','));
    }
    // Clicks output n's button and waits until its settings are read.
    void openOutput(int output)
    {
        control(QStringLiteral("history clear"));
        QTest::mouseClick(page()->outputButtons().at(output - 1), Qt::LeftButton);
        QCOMPARE(page()->currentOutput(), output);
        QTRY_VERIFY(requests().contains(QStringLiteral("(get,ext.audio,%1)").arg(output)));
        control(QStringLiteral("history clear"));
    }
    // Picks an entry from the open list with the keyboard, as an operator may.
    static void choose(QComboBox *combo, int index)
    {
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        view->setCurrentIndex(view->model()->index(index, 0));
        QTest::keyClick(view, Qt::Key_Return);
    }
    // An output's widgets: resolution|format|brightness|contrast|audio.
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
    // Chosen at login, before the window exists.
    CommonlyUsed::ver_minor = CommonlyUsed::DeviceTypeOrvexT;
    QVERIFY2(h.start({ "--model", "8x16", "--type", "Orvex-T" }), qPrintable(h.error()));
    QCOMPARE(page()->outputButtons().size(), 16);
    QCOMPARE(page()->outputButtons().at(15)->objectName(), QStringLiteral("toolButton_HDMI16"));
    QCOMPARE(page()->currentOutput(), 1);
    QVERIFY(page()->outputButtons().first()->isChecked());
    auto *stack = page()->findChild<QStackedWidget *>(QStringLiteral("stackedWidget_output_Set"));
    QCOMPARE(stack->count(), 16);
    QCOMPARE(stack->currentWidget()->objectName(), QStringLiteral("pageOutput_1"));

    // 4K at 60 Hz is offered by Orvex-T, which also switches external audio.
    QComboBox *resolution = page()->resolutionCombo(12);
    QCOMPARE(resolution->count(), 15);
    QCOMPARE(resolution->itemText(12), QStringLiteral("4096x2160@30Hz"));
    QCOMPARE(resolution->itemText(13), QStringLiteral("3840x2160@60Hz"));
    QCOMPARE(resolution->itemText(14), QStringLiteral("4096x2160@60Hz"));
    QVERIFY(!page()->audioSwitch(12)->isHidden());

    h.window()->findChild<QPushButton *>(QStringLiteral("pushButton_OutputSetting"))->click();
    // The slide onto the page has ended.
    QTRY_VERIFY(page()->isVisible() && !h.window()->switchingPage()->isVisible());
    QCOMPARE(page()->audioSwitch(1)->size(), QSize(81, 35));
}

void TestOutput::enteringThePageReadsTheCurrentOutput()
{
    control("set level brightness 1 37");
    control("set level contrast 1 64");
    control("set ores 1 3");
    control("set audio 1 on");
    control("history clear");
    emit h.window()->Send_PageShown(OutputPageIndex);
    QTRY_COMPARE(requests(),
        QStringList({ "(get,o.res,1)", "(get,o.format,1)", "(get,brightness,1)", "(get,contrast,1)",
            "(get,ext.audio,1)" }));
    QCOMPARE(shown(1), QStringLiteral("1280x720@60Hz|HDMI|37|64|on"));

    // While the device polls scenes the page asks nothing.
    h.window()->setPollingRunning(true);
    control("history clear");
    emit h.window()->Send_PageShown(OutputPageIndex);
    QTest::qWait(100);
    QVERIFY(requests().isEmpty());
    h.window()->setPollingRunning(false);
}

void TestOutput::choicesReachTheDevice_data()
{
    QTest::addColumn<int>("output");
    QTest::addColumn<bool>("format");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("deviceValue");
    QTest::newRow("4096x2160@30Hz") << 3 << false << 12 << "(set,o.res,3,13)"
                                    << "13";
    QTest::newRow("first resolution") << 5 << false << 0 << "(set,o.res,5,1)"
                                      << "1";
    QTest::newRow("Orvex-T 4K60") << 2 << false << 14 << "(set,o.res,2,15)"
                                  << "15";
    QTest::newRow("DVI") << 4 << true << 1 << "(set,o.format,4,1)"
                         << "1";
    QTest::newRow("HDMI") << 4 << true << 0 << "(set,o.format,4,0)"
                          << "0";
}

void TestOutput::choicesReachTheDevice()
{
    QFETCH(int, output);
    QFETCH(bool, format);
    QFETCH(int, index);
    QFETCH(QString, request);
    QFETCH(QString, deviceValue);
    openOutput(output);
    const char *key = format ? "oformat" : "ores";
    QStringList expected = deviceList(key);
    expected[output - 1] = deviceValue;

    QComboBox *combo = format ? page()->formatCombo(output) : page()->resolutionCombo(output);
    choose(combo, index);
    QTRY_COMPARE(deviceList(key), expected); // this output only
    QCOMPARE(requests(), QStringList(request));
    QCOMPARE(combo->currentIndex(), index);
}

void TestOutput::answersSetWidgetsWithoutSending_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("expected");
    const QString before = QStringLiteral("1920x1200@60Hz|HDMI|50|50|off");
    QString allOutputs;
    for (int output = 1; output <= 16; ++output)
        allOutputs += QStringLiteral("out%1res1360x768@60Hz").arg(output);

    QTest::newRow("brightness") << "output6brightness33ok"
                                << "1920x1200@60Hz|HDMI|33|50|off";
    QTest::newRow("two answers") << "output6brightness0okoutput6contrast100ok"
                                 << "1920x1200@60Hz|HDMI|0|100|off";
    QTest::newRow("audio on") << "output6externalaudioonok"
                              << "1920x1200@60Hz|HDMI|50|50|on";
    QTest::newRow("DVI") << "outputhdmi6formatisDVIok"
                         << "1920x1200@60Hz|DVI|50|50|off";
    QTest::newRow("resolution") << "out6res1280x720@60Hzok"
                                << "1280x720@60Hz|HDMI|50|50|off";
    QTest::newRow("all outputs") << allOutputs + "ok"
                                 << "1360x768@60Hz|HDMI|50|50|off";
    QTest::newRow("output 17") << "output17brightness20ok" << before;
    QTest::newRow("format neither") << "outputhdmi6formatisVGAok" << before;
    QTest::newRow("17 outputs") << allOutputs + "out17res1360x768@60Hzok" << before;
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
    QTest::qWait(50);
    QVERIFY2(requests().isEmpty(), qPrintable(requests().join(' ')));
}

void TestOutput::unlistedResolutionIsShownNotOffered()
{
    QSignalSpy reported(page(), &OutputPage::outputResolutionShown);
    QComboBox *combo = page()->resolutionCombo(7);
    control("set ores 7 2560x1440@60Hz");
    page()->queryOutput(7);
    QTRY_COMPARE(combo->currentText(), QStringLiteral("2560x1440@60Hz"));
    QCOMPARE(combo->count(), 16);
    QCOMPARE(reported.last(), QVariantList({ 7, QStringLiteral("2560x1440@60Hz") }));
    control("set ores 7 720x576@50Hz");
    page()->queryOutput(7);
    QTRY_COMPARE(combo->currentText(), QStringLiteral("720x576@50Hz"));
    QCOMPARE(combo->count(), 16);

    // Neither the device's own entry, nor anything past it, nor a wheel
    // turned over the combo asks the device for anything.
    control("history clear");
    emit combo->activated(15);
    emit combo->activated(16);
    turnWheel(combo, 1);
    QTest::qWait(100);
    QVERIFY(requests().isEmpty());
    QCOMPARE(combo->currentText(), QStringLiteral("720x576@50Hz"));

    control("set ores 7 2");
    page()->queryOutput(7);
    QTRY_COMPARE(combo->currentIndex(), 1);
    QCOMPARE(combo->count(), 15);
}

void TestOutput::levelsAreSentOncePerSettledValue()
{
    openOutput(1);
    control("set level brightness 1 100");
    control("set level contrast 1 50");
    page()->queryOutput(1);
    QTRY_COMPARE(page()->brightnessSlider(1)->value(), 100);
    control("history clear");

    // Plus at the top sends the top, and the slider stays there.
    auto *plus = page()->brightnessSlider(1)->findChild<QPushButton *>(QStringLiteral("volumePlusBut"));
    QTest::mouseClick(plus, Qt::LeftButton);
    QTRY_COMPARE(requests(), QStringList("(set,brightness,1,100)"));
    QCOMPARE(page()->brightnessSlider(1)->value(), 100);

    // Three notches of the wheel: one request with the value they reach.
    control("history clear");
    QSlider *slider = page()->contrastSlider(1)->slider();
    turnWheel(slider, 3);
    QCOMPARE(slider->value(), 80);
    QTRY_COMPARE(requests(), QStringList("(set,contrast,1,80)"));
    QTest::qWait(CustomizeVolumeSlider::SettleMs * 2);
    QCOMPARE(requests().size(), 1);
    QCOMPARE(deviceList("contrast").first(), QStringLiteral("80"));
}

void TestOutput::hdcpKeepsHdmi()
{
    control("set hdcp 2 on");
    openOutput(2);
    QComboBox *format = page()->formatCombo(2);
    QCOMPARE(format->currentText(), QStringLiteral("HDMI"));
    choose(format, 1);
    QTRY_COMPARE(h.window()->lastToast(), pageText("输出%1hdcp已打开，无法切换到dvi！").arg(2));
    QCOMPARE(format->currentText(), QStringLiteral("HDMI"));
    QCOMPARE(requests(), QStringList("(set,o.format,2,1)"));
    QCOMPARE(deviceList("oformat").at(1), QStringLiteral("0"));
    control("set hdcp 2 off");
}

void TestOutput::audioSwitchFollowsTheDevice()
{
    openOutput(4);
    QPushButton *audio = page()->audioSwitch(4);
    QVERIFY(!audio->isChecked());
    QTest::mouseClick(audio, Qt::LeftButton);
    QTRY_VERIFY(audio->isChecked());
    QCOMPARE(requests(), QStringList("(set,ext.audio,4,1)"));
    QCOMPARE(h.sim().state().value("extaudio").at(3), QLatin1Char('1'));

    control("history clear");
    QTest::mouseClick(audio, Qt::LeftButton);
    QTRY_VERIFY(!audio->isChecked());
    QCOMPARE(requests(), QStringList("(set,ext.audio,4,0)"));

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
    QTest::mouseDClick(button, Qt::LeftButton);
    QTRY_VERIFY(button->isEditing());
    QTest::keyClicks(button->editor(), QStringLiteral("Stage & Left"));
    // A click elsewhere on the window commits the name.
    auto *bar = h.window()->findChild<QWidget *>(QStringLiteral("widget_statusBar"));
    QTest::mouseClick(
        h.window(), Qt::LeftButton, Qt::NoModifier, bar->mapTo(h.window(), bar->rect().center()));
    QTRY_COMPARE(names->name(NameStore::Output, 3), QStringLiteral("Stage & Left"));
    QCOMPARE(button->text(), names->display(NameStore::Output, 3));
    QCOMPARE(page()->findChild<QGroupBox *>()->title(), QStringLiteral("Stage && Left"));
    QSettings stored(
        SettingsCatalogue::filePath(SettingsCatalogue::File::SignalSwitching), QSettings::IniFormat);
    QCOMPARE(stored.value("pushButton_OutPutHDMI/OutPutHDMI_value2").toString(),
        names->display(NameStore::Output, 3));

    // A name given elsewhere (the rename page) shows here too.
    names->setName(NameStore::Output, 5, QStringLiteral("Foyer"));
    QCOMPARE(page()->outputButtons().at(4)->text(), QStringLiteral("Foyer"));
    names->setName(NameStore::Output, 5, QString());
    QCOMPARE(page()->outputButtons().at(4)->text(), QStringLiteral("HDMI-5"));
}

void TestOutput::buttonsShowConnections()
{
    const QImage connected = iconImage(QIcon(":/image/HDMI-Select.png"));
    const QImage unconnected = iconImage(QIcon(":/image/HDMI-Unselect.png"));
    h.window()->Data_Processing("ch8x16inYYYYYYYYoutYNYNYNYNYNYNYNYNok");
    for (int i = 0; i < 16; ++i)
        QCOMPARE(iconImage(page()->outputButtons().at(i)->icon()), i % 2 ? unconnected : connected);
    emit h.window()->Send_LinkLost();
    for (const my_ToolButton *button : page()->outputButtons())
        QCOMPARE(iconImage(button->icon()), unconnected);
}

void TestOutput::modelHidesOutputs()
{
    const auto shownButtons = [this] {
        return std::count_if(page()->outputButtons().cbegin(), page()->outputButtons().cend(),
            [](const my_ToolButton *b) { return !b->isHidden(); });
    };
    openOutput(12);
    QVERIFY2(h.useModel("8x9"), qPrintable(h.error()));
    QCOMPARE(shownButtons(), 9);
    // Output 12 is gone: the page shows output 1 and reads it.
    QCOMPARE(page()->currentOutput(), 1);
    QVERIFY(page()->outputButtons().first()->isChecked());
    QCOMPARE(page()->findChild<QStackedWidget *>()->currentIndex(), 0);
    QTRY_VERIFY(requests().contains("(get,ext.audio,1)"));

    QVERIFY2(h.useModel("4x2"), qPrintable(h.error()));
    QCOMPARE(shownButtons(), 2);
    control("history clear");
    page()->queryOutput(3);
    QTest::qWait(100);
    QVERIFY(requests().isEmpty());
    QVERIFY2(h.useModel("8x16"), qPrintable(h.error()));
    QCOMPARE(shownButtons(), 16);
}

void TestOutput::pageRendersAtBothWindowSizes()
{
    // The form stays whole and every output button can be reached; with
    // TRIVANE_OUTPUT_SHOTS set the window is saved there for a look.
    const QString shots = qEnvironmentVariable("TRIVANE_OUTPUT_SHOTS");
    auto *area = page()->findChild<QScrollArea *>(QStringLiteral("scrollArea_Outputs"));
    for (const QSize size : { QSize(1366, 768), QSize(1920, 1080) }) {
        h.window()->resize(size);
        QTest::qWait(100);
        auto *card = page()->findChild<QGroupBox *>();
        QVERIFY(page()->rect().contains(card->geometry()));
        QVERIFY(card->height() >= card->minimumSizeHint().height());
        QVERIFY(card->width() >= card->minimumSizeHint().width());
        QVERIFY(card->rect().contains(
            page()->audioSwitch(1)->mapTo(card, page()->audioSwitch(1)->rect().bottomRight())));
        area->ensureWidgetVisible(page()->outputButtons().last());
        QVERIFY(!page()->outputButtons().last()->visibleRegion().isEmpty());
        if (!shots.isEmpty())
            h.window()->grab().save(QDir(shots).filePath(
                QStringLiteral("output-%1x%2.png").arg(size.width()).arg(size.height())));
    }
    h.window()->resize(1366, 768);
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
    QTest::qWait(50);
    QVERIFY(requests().isEmpty());
}

QTEST_MAIN(TestOutput)
#include "tst_output.moc"
