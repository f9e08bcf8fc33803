// The CEC panel's core: stored commands read back into a row, typed fields
// checked and built into a command, and the store in cecSetConfig.ini.
#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "mainwindow/cec/cecmodel.h"

#include <QDir>
#include <QElapsedTimer>
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

// `count` entries in both arrays, "size" claiming `size`.
QByteArray arrays(int count, const QString &size, const QString &order = QStringLiteral("\"(cec,1,%1)\""))
{
    QByteArray text = "[CECTEXT]\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("%1\\Text=Key %1\n").arg(i).toUtf8();
    text += "size=" + size.toUtf8() + "\n[CECTORDER]\n";
    for (int i = 1; i <= count; ++i)
        text += QStringLiteral("%1\\Order=").arg(i).toUtf8() + order.arg(i, 2, 10, QLatin1Char('0')).toUtf8()
            + "\n";
    text += "size=" + size.toUtf8() + "\n";
    return text;
}

} // namespace

class tst_CecModel final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void storedCommand_data();
    void storedCommand();
    void fields_data();
    void fields();
    void defaultCaptions();

    void missingFileGivesEmptyRows();
    void atMostSixteenEntriesAreRead_data();
    void atMostSixteenEntriesAreRead();
    void malformedCommandsAreDropped();
    void unreadableFileIsReported();
    void saveAndLoadRoundTrip();
    void saveFailureIsReported();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_CecModel::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir->filePath(QStringLiteral("app")));
}

void tst_CecModel::cleanup()
{
    CommonlyUsed::setApplicationDirOverride(QString());
    m_dir.reset();
}

void tst_CecModel::storedCommand_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("type"); // 0: no type field
    QTest::addColumn<QString>("fields");

    QTest::newRow("three items") << "(cec,2,44,01,02)" << true << 2 << "44,01,02";
    QTest::newRow("one item") << "(cec,1,36)" << true << 1 << "36";
    QTest::newRow("type only") << "(cec,1)" << true << 1 << "";
    QTest::newRow("no type") << "(cec,)" << true << 0 << "";
    QTest::newRow("five items") << "(cec,2,44,01,02,03,04)" << true << 2 << "44,01,02,03,04";
    QTest::newRow("type 3") << "(cec,3,44)" << false << 0 << "";
    QTest::newRow("type 01") << "(cec,01,44)" << false << 0 << "";
    QTest::newRow("no parentheses") << "cec,1,44" << false << 0 << "";
    QTest::newRow("other verb") << "(sw,1,44)" << false << 0 << "";
    QTest::newRow("second command") << "(cec,1,44)(reset)" << false << 0 << "";
    QTest::newRow("trailing text") << "(cec,1,44)garbage" << false << 0 << "";
    QTest::newRow("blank inside") << "(cec,1,44 01)" << false << 0 << "";
    QTest::newRow("line break") << "(cec,1,44\r\n01)" << false << 0 << "";
    QTest::newRow("empty item") << "(cec,1,44,,01)" << false << 0 << "";
    QTest::newRow("trailing comma") << "(cec,1,)" << false << 0 << "";
    QTest::newRow("non-ASCII") << QStringLiteral("(cec,1,4\u00e4)") << false << 0 << "";
    QTest::newRow("empty") << "" << false << 0 << "";
}

void tst_CecModel::storedCommand()
{
    QFETCH(QString, command);
    QFETCH(bool, valid);
    QFETCH(int, type);
    QFETCH(QString, fields);

    const std::optional<Cec::StoredCommand> stored = Cec::parseStoredCommand(command);
    QCOMPARE(stored.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(stored->type.value_or(0), type);
    QCOMPARE(stored->fields, fields);
    // What the row shows builds the same command again.
    if (type != 0 && !fields.isEmpty())
        QCOMPARE(Cec::buildCommand(type == 2, stored->fields), command);
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
    QTest::newRow("comma only") << "," << E::EmptyItem;
}

void tst_CecModel::fields()
{
    QFETCH(QString, fields);
    QFETCH(Cec::FieldsError, error);

    QCOMPARE(Cec::fieldsError(fields), error);
    const QString command = Cec::buildCommand(true, fields);
    if (error != Cec::FieldsError::None || fields.isEmpty()) {
        QVERIFY2(command.isEmpty(), qPrintable(command)); // refused fields never become a command
        return;
    }
    QCOMPARE(command, QStringLiteral("(cec,2,%1)").arg(fields));
    QCOMPARE(Cec::buildCommand(false, fields), QStringLiteral("(cec,1,%1)").arg(fields));
}

void tst_CecModel::defaultCaptions()
{
    QCOMPARE(Cec::defaultCaption(1), QStringLiteral("Button 01"));
    QCOMPARE(Cec::defaultCaption(9), QStringLiteral("Button 09"));
    QCOMPARE(Cec::defaultCaption(10), QStringLiteral("Button 10"));
    QCOMPARE(Cec::defaultCaption(16), QStringLiteral("Button 16"));
}

void tst_CecModel::missingFileGivesEmptyRows()
{
    Cec::Store store;
    QVERIFY(store.load());
    QCOMPARE(store.rows().size(), Cec::RowCount);
    for (const Cec::Row &row : store.rows())
        QVERIFY(row.caption.isEmpty() && row.command.isEmpty());
    QVERIFY(store.droppedRows().isEmpty());
    QVERIFY(!QFile::exists(cecFile())); // reading makes no file
}

void tst_CecModel::atMostSixteenEntriesAreRead_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<QString>("size");
    QTest::addColumn<int>("shown");

    QTest::newRow("20 entries") << 20 << "20" << 16;
    QTest::newRow("huge size") << 3 << "1000000000" << 3;
    QTest::newRow("size beyond int") << 3 << "99999999999999999999" << 0;
    QTest::newRow("negative size") << 3 << "-5" << 0;
    QTest::newRow("size smaller than entries") << 5 << "2" << 2;
}

void tst_CecModel::atMostSixteenEntriesAreRead()
{
    QFETCH(int, entries);
    QFETCH(QString, size);
    QFETCH(int, shown);
    writeFile(arrays(entries, size));

    Cec::Store store;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(store.load());
    QVERIFY(clock.elapsed() < 2000);
    QCOMPARE(store.rows().size(), Cec::RowCount);
    for (int row = 1; row <= Cec::RowCount; ++row) {
        const Cec::Row &got = store.rows().at(row - 1);
        if (row <= shown) {
            QCOMPARE(got.caption, QStringLiteral("Key %1").arg(row));
            QCOMPARE(got.command, QStringLiteral("(cec,1,%1)").arg(row, 2, 10, QLatin1Char('0')));
        } else {
            QVERIFY2(got.caption.isEmpty() && got.command.isEmpty(), qPrintable(got.caption));
        }
    }
}

void tst_CecModel::malformedCommandsAreDropped()
{
    // Unquoted commas as a hand edit leaves them: QSettings reads a list.
    writeFile("[CECTORDER]\n"
              "1\\Order=(cec,1,36)\n"
              "2\\Order=\"(cec,1,44)(reset)\"\n"
              "3\\Order=\"(cec,2,44,01,02,03)\"\n"
              "4\\Order=\"(cec,3,44)\"\n"
              "5\\Order=\n"
              "6\\Order=\"(cec,1,44)garbage\"\n"
              "size=6\n");
    Cec::Store store;
    QVERIFY(store.load());
    QCOMPARE(store.droppedRows(), (QVector<int> { 2, 4, 6 }));
    QCOMPARE(store.rows().at(0).command, QStringLiteral("(cec,1,36)"));
    QCOMPARE(store.rows().at(1).command, QString());
    QCOMPARE(store.rows().at(2).command, QStringLiteral("(cec,2,44,01,02,03)"));
    QCOMPARE(store.rows().at(3).command, QString());
    QCOMPARE(store.rows().at(4).command, QString());
    QCOMPARE(store.rows().at(5).command, QString());

    // A later clean load forgets the dropped rows.
    writeFile(arrays(1, QStringLiteral("1")));
    QVERIFY(store.load());
    QVERIFY(store.droppedRows().isEmpty());
    QCOMPARE(store.rows().at(2).command, QString());
}

void tst_CecModel::unreadableFileIsReported()
{
    QVERIFY(QDir().mkpath(cecFile())); // a folder where the file belongs
    Cec::Store store;
    QVERIFY(!store.load());
    for (const Cec::Row &row : store.rows())
        QVERIFY(row.command.isEmpty());
    QVERIFY(!store.save(QVector<Cec::Row>(Cec::RowCount)));
}

void tst_CecModel::saveAndLoadRoundTrip()
{
    // A longer file than the panel: the entries past row 16 go.
    writeFile(arrays(20, QStringLiteral("20")));
    QVector<Cec::Row> rows(Cec::RowCount);
    rows[0] = { QStringLiteral("TV on"), QStringLiteral("(cec,2,44,01,02)") };
    rows[8] = { Cec::defaultCaption(9), QString() };
    rows[15] = { QStringLiteral("Volume, up & \"loud\""), QStringLiteral("(cec,1,36)") };

    Cec::Store store;
    QVERIFY(store.save(rows));

    QSettings raw(cecFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/size")).toInt(), Cec::RowCount);
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/size")).toInt(), Cec::RowCount);
    QVERIFY(!raw.contains(QStringLiteral("CECTEXT/17/Text")));
    QVERIFY(!raw.contains(QStringLiteral("CECTORDER/20/Order")));
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/9/Text")).toString(), QStringLiteral("Button 09"));
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/1/Order")).toString(), QStringLiteral("(cec,2,44,01,02)"));
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/2/Order")).toString(), QString());

    Cec::Store reread;
    QVERIFY(reread.load());
    QVERIFY(reread.droppedRows().isEmpty());
    for (int i = 0; i < Cec::RowCount; ++i) {
        QCOMPARE(reread.rows().at(i).caption, rows.at(i).caption);
        QCOMPARE(reread.rows().at(i).command, rows.at(i).command);
    }
}

void tst_CecModel::saveFailureIsReported()
{
    // The settings folder cannot be made: a file holds its name.
    QVERIFY(QDir().mkpath(SC::appPath(SC::ConfigurationDir)));
    QFile blocker(SC::loginSystemDir());
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Cec::Store store;
    QVERIFY(!store.save(QVector<Cec::Row>(Cec::RowCount)));
}

QTEST_GUILESS_MAIN(tst_CecModel)
#include "tst_cecmodel.moc"
