#include "app/commonlyused.h"
#include "app/labsettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/resource.h>

namespace {

qint64 cpuTimeMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
}

} // namespace

class TestAppHelpers : public QObject
{
    Q_OBJECT
private slots:
    void byteArrayToAscii_data();
    void byteArrayToAscii();
    void intToHex_data();
    void intToHex();
    void hexToBytes_data();
    void hexToBytes();
    void hexToIntAndStringToHex();
    void checkIp_data();
    void checkIp();
    void normalizeIp_data();
    void normalizeIp();
    void passwordRoundTrip_data();
    void passwordRoundTrip();
    void passwordStoredFormUnchanged_data();
    void passwordStoredFormUnchanged();
    void localIPv4Filter();
    void labSettings();
    void applicationDir();
    void makePathAndFolders();
    void delayKeepsEventsWithoutSpinning();
};

void TestAppHelpers::byteArrayToAscii_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("line end, blank, backslash") << QByteArray("(\r\n \\") << QStringLiteral("(\\CR\\LF\\x20\\x5C");
    QTest::newRow("first and last control") << QByteArray("\x00\x1f", 2) << QStringLiteral("\\NUL\\US");
    QTest::newRow("delete and high bytes") << QByteArray("\x7f\x80\xff") << QStringLiteral("\\x7F\\x80\\xFF");
    QTest::newRow("leading blank kept") << QByteArray(" A~") << QStringLiteral("\\x20A~");
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestAppHelpers::byteArrayToAscii()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(CommonlyUsed::ByteArray_To_AsciiString(bytes), text);
}

void TestAppHelpers::intToHex_data()
{
    QTest::addColumn<qint64>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("hex");
    QTest::newRow("padded") << qint64(255) << 4 << QStringLiteral("00FF");
    QTest::newRow("cut to last digits") << qint64(0x1234) << 2 << QStringLiteral("34");
    QTest::newRow("zero") << qint64(0) << 2 << QStringLiteral("00");
    QTest::newRow("negative as two's complement") << qint64(-1) << 4 << QStringLiteral("FFFF");
    QTest::newRow("no width") << qint64(5) << 0 << QString();
}

void TestAppHelpers::intToHex()
{
    QFETCH(qint64, value);
    QFETCH(int, width);
    QFETCH(QString, hex);
    QCOMPARE(CommonlyUsed::Int_To_HexString(value, width), hex);
}

void TestAppHelpers::hexToBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("mixed case") << QStringLiteral("0a1B") << QByteArray("\x0a\x1b");
    QTest::newRow("blanks between pairs") << QStringLiteral(" 0A  1B ") << QByteArray("\x0a\x1b");
    QTest::newRow("odd length drops the last digit") << QStringLiteral("0A1") << QByteArray("\x0a");
    QTest::newRow("non-hex pair ends") << QStringLiteral("0AZZ1B") << QByteArray("\x0a");
    QTest::newRow("blank inside a pair ends") << QStringLiteral("0 A1B") << QByteArray();
    QTest::newRow("non-ASCII") << QStringLiteral("中文") << QByteArray();
}

void TestAppHelpers::hexToBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(CommonlyUsed::HexString_To_ByteArray(text), bytes);
}

void TestAppHelpers::hexToIntAndStringToHex()
{
    QCOMPARE(CommonlyUsed::HexString_To_Int(QStringLiteral("01 02")), qint64(0x0102));
    QCOMPARE(CommonlyUsed::HexString_To_Int(QStringLiteral("FFFF")), qint64(0xFFFF));
    QCOMPARE(CommonlyUsed::HexString_To_Int(QStringLiteral("F")), qint64(0));
    QCOMPARE(CommonlyUsed::String_To_HexString(QStringLiteral("(a")), QStringLiteral("28 61 "));
    QCOMPARE(CommonlyUsed::String_To_HexString(QString(QChar(0xE9))), QStringLiteral("E9 "));
}

void TestAppHelpers::checkIp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("plain") << QStringLiteral("192.168.1.1") << true;
    QTest::newRow("limits") << QStringLiteral("255.255.255.255") << true;
    QTest::newRow("leading zeros") << QStringLiteral("010.0.0.1") << true;
    QTest::newRow("octet too big") << QStringLiteral("192.168.1.300") << false;
    QTest::newRow("five parts") << QStringLiteral("1.2.3.4.5") << false;
    QTest::newRow("trailing line feed") << QStringLiteral("1.2.3.4\n") << false;
    QTest::newRow("leading blank") << QStringLiteral(" 1.2.3.4") << false;
    QTest::newRow("three parts") << QStringLiteral("1.2.3") << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("Arabic-Indic digits") << QStringLiteral("١.٢.٣.٤") << false;
}

void TestAppHelpers::checkIp()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(CommonlyUsed::Check_IP_Address(text), valid);
}

void TestAppHelpers::normalizeIp_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("normal");
    QTest::newRow("octal-looking") << QStringLiteral("010.0.0.1") << QStringLiteral("10.0.0.1");
    QTest::newRow("zeros everywhere") << QStringLiteral("192.168.001.020") << QStringLiteral("192.168.1.20");
    QTest::newRow("already plain") << QStringLiteral("127.0.0.1") << QStringLiteral("127.0.0.1");
    QTest::newRow("invalid") << QStringLiteral("1.2.3.4.5") << QString();
}

void TestAppHelpers::normalizeIp()
{
    QFETCH(QString, text);
    QFETCH(QString, normal);
    QCOMPARE(CommonlyUsed::Normalize_IP_Address(text), normal);
    // What is bound, connected to or stored: the plain address, or the text
    // itself when it is no address.
    QCOMPARE(CommonlyUsed::Plain_IP_Address(text), normal.isEmpty() ? text : normal);
}

void TestAppHelpers::passwordRoundTrip_data()
{
    QTest::addColumn<QString>("plain");
    QTest::newRow("digits") << QStringLiteral("739204");
    QTest::newRow("tilde") << QStringLiteral("ab~");
    QTest::newRow("high ASCII") << QStringLiteral("{|}~");
    QTest::newRow("Chinese") << QStringLiteral("管理员密码中文");
    QTest::newRow("Latin") << QStringLiteral("éüß");
    QTest::newRow("outside the BMP") << QStringLiteral("x😀y");
    QTest::newRow("control characters") << QStringLiteral("\t\x01");
    QTest::newRow("empty") << QString();
}

void TestAppHelpers::passwordRoundTrip()
{
    QFETCH(QString, plain);
    const QString stored = CommonlyUsed::Encode_Password(plain);
    QCOMPARE(CommonlyUsed::Decode_Password(stored), plain);
    if (!plain.isEmpty())
        QVERIFY(stored != plain);
}

void TestAppHelpers::passwordStoredFormUnchanged_data()
{
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("stored");
    QTest::newRow("admin default") << QStringLiteral("739204") << QStringLiteral("<8>759");
    QTest::newRow("user default") << QStringLiteral("847") << QStringLiteral("=9<");
    QTest::newRow("letters") << QStringLiteral("abz") << QStringLiteral("fg\x7f");
    // Characters whose shifted bytes were valid UTF-8 keep their old form.
    QTest::newRow("e acute") << QStringLiteral("é") << QString::fromUtf8("\xc8\xae");
    QTest::newRow("zhong") << QStringLiteral("中") << QString::fromUtf8("\xe9\xbd\xb2");
}

void TestAppHelpers::passwordStoredFormUnchanged()
{
    QFETCH(QString, plain);
    QFETCH(QString, stored);
    QCOMPARE(CommonlyUsed::Encode_Password(plain), stored);
    QCOMPARE(CommonlyUsed::Decode_Password(stored), plain);
}

void TestAppHelpers::localIPv4Filter()
{
    using Flags = QNetworkInterface::InterfaceFlags;
    const Flags usable = QNetworkInterface::IsUp | QNetworkInterface::IsRunning | QNetworkInterface::CanBroadcast
                         | QNetworkInterface::CanMulticast;
    const QList<CommonlyUsed::InterfaceInfo> interfaces = {
        {usable, {QHostAddress(QStringLiteral("192.168.0.10")), QHostAddress(QStringLiteral("fe80::1"))}},
        {usable | QNetworkInterface::IsLoopBack, {QHostAddress(QStringLiteral("127.0.0.1"))}},
        {usable & ~Flags(QNetworkInterface::IsRunning), {QHostAddress(QStringLiteral("10.0.0.2"))}},
        {usable & ~Flags(QNetworkInterface::CanBroadcast), {QHostAddress(QStringLiteral("10.0.0.3"))}},
        {usable & ~Flags(QNetworkInterface::IsUp), {QHostAddress(QStringLiteral("10.0.0.4"))}},
        {usable, {QHostAddress(QStringLiteral("172.16.0.5"))}},
    };
    QCOMPARE(CommonlyUsed::Select_Local_IPv4_Addresses(interfaces),
             QStringList({QStringLiteral("192.168.0.10"), QStringLiteral("172.16.0.5")}));

    qunsetenv("TRIVANE_LAB");
    QVERIFY(!CommonlyUsed::Get_Local_IPv4_Addresses().contains(QStringLiteral("127.0.0.1")));
    qputenv("TRIVANE_LAB", "1");
    QCOMPARE(CommonlyUsed::Get_Local_IPv4_Addresses(), QStringList{QStringLiteral("127.0.0.1")});
    qunsetenv("TRIVANE_LAB");
}

void TestAppHelpers::labSettings()
{
    qunsetenv("TRIVANE_LAB");
    QCOMPARE(LabSettings::discoveryDestination(), QHostAddress(QHostAddress::Broadcast));
    QCOMPARE(LabSettings::discoveryPort(), quint16(50000));
    qputenv("TRIVANE_LAB", "1");
    QCOMPARE(LabSettings::discoveryDestination(), QHostAddress(QHostAddress::LocalHost));
    qunsetenv("TRIVANE_LAB");

    qputenv("TRIVANE_DISCOVERY_PORT", "50123");
    QCOMPARE(LabSettings::discoveryPort(), quint16(50123));
    qputenv("TRIVANE_UDP_LOCAL_PORT", "70000");
    QCOMPARE(LabSettings::udpLocalPort(), quint16(60000));
    qputenv("TRIVANE_MODULE_TCP_PORT", "abc");
    QCOMPARE(LabSettings::moduleTcpPort(), quint16(4001));
    qunsetenv("TRIVANE_DISCOVERY_PORT");
    qunsetenv("TRIVANE_UDP_LOCAL_PORT");
    qunsetenv("TRIVANE_MODULE_TCP_PORT");
}

void TestAppHelpers::applicationDir()
{
    QTemporaryDir env, explicitDir;
    qputenv("TRIVANE_APP_DIR", env.path().toUtf8());
    QCOMPARE(CommonlyUsed::applicationDir(), QDir(env.path()).absolutePath());
    CommonlyUsed::setApplicationDirOverride(explicitDir.path());
    QCOMPARE(CommonlyUsed::applicationDir(), QDir(explicitDir.path()).absolutePath());
    CommonlyUsed::setApplicationDirOverride(QString());
    qunsetenv("TRIVANE_APP_DIR");
    QCOMPARE(CommonlyUsed::applicationDir(), QCoreApplication::applicationDirPath());
}

void TestAppHelpers::makePathAndFolders()
{
    QTemporaryDir dir;
    const QString deep = dir.filePath(QStringLiteral("a/b/c"));
    QCOMPARE(CommonlyUsed::Make_Path(deep), deep);
    QVERIFY(QFileInfo(deep).isDir());

    // No "/" at all: must end and create the folder below the working directory.
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    CommonlyUsed::Make_Path(QStringLiteral("bare"));
    QVERIFY(QDir::setCurrent(previous));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("bare"))).isDir());

    QFile file(dir.filePath(QStringLiteral("a/file.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(CommonlyUsed::File_Exists(file.fileName()));
    QVERIFY(!CommonlyUsed::File_Exists(dir.filePath(QStringLiteral("a"))));
    CommonlyUsed::Clear_Folder(dir.filePath(QStringLiteral("a")));
    QVERIFY(!file.exists());
    QVERIFY(QFileInfo(deep).isDir());
}

void TestAppHelpers::delayKeepsEventsWithoutSpinning()
{
    constexpr int WaitMs = 400;
    bool timerRan = false;
    QTimer::singleShot(50, this, [&timerRan]() { timerRan = true; });
    QElapsedTimer clock;
    clock.start();
    const qint64 cpuBefore = cpuTimeMs();
    CommonlyUsed::Delay_MSec(WaitMs);
    const qint64 cpuUsed = cpuTimeMs() - cpuBefore;
    QVERIFY(timerRan);
    QVERIFY2(clock.elapsed() >= WaitMs - 5, qPrintable(QString::number(clock.elapsed())));
    // A polling loop would burn about the whole wait.
    QVERIFY2(cpuUsed < WaitMs / 4, qPrintable(QStringLiteral("cpu %1 ms").arg(cpuUsed)));
}

QTEST_GUILESS_MAIN(TestAppHelpers)
#include "tst_app_helpers.moc"
