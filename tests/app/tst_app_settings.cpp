#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/settingscatalogue.h"
#include "app/windowfit.h"

#include "resources/trivaneresources.h"

#include <QDir>
#include <QFile>
#include <QLibraryInfo>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

namespace SC = SettingsCatalogue;

class TestAppSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void defaultsOnEmptyDirectory();
    void createDefaultFiles();
    void unwritableLocationReportsFailure();
    void corruptFileReadsDefaults();
    void passwordsSurviveTheIniFile();
    void passwordFileOwnerOnly();
    void namesRoundTrip();
    void arraysRoundTrip();
    void edidNamesBelowApplicationDirectory();
    void factoryResetValues();
    void languageSelection_data();
    void languageSelection();
    void languageValueStore();
    void applyLanguage();
    void qtTextsFollowLanguage();
    void windowFit_data();
    void windowFit();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAppSettings::initTestCase()
{
    Trivane::initResources();
}

void TestAppSettings::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    CommonlyUsed::setApplicationDirOverride(m_dir->filePath(QStringLiteral("app")));
}

void TestAppSettings::cleanup()
{
    CommonlyUsed::setApplicationDirOverride(QString());
    Platform::setLanguageStoreOverride(QString());
    Platform::setQtTranslationDirOverride(QString());
}

void TestAppSettings::defaultsOnEmptyDirectory()
{
    QCOMPARE(SC::readString(SC::Keys::ConnectionMode), QStringLiteral("TCP"));
    QCOMPARE(SC::readInt(SC::Keys::DeviceType), 0);
    QCOMPARE(SC::readInt(SC::Keys::RememberPassword), 0);
    QCOMPARE(SC::readNonEmptyString(SC::Keys::EquipmentChannels), QStringLiteral("4x2"));
    QCOMPARE(SC::readString(SC::Keys::SerialPortName), QString());
    QVERIFY(!QFileInfo::exists(m_dir->filePath(QStringLiteral("app"))));

    QVERIFY(SC::write(SC::Keys::EquipmentChannels, QString()));
    QCOMPARE(SC::readNonEmptyString(SC::Keys::EquipmentChannels), QStringLiteral("4x2"));
    QVERIFY(SC::write(SC::Keys::EquipmentChannels, QStringLiteral("8x8")));
    QCOMPARE(SC::readNonEmptyString(SC::Keys::EquipmentChannels), QStringLiteral("8x8"));
    QVERIFY(SC::write(SC::Keys::DeviceType, QStringLiteral("three")));
    QCOMPARE(SC::readInt(SC::Keys::DeviceType), 0);
}

void TestAppSettings::createDefaultFiles()
{
    const SC::DefaultsResult first = SC::createDefaultFiles();
    QVERIFY(first.ok);
    QVERIFY(first.firstStart);
    for (const char *dir : {SC::ConfigurationDir, SC::LoginSystemDir, SC::QssDir, SC::ImageDir})
        QVERIFY(QFileInfo(SC::appPath(dir)).isDir());
    const QString loginDir = m_dir->filePath(QStringLiteral("app/ConfigurationFile/LoginSystem/"));
    QSettings accounts(loginDir + QStringLiteral("LoginSystemConfig.ini"), QSettings::IniFormat);
    QCOMPARE(accounts.value(QStringLiteral("Account_type/type")).toString(), QStringLiteral("Admin"));
    QCOMPARE(accounts.value(QStringLiteral("AdminLoginInformation/AdminName")).toString(), QStringLiteral("admin"));
    QCOMPARE(accounts.value(QStringLiteral("AdminLoginInformation/Password")).toString(), QStringLiteral("<8>759"));
    QCOMPARE(accounts.value(QStringLiteral("UserLoginInformation/UserName")).toString(), QStringLiteral("user"));
    QCOMPARE(CommonlyUsed::Decode_Password(SC::readString(SC::Keys::UserPassword)), QStringLiteral("847"));
    QCOMPARE(QSettings(loginDir + QStringLiteral("DefaultAccount.ini"), QSettings::IniFormat)
                 .value(QStringLiteral("DefaultAccount/Account"))
                 .toString(),
             QStringLiteral("0"));
    QCOMPARE(QSettings(loginDir + QStringLiteral("ISRememberPassword.ini"), QSettings::IniFormat)
                 .value(QStringLiteral("ISRememberPassword/RememberPassword"))
                 .toInt(),
             0);

    // Later starts keep what the operator changed.
    QVERIFY(SC::write(SC::Keys::AdminName, QStringLiteral("boss")));
    const SC::DefaultsResult second = SC::createDefaultFiles();
    QVERIFY(second.ok);
    QVERIFY(!second.firstStart);
    QCOMPARE(SC::readString(SC::Keys::AdminName), QStringLiteral("boss"));
}

void TestAppSettings::unwritableLocationReportsFailure()
{
    // A plain file where the folder should be: no write can succeed, even as root.
    QVERIFY(QDir().mkpath(CommonlyUsed::applicationDir()));
    QFile blocker(SC::appPath(SC::ConfigurationDir));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QVERIFY(!SC::write(SC::Keys::BaudRate, QStringLiteral("9600")));
    QVERIFY(!SC::saveNames(SC::NameKind::Input, {QStringLiteral("DVD")}));
    QVERIFY(!SC::writeEdidName(1, QStringLiteral("4K")));
    const SC::DefaultsResult result = SC::createDefaultFiles();
    QVERIFY(!result.ok);
    QCOMPARE(SC::readString(SC::Keys::ConnectionMode), QStringLiteral("TCP"));

    // A folder standing where the file should be: the write must fail too.
    QVERIFY(blocker.remove());
    QVERIFY(SC::write(SC::Keys::BaudRate, QStringLiteral("9600")));
    QVERIFY(QDir().mkpath(SC::filePath(SC::File::TcpConfig)));
    QVERIFY(!SC::write(SC::Keys::DeviceIp, QStringLiteral("10.0.0.1")));
}

void TestAppSettings::corruptFileReadsDefaults()
{
    QVERIFY(QDir().mkpath(SC::loginSystemDir()));
    QFile file(SC::filePath(SC::File::ConnectType));
    QVERIFY(file.open(QIODevice::WriteOnly));
    static const char garbage[] = "\x00\xff[[[\n=\x01\x02junk\n[connect_type\nType";
    file.write(garbage, sizeof garbage - 1);
    file.close();
    const QString mode = SC::readString(SC::Keys::ConnectionMode);
    Q_UNUSED(mode) // whatever the parser salvages; it must not crash
    QCOMPARE(SC::readInt(SC::Keys::DeviceType), 0);
    // The change is stored; the damaged file is kept aside.
    QVERIFY(SC::write(SC::Keys::DeviceType, 2));
    QCOMPARE(SC::readInt(SC::Keys::DeviceType), 2);
    QCOMPARE(QDir(SC::loginSystemDir()).entryList({QStringLiteral("connect_type.ini.corrupt-*")}).size(), 1);
}

void TestAppSettings::passwordsSurviveTheIniFile()
{
    const QStringList passwords{QStringLiteral("ab~"), QStringLiteral("管理员密码"), QStringLiteral("{|}~é😀")};
    for (const QString &plain : passwords) {
        QVERIFY(SC::write(SC::Keys::AdminPassword, CommonlyUsed::Encode_Password(plain)));
        QCOMPARE(CommonlyUsed::Decode_Password(SC::readString(SC::Keys::AdminPassword)), plain);
    }
}

void TestAppSettings::passwordFileOwnerOnly()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a POSIX matter");
#endif
    const QFileDevice::Permissions shared = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther
                                            | QFileDevice::WriteOther | QFileDevice::ExeGroup | QFileDevice::ExeOther;
    const QFileDevice::Permissions worldReadable = QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                   | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QString accounts = SC::filePath(SC::File::LoginSystemConfig);
    const auto isPrivate = [&](const QString &path) { return !(QFileInfo(path).permissions() & shared); };

    QVERIFY(SC::createDefaultFiles().ok);
    QVERIFY(isPrivate(accounts));
    // Only the accounts file is restricted.
    QVERIFY(!isPrivate(SC::filePath(SC::File::RememberPassword)));

    // Files of earlier versions are fixed at start; a password change keeps it so.
    QVERIFY(QFile::setPermissions(accounts, worldReadable));
    QVERIFY(SC::createDefaultFiles().ok);
    QVERIFY(isPrivate(accounts));
    QVERIFY(SC::write(SC::Keys::AdminPassword, CommonlyUsed::Encode_Password(QStringLiteral("ab~"))));
    QVERIFY(isPrivate(accounts));

    // Written anew after damage: the new file and the copy set aside.
    QFile damaged(accounts);
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("[AdminLoginInformation]\nAdminName=admin\nPassword=<8>759\n[UserLogin");
    damaged.close();
    QVERIFY(QFile::setPermissions(accounts, worldReadable));
    QVERIFY(SC::write(SC::Keys::AccountType, QStringLiteral("User")));
    QVERIFY(isPrivate(accounts));
    const QStringList aside = QDir(SC::loginSystemDir()).entryList({QStringLiteral("LoginSystemConfig.ini.corrupt-*")});
    QCOMPARE(aside.size(), 1);
    QVERIFY(isPrivate(QDir(SC::loginSystemDir()).filePath(aside.first())));
    QCOMPARE(SC::readString(SC::Keys::AdminName), QStringLiteral("admin"));
}

void TestAppSettings::namesRoundTrip()
{
    const QStringList inputs{QStringLiteral("蓝光机"), QString(), QStringLiteral("PC 2")};
    const QStringList outputs{QStringLiteral("Projector")};
    const QStringList scenes{QStringLiteral("会议")};
    QVERIFY(SC::saveAllNames(inputs, outputs));
    QCOMPARE(SC::loadNames(SC::NameKind::Input, 4), inputs + QStringList{QString()});
    QCOMPARE(SC::loadNames(SC::NameKind::Output, 1), outputs);
    QCOMPARE(SC::loadNames(SC::NameKind::Scene, 1), QStringList{QString()});
    QVERIFY(SC::saveAllNames(inputs, outputs, &scenes));
    QCOMPARE(SC::loadNames(SC::NameKind::Scene, 1), scenes);
    QSettings raw(SC::filePath(SC::File::SignalSwitching), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("toolButton_HDMI/toolButton_value2")).toString(), QStringLiteral("PC 2"));
    QCOMPARE(raw.value(QStringLiteral("pushButton_OutPutHDMI/OutPutHDMI_value0")).toString(), QStringLiteral("Projector"));
    QCOMPARE(raw.value(QStringLiteral("pushButton_scene/pushButton_scene_value0")).toString(), QStringLiteral("会议"));
}

void TestAppSettings::arraysRoundTrip()
{
    const QStringList long_{QStringLiteral("开机"), QStringLiteral("关机"), QStringLiteral("静音")};
    QVERIFY(SC::writeArray(SC::File::CecSetConfig, SC::Cec::TextArray, SC::Cec::TextKey, long_));
    QVERIFY(SC::writeArray(SC::File::CecSetConfig, SC::Cec::OrderArray, SC::Cec::OrderKey, {QStringLiteral("(cec,on)")}));
    QCOMPARE(SC::readArray(SC::File::CecSetConfig, SC::Cec::TextArray, SC::Cec::TextKey, 16), long_);
    QVERIFY(SC::writeArray(SC::File::CecSetConfig, SC::Cec::TextArray, SC::Cec::TextKey, long_.mid(0, 1)));
    QCOMPARE(SC::readArray(SC::File::CecSetConfig, SC::Cec::TextArray, SC::Cec::TextKey, 16), long_.mid(0, 1));
    QSettings raw(SC::filePath(SC::File::CecSetConfig), QSettings::IniFormat);
    QCOMPARE(raw.value(QStringLiteral("CECTORDER/1/Order")).toString(), QStringLiteral("(cec,on)"));
    QCOMPARE(raw.value(QStringLiteral("CECTEXT/size")).toInt(), 1);
    QVERIFY(!raw.contains(QStringLiteral("CECTEXT/2/Text")));
}

void TestAppSettings::edidNamesBelowApplicationDirectory()
{
    const QString work = m_dir->filePath(QStringLiteral("work"));
    QVERIFY(QDir().mkpath(work + QStringLiteral("/ConfigurationFile/LoginSystem")));
    const QString legacy = work + QStringLiteral("/ConfigurationFile/LoginSystem/edidSetting.ini");
    {
        QSettings old(legacy, QSettings::IniFormat);
        old.setValue(QStringLiteral("EDIDSET/EDID1"), QStringLiteral("old one"));
        old.setValue(QStringLiteral("EDIDSET/EDID2"), QStringLiteral("old two"));
    }
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(work));
    const QString first = SC::readEdidName(1);
    const bool written = SC::writeEdidName(2, QStringLiteral("new two"));
    QVERIFY(QDir::setCurrent(previous));
    QCOMPARE(first, QStringLiteral("old one"));
    QVERIFY(written);
    QCOMPARE(SC::edidSettingsPath(), CommonlyUsed::applicationDir() + QStringLiteral("/ConfigurationFile/LoginSystem/edidSetting.ini"));
    // Read from elsewhere now: the names live below the application directory.
    QCOMPARE(SC::readEdidName(1), QStringLiteral("old one"));
    QCOMPARE(SC::readEdidName(2), QStringLiteral("new two"));
    QCOMPARE(QSettings(legacy, QSettings::IniFormat).value(QStringLiteral("EDIDSET/EDID2")).toString(),
             QStringLiteral("old two"));
}

void TestAppSettings::factoryResetValues()
{
    QVERIFY(SC::write(SC::Keys::BaudRate, QStringLiteral("9600")));
    QVERIFY(SC::writeFactoryResetValues(QStringLiteral("192.168.0.5"), QStringLiteral("4001"), QStringLiteral("AA:BB")));
    QCOMPARE(SC::readString(SC::Keys::BaudRate), QStringLiteral("115200"));
    QCOMPARE(SC::readString(SC::Keys::DeviceIp), QStringLiteral("192.168.0.178"));
    QCOMPARE(SC::readString(SC::Keys::LocalIp), QStringLiteral("192.168.0.5"));
    QCOMPARE(SC::readString(SC::Keys::TcpPort), QStringLiteral("4001"));
    QCOMPARE(SC::readString(SC::Keys::ModuleMac), QStringLiteral("AA:BB"));
}

void TestAppSettings::languageSelection_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("deviceType");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("file");
    QTest::newRow("en_US") << QStringLiteral("en_US") << 0 << 1 << QStringLiteral(":/qm/Trivane.qm");
    QTest::newRow("en_US, Orvex-T") << QStringLiteral("en_US") << 3 << 1 << QStringLiteral(":/qm/Orvex_T.qm");
    QTest::newRow("zh_CN") << QStringLiteral("zh_CN") << 0 << 0 << QString();
    QTest::newRow("zh_CN, Orvex-T") << QStringLiteral("zh_CN") << 3 << 0 << QString();
    QTest::newRow("zh_TW") << QStringLiteral("zh_TW") << 3 << 2 << QStringLiteral(":/qm/zh_TW.qm");
    QTest::newRow("German") << QStringLiteral("de_DE") << 0 << 1 << QStringLiteral(":/qm/Trivane.qm");
    QTest::newRow("garbage") << QStringLiteral("\x01 not a locale") << 1 << 1 << QStringLiteral(":/qm/Trivane.qm");
    // The C locale names no country.
    QTest::newRow("empty") << QString() << 0 << 1 << QStringLiteral(":/qm/Trivane.qm");
}

void TestAppSettings::languageSelection()
{
    QFETCH(QString, value);
    QFETCH(int, deviceType);
    QFETCH(int, index);
    QFETCH(QString, file);
    const Platform::LanguageChoice choice = Platform::languageForValue(value, deviceType);
    QCOMPARE(choice.index, index);
    QCOMPARE(choice.translationFile, file);
}

void TestAppSettings::languageValueStore()
{
    const QString store = m_dir->filePath(QStringLiteral("user/Trivane.conf"));
    Platform::setLanguageStoreOverride(store);
    QCOMPARE(Platform::languageValue(), QStringLiteral("zh_TW"));
    QVERIFY(Platform::setLanguageValue(Platform::languageValueForIndex(Platform::English)));
    QCOMPARE(Platform::languageValue(), QStringLiteral("en_US"));
    QCOMPARE(QSettings(store, QSettings::IniFormat).value(QStringLiteral("Language")).toString(), QStringLiteral("en_US"));
    QCOMPARE(Platform::languageValueForIndex(0), QStringLiteral("zh_CN"));
    QCOMPARE(Platform::languageValueForIndex(2), QStringLiteral("zh_TW"));
    QCOMPARE(Platform::languageValueForIndex(7), QString());
}

void TestAppSettings::applyLanguage()
{
    Platform::setLanguageStoreOverride(m_dir->filePath(QStringLiteral("user/Trivane.conf")));
    QVERIFY(Platform::applyStoredLanguage(0)); // no value: Traditional Chinese
    QCOMPARE(CommonlyUsed::getLanguageIndex(), 2);
    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("en_US"), 3)));
    QCOMPARE(CommonlyUsed::getLanguageIndex(), 1);
    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("zh_CN"), 0)));
    QCOMPARE(CommonlyUsed::getLanguageIndex(), 0);
    QVERIFY(!Platform::applyLanguage({1, QStringLiteral(":/qm/missing.qm")}));
    QCOMPARE(CommonlyUsed::getLanguageIndex(), 0);
}

void TestAppSettings::qtTextsFollowLanguage()
{
    const QString qtDir = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    for (const char *name : {Platform::QtTranslationSimplified, Platform::QtTranslationTraditional}) {
        if (!QFile::exists(qtDir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".qm")))
            QSKIP("Qt's Chinese translations are not installed (Debian: qttranslations5-l10n)");
    }
    const auto undo = [] { return QCoreApplication::translate("QLineEdit", "&Undo"); };
    const auto open = [] { return QCoreApplication::translate("QFileDialog", "&Open"); };

    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("zh_CN"), 0)));
    const QString simplified = undo();
    QVERIFY2(simplified != QLatin1String("&Undo"), qPrintable(simplified));
    QVERIFY(open() != QLatin1String("&Open"));

    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("zh_TW"), 0)));
    QVERIFY(undo() != QLatin1String("&Undo"));
    QVERIFY2(undo() != simplified, qPrintable(undo()));

    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("en_US"), 0)));
    QCOMPARE(undo(), QStringLiteral("&Undo"));

    // A missing file leaves Qt's English and the program's language in force.
    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("zh_TW"), 0)));
    Platform::setQtTranslationDirOverride(m_dir->path());
    QVERIFY(Platform::applyLanguage(Platform::languageForValue(QStringLiteral("zh_CN"), 0)));
    QCOMPARE(CommonlyUsed::getLanguageIndex(), int(Platform::SimplifiedChinese));
    QCOMPARE(undo(), QStringLiteral("&Undo"));
    QVERIFY(!Platform::applyQtTranslation(Platform::TraditionalChinese));
}

void TestAppSettings::windowFit_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("fittedMinimum");
    QTest::addColumn<QRect>("geometry");
    QTest::newRow("fits: centred, unchanged")
        << QSize(1000, 600) << QSize(800, 500) << QRect(0, 0, 1920, 1040) << QSize(800, 500) << QRect(460, 220, 1000, 600);
    QTest::newRow("too tall and too wide")
        << QSize(1600, 900) << QSize(1400, 850) << QRect(0, 0, 1366, 728) << QSize(1366, 728) << QRect(0, 0, 1366, 728);
    QTest::newRow("too tall only, offset area")
        << QSize(1000, 900) << QSize(600, 400) << QRect(100, 40, 1820, 800) << QSize(600, 400) << QRect(510, 40, 1000, 800);
}

void TestAppSettings::windowFit()
{
    QFETCH(QSize, size);
    QFETCH(QSize, minimum);
    QFETCH(QRect, available);
    QFETCH(QSize, fittedMinimum);
    QFETCH(QRect, geometry);
    const WindowFit fit = fitWindowToArea(size, minimum, available);
    QCOMPARE(fit.minimumSize, fittedMinimum);
    QCOMPARE(fit.geometry, geometry);
    QVERIFY(available.contains(fit.geometry));
}

QTEST_GUILESS_MAIN(TestAppSettings)
#include "tst_app_settings.moc"
