#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/settingscatalogue.h"
#include "login/connection_settings.h"
#include "netmodule/udpcommunication.h"
#include "resources/trivaneresources.h"
#include "tests/support/net_fakes.h"
#include "tests/support/sim_process.h"

#include <QComboBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QtTest>

namespace SC = SettingsCatalogue;

class tst_ConnectionSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void serialOnlyDeviceType();
    void duplicateModulesRefused();
    void repliesWithoutAddressIgnored();
    void sameSegmentRule_data();
    void sameSegmentRule();
    void emptyDeviceRefused();
    void failedBindReported();
    void baudDetectionOnPty();
    void portListRefresh();

private:
    Connection_Settings *makeDialog(int deviceType);
    // No close sequence starts: the dialog is still shown after it would have ended.
    bool staysOpen()
    {
        QSignalSpy finished(m_dialog.data(), &QDialog::finished);
        return !finished.wait(Connection_Settings::CloseAnimationMs + 300) && m_dialog && m_dialog->isVisible();
    }
    template <typename T> T *child(const char *name)
    {
        T *widget = m_dialog->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("missing widget %s", name);
        return widget;
    }
    static QStringList items(QComboBox *combo)
    {
        QStringList list;
        for (int i = 0; i < combo->count(); ++i)
            list << combo->itemText(i);
        return list;
    }

    QScopedPointer<QTemporaryDir> m_dir;
    QScopedPointer<NetFakeDiscovery> m_discovery;
    QPointer<Connection_Settings> m_dialog;
};

void tst_ConnectionSettings::initTestCase()
{
    // Everything stays on loopback: local list 127.0.0.1, search to 127.0.0.1.
    qputenv("TRIVANE_LAB", "1");
    Trivane::initResources();
}

void tst_ConnectionSettings::init()
{
    m_dir.reset(new QTemporaryDir);
    CommonlyUsed::setApplicationDirOverride(m_dir->path());
    Platform::setLanguageStoreOverride(m_dir->filePath(QStringLiteral("language.ini")));
    Platform::setLanguageValue(QStringLiteral("zh_CN"));
    Platform::applyStoredLanguage(0);
    SC::createDefaultFiles();

    m_discovery.reset(new NetFakeDiscovery);
    m_discovery->start();
    QTRY_VERIFY(m_discovery->port() != 0);
    UdpCommunication *channel = UdpCommunication::getInstance();
    channel->setLocalPort(0);
    channel->setDestinationPort(m_discovery->port());
    Connection_Settings::setPortLister({});
}

void tst_ConnectionSettings::cleanup()
{
    delete m_dialog;
    m_discovery.reset();
    UdpCommunication::getInstance()->udpClose();
}

Connection_Settings *tst_ConnectionSettings::makeDialog(int deviceType)
{
    CommonlyUsed::ver_minor = deviceType;
    m_dialog = new Connection_Settings();
    m_dialog->Get_SetDefaults(QString(), QString(), QString(), QString());
    return m_dialog;
}

void tst_ConnectionSettings::serialOnlyDeviceType()
{
    Connection_Settings::setPortLister([] { return QList<LoginRules::PortDescription>{{"ttyFAKE0", "Fake port"}}; });
    makeDialog(0);
    QCOMPARE(child<QComboBox>("comboBox")->count(), 1);
    QCOMPARE(child<QStackedWidget>("stackedWidget")->currentIndex(), 1);
    QSignalSpy serial(m_dialog.data(), &Connection_Settings::Send_IsSerialPortConnection_Successful);
    QTRY_COMPARE(child<QComboBox>("comboBox_SerialPort")->count(), 1);
    QTest::keyClick(m_dialog.data(), Qt::Key_Return);
    QCOMPARE(serial.count(), 1);
    QCOMPARE(serial.first().at(0).toString(), QStringLiteral("ttyFAKE0"));
    QCOMPARE(serial.first().at(1).toString(), QStringLiteral("115200"));
    // Nothing was found to have answered: no empty baud item appeared.
    QVERIFY(!items(child<QComboBox>("comboBox_BaudRate")).contains(QString()));
}

void tst_ConnectionSettings::duplicateModulesRefused()
{
    const QByteArray mac = QByteArray::fromHex("0011223344aa");
    const QByteArray ip = QByteArray::fromHex("7f000001");
    m_discovery->setReplies({netModuleReply(mac, ip, "A", 1), netModuleReply(mac, ip, "B", 1)});
    makeDialog(1);
    m_dialog->show();
    auto *devices = child<QComboBox>("comboBox_desIP");
    QTRY_COMPARE(items(devices), (QStringList{"127.0.0.1", "127.0.0.1"}));
    QSignalSpy tcp(m_dialog.data(), &Connection_Settings::Send_IsTCPConnection_Successful);
    child<QPushButton>("pushButton_Login")->click();
    QCOMPARE(m_dialog->lastToastText(), QStringLiteral("IP重复，请修改！"));
    QCOMPARE(tcp.count(), 0);
    QVERIFY(staysOpen());
}

void tst_ConnectionSettings::repliesWithoutAddressIgnored()
{
    const QByteArray full = netModuleReply(QByteArray::fromHex("0011223344aa"), QByteArray::fromHex("7f000001"), "A", 1);
    m_discovery->setReplies({full.left(20), full.left(20), full.left(33), full});
    makeDialog(1);
    auto *devices = child<QComboBox>("comboBox_desIP");
    QTRY_COMPARE(items(devices), QStringList{"127.0.0.1"});
    QSignalSpy tcp(m_dialog.data(), &Connection_Settings::Send_IsTCPConnection_Successful);
    child<QPushButton>("pushButton_Login")->click();
    QCOMPARE(m_dialog->lastToastText(), QString());
    QCOMPARE(tcp.count(), 1);
}

void tst_ConnectionSettings::sameSegmentRule_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("local");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("only the third number counts") << "192.168.1.10" << "10.0.1.5" << true;
    QTest::newRow("different third number") << "192.168.0.178" << "192.168.1.20" << false;
    QTest::newRow("leading zeros") << "192.168.001.50" << "192.168.1.20" << true;
}

void tst_ConnectionSettings::sameSegmentRule()
{
    QFETCH(QString, device);
    QFETCH(QString, local);
    QFETCH(bool, accepted);
    const QStringList parts = device.split('.');
    QByteArray ip;
    for (const QString &part : parts)
        ip.append(char(part.toInt()));
    m_discovery->setReplies({netModuleReply(QByteArray::fromHex("0011223344aa"), ip, "M", 1)});
    makeDialog(1);
    auto *devices = child<QComboBox>("comboBox_desIP");
    QTRY_COMPARE(devices->count(), 1);
    // The reply carries numbers; put the operator's spelling in its place.
    devices->setItemText(0, device);
    auto *locals = child<QComboBox>("comboBox_LocalIp");
    locals->addItem(local);
    locals->setCurrentText(local);

    QSignalSpy tcp(m_dialog.data(), &Connection_Settings::Send_IsTCPConnection_Successful);
    child<QPushButton>("pushButton_Login")->click();
    QCOMPARE(tcp.count(), accepted ? 1 : 0);
    if (accepted) {
        QCOMPARE(tcp.first(), (QVariantList{device, local, QStringLiteral("4001")}));
        QTRY_VERIFY(m_dialog.isNull() || !m_dialog->isVisible());
    } else {
        QCOMPARE(m_dialog->lastToastText(), QStringLiteral("请选择相同网段IP!"));
    }
}

void tst_ConnectionSettings::emptyDeviceRefused()
{
    m_discovery->setReplies({});
    makeDialog(1);
    child<QComboBox>("comboBox_LocalIp")->clear();
    QSignalSpy tcp(m_dialog.data(), &Connection_Settings::Send_IsTCPConnection_Successful);
    child<QPushButton>("pushButton_Login")->click();
    QCOMPARE(tcp.count(), 0);
    QVERIFY(!m_dialog->lastToastText().isEmpty());
    QVERIFY(!m_dialog.isNull());
}

void tst_ConnectionSettings::failedBindReported()
{
    // Nobody can bind an address this machine does not have.
    CommonlyUsed::ver_minor = 1;
    m_dialog = new Connection_Settings();
    m_dialog->Get_SetDefaults(QString(), QString(), QString(), QString());
    // The opening search on 127.0.0.1 went out; wait for it to arrive.
    QTRY_COMPARE(m_discovery->received().size(), 1);
    auto *locals = child<QComboBox>("comboBox_LocalIp");
    locals->addItem(QStringLiteral("192.0.2.77"));
    locals->setCurrentText(QStringLiteral("192.0.2.77"));
    const int before = m_discovery->received().size();
    QMetaObject::invokeMethod(m_dialog.data(), "on_comboBox_activated", Q_ARG(int, 0));
    QCOMPARE(m_dialog->lastToastText(), QStringLiteral("数据接收失败!"));
    QTest::qWait(100);
    QCOMPARE(m_discovery->received().size(), before);
}

void tst_ConnectionSettings::baudDetectionOnPty()
{
    SimProcess sim;
    QVERIFY2(sim.start({"--pty", sim.suggestedPtyPath(), "--baud", "38400"}), qPrintable(sim.errorText()));
    const QString pty = sim.ptyPath();
    Connection_Settings::setPortLister([pty] { return QList<LoginRules::PortDescription>{{pty, "Simulator"}}; });

    makeDialog(0);
    auto *bauds = child<QComboBox>("comboBox_BaudRate");
    bauds->addItem(QString()); // left over from a failed detection
    QTRY_COMPARE(child<QComboBox>("comboBox_SerialPort")->count(), 1);
    QVERIFY(m_dialog->InitBaudRateData());
    QCOMPARE(bauds->currentText(), QStringLiteral("38400"));
    QCOMPARE(bauds->count(), 5);
    QCOMPARE(m_dialog->lastToastText(), QStringLiteral("波特率正确！"));

    // A second detection starts from nothing and finds the same rate again.
    QVERIFY(m_dialog->InitBaudRateData());
    QCOMPARE(bauds->currentText(), QStringLiteral("38400"));
}

void tst_ConnectionSettings::portListRefresh()
{
    QList<LoginRules::PortDescription> ports{{"ttyA", "First"}, {"ttyB", "Second"}, {"ttyC", ""}};
    Connection_Settings::setPortLister([&ports] { return ports; });
    makeDialog(1);
    auto *combo = child<QComboBox>("comboBox_SerialPort");
    // Ports without a description are left out.
    QTRY_COMPARE(items(combo), (QStringList{"ttyA First", "ttyB Second"}));
    combo->setCurrentIndex(1);

    // An unchanged list is left alone: no rebuild, no selection change.
    QSignalSpy changed(combo, QOverload<int>::of(&QComboBox::currentIndexChanged));
    m_dialog->showValidPort();
    QCOMPARE(changed.count(), 0);

    // A new port rebuilds the list and keeps the chosen port.
    ports.prepend({"ttyZ", "New"});
    m_dialog->showValidPort();
    QCOMPARE(items(combo), (QStringList{"ttyZ New", "ttyA First", "ttyB Second"}));
    QCOMPARE(combo->currentText(), QStringLiteral("ttyB Second"));

    // The chosen port vanishes: the first entry is selected.
    ports.removeLast();
    ports.removeLast();
    m_dialog->showValidPort();
    QCOMPARE(items(combo), (QStringList{"ttyZ New", "ttyA First"}));
    QCOMPARE(combo->currentIndex(), 0);

    ports.clear();
    m_dialog->showValidPort();
    QCOMPARE(combo->count(), 0);
}

QTEST_MAIN(tst_ConnectionSettings)
#include "tst_connection_settings.moc"
