#include "mainwindow/edid/edidmodel.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace Edid;

Q_DECLARE_METATYPE(Edid::SetTracker::Outcome)

class tst_EdidModel final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void codeTable_data();
    void codeTable();
    void codeTableIsOneToOne();
    void requests();
    void parse_data();
    void parse();
    void parseRunTogether();
    void tracker_data();
    void tracker();
    void cleaned_data();
    void cleaned();
    void namesStoredAndLoaded();

private:
    QTemporaryDir m_appDir;
};

void tst_EdidModel::initTestCase()
{
    QVERIFY(m_appDir.isValid());
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    // An older copy below the working directory would be taken over.
    QVERIFY(QDir::setCurrent(m_appDir.path()));
}

void tst_EdidModel::codeTable_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("box");
    QTest::addColumn<int>("copied");
    QTest::newRow("1024x768") << 1 << 1 << 0;
    QTest::newRow("1920x1080") << 6 << 6 << 0;
    QTest::newRow("4K30") << 7 << 27 << 0;
    QTest::newRow("4K60") << 8 << 28 << 0;
    QTest::newRow("slot 1") << 9 << 23 << 0;
    QTest::newRow("slot 4") << 12 << 26 << 0;
    QTest::newRow("copy output 1") << 13 << 7 << 1;
    QTest::newRow("copy output 16") << 28 << 22 << 16;
    QTest::newRow("29") << 29 << 0 << 0;
    QTest::newRow("negative") << -1 << 0 << 0;
}

void tst_EdidModel::codeTable()
{
    QFETCH(int, code);
    QFETCH(int, box);
    QFETCH(int, copied);
    QCOMPARE(boxForCode(code), box);
    QCOMPARE(copiedOutput(code), copied);
    if (box)
        QCOMPARE(codeForBox(box), code);
}

void tst_EdidModel::codeTableIsOneToOne()
{
    // Every box answers to exactly one code; a set looks for the checked box
    // in code order.
    const QVector<int> &order = boxesInCodeOrder();
    QCOMPARE(QSet<int>(order.cbegin(), order.cend()).size(), ProfileCount);
    QCOMPARE(*std::min_element(order.cbegin(), order.cend()), 1);
    QCOMPARE(*std::max_element(order.cbegin(), order.cend()), ProfileCount);
    QCOMPARE(order.mid(6, 4), (QVector<int> { 27, 28, 23, 24 }));
    QCOMPARE(boxForUserSlot(4), 26);
    QCOMPARE(boxForUserSlot(5), 0);
}

void tst_EdidModel::requests()
{
    QCOMPARE(queryRequest(5), QStringLiteral("(get,i.edid,5)"));
    QCOMPARE(setRequest(5, 9), QStringLiteral("(edid,config,5,9)"));
}

void tst_EdidModel::parse_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<int>("input"); // 0: nothing read
    QTest::addColumn<int>("code");

    QTest::newRow("simulator") << "in5edid9ok" << 5 << 9;
    QTest::newRow("input form") << "input5edid9ok" << 5 << 9;
    QTest::newRow("largest") << "in16edid28ok" << 16 << 28;
    QTest::newRow("no ok") << "in5edid12" << 5 << 12;
    QTest::newRow("routing before") << "out1in2okin5edid9ok" << 5 << 9;
    QTest::newRow("routing table before") << "out1in2out2in3okinput7edid4ok" << 7 << 4;
    QTest::newRow("polling notice before") << "scenepollingdisableokin3edid13ok" << 3 << 13;
    QTest::newRow("leading zero") << "in05edid09ok" << 5 << 9;

    QTest::newRow("code 29") << "in5edid29ok" << 0 << 0;
    QTest::newRow("code 0") << "in5edid0ok" << 0 << 0;
    QTest::newRow("input 17") << "in17edid9ok" << 0 << 0;
    QTest::newRow("no input") << "inedid9ok" << 0 << 0;
    QTest::newRow("letters") << "in5edidxok" << 0 << 0;
    QTest::newRow("plus sign") << "in5edid+9ok" << 0 << 0;
    QTest::newRow("code with tail") << "in5edid9xok" << 0 << 0;
    QTest::newRow("overflow") << "in5edid99999999999999ok" << 0 << 0;
    QTest::newRow("stored confirmation") << "edid1updatedok" << 0 << 0;
    QTest::newRow("other word before number") << "chin5edid9ok" << 5 << 9;
    QTest::newRow("empty") << "" << 0 << 0;
}

void tst_EdidModel::parse()
{
    QFETCH(QString, reply);
    QFETCH(int, input);
    QFETCH(int, code);
    const std::optional<InputEdid> edid = parseInputEdid(reply);
    QCOMPARE(edid.has_value(), input != 0);
    if (edid) {
        QCOMPARE(edid->input, input);
        QCOMPARE(edid->code, code);
    }
}

void tst_EdidModel::parseRunTogether()
{
    const QVector<InputEdid> all = parseInputEdids(QStringLiteral("in3edid9okin5edid30okinput5edid12ok"));
    QCOMPARE(all.size(), 2);
    QCOMPARE(all.at(0).input, 3);
    QCOMPARE(all.at(0).code, 9);
    QCOMPARE(all.at(1).input, 5);
    QCOMPARE(all.at(1).code, 12);
}

void tst_EdidModel::tracker_data()
{
    QTest::addColumn<bool>("sent");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<SetTracker::Outcome>("outcome");
    QTest::addColumn<bool>("stillPending");

    QTest::newRow("confirmed") << true << 5 << 9 << SetTracker::Outcome::Confirmed << false;
    QTest::newRow("refused") << true << 5 << 6 << SetTracker::Outcome::Refused << false;
    QTest::newRow("other input") << true << 3 << 9 << SetTracker::Outcome::None << true;
    QTest::newRow("nothing sent") << false << 5 << 9 << SetTracker::Outcome::None << false;
}

void tst_EdidModel::tracker()
{
    QFETCH(bool, sent);
    QFETCH(int, input);
    QFETCH(int, code);
    QFETCH(SetTracker::Outcome, outcome);
    QFETCH(bool, stillPending);

    SetTracker tracker;
    if (sent)
        tracker.sent(5, 9);
    QCOMPARE(tracker.pending(), sent);
    QCOMPARE(tracker.answer(InputEdid { input, code }), outcome);
    QCOMPARE(tracker.pending(), stillPending);
    // A settled set never confirms again: a later query answer is only that.
    if (!stillPending)
        QCOMPARE(tracker.answer(InputEdid { 5, 9 }), SetTracker::Outcome::None);

    tracker.sent(5, 9);
    tracker.clear();
    QVERIFY(!tracker.pending());
    QCOMPARE(tracker.answer(InputEdid { 5, 9 }), SetTracker::Outcome::None);
}

void tst_EdidModel::cleaned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QString longest = QString(MaxSlotNameLength, QLatin1Char('a'));
    QTest::newRow("plain") << "Projector"
                           << "Projector";
    QTest::newRow("line breaks") << "Pro\r\njec\ntor"
                                 << "Projector";
    QTest::newRow("unicode line separator") << QStringLiteral("Pro\u2028jector") << "Projector";
    QTest::newRow("blanks around") << "  Projector  "
                                   << "Projector";
    QTest::newRow("exactly the limit") << longest << longest;
    QTest::newRow("too long") << longest + QStringLiteral("bcd") << longest;
    // A character outside the basic plane across the limit is dropped whole.
    QTest::newRow("surrogate at the limit")
        << QString(MaxSlotNameLength - 1, QLatin1Char('a')) + QString::fromUcs4(U"\U0001F600")
        << QString(MaxSlotNameLength - 1, QLatin1Char('a'));
}

void tst_EdidModel::cleaned()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    QCOMPARE(SlotNames::cleaned(name), expected);
}

void tst_EdidModel::namesStoredAndLoaded()
{
    QFile::remove(SettingsCatalogue::edidSettingsPath());
    SlotNames fresh;
    fresh.load(); // no file: every slot keeps its built-in caption
    for (int slot = 1; slot <= UserSlots; ++slot)
        QVERIFY(fresh.name(slot).isEmpty());

    SlotNames names;
    QVERIFY(names.store(2, QStringLiteral("Lobby\nscreen")));
    QVERIFY(names.store(4, QStringLiteral("会议室")));
    QCOMPARE(names.name(2), QStringLiteral("Lobbyscreen"));
    QVERIFY(!names.store(5, QStringLiteral("x")));

    // The file holds what older copies of the program read.
    QCOMPARE(SettingsCatalogue::readEdidName(2), QStringLiteral("Lobbyscreen"));
    QSettings file(SettingsCatalogue::edidSettingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("EDIDSET/EDID4")).toString(), QStringLiteral("会议室"));

    SlotNames again;
    again.load();
    QVERIFY(again.name(1).isEmpty());
    QCOMPARE(again.name(2), QStringLiteral("Lobbyscreen"));
    QCOMPARE(again.name(4), QStringLiteral("会议室"));
}

QTEST_GUILESS_MAIN(tst_EdidModel)

#include "tst_edidmodel.moc"
