#include "app/commonlyused.h"
#include "resources/trivaneresources.h"
#include "tests/support/show_active.h"
#include "widgets/customizevolumeslider.h"
#include "widgets/edidlineedit.h"
#include "widgets/my_toolbutton.h"
#include "widgets/mybutton.h"
#include "widgets/mylineedit.h"
#include "widgets/qtlineedit.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>



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
    void commandLineHistory();
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
#include "tst_widgets_small.moc"
