// The EDID page against an 8x16 simulator: reading an input's profile,
// setting one and the device's confirmation, answers that must not count as
// one, the operator's mistakes, the user slot names and the model's layout.
#include "pages_harness.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollArea>
#include <QScrollBar>
#include <QTranslator>

#include <algorithm>

#include "app/settingscatalogue.h"
#include "mainwindow/edid/edidpage.h"
#include "mainwindow/naming/namestore.h"
#include "widgets/edidlineedit.h"
#include "widgets/my_toolbutton.h"

namespace {

const QString Marker = QStringLiteral("-- no toast since --");

QString pageText(const char *source)
{
    return EdidPage::tr(source);
}

// The page's texts in English, which runs about half as long again.
class EnglishTexts final : public QTranslator
{
public:
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> english {
            { QStringLiteral("内置分辨率"), QStringLiteral("Built-in resolutions") },
            { QStringLiteral("自定义EDID"), QStringLiteral("Custom EDID") },
            { QStringLiteral("复制输出端EDID"), QStringLiteral("Copy the EDID of an output") },
            { QStringLiteral("先选择输入端口，再选择要使用的EDID，然后点击“设置”。"),
                QStringLiteral("Choose an input port, then the EDID it should present, and click \"Set\".") },
            { QStringLiteral("设置"), QStringLiteral("Set") },
            { QStringLiteral("自定义EDID%1"), QStringLiteral("Custom EDID %1") },
            { QStringLiteral("复制输出%1"), QStringLiteral("Copy the EDID of output %1") },
        };
        if (qstrcmp(context, "EdidPage") != 0)
            return QString();
        return english.value(QString::fromUtf8(source));
    }
};

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
    void operatorMistakesAreNamed();
    void slotNameIsStoredAndShownAgain();
    void smallModelShowsItsPorts();
    void fitsEveryWindowSize_data();
    void fitsEveryWindowSize();

private:
    EdidPage *page() const { return h.window()->edidPage(); }
    QCheckBox *box(int number) const { return page()->optionBox(number); }
    QLineEdit *caption(int number) const
    {
        return page()->findChild<QLineEdit *>(QStringLiteral("lineEdit_HDMI1_%1").arg(number));
    }
    QPushButton *setButton() const
    {
        return page()->findChild<QPushButton *>(QStringLiteral("pushButton_EDID_Set"));
    }
    // The boxes checked now, by number.
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
    QStringList edidRequests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history()) {
            if (request.contains(QLatin1String("edid")))
                mine << request;
        }
        return mine;
    }
    QStringList deviceEdid() { return h.sim().state().value(QStringLiteral("edid")).split(QLatin1Char(',')); }
    void clickInput(int input) { QTest::mouseClick(page()->inputButtons().at(input - 1), Qt::LeftButton); }
    void markToasts() { h.window()->showToast(Marker, QString::fromLatin1(Protocol::SuccessStyle)); }
    // Leaves a set of `box` on `input` waiting: the device swallows it.
    void leaveSetPending(int input, int box);

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

    QCOMPARE(page()->inputButtons().size(), 16);
    for (int input = 1; input <= 16; ++input) {
        my_ToolButton *button = page()->inputButtons().at(input - 1);
        QCOMPARE(button->objectName(), QStringLiteral("toolButton_EDIDHDMI_%1").arg(input));
        QCOMPARE(button->property("Data").toInt(), input);
        QCOMPARE(button->property("Type").toString(), QStringLiteral("InputOutputButton"));
        QCOMPARE(button->isHidden(), input > 8);
    }
    for (int number = 1; number <= Edid::ProfileCount; ++number) {
        QVERIFY(box(number));
        QCOMPARE(box(number)->objectName(), QStringLiteral("checkBox_HDMI1_%1").arg(number));
        QVERIFY(caption(number));
        // Only the four user slots are named by the operator.
        const bool slot = number >= 23 && number <= 26;
        QCOMPARE(qobject_cast<EdidLineEdit *>(caption(number)) != nullptr, slot);
        QCOMPARE(caption(number)->isReadOnly(), !slot);
    }
    QVERIFY(!box(0) && !box(29));
    QCOMPARE(caption(27)->text(), pageText("3840 x 2160P@30Hz"));
    QCOMPARE(caption(23)->text(), pageText("自定义EDID%1").arg(1));
    QCOMPARE(caption(22)->text(), pageText("复制输出%1").arg(16));
    QVERIFY(!box(22)->parentWidget()->isHidden());
}

void TestEdid::leaveSetPending(int input, int number)
{
    QVERIFY(simCommand(QStringLiteral("fault silence on")));
    clickInput(input);
    QTest::mouseClick(box(number), Qt::LeftButton);
    QTest::mouseClick(setButton(), Qt::LeftButton);
    QVERIFY(simCommand(QStringLiteral("fault silence off")));
    QVERIFY(page()->setPending());
    QCOMPARE(checkedBoxes(), QList<int> { number });
}

void TestEdid::setIsConfirmedByDevice()
{
    // The device starts with 1920x1080 (code 6) on every input.
    QVERIFY(simCommand(QStringLiteral("history clear")));
    clickInput(5);
    QCOMPARE(page()->edidInput(), 5);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 6 });

    // A click on a fixed caption chooses its profile as the box does; the
    // chosen box stays chosen when clicked again.
    QTest::mouseClick(caption(27), Qt::LeftButton);
    QCOMPARE(checkedBoxes(), QList<int> { 27 });
    QTest::mouseClick(box(23), Qt::LeftButton);
    QTest::mouseClick(box(23), Qt::LeftButton);
    QCOMPARE(checkedBoxes(), QList<int> { 23 });

    QTest::mouseClick(setButton(), Qt::LeftButton);
    QTRY_COMPARE(h.window()->lastToast(), pageText("EDID设置成功！"));
    QCOMPARE(edidRequests(),
        QStringList({ QStringLiteral("(get,i.edid,5)"), QStringLiteral("(edid,config,5,9)") }));
    QCOMPARE(deviceEdid(), QString("6,6,6,6,9,6,6,6").split(QLatin1Char(',')));
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
    if (!simCommand(QStringLiteral("set edid 7 10"))) {
        QString answer;
        QVERIFY(h.window()->sendDataDevice(QStringLiteral("(edid,config,7,10)"), answer));
    }
    clickInput(3);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 6 });
    clickInput(7);
    QTRY_COMPARE(checkedBoxes(), QList<int> { 24 });

    // Answers about other inputs, or with numbers outside the table, leave it.
    markToasts();
    for (const char *answer : { "in3edid12ok", "in7edid29ok", "in7edidxok" })
        h.window()->Data_Processing(QString::fromLatin1(answer));
    QCOMPARE(checkedBoxes(), QList<int> { 24 });
    // The device changed it (front panel, another client): shown at once.
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

    const QString success = pageText("EDID设置成功！");
    const QString failure = pageText("EDID设置失败！");
    // The set is input 5, code 10 (box 24).
    QTest::newRow("confirmed") << "in5edid10ok" << success << QList<int> { 24 } << false;
    QTest::newRow("after a routing answer")
        << "out2in5okin5edid10ok" << success << QList<int> { 24 } << false;
    QTest::newRow("another input") << "in3edid10ok" << QString() << QList<int> { 24 } << true;
    QTest::newRow("code out of range") << "in5edid31ok" << QString() << QList<int> { 24 } << true;
    QTest::newRow("refused") << "in5edid6ok" << failure << QList<int> { 6 } << false;
    QTest::newRow("refused, copy output") << "in5edid13ok" << failure << QList<int> { 7 } << false;
}

void TestEdid::answersToAPendingSet()
{
    QFETCH(QString, answer);
    QFETCH(QString, toast);
    QFETCH(QList<int>, checked);
    QFETCH(bool, stillPending);

    leaveSetPending(5, 24);
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

void TestEdid::operatorMistakesAreNamed()
{
    QVERIFY2(h.useModel(QStringLiteral("8x16")), qPrintable(h.error()));
    QVERIFY(simCommand(QStringLiteral("fault silence on")));
    clickInput(2);
    QVERIFY(simCommand(QStringLiteral("fault silence off")));
    QVERIFY(checkedBoxes().isEmpty());
    QVERIFY(simCommand(QStringLiteral("history clear")));
    QTest::mouseClick(setButton(), Qt::LeftButton);
    QCOMPARE(h.window()->lastToast(), pageText("请选中要设置的选项！"));

    // A smaller device forgets an input it does not have.
    clickInput(8);
    QTRY_VERIFY(!checkedBoxes().isEmpty());
    QVERIFY2(h.useModel(QStringLiteral("4x4")), qPrintable(h.error()));
    QCOMPARE(page()->edidInput(), 0);
    QVERIFY(!page()->inputButtons().at(7)->isChecked());
    QVERIFY(checkedBoxes().isEmpty());
    QTest::mouseClick(box(1), Qt::LeftButton);
    QTest::mouseClick(setButton(), Qt::LeftButton);
    QCOMPARE(h.window()->lastToast(), pageText("请选中输入端口！"));
    QVERIFY(edidRequests().filter(QStringLiteral("config")).isEmpty());
    QVERIFY2(h.useModel(QStringLiteral("8x16")), qPrintable(h.error()));
}

void TestEdid::slotNameIsStoredAndShownAgain()
{
    auto *field = qobject_cast<EdidLineEdit *>(caption(24));
    QVERIFY(field);
    // Pressing the name chooses the slot.
    QTest::mouseClick(field, Qt::LeftButton);
    QCOMPARE(checkedBoxes(), QList<int> { 24 });
    QCOMPARE(field->selectedText(), field->text());

    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Lobby wall"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(SettingsCatalogue::readEdidName(2), QStringLiteral("Lobby wall"));
    Edid::SlotNames fresh;
    fresh.load();
    QCOMPARE(fresh.name(2), QStringLiteral("Lobby wall"));
    QVERIFY(fresh.name(1).isEmpty());

    // The field takes no more than a name may hold.
    field->selectAll();
    QTest::keyClicks(field, QString(40, QLatin1Char('n')));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(SettingsCatalogue::readEdidName(2), QString(Edid::MaxSlotNameLength, QLatin1Char('n')));
    // A damaged file's longer name is cut when read.
    QVERIFY(SettingsCatalogue::writeEdidName(3, QString(100, QLatin1Char('m'))));
    fresh.load();
    QCOMPARE(fresh.name(3), QString(Edid::MaxSlotNameLength, QLatin1Char('m')));

    // The stored name outlives a language change; unnamed slots follow it.
    QEvent change(QEvent::LanguageChange);
    QCoreApplication::sendEvent(page(), &change);
    QCOMPARE(field->text(), QString(Edid::MaxSlotNameLength, QLatin1Char('n')));
    QCOMPARE(caption(23)->text(), pageText("自定义EDID%1").arg(1));

    // An emptied field gives the slot its built-in caption back.
    field->setFocus();
    field->clear();
    QTest::keyClick(field, Qt::Key_Return);
    QVERIFY(SettingsCatalogue::readEdidName(2).isEmpty());
    QCOMPARE(field->text(), pageText("自定义EDID%1").arg(2));

    // A file that cannot be written is reported, and the typing kept.
    const QString path = SettingsCatalogue::edidSettingsPath();
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    field->setFocus();
    field->selectAll();
    QTest::keyClicks(field, QStringLiteral("Stage"));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(h.window()->lastToast(), pageText("自定义EDID名称保存失败！"));
    QCOMPARE(field->text(), QStringLiteral("Stage"));
    QVERIFY(QDir(path).removeRecursively());
}

void TestEdid::smallModelShowsItsPorts()
{
    clickInput(1);
    QTRY_VERIFY(!checkedBoxes().isEmpty());
    QTest::mouseClick(box(12), Qt::LeftButton); // copy output 6
    QVERIFY2(h.useModel(QStringLiteral("4x2")), qPrintable(h.error()));
    const auto &inputs = page()->inputButtons();
    QCOMPARE(
        std::count_if(inputs.cbegin(), inputs.cend(), [](const my_ToolButton *b) { return !b->isHidden(); }),
        4);
    QVERIFY(!inputs.at(3)->isHidden() && inputs.at(4)->isHidden());
    QCOMPARE(page()->edidInput(), 1);
    for (int output = 1; output <= 16; ++output) {
        QWidget *cell = box(6 + output)->parentWidget();
        QCOMPARE(cell->isHidden(), output > 2);
    }
    // Outputs the device lacks cannot be chosen, nor stay chosen.
    QVERIFY(checkedBoxes().isEmpty());
    QTest::mouseClick(setButton(), Qt::LeftButton);
    QCOMPARE(h.window()->lastToast(), pageText("请选中要设置的选项！"));
    for (int number : { 1, 6, 27, 28, 23, 26, 7, 8 })
        QVERIFY(!box(number)->parentWidget()->isHidden());
    QVERIFY2(h.useModel(QStringLiteral("8x16")), qPrintable(h.error()));
    QVERIFY(!box(22)->parentWidget()->isHidden());
}

void TestEdid::fitsEveryWindowSize_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QString>("model");
    QTest::addColumn<bool>("english");
    QTest::newRow("1366x768") << QSize(1366, 768) << "8x16" << false;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << "8x16" << false;
    QTest::newRow("1366x768, 4x2") << QSize(1366, 768) << "4x2" << false;
    QTest::newRow("1366x768, English") << QSize(1366, 768) << "8x16" << true;
    QTest::newRow("1920x1080, English") << QSize(1920, 1080) << "8x16" << true;
    // The console beside the pages leaves them about this much.
    QTest::newRow("1150x726, English") << QSize(1150, 726) << "8x16" << true;
    QTest::newRow("1150x726") << QSize(1150, 726) << "16x16" << false;
}

void TestEdid::fitsEveryWindowSize()
{
    QFETCH(QSize, window);
    QFETCH(QString, model);
    QFETCH(bool, english);
    EnglishTexts translator;
    if (english)
        QCoreApplication::installTranslator(&translator);
    const auto restore = qScopeGuard([&translator, this] {
        QCoreApplication::removeTranslator(&translator);
        h.window()->resize(1366, 768);
    });
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    h.window()->resize(window);
    QTRY_COMPARE(h.window()->size(), window);
    QTest::qWait(200); // a window system confirms the size later

    if (english)
        QCOMPARE(caption(22)->text(), QStringLiteral("Copy the EDID of output 16"));
    auto *options = page()->findChild<QScrollArea *>(QStringLiteral("scrollArea_EDID_Options"));
    QVERIFY(options);
    if (!qEnvironmentVariableIsEmpty("TRIVANE_GRAB_DIR")) {
        page()->grab().save(QStringLiteral("%1/edid-%2-%3.png")
                                .arg(qEnvironmentVariable("TRIVANE_GRAB_DIR"))
                                .arg(window.width())
                                .arg(model + (english ? QStringLiteral("-en") : QString())));
    }
    // Every option in view at once, none cut.
    QVERIFY(options->widget()->height() <= options->viewport()->height());
    QVERIFY(options->widget()->width() <= options->viewport()->width());
    QVector<QRect> cells;
    for (int number = 1; number <= Edid::ProfileCount; ++number) {
        QLineEdit *field = caption(number);
        if (field->parentWidget()->isHidden())
            continue;
        if (field->isReadOnly()) {
            const int needed = field->fontMetrics().horizontalAdvance(field->text());
            QVERIFY2(field->contentsRect().width() >= needed, qPrintable(field->text()));
        }
        QVERIFY(field->height() >= 26);
        const QRect cell(
            field->parentWidget()->mapTo(options->widget(), QPoint()), field->parentWidget()->size());
        for (const QRect &other : qAsConst(cells))
            QVERIFY2(!cell.intersects(other), qPrintable(field->objectName()));
        QVERIFY(options->widget()->rect().contains(cell));
        cells << cell;
    }
    if (english) {
        QCoreApplication::removeTranslator(&translator);
        QCoreApplication::processEvents();
        QCOMPARE(caption(22)->text(), pageText("复制输出%1").arg(16));
    }
    QVERIFY2(h.useModel(QStringLiteral("8x16")), qPrintable(h.error()));
}

QTEST_MAIN(TestEdid)
#include "tst_edid.moc"
