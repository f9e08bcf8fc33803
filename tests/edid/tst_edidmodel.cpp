#include "mainwindow/edid/edidmodel.h"

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

using namespace Edid;

namespace {

void row(const char *name, const QString &first, const QString &second)
{
    QTest::newRow(name) << first << second;
}

} // namespace

class tst_EdidModel final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void codeTable_data();
    void codeTable();
    void codeTableIsOneToOne();
    void parse_data();
    void parse();
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
    // Every box answers to one code; a set looks for the checked box in code order.
    QVector<int> order;
    for (int code = 1; code <= ProfileCount; ++code) {
        QCOMPARE(codeForBox(boxForCode(code)), code);
        order << boxForCode(code);
    }
    QCOMPARE(boxesInCodeOrder(), order);
    QCOMPARE(boxForUserSlot(4), 26);
    QCOMPARE(boxForUserSlot(5), 0);
}

void tst_EdidModel::parse_data()
{
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("read"); // "input:code" pairs found, in order

    row("simulator", "in5edid9ok", "5:9");
    row("largest", "in16edid28ok", "16:28");
    row("no ok", "in5edid12", "5:12");
    row("other word before", "chin5edid9ok", "5:9");
    row("leading zero", "in05edid09ok", "5:9");
    row("run together", "in3edid9okin5edid30okinput5edid12ok", "3:9 5:12");

    row("code 0", "in5edid0ok", "");
    row("input 17", "in17edid9ok", "");
    row("plus sign", "in5edid+9ok", "");
    row("code with tail", "in5edid9xok", "");
    row("overflow", "in5edid99999999999999ok", "");
    row("stored confirmation", "edid1updatedok", "");
}

void tst_EdidModel::parse()
{
    QFETCH(QString, reply);
    QFETCH(QString, read);
    QStringList all;
    for (const InputEdid &edid : parseInputEdids(reply))
        all << QStringLiteral("%1:%2").arg(edid.input).arg(edid.code);
    QCOMPARE(all.join(QLatin1Char(' ')), read);
    const std::optional<InputEdid> first = parseInputEdid(reply);
    QCOMPARE(first ? QStringLiteral("%1:%2").arg(first->input).arg(first->code) : QString(), all.value(0));
}

void tst_EdidModel::cleaned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    const QString longest = QString(MaxSlotNameLength, QLatin1Char('a'));
    row("line breaks", "Pro\r\njec\ntor", "Projector");
    row("unicode line separator", QStringLiteral("Pro\u2028jector"), "Projector");
    row("blanks around", "  Projector  ", "Projector");
    row("exactly the limit", longest, longest);
    row("too long", longest + QStringLiteral("bcd"), longest);
    // A character outside the basic plane across the limit is dropped whole.
    row("surrogate at the limit", longest.left(MaxSlotNameLength - 1) + QString::fromUcs4(U"\U0001F600"),
        longest.left(MaxSlotNameLength - 1));
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
    SlotNames names;
    QVERIFY(names.store(2, QStringLiteral("Lobby\nscreen")));
    QVERIFY(names.store(4, QStringLiteral("会议室")));
    QVERIFY(!names.store(5, QStringLiteral("x")));

    // The file holds what older copies of the program read.
    QSettings file(SettingsCatalogue::edidSettingsPath(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("EDIDSET/EDID2")).toString(), QStringLiteral("Lobbyscreen"));
    QCOMPARE(file.value(QStringLiteral("EDIDSET/EDID4")).toString(), QStringLiteral("会议室"));

    // A damaged file's longer name is cut when read.
    QVERIFY(SettingsCatalogue::writeEdidName(3, QString(100, QLatin1Char('m'))));
    SlotNames again;
    again.load();
    QVERIFY(again.name(1).isEmpty()); // no key: the built-in caption stays
    QCOMPARE(again.name(2), QStringLiteral("Lobbyscreen"));
    QCOMPARE(again.name(3), QString(MaxSlotNameLength, QLatin1Char('m')));
    QCOMPARE(again.name(4), QStringLiteral("会议室"));
}

QTEST_GUILESS_MAIN(tst_EdidModel)

#include "tst_edidmodel.moc"
