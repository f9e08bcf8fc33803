// The CEC panel's core: stored commands read back into a row, typed fields
// checked and built into a command, and the store in cecSetConfig.ini.
#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "mainwindow/cec/cecmodel.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace SC = SettingsCatalogue;

Q_DECLARE_METATYPE(Cec::FieldsError)

namespace {

QString cecFile()
{
    return SC::filePath(SC::File::CecSetConfig);
}

// The file as a hand edit or another program left it.
void writeFile(const QByteArray &content)
{
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    QFile file(cecFile());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

QString command(int row)
{
    return QStringLiteral("(cec,1,%1)").arg(row, 2, 10, QLatin1Char('0'));
}

// `count` entries in both arrays, "size" claiming `size`.
QByteArray arrays(int count, const QByteArray &size)
{
    QByteArray text = "[CECTEXT]\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("%1\\Text=Key %1\n").arg(i).toUtf8();
    text += "size=" + size + "\n[CECTORDER]\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("%1\\Order=\"%2\"\n").arg(i).arg(command(i)).toUtf8();
    return text + "size=" + size + "\n";
}

// The rows' commands up to the last one set.
QStringList commands(const Cec::Store &store)
{
    QStringList all;
    for (const Cec::Row &row : store.rows())
        all << row.command;
    while (!all.isEmpty() && all.constLast().isEmpty())
        all.removeLast();
    return all;
}

} // namespace

class tst_CecModel final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void storedCommand_data();
    void storedCommand();
    void fields_data();
    void fields();
    void load_data();
    void load();
    void unreadableOrUnwritableIsReported();
    void saveAndLoadRoundTrip();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CecModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir->filePath(QStringLiteral("app")));
}

void tst_CecModel::storedCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("read"); // "type:fields", type 0 when absent; empty: refused
    const auto row = [](const char *name, const QString &first, const QString &second) {
        QTest::newRow(name) << first << second;
    };

    row("three items", "(cec,2,44,01,02)", "2:44,01,02");
    row("one item", "(cec,1,36)", "1:36");
    row("type only", "(cec,1)", "1:");
    row("no type", "(cec,)", "0:");
    row("five items", "(cec,2,44,01,02,03,04)", "2:44,01,02,03,04");
    row("type 3", "(cec,3,44)", "");
    row("type 01", "(cec,01,44)", "");
    row("no parentheses", "cec,1,44", "");
    row("other verb", "(sw,1,44)", "");
    row("second command", "(cec,1,44)(reset)", "");
    row("trailing text", "(cec,1,44)garbage", "");
    row("line break", "(cec,1,44\r\n01)", "");
    row("trailing comma", "(cec,1,)", "");
    row("empty", "", "");
}

void tst_CecModel::storedCommand()
{
    QFETCH(QString, command);
    QFETCH(QString, read);

    const std::optional<Cec::StoredCommand> stored = Cec::parseStoredCommand(command);
    QCOMPARE(
        stored ? QStringLiteral("%1:%2").arg(stored->type.value_or(0)).arg(stored->fields) : QString(), read);
    // What the row shows builds the same command again.
    if (stored && stored->type && !stored->fields.isEmpty())
        QCOMPARE(Cec::buildCommand(*stored->type == 2, stored->fields), command);
}

void tst_CecModel::fields_data()
{
    QTest::addColumn<QString>("fields");
    QTest::addColumn<Cec::FieldsError>("error");

    using E = Cec::FieldsError;
    QTest::newRow("empty") << "" << E::None;
    QTest::newRow("one byte") << "36" << E::None;
    QTest::newRow("three bytes") << "44,01,02" << E::None;
    QTest::newRow("injected reset") << "44)(reset" << E::Parenthesis;
    QTest::newRow("opening parenthesis") << "(44" << E::Parenthesis;
    QTest::newRow("blank") << "44 01" << E::Blank;
    QTest::newRow("tab") << "44\t01" << E::Control;
    QTest::newRow("line break") << "44\n(reset)" << E::Control;
    QTest::newRow("delete") << "44\x7f" << E::Control;
    QTest::newRow("non-ASCII") << QStringLiteral("44\uff0c01") << E::NonAscii;
    QTest::newRow("leading comma") << ",44" << E::EmptyItem;
    QTest::newRow("trailing comma") << "44," << E::EmptyItem;
    QTest::newRow("double comma") << "44,,01" << E::EmptyItem;
}

void tst_CecModel::fields()
{
    QFETCH(QString, fields);
    QFETCH(Cec::FieldsError, error);

    QCOMPARE(Cec::fieldsError(fields), error);
    const bool usable = error == Cec::FieldsError::None && !fields.isEmpty();
    // Refused fields never become a command.
    QCOMPARE(Cec::buildCommand(true, fields), usable ? QStringLiteral("(cec,2,%1)").arg(fields) : QString());
    QCOMPARE(Cec::buildCommand(false, fields), usable ? QStringLiteral("(cec,1,%1)").arg(fields) : QString());
}

void tst_CecModel::load_data()
{
    QTest::addColumn<QByteArray>("file"); // null: no file
    QTest::addColumn<QStringList>("expected"); // commands of the first rows
    QTest::addColumn<QVector<int>>("dropped");

    QStringList sixteen;
    for (int row = 1; row <= Cec::RowCount; ++row)
        sixteen << command(row);
    const QVector<int> none;
    QTest::newRow("no file") << QByteArray() << QStringList() << none;
    QTest::newRow("20 entries") << arrays(20, "20") << sixteen << none;
    QTest::newRow("huge size") << arrays(3, "1000000000") << QStringList(sixteen.mid(0, 3)) << none;
    QTest::newRow("size beyond int") << arrays(3, "99999999999999999999") << QStringList() << none;
    QTest::newRow("negative size") << arrays(3, "-5") << QStringList() << none;
    QTest::newRow("size smaller than entries") << arrays(5, "2") << QStringList(sixteen.mid(0, 2)) << none;
    // Unquoted commas as a hand edit leaves them: QSettings reads a list.
    const QByteArray malformed = "[CECTORDER]\n1\\Order=(cec,1,36)\n2\\Order=\"(cec,1,44)(reset)\"\n"
                                 "3\\Order=\"(cec,2,44,01,02,03)\"\n4\\Order=\"(cec,3,44)\"\n"
                                 "5\\Order=\n6\\Order=\"(cec,1,44)garbage\"\nsize=6\n";
    QTest::newRow("malformed") << malformed << QStringList { "(cec,1,36)", "", "(cec,2,44,01,02,03)" }
                               << QVector<int> { 2, 4, 6 };
}

void tst_CecModel::load()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, expected);
    QFETCH(QVector<int>, dropped);
    if (!file.isNull())
        writeFile(file);

    Cec::Store store;
    QVERIFY(store.load());
    QCOMPARE(store.rows().size(), Cec::RowCount);
    QCOMPARE(commands(store), expected);
    QCOMPARE(store.droppedRows(), dropped);
    for (int row = 1; row <= Cec::RowCount; ++row) {
        const bool read = row <= expected.size() && file.startsWith("[CECTEXT]");
        QCOMPARE(store.rows().at(row - 1).caption, read ? QStringLiteral("Key %1").arg(row) : QString());
    }
    QCOMPARE(QFile::exists(cecFile()), !file.isNull()); // reading makes no file

    // A later clean load forgets what this one read and dropped.
    writeFile(arrays(1, "1"));
    QVERIFY(store.load());
    QVERIFY(store.droppedRows().isEmpty());
    QCOMPARE(commands(store), QStringList { command(1) });
}

void tst_CecModel::unreadableOrUnwritableIsReported()
{
    QVERIFY(QDir().mkpath(cecFile())); // a folder where the file belongs
    Cec::Store store;
    QVERIFY(!store.load());
    QVERIFY(commands(store).isEmpty());
    QVERIFY(!store.save(QVector<Cec::Row>(Cec::RowCount)));
}

void tst_CecModel::saveAndLoadRoundTrip()
{
    // A longer file than the panel: the entries past row 16 go.
    writeFile(arrays(20, "20"));
    QVector<Cec::Row> rows(Cec::RowCount);
    rows[0] = { QStringLiteral("TV on"), QStringLiteral("(cec,2,44,01,02)") };
    rows[15] = { QStringLiteral("Volume, up & \"loud\""), QStringLiteral("(cec,1,36)") };
    Cec::Store store;
    QVERIFY(store.save(rows));

    QSettings raw(cecFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/size")).toInt(), Cec::RowCount);
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/size")).toInt(), Cec::RowCount);
    QVERIFY(!raw.contains(QStringLiteral("CECTORDER/20/Order")));

    Cec::Store reread;
    QVERIFY(reread.load());
    QVERIFY(reread.droppedRows().isEmpty());
    for (int i = 0; i < Cec::RowCount; ++i) {
        QCOMPARE(reread.rows().at(i).caption, rows.at(i).caption);
        QCOMPARE(reread.rows().at(i).command, rows.at(i).command);
    }
}

QTEST_GUILESS_MAIN(tst_CecModel)
#include "tst_cecmodel.moc"
