// The EDID page against an 8x16 simulator: reading and setting an input's
// profile, answers that must not count as a confirmation, the operator's
// mistakes, the user slot names and a smaller model.
#include "pages_harness.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "app/settingscatalogue.h"
#include "mainwindow/edid/edidpage.h"
#include "widgets/edidlineedit.h"
#include "widgets/my_toolbutton.h"

namespace {

const QString Marker = QStringLiteral("-- no toast since --");

} // namespace

class TestEdid : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void setIsConfirmedByDevice();
    void queryAnswerChecksTheDevicesProfile();
    void answersToAPendingSet_data();
    void answersToAPendingSet();
    void slotNameIsStoredAndShownAgain();
    void smallerModelForgetsWhatItLacks();

private:
    EdidPage *page() const { return h.window()->edidPage(); }
    QCheckBox *box(int number) const
    {
        return page()->findChild<QCheckBox *>(QStringLiteral("checkBox_HDMI1_%1").arg(number));
    }
    QLineEdit *caption(int number) const
    {
        return page()->findChild<QLineEdit *>(QStringLiteral("lineEdit_HDMI1_%1").arg(number));
    }
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void clickSet() { click(page()->findChild<QPushButton *>(QStringLiteral("pushButton_EDID_Set"))); }
    void clickInput(int input) { click(page()->inputButtons().at(input - 1)); }
    QList<int> checkedBoxes() const
    {
        QList<int> boxes;
        for (int number = 1; number <= Edid::ProfileCount; ++number) {
            if (box(number)->isChecked())
                boxes << number;
        }
        return boxes;
    }
    bool simCommand(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        return ok;
    }
    QStringList edidRequests() { return h.sim().history().filter(QStringLiteral("edid")); }
    void markToasts() { h.window()->showToast(Marker, QString::fromLatin1(Protocol::SuccessStyle)); }
    void useModel(const char *model) { QVERIFY2(h.useModel(QLatin1String(model)), qPrintable(h.error())); }
    void typeSlotName(EdidLineEdit *field, const QString &text)
    {
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
    }

    PagesHarness h;
};

void TestEdid::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x16") }), qPrintable(h.error()));
    QVERIFY(page());
    h.window()->replyWaitMs = 300;
    h.window()->on_pushButton_EDIDSettings_clicked();
    QTRY_COMPARE(h.window()->currentPage, 5);
    QTRY_VERIFY(page()->isVisible());
}

void TestEdid::setIsConfirmedByDevice()
{
    // The device starts with 1920x1080 (code 6) on every input.
    QVERIFY(simCommand(QStringLiteral("history clear")));
    clickInput(5);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 6 });

    // A fixed caption chooses its profile; a chosen box stays chosen when clicked again.
    click(caption(27));
    QCOMPARE(checkedBoxes(), QList<int> { 27 });
    click(box(23));
    click(box(23));
    QCOMPARE(checkedBoxes(), QList<int> { 23 });

    clickSet();
    QTRY_COMPARE(h.window()->lastToast(), EdidPage::tr("EDID设置成功！"));
    QCOMPARE(edidRequests(),
        QStringList({ QStringLiteral("(get,i.edid,5)"), QStringLiteral("(edid,config,5,9)") }));
    QCOMPARE(h.sim().state().value(QStringLiteral("edid")), QStringLiteral("6,6,6,6,9,6,6,6"));
    QCOMPARE(checkedBoxes(), QList<int> { 23 });
    QVERIFY(!page()->setPending());

    // Later answers about the input are not another success.
    markToasts();
    h.window()->Data_Processing(QStringLiteral("in5edid9ok"));
    h.window()->Data_Processing(QStringLiteral("out1in5okin5edid9ok"));
    QCOMPARE(h.window()->lastToast(), Marker);
}

void TestEdid::queryAnswerChecksTheDevicesProfile()
{
    QVERIFY(simCommand(QStringLiteral("set edid 7 9")));
    clickInput(3);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 6 });
    clickInput(7);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 23 });

    // Other inputs and numbers outside the table leave the boxes alone.
    markToasts();
    for (const char *answer : { "in3edid12ok", "in7edid29ok", "in7edidxok" })
        h.window()->Data_Processing(QString::fromLatin1(answer));
    QCOMPARE(checkedBoxes(), QList<int> { 23 });
    // Changed elsewhere (front panel, another client): shown at once.
    h.window()->Data_Processing(QStringLiteral("input7edid28ok"));
    QCOMPARE(checkedBoxes(), QList<int> { 22 });
    QCOMPARE(h.window()->lastToast(), Marker);
}

void TestEdid::answersToAPendingSet_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("toast"); // empty: none shown
    QTest::addColumn<QList<int>>("checked");
    QTest::addColumn<bool>("stillPending");

    const QString success = EdidPage::tr("EDID设置成功！");
    const QString failure = EdidPage::tr("EDID设置失败！");
    // The set is input 5, code 10 (box 24).
    QTest::newRow("confirmed") << "in5edid10ok" << success << QList<int> { 24 } << false;
    QTest::newRow("after a routing answer")
        << "out2in5okin5edid10ok" << success << QList<int> { 24 } << false;
    QTest::newRow("another input") << "in3edid10ok" << QString() << QList<int> { 24 } << true;
    QTest::newRow("refused") << "in5edid6ok" << failure << QList<int> { 6 } << false;
}

void TestEdid::answersToAPendingSet()
{
    QFETCH(QString, answer);
    QFETCH(QString, toast);
    QFETCH(QList<int>, checked);
    QFETCH(bool, stillPending);

    // The device swallows the set: it stays pending.
    QVERIFY(simCommand(QStringLiteral("fault silence on")));
    clickInput(5);
    click(box(24));
    clickSet();
    QVERIFY(simCommand(QStringLiteral("fault silence off")));
    QVERIFY(page()->setPending());

    markToasts();
    h.window()->Data_Processing(answer);
    QCOMPARE(h.window()->lastToast(), toast.isEmpty() ? Marker : toast);
    QCOMPARE(checkedBoxes(), checked);
    QCOMPARE(page()->setPending(), stillPending);
    // Choosing an input again drops the wait: its answer is a query's.
    clickInput(5);
    QVERIFY(!page()->setPending());
    QTRY_VERIFY(!checkedBoxes().isEmpty());
}

void TestEdid::slotNameIsStoredAndShownAgain()
{
    auto *field = qobject_cast<EdidLineEdit *>(caption(24));
    QVERIFY(field);
    click(field); // pressing the name chooses the slot
    QCOMPARE(checkedBoxes(), QList<int> { 24 });

    typeSlotName(field, QStringLiteral("Lobby wall"));
    QCOMPARE(SettingsCatalogue::readEdidName(2), QStringLiteral("Lobby wall"));
    // The field takes no more than a name may hold.
    const QString longest(Edid::MaxSlotNameLength, QLatin1Char('n'));
    typeSlotName(field, QString(40, QLatin1Char('n')));
    QCOMPARE(SettingsCatalogue::readEdidName(2), longest);

    // The stored name outlives a language change.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(page(), &change);
    QCOMPARE(field->text(), longest);

    // An emptied field gives the slot its built-in caption back.
    typeSlotName(field, QString());
    QVERIFY(SettingsCatalogue::readEdidName(2).isEmpty());
    QCOMPARE(field->text(), EdidPage::tr("自定义EDID%1").arg(2));

    // A file that cannot be written is reported, and the typing kept.
    const QString path = SettingsCatalogue::edidSettingsPath();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    typeSlotName(field, QStringLiteral("Stage"));
    QCOMPARE(h.window()->lastToast(), EdidPage::tr("自定义EDID名称保存失败！"));
    QCOMPARE(field->text(), QStringLiteral("Stage"));
    QVERIFY(QDir(path).removeRecursively());
}

void TestEdid::smallerModelForgetsWhatItLacks()
{
    // The chosen input goes with the device's size: nothing may be set on it.
    QVERIFY(simCommand(QStringLiteral("history clear")));
    clickInput(8);
    QTRY_VERIFY(!checkedBoxes().isEmpty());
    useModel("4x4");
    QCOMPARE(page()->edidInput(), 0);
    click(box(1));
    clickSet();
    QCOMPARE(h.window()->lastToast(), EdidPage::tr("请选中输入端口！"));
    QVERIFY(edidRequests().filter(QStringLiteral("config")).isEmpty());

    // Copies of outputs the device lacks are hidden and cannot stay chosen.
    clickInput(1);
    QTRY_VERIFY(!checkedBoxes().isEmpty());
    click(box(12)); // copy output 6
    useModel("4x2");
    for (int input = 1; input <= Edid::MaxInputs; ++input)
        QCOMPARE(page()->inputButtons().at(input - 1)->isHidden(), input > 4);
    QCOMPARE(page()->edidInput(), 1);
    for (int output = 1; output <= 16; ++output)
        QCOMPARE(box(6 + output)->parentWidget()->isHidden(), output > 2);
    QVERIFY(checkedBoxes().isEmpty());
    clickSet();
    QCOMPARE(h.window()->lastToast(), EdidPage::tr("请选中要设置的选项！"));
    useModel("8x16");
    QVERIFY(!box(22)->parentWidget()->isHidden());
}

QTEST_MAIN(TestEdid)
#include "tst_edid.moc"
