#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "mainwindow/naming/namestore.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <unistd.h>

namespace SC = SettingsCatalogue;

Q_DECLARE_METATYPE(NameStore::Kind)

namespace {

QString namesFile()
{
    return SC::filePath(SC::File::SignalSwitching);
}

// Writes the file as another program (or an older one) left it.
void writeRaw(const QList<QPair<QString, QString>> &values)
{
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    QSettings raw(namesFile(), QSettings::IniFormat);
    for (const auto &entry : values)
        raw.setValue(entry.first, entry.second);
    raw.sync();
    QCOMPARE(raw.status(), QSettings::NoError);
}

QByteArray fileBytes()
{
    QFile file(namesFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class tst_NameStore final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void roundTrip_data();
    void roundTrip();
    void storedValues_data();
    void storedValues();
    void missingKeyKeepsLaterNames();
    void missingFileMeansDefaults();
    void unreadableFileIsNeverOverwritten_data();
    void unreadableFileIsNeverOverwritten();
    void saveToUnwritableLocationFails();
    void changesAreSignalledOnce();
    void languageChangesDefaultScenes();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_NameStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir->filePath(QStringLiteral("app")));
}

void tst_NameStore::cleanup()
{
    // A test may have taken permissions away; give them back so the folder
    // can be removed.
    const QString loginDir = SC::loginSystemDir();
    if (QFileInfo::exists(loginDir))
        QFile::setPermissions(loginDir, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    if (QFileInfo(namesFile()).isFile())
        QFile::setPermissions(namesFile(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    CommonlyUsed::setApplicationDirOverride(QString());
    m_dir.reset();
}

void tst_NameStore::roundTrip_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ampersands") << "R&D A&&B";
    QTest::newRow("ini separators") << "a=b;c, d";
    QTest::newRow("percent") << "50% Hall %1";
    QTest::newRow("quotes and hash") << "#1 \"hi\"";
    QTest::newRow("backslash") << "C:\\cam\\x41";
    QTest::newRow("leading at") << "@Variant(x)";
    QTest::newRow("chinese followed by digits") << "会议室12";
    QTest::newRow("longer than a button shows") << "蓝光播放机一号机位二三四五六七八九十甲乙丙丁戊己庚辛壬癸&;=,";
    QTest::newRow("inner blanks") << "a  b   c";
}

// Every name survives save and load byte for byte, on inputs, outputs and
// scenes alike, although the file holds the wrapped button text.
void tst_NameStore::roundTrip()
{
    QFETCH(QString, name);
    NameStore store;
    QVERIFY(store.load());
    store.setName(NameStore::Input, 2, name);
    store.setName(NameStore::Output, 16, name);
    store.setName(NameStore::Scene, 32, name);
    QVERIFY(store.saveAll(true));

    NameStore reread;
    QVERIFY(reread.load());
    QCOMPARE(reread.name(NameStore::Input, 2), name);
    QCOMPARE(reread.name(NameStore::Output, 16), name);
    QCOMPARE(reread.name(NameStore::Scene, 32), name);
    QCOMPARE(reread.name(NameStore::Input, 1), QStringLiteral("HDMI-1"));
    QCOMPARE(reread.display(NameStore::Input, 2), store.display(NameStore::Input, 2));

    // What other readers of the file find: the button text.
    QSettings raw(namesFile(), QSettings::IniFormat);
    QString wrapped = name;
    if (name.size() > 8)
        wrapped.insert(8, QLatin1Char('\n'));
    wrapped.replace(QLatin1String("&"), QLatin1String("&&"));
    QCOMPARE(raw.value(SC::nameKey(SC::NameKind::Input, 1)).toString(), wrapped);
}

void tst_NameStore::storedValues_data()
{
    QTest::addColumn<NameStore::Kind>("kind");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("named");

    const QString tooLong(100, QLatin1Char('x'));
    const QString emoji = QString::fromUtf8("😀");
    QTest::newRow("older button text")
        << NameStore::Input << 1 << "蓝光播放机一号机\n位二" << "蓝光播放机一号机位二" << true;
    QTest::newRow("doubled ampersand") << NameStore::Output << 3 << "R&&D\nLab" << "R&DLab" << true;
    QTest::newRow("scene on three lines") << NameStore::Scene << 4 << "ABCDEF\nGHIJKL\nM" << "ABCDEFGHIJKLM" << true;
    QTest::newRow("windows line break") << NameStore::Input << 2 << "ABCDEFGH\r\nIJ" << "ABCDEFGHIJ" << true;
    QTest::newRow("blanks around") << NameStore::Input << 3 << "  Camera  " << "Camera" << true;
    QTest::newRow("empty value") << NameStore::Input << 4 << "" << "HDMI-4" << false;
    QTest::newRow("over-long value cut") << NameStore::Input << 5 << tooLong << tooLong.left(64) << true;
    QTest::newRow("cut never halves a character")
        << NameStore::Scene << 6 << QString(63, QLatin1Char('a')) + emoji << QString(63, QLatin1Char('a')) << true;
    QTest::newRow("own default is no name") << NameStore::Input << 7 << "HDMI-7" << "HDMI-7" << false;
    QTest::newRow("another port's default is a name") << NameStore::Input << 8 << "HDMI-1" << "HDMI-1" << true;
    QTest::newRow("chinese scene default") << NameStore::Scene << 5 << "场景5" << "场景5" << false;
    QTest::newRow("english scene default") << NameStore::Scene << 10 << "Scene \n10" << "场景10" << false;
    QTest::newRow("traditional scene default with blank") << NameStore::Scene << 9 << "情境 9" << "场景9" << false;
}

void tst_NameStore::storedValues()
{
    QFETCH(NameStore::Kind, kind);
    QFETCH(int, number);
    QFETCH(QString, stored);
    QFETCH(QString, name);
    QFETCH(bool, named);
    const SC::NameKind catalogueKind = kind == NameStore::Input    ? SC::NameKind::Input
                                       : kind == NameStore::Output ? SC::NameKind::Output
                                                                   : SC::NameKind::Scene;
    writeRaw({{SC::nameKey(catalogueKind, number - 1), stored}});
    NameStore store;
    QVERIFY(store.load());
    QCOMPARE(store.name(kind, number), name);
    QCOMPARE(store.hasName(kind, number), named);
}

void tst_NameStore::missingKeyKeepsLaterNames()
{
    writeRaw({{SC::nameKey(SC::NameKind::Input, 0), QStringLiteral("DVD")},
              {SC::nameKey(SC::NameKind::Input, 2), QStringLiteral("PC")},
              {SC::nameKey(SC::NameKind::Input, 3), QString()},
              {SC::nameKey(SC::NameKind::Input, 4), QStringLiteral("Camera")},
              {SC::nameKey(SC::NameKind::Output, 1), QStringLiteral("Projector")}});
    NameStore store;
    QVERIFY(store.load());
    QCOMPARE(store.names(NameStore::Input).mid(0, 6),
             (QStringList{"DVD", "HDMI-2", "PC", "HDMI-4", "Camera", "HDMI-6"}));
    QCOMPARE(store.names(NameStore::Input).size(), 16);
    QCOMPARE(store.names(NameStore::Output).mid(0, 3), (QStringList{"HDMI-1", "Projector", "HDMI-3"}));
    QCOMPARE(store.names(NameStore::Scene).size(), 32);

    // Saving writes every entry in place: the gap stays a gap.
    QVERIFY(store.save(NameStore::Input));
    QSettings raw(namesFile(), QSettings::IniFormat);
    QCOMPARE(raw.value(SC::nameKey(SC::NameKind::Input, 1)).toString(), QString());
    QCOMPARE(raw.value(SC::nameKey(SC::NameKind::Input, 2)).toString(), QStringLiteral("PC"));
}

void tst_NameStore::missingFileMeansDefaults()
{
    NameStore store;
    QVERIFY(!store.save(NameStore::Input)); // nothing read yet
    store.setName(NameStore::Input, 1, QStringLiteral("left over"));
    QVERIFY(store.load());
    QVERIFY(store.loaded());
    QVERIFY(!QFileInfo::exists(namesFile()));
    QCOMPARE(store.name(NameStore::Input, 1), QStringLiteral("HDMI-1"));
    QCOMPARE(store.name(NameStore::Scene, 32), QString::fromUtf8("场景32"));
    store.setName(NameStore::Scene, 1, QStringLiteral("Lobby"));
    QVERIFY(store.save(NameStore::Scene));
    QVERIFY(QFileInfo(namesFile()).isFile());
}

void tst_NameStore::unreadableFileIsNeverOverwritten_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("folder in its place") << "folder";
    QTest::newRow("unparsable") << "format";
    QTest::newRow("no read permission") << "mode";
}

void tst_NameStore::unreadableFileIsNeverOverwritten()
{
    QFETCH(QString, damage);
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    if (damage == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(namesFile()));
    } else {
        QFile file(namesFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[toolButton_HDMI\ntoolButton_value0=DVD\n");
        file.close();
        if (damage == QLatin1String("mode")) {
            if (::geteuid() == 0)
                QSKIP("root reads the file whatever its mode");
            QVERIFY(QFile::setPermissions(namesFile(), QFileDevice::WriteOwner));
        }
    }
    const QByteArray before = fileBytes();

    NameStore store;
    QVERIFY(!store.load());
    QVERIFY(!store.loaded());
    QCOMPARE(store.name(NameStore::Input, 1), QStringLiteral("HDMI-1"));
    store.setName(NameStore::Input, 1, QStringLiteral("Blu-ray"));
    QVERIFY(!store.save(NameStore::Input));
    QVERIFY(!store.saveAll(true));
    QCOMPARE(fileBytes(), before);
    QCOMPARE(QFileInfo(namesFile()).isDir(), damage == QLatin1String("folder"));
}

void tst_NameStore::saveToUnwritableLocationFails()
{
    NameStore store;
    QVERIFY(store.load());
    store.setName(NameStore::Input, 1, QStringLiteral("DVD"));

    // A plain file where the folder belongs stops even root.
    QVERIFY(QDir().mkpath(CommonlyUsed::applicationDir()));
    QFile blocker(SC::appPath(SC::ConfigurationDir));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!store.save(NameStore::Input));
    QVERIFY(!store.saveAll(false));
    QVERIFY(blocker.remove());
    QVERIFY(store.save(NameStore::Input));

    if (::geteuid() == 0)
        QSKIP("root writes into a read-only folder");
    QVERIFY(QFile::setPermissions(SC::loginSystemDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    store.setName(NameStore::Input, 1, QStringLiteral("PC"));
    QVERIFY(!store.save(NameStore::Input));
}

void tst_NameStore::changesAreSignalledOnce()
{
    NameStore store;
    QSignalSpy changed(&store, &NameStore::nameChanged);
    store.setName(NameStore::Input, 3, QStringLiteral("PC"));
    store.setName(NameStore::Input, 3, QStringLiteral(" PC\n"));
    store.setName(NameStore::Output, 3, QStringLiteral("HDMI-3"));
    store.setName(NameStore::Input, 0, QStringLiteral("out of range"));
    store.setName(NameStore::Scene, 33, QStringLiteral("out of range"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).toInt(), int(NameStore::Input));
    QCOMPARE(changed.at(0).at(1).toInt(), 3);
    QVERIFY(!store.hasName(NameStore::Output, 3));

    store.resetAll(NameStore::Input);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(store.name(NameStore::Input, 3), QStringLiteral("HDMI-3"));
}

void tst_NameStore::languageChangesDefaultScenes()
{
    NameStore store;
    store.setName(NameStore::Scene, 2, QStringLiteral("Lobby"));
    QSignalSpy changed(&store, &NameStore::nameChanged);
    store.setLanguage(1);
    QCOMPARE(changed.count(), NameStore::SceneCount - 1);
    for (const QList<QVariant> &signal : qAsConst(changed)) {
        QCOMPARE(signal.at(0).toInt(), int(NameStore::Scene));
        QVERIFY(signal.at(1).toInt() != 2);
    }
    QCOMPARE(store.name(NameStore::Scene, 1), QStringLiteral("Scene 1"));
    QCOMPARE(store.name(NameStore::Scene, 2), QStringLiteral("Lobby"));
    QCOMPARE(store.display(NameStore::Scene, 10), QStringLiteral("Scene \n10"));
    store.setLanguage(1);
    QCOMPARE(changed.count(), NameStore::SceneCount - 1);

    // A default written in one language reads as the default of the next.
    NameStore english;
    english.setLanguage(1);
    QVERIFY(english.load());
    english.setName(NameStore::Scene, 2, QStringLiteral("Lobby"));
    english.setName(NameStore::Scene, 3, QStringLiteral("Scene 3"));
    QVERIFY(!english.hasName(NameStore::Scene, 3));
    QVERIFY(english.save(NameStore::Scene));
    NameStore chinese;
    QVERIFY(chinese.load());
    QCOMPARE(chinese.name(NameStore::Scene, 3), QString::fromUtf8("场景3"));
    QCOMPARE(chinese.name(NameStore::Scene, 2), QStringLiteral("Lobby"));
}

QTEST_GUILESS_MAIN(tst_NameStore)
#include "tst_namestore.moc"
