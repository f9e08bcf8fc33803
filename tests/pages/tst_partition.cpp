// The partition page against a 16x16 simulator: input positions, groups
// loaded from the device, modes and window inputs set through it, the
// device's answers kept per group, and the groups each model offers.
#include "pages_harness.h"

#include <QPushButton>
#include <QRegularExpression>

#include "mainwindow/partition/partitionmodewidget.h"
#include "mainwindow/partition/partitionpage.h"
#include "mainwindow/partition/splitmodebutton.h"
#include "widgets/my_toolbutton.h"

using Partition::GroupState;

namespace {

const QString Marker = QStringLiteral("-- marker --");

// "mode:a,b,c,d" of a group state, for short comparisons.
QString stateText(const GroupState &state)
{
    return QStringLiteral("%1:%2,%3,%4,%5")
        .arg(state.mode)
        .arg(state.positions[0])
        .arg(state.positions[1])
        .arg(state.positions[2])
        .arg(state.positions[3]);
}

} // namespace

class TestPartition : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void inputButtonGivesPositionInGroup_data();
    void inputButtonGivesPositionInGroup();
    void windowShowsAbsoluteInputFromDevice();
    void groupQueryShowsNoToast();
    void cancelSplitIsSent();
    void unansweredModeIsNotShown();
    void groupChangeForgetsInput();
    void answersUpdateOnlyTheirGroup_data();
    void answersUpdateOnlyTheirGroup();
    void groupsFollowModel_data();
    void groupsFollowModel();

private:
    PartitionPage *page() const { return h.window()->partitionPage(); }
    QPushButton *groupButton(int group) const { return page()->groupButtons().at(group - 1); }
    SplitmodeButton *windowButton(int window) const { return page()->windowButtons().at(window - 1); }
    my_ToolButton *inputButton(int number) const { return page()->inputButtons().at(number - 1); }
    void clickTile(int mode)
    {
        PartitionModeWidget *tile = page()->modeTiles().at(mode);
        QTest::mouseClick(tile, Qt::LeftButton, Qt::NoModifier, tile->rect().center());
    }
    QStringList splitRequests()
    {
        return h.sim().history().filter(QRegularExpression(QStringLiteral("^\\((get|set),split")));
    }
    void clearHistory()
    {
        bool ok = false;
        h.sim().command(QStringLiteral("history clear"), &ok);
        QVERIFY(ok);
    }
    QString shownTiles() const
    {
        QStringList selected;
        for (const PartitionModeWidget *tile : page()->modeTiles()) {
            if (tile->isSelected())
                selected << QString::number(tile->mode());
        }
        return selected.join(QLatin1Char(','));
    }

    PagesHarness h;
};

void TestPartition::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("16x16") }), qPrintable(h.error()));
    QVERIFY(page());
    h.window()->on_pushButton_PartitionMode_clicked();
    QTRY_COMPARE(h.window()->currentPage, 4);
    QTRY_VERIFY(page()->modeTiles().at(15)->isVisible());
    // Nothing is asked before a group is chosen.
    QCOMPARE(page()->currentGroup(), Partition::None);
    QCOMPARE(splitRequests(), QStringList());
}

void TestPartition::inputButtonGivesPositionInGroup_data()
{
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("position");
    QTest::newRow("8 is the fourth of group 2") << 2 << 8 << 4;
    QTest::newRow("9 is the first of group 3") << 3 << 9 << 1;
    QTest::newRow("14 is the second of group 4") << 4 << 14 << 2;
}

void TestPartition::inputButtonGivesPositionInGroup()
{
    QFETCH(int, group);
    QFETCH(int, number);
    QFETCH(int, position);
    groupButton(group)->click();
    QCOMPARE(page()->currentGroup(), group);
    for (int n = 1; n <= 16; ++n)
        QCOMPARE(inputButton(n)->isVisible(), (n - 1) / 4 == group - 1);
    inputButton(number)->click();
    QCOMPARE(page()->partitionInput(), position);
}

void TestPartition::windowShowsAbsoluteInputFromDevice()
{
    groupButton(3)->click();
    clearHistory();
    clickTile(3);
    QCOMPARE(h.window()->lastToast(), QStringLiteral("分割模式3设置成功"));
    QCOMPARE(shownTiles(), QStringLiteral("3"));
    for (int window = 1; window <= 4; ++window)
        QVERIFY(windowButton(window)->isVisible());

    inputButton(10)->click();
    QCOMPARE(page()->partitionInput(), 2);
    windowButton(1)->click();
    QCOMPARE(splitRequests(),
        QStringList({ QStringLiteral("(set,splitmode,3,3)"), QStringLiteral("(get,splitavsw,3)"),
            QStringLiteral("(set,splitavsw,3,2,1)") }));
    // The label comes from the device's answer, in absolute numbers.
    QCOMPARE(windowButton(1)->inputLabel(), QStringLiteral("10"));
    QCOMPARE(stateText(page()->groupState(3)).left(4), QStringLiteral("3:2,"));
}

void TestPartition::groupQueryShowsNoToast()
{
    // Group 3 of the device is as the test before left it.
    clearHistory();
    h.window()->showToast(Marker, QString::fromLatin1(Protocol::SuccessStyle));
    groupButton(1)->click();
    groupButton(3)->click();
    QCOMPARE(splitRequests(),
        QStringList({ QStringLiteral("(get,splitmode,1)"), QStringLiteral("(get,splitavsw,1)"),
            QStringLiteral("(get,splitmode,3)"), QStringLiteral("(get,splitavsw,3)") }));
    QCOMPARE(h.window()->lastToast(), Marker);
    QCOMPARE(shownTiles(), QStringLiteral("3"));
    QCOMPARE(windowButton(1)->inputLabel(), QStringLiteral("10"));
    QVERIFY(!page()->groupQueryRunning());
    // Answers of a change made elsewhere are announced again.
    h.window()->Data_Processing(QStringLiteral("group3splittermodeis9ok"));
    QCOMPARE(h.window()->lastToast(), QStringLiteral("分割模式9设置成功"));
}

void TestPartition::cancelSplitIsSent()
{
    groupButton(3)->click();
    clearHistory();
    clickTile(0);
    QCOMPARE(splitRequests(),
        QStringList({ QStringLiteral("(set,splitmode,3,0)"), QStringLiteral("(get,splitavsw,3)") }));
    QCOMPARE(h.window()->lastToast(), QStringLiteral("取消分割成功"));
    QCOMPARE(shownTiles(), QStringLiteral("0"));
    for (int window = 1; window <= 4; ++window)
        QVERIFY(!windowButton(window)->isVisible());
}

void TestPartition::unansweredModeIsNotShown()
{
    groupButton(3)->click();
    QCOMPARE(shownTiles(), QStringLiteral("0"));
    QVERIFY(h.sim().fault(QStringLiteral("silence on")));
    clickTile(5);
    QVERIFY(h.sim().fault(QStringLiteral("silence off")));
    QCOMPARE(h.window()->lastToast(), QStringLiteral("分割模式设置失败!"));
    QCOMPARE(shownTiles(), QStringLiteral("0"));
}

void TestPartition::groupChangeForgetsInput()
{
    groupButton(1)->click();
    inputButton(3)->click();
    QCOMPARE(page()->partitionInput(), 3);
    groupButton(2)->click();
    QCOMPARE(page()->partitionInput(), Partition::None);
    QVERIFY(!inputButton(3)->isChecked());
    clearHistory();
    page()->on_pushButton_ModeA_clicked();
    QCOMPARE(h.window()->lastToast(), QStringLiteral("请先选择输入源!"));
    QCOMPARE(splitRequests(), QStringList());
}

void TestPartition::answersUpdateOnlyTheirGroup_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QStringList>("states"); // groups 1..4 afterwards
    QTest::addColumn<QString>("toast"); // empty: none

    const QString g1 = QStringLiteral("1:1,2,3,4");
    const QString g2 = QStringLiteral("2:4,3,2,1");
    const QString g3 = QStringLiteral("3:1,1,1,1");
    const QString g4 = QStringLiteral("8:2,2,2,2");
    QTest::newRow("mode of another group")
        << QStringLiteral("group2splittermodeis7ok")
        << QStringList { g1, QStringLiteral("7:4,3,2,1"), g3, g4 } << QStringLiteral("分割模式7设置成功");
    QTest::newRow("windows of another group")
        << QStringLiteral("group4splittervideoABCD4321ok")
        << QStringList { g1, g2, g3, QStringLiteral("8:4,3,2,1") } << QString();
    QTest::newRow("window E is unknown")
        << QStringLiteral("group1splittervideoABCDE234ok")
        << QStringList { QStringLiteral("1:0,2,3,4"), g2, g3, g4 } << QString();
    QTest::newRow("group 0") << QStringLiteral("group0splittermodeis2ok") << QStringList { g1, g2, g3, g4 }
                             << QString();
    QTest::newRow("group 5") << QStringLiteral("group5splittervideoABCD2222ok")
                             << QStringList { g1, g2, g3, g4 } << QString();
    QTest::newRow("mode 16") << QStringLiteral("group3splittermodeis16ok") << QStringList { g1, g2, g3, g4 }
                             << QString();
}

void TestPartition::answersUpdateOnlyTheirGroup()
{
    QFETCH(QString, answer);
    QFETCH(QStringList, states);
    QFETCH(QString, toast);
    groupButton(3)->click();
    for (const char *known : { "group1splittermodeis1okgroup1splittervideoABCD1234ok",
             "group2splittermodeis2okgroup2splittervideoABCD4321ok",
             "group3splittermodeis3okgroup3splittervideoABCD1111ok",
             "group4splittermodeis8okgroup4splittervideoABCD2222ok" })
        h.window()->Data_Processing(QLatin1String(known));
    h.window()->showToast(Marker, QString::fromLatin1(Protocol::SuccessStyle));

    h.window()->Data_Processing(answer);
    QStringList after;
    for (int group = 1; group <= 4; ++group)
        after << stateText(page()->groupState(group));
    QCOMPARE(after, states);
    QCOMPARE(h.window()->lastToast(), toast.isEmpty() ? Marker : toast);
    // The page still shows group 3 as it was.
    QCOMPARE(shownTiles(), QStringLiteral("3"));
    QCOMPARE(windowButton(1)->inputLabel(), QStringLiteral("9"));
}

void TestPartition::groupsFollowModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("groups");
    QTest::newRow("8x8") << QStringLiteral("8x8") << 2;
    QTest::newRow("4x4") << QStringLiteral("4x4") << 1;
    QTest::newRow("4x2") << QStringLiteral("4x2") << 1;
    QTest::newRow("8x16") << QStringLiteral("8x16") << 2;
    QTest::newRow("16x16") << QStringLiteral("16x16") << 4;
}

void TestPartition::groupsFollowModel()
{
    QFETCH(QString, model);
    QFETCH(int, groups);
    QVERIFY(h.useModel(QStringLiteral("16x16")));
    groupButton(4)->click();
    inputButton(14)->click();
    QVERIFY(h.useModel(model));
    for (int group = 1; group <= 4; ++group)
        QCOMPARE(groupButton(group)->isVisible(), group <= groups);
    const bool kept = groups == 4;
    QCOMPARE(page()->currentGroup(), kept ? 4 : Partition::None);
    QCOMPARE(page()->partitionInput(), kept ? 2 : Partition::None);
    QCOMPARE(inputButton(14)->isVisible(), kept);

    // A group the model lacks asks the device nothing.
    clearHistory();
    page()->on_pushButton_Group4_clicked();
    QCOMPARE(splitRequests().isEmpty(), !kept);
}

QTEST_MAIN(TestPartition)
#include "tst_partition.moc"
