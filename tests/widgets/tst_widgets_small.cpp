#include "app/commonlyused.h"
#include "resources/trivaneresources.h"
#include "tests/support/show_active.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/edidlineedit.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mybutton.h"
#include "widgets/mylineedit.h"
#include "widgets/portstatuslable.h"
#include "widgets/qtlineedit.h"

#include <QApplication>
#include <QImage>
#include <QTranslator>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QWheelEvent>



class TestWidgetsSmall : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { Trivane::initResources(); }
    void cleanup() { CommonlyUsed::setLanguageIndex(0); }

    void lineEditKeys_data();
    void lineEditKeys();
    void toolButtonRename_data();
    void toolButtonRename();
    void toolButtonCancelAndAmpersand();
    void toolButtonMaxLength();
    void sceneButtonRename_data();
    void sceneButtonRename();
    void edidLineEditPress();
    void volumeSlider_data();
    void volumeSlider();
    void volumeSliderReplySilent();
    void volumeSliderSettles_data();
    void volumeSliderSettles();
    void commandLineHistory();
    void portStatusCard();
    void portStatusFont_data();
    void portStatusFont();
    void portStatusTextInside_data();
    void portStatusTextInside();
};

void TestWidgetsSmall::lineEditKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("finished");
    QTest::addColumn<int>("state");
    QTest::newRow("return") << int(Qt::Key_Return) << 1 << 0;
    QTest::newRow("enter") << int(Qt::Key_Enter) << 1 << 0;
    QTest::newRow("escape") << int(Qt::Key_Escape) << 2 << 1;
}

void TestWidgetsSmall::lineEditKeys()
{
    QFETCH(int, key);
    QFETCH(int, finished);
    QFETCH(int, state);
    QWidget window;
    auto *edit = new MyLineEdit(&window);
    QVERIFY(showActive(window));
    edit->setFocus();
    QVERIFY(edit->hasFocus());
    QSignalSpy spy(edit, &MyLineEdit::renamefinished);
    QTest::keyClick(edit, Qt::Key(key));
    QVERIFY(spy.count() >= 1);
    QCOMPARE(spy.at(0).at(0).toInt(), finished);
    QCOMPARE(edit->state(), state);

    // Focus loss and a right click repeat the last choice.
    spy.clear();
    QTest::mouseClick(edit, Qt::RightButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toInt(), finished);
}

void TestWidgetsSmall::toolButtonRename_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("eight stays on one line") << "ABCDEFGH" << "ABCDEFGH";
    QTest::newRow("nine wraps after eight") << "ABCDEFGHI" << "ABCDEFGH\nI";
    QTest::newRow("chinese") << "蓝光播放机一号机位二" << "蓝光播放机一号机\n位二";
}

void TestWidgetsSmall::toolButtonRename()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QWidget window;
    auto *button = new my_ToolButton(&window);
    button->setText(QStringLiteral("HDMI-1"));
    button->resize(120, 60);
    QVERIFY(showActive(window));

    QSignalSpy opened(button, &my_ToolButton::sendLineEdit);
    QSignalSpy renamed(button, &my_ToolButton::send_Input_signal);
    QTest::mouseDClick(button, Qt::LeftButton);
    QCOMPARE(opened.count(), 1);
    // The editor holds the focus, so hiding it below is a real focus loss.
    QVERIFY(button->editor()->hasFocus());
    QCOMPARE(opened.at(0).at(0).value<my_ToolButton *>(), button);
    QCOMPARE(opened.at(0).at(2).toInt(), 1);
    QVERIFY(button->editor()->isVisible());
    QCOMPARE(button->editor()->text(), QStringLiteral("HDMI-1"));
    QCOMPARE(button->editor()->selectedText(), QStringLiteral("HDMI-1"));

    button->editor()->setText(typed);
    QTest::keyClick(button->editor(), Qt::Key_Return);
    QCOMPARE(button->text(), shown);
    QVERIFY(!button->editor()->isVisible());
    QCOMPARE(renamed.count(), 1); // not again for the focus loss of the hidden editor
}

void TestWidgetsSmall::toolButtonCancelAndAmpersand()
{
    QWidget window;
    auto *button = new my_ToolButton(&window);
    button->setText(QStringLiteral("HDMI-2"));
    QVERIFY(showActive(window));
    QSignalSpy renamed(button, &my_ToolButton::send_Input_signal);

    button->startRename();
    button->editor()->setText(QStringLiteral("Other"));
    QTest::keyClick(button->editor(), Qt::Key_Escape);
    QCOMPARE(button->text(), QStringLiteral("HDMI-2"));
    QCOMPARE(renamed.count(), 0);

    // Reopened after Escape the editor accepts again; "&" is no mnemonic.
    button->startRename();
    button->editor()->setText(QStringLiteral("A&B"));
    QTest::keyClick(button->editor(), Qt::Key_Return);
    QCOMPARE(button->text(), QStringLiteral("A&&B"));
    button->startRename();
    QCOMPARE(button->editor()->text(), QStringLiteral("A&B"));
    // An empty name cancels silently.
    button->editor()->clear();
    button->m_ReName(1);
    QCOMPARE(button->text(), QStringLiteral("A&&B"));
    QCOMPARE(renamed.count(), 1);
}

void TestWidgetsSmall::toolButtonMaxLength()
{
    my_ToolButton button;
    button.startRename();
    QCOMPARE(button.editor()->maxLength(), 16);
    button.m_ReName(2);
    CommonlyUsed::setLanguageIndex(1);
    button.startRename();
    QCOMPARE(button.editor()->maxLength(), 20);
}

void TestWidgetsSmall::sceneButtonRename_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("six") << "ABCDEF" << "ABCDEF";
    QTest::newRow("seven") << "ABCDEFG" << "ABCDEF\nG";
    QTest::newRow("twelve") << "ABCDEFGHIJKL" << "ABCDEF\nGHIJKL";
    QTest::newRow("thirteen") << "ABCDEFGHIJKLM" << "ABCDEF\nGHIJKL\nM";
    QTest::newRow("trailing blank trimmed") << "ABCDEF " << "ABCDEF";
}

void TestWidgetsSmall::sceneButtonRename()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    MyButton button;
    button.setText(QStringLiteral("场景 1"));
    QSignalSpy opened(&button, &MyButton::sendLineEdit);
    QSignalSpy ended(&button, &MyButton::send_Scene_renamed);
    button.startRename();
    QCOMPARE(opened.at(0).at(2).toInt(), 2);
    QCOMPARE(button.editor()->maxLength(), 18);
    button.editor()->setText(typed);
    button.m_ReName(1);
    button.m_ReName(1);
    QCOMPARE(button.text(), shown);
    QCOMPARE(ended.count(), 1);

    button.startRename();
    button.editor()->setText(QStringLiteral("丢弃"));
    button.m_ReName(2);
    QCOMPARE(button.text(), shown);
    // A cancel renames nothing, so nothing is stored.
    QCOMPARE(ended.count(), 1);
}

void TestWidgetsSmall::edidLineEditPress()
{
    EdidLineEdit edit;
    edit.setText(QStringLiteral("自定义EDID1"));
    edit.resize(160, 30);
    QSignalSpy pressed(&edit, &EdidLineEdit::lineEditPressed);
    QTest::mouseClick(&edit, Qt::RightButton);
    QCOMPARE(pressed.count(), 0);
    QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, QPoint(20, 15));
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.at(0).at(0).value<EdidLineEdit *>(), &edit);
    QCOMPARE(edit.selectedText(), edit.text());
}

void TestWidgetsSmall::volumeSlider_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("reported");
    QTest::newRow("plus") << 50 << "volumePlusBut" << 51;
    QTest::newRow("plus at maximum") << 100 << "volumePlusBut" << 100;
    QTest::newRow("minus") << 50 << "volumeReductionBut" << 49;
    QTest::newRow("minus at minimum") << 0 << "volumeReductionBut" << 0;
}

void TestWidgetsSmall::volumeSlider()
{
    QFETCH(int, start);
    QFETCH(QString, button);
    QFETCH(int, reported);
    CustomizeVolumeSlider slider;
    slider.setValue(start);
    QSignalSpy changes(&slider, &CustomizeVolumeSlider::sliderValueChange);
    QSignalSpy releases(&slider, &CustomizeVolumeSlider::mouseButtonRelease);
    slider.findChild<QPushButton *>(button)->click();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(0).toInt(), reported);
    QCOMPARE(slider.valueLabel()->text(), QString::number(reported));

    slider.show();
    QTest::mouseClick(slider.slider(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 10));
    QCOMPARE(releases.count(), 1);
    QCOMPARE(releases.at(0).at(0).toInt(), slider.value());
}

void TestWidgetsSmall::volumeSliderReplySilent()
{
    CustomizeVolumeSlider slider;
    QCOMPARE(slider.valueLabel()->text(), QStringLiteral("0"));
    QCOMPARE(slider.slider()->singleStep(), 10);
    QSignalSpy changes(&slider, &CustomizeVolumeSlider::sliderValueChange);
    QSignalSpy releases(&slider, &CustomizeVolumeSlider::mouseButtonRelease);
    slider.setValue(73);
    QCOMPARE(slider.valueLabel()->text(), QStringLiteral("73"));
    QCOMPARE(changes.count() + releases.count(), 0);
}

// An operator's steps outside a drag are reported once, when the value has
// settled; a device value drops a pending report. Steps: "wheel" (one notch
// up), "Right"/"Left" (keys), "click" (right end of the groove), "=v" (device).
void TestWidgetsSmall::volumeSliderSettles_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("report"); // -1: none
    QTest::newRow("wheel three notches") << 20 << "wheel wheel wheel" << 50;
    QTest::newRow("wheel against the top") << 100 << "wheel wheel" << -1;
    QTest::newRow("arrow keys") << 50 << "Right Right Left" << 60;
    QTest::newRow("groove click") << 50 << "click" << 60;
    QTest::newRow("wheel, then a click") << 20 << "wheel click" << 40;
    QTest::newRow("device value during the wheel") << 20 << "wheel =80" << -1;
}

void TestWidgetsSmall::volumeSliderSettles()
{
    QFETCH(int, start);
    QFETCH(QString, steps);
    QFETCH(int, report);
    CustomizeVolumeSlider control;
    control.setValue(start);
    QVERIFY(showActive(control));
    QSlider *slider = control.slider();
    QSignalSpy releases(&control, &CustomizeVolumeSlider::mouseButtonRelease);
    QSignalSpy changes(&control, &CustomizeVolumeSlider::sliderValueChange);
    const QPoint middle(slider->width() / 2, slider->height() / 2);

    for (const QString &step : steps.split(QLatin1Char(' '))) {
        if (step == QLatin1String("wheel")) {
            QWheelEvent wheel(middle, slider->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(slider, &wheel);
        } else if (step == QLatin1String("click")) {
            const QPoint rightEnd(slider->width() - 2, middle.y());
            QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, rightEnd);
        } else if (step.startsWith(QLatin1Char('='))) {
            control.setValue(step.mid(1).toInt());
        } else {
            QTest::keyClick(slider, step == QLatin1String("Right") ? Qt::Key_Right : Qt::Key_Left);
        }
        QTest::qWait(CustomizeVolumeSlider::SettleMs / 6); // faster than the settle time
    }
    QTest::qWait(CustomizeVolumeSlider::SettleMs * 2);
    QList<int> reported;
    for (const QList<QVariant> &args : releases)
        reported << args.at(0).toInt();
    QCOMPARE(reported, report < 0 ? QList<int>() : QList<int> { report });
    QCOMPARE(changes.count(), 0);
    QCOMPARE(control.valueLabel()->text(), QString::number(control.value()));
}

void TestWidgetsSmall::commandLineHistory()
{
    QtLineEdit edit;
    QSignalSpy commands(&edit, &QtLineEdit::Send_Command);
    edit.setText(QStringLiteral("(get,sw)"));
    QTest::keyClick(&edit, Qt::Key_Return);
    edit.setText(QStringLiteral("(ver)"));
    QTest::keyClick(&edit, Qt::Key_Return);
    QCOMPARE(commands.count(), 2);
    QCOMPARE(commands.at(1).at(0).toString(), QStringLiteral("(ver)"));

    edit.setText(QStringLiteral("(info"));
    QTest::keyClick(&edit, Qt::Key_Up);
    QCOMPARE(edit.text(), QStringLiteral("(ver)"));
    QTest::keyClick(&edit, Qt::Key_Up);
    QTest::keyClick(&edit, Qt::Key_Up);
    QCOMPARE(edit.text(), QStringLiteral("(get,sw)"));
    QTest::keyClick(&edit, Qt::Key_Down);
    QTest::keyClick(&edit, Qt::Key_Down);
    QCOMPARE(edit.text(), QStringLiteral("(info")); // the draft comes back
}

QTEST_MAIN(TestWidgetsSmall)
namespace {

// The English of the card's lines, which run about half as long again.
class CardEnglish final : public QTranslator
{
public:
    QString translate(const char *, const char *source, const char *, int) const override
    {
        const QString text = QString::fromUtf8(source);
        if (text == QStringLiteral("连接状态: %1"))
            return QStringLiteral("Connection Status: %1");
        if (text == QStringLiteral("分辨率: %1"))
            return QStringLiteral("Resolution: %1");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

void TestWidgetsSmall::portStatusCard()
{
    PortStatusLable card;
    QCOMPARE(card.portName(), QString());
    QCOMPARE(card.status(), QStringLiteral("NO"));
    QCOMPARE(card.resolution(), QStringLiteral("0x0@0Hz"));
    QVERIFY(!card.connected());
    QVERIFY(card.showResolution());
    QCOMPARE(card.sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    card.setConnected(true);
    QCOMPARE(card.status(), QStringLiteral("OK"));
    card.setConnected(false);
    QCOMPARE(card.status(), QStringLiteral("NO"));
    card.setPortName(QStringLiteral("Lectern\nPC\r\n2"));
    QCOMPARE(card.portName(), QStringLiteral("LecternPC2"));
    // A third line needs room.
    const int withResolution = card.minimumSizeHint().height();
    card.setShowResolution(false);
    QVERIFY(card.minimumSizeHint().height() < withResolution);
}

void TestWidgetsSmall::portStatusFont_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("size");
    QTest::newRow("300") << 300 << 11.5;
    QTest::newRow("200") << 200 << 11.5;
    QTest::newRow("199") << 199 << 10.5;
    QTest::newRow("150") << 150 << 10.5;
    QTest::newRow("149") << 149 << 9.5;
    QTest::newRow("100") << 100 << 9.5;
    QTest::newRow("99") << 99 << 8.5;
    QTest::newRow("65") << 65 << 8.5;
    QTest::newRow("64") << 64 << 7.5;
    QTest::newRow("0") << 0 << 7.5;
}

void TestWidgetsSmall::portStatusFont()
{
    QFETCH(int, height);
    QFETCH(double, size);
    QCOMPARE(PortStatusLable::fontSizeForHeight(height), size);
    PortStatusLable card;
    card.resize(200, height);
    card.show();
    QCOMPARE(card.fontSize(), size);
}

// No line of a card runs over its right or bottom edge (where it would be
// cut off), at the sizes the port status page gives its cards.
void TestWidgetsSmall::portStatusTextInside_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QSize>("size"); // empty: the minimum size hint
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("resolution");

    const QString longName = QStringLiteral("Document Camera on the Left Lectern");
    for (const bool english : { false, true }) {
        const char *language = english ? "english" : "chinese";
        QTest::addRow("%s minimum", language) << english << QSize() << "HDMI-16" << "4096x2160@60Hz";
        QTest::addRow("%s 1366 16 ports", language) << english << QSize(130, 121) << "HDMI-16" << "3840x2160@30Hz";
        QTest::addRow("%s 1366 long name", language) << english << QSize(130, 121) << longName << "3840x2160@30Hz";
        QTest::addRow("%s 1920 16 ports", language) << english << QSize(196, 150) << longName << "4096x2160@60Hz";
        QTest::addRow("%s largest", language) << english << QSize(320, 150) << longName << "1920x1080@60Hz";
        QTest::addRow("%s odd resolution", language) << english << QSize(130, 121) << "HDMI-1"
                                                    << "12345678901234567890";
    }
}

void TestWidgetsSmall::portStatusTextInside()
{
    QFETCH(bool, english);
    QFETCH(QSize, size);
    QFETCH(QString, name);
    QFETCH(QString, resolution);

    CardEnglish translation;
    if (english)
        QCoreApplication::installTranslator(&translation);
    PortStatusLable card;
    card.setPortName(name);
    card.setResolution(resolution);
    card.resize(size.isEmpty() ? card.minimumSizeHint() : size);
    const QImage image = card.grab().toImage();
    if (english)
        QCoreApplication::removeTranslator(&translation);

    // Text pixels are the only ones with red and little blue (the fill has
    // no red, the light background outside the rounded corners much blue).
    int textPixels = 0;
    int bottomMost = 0;
    int rightMost = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) > 60 && qBlue(pixel) < 180) {
                ++textPixels;
                bottomMost = qMax(bottomMost, y);
                rightMost = qMax(rightMost, x);
            }
        }
    }
    QVERIFY(textPixels > 0);
    QVERIFY2(rightMost < image.width() - 2, qPrintable(QString::number(rightMost)));
    QVERIFY2(bottomMost < image.height() - 2, qPrintable(QString::number(bottomMost)));
}

#include "tst_widgets_small.moc"
