// The network and RS-232 sub-page of the system settings over TCP against the
// simulator: what opening it reads, the checks of the network fields, the
// question for an address outside this computer's networks, a change the
// device takes (it moves to the new loopback address and the program
// follows), and a rate change over TCP that is confirmed once.
#include "pages_harness.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "app/settingscatalogue.h"
#include "mainwindow/system/networksettingspage.h"

namespace {
constexpr int SystemSettingsPage = 6;
constexpr int NetworkReconnectMs = 200;
constexpr int DeviceMovedWithinMs = 8000;

const QString AskText = QStringLiteral("电脑中不包含该网段，修改后可能无法通信,是否确认修改?");
} // namespace

class TestSystemNetwork : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void openingReadsRatesAndAddress();
    void fieldsAreCheckedInOrder_data();
    void fieldsAreCheckedInOrder();
    void addressOutsideLocalNetworksAsks();
    void tcpRateChangeIsConfirmedOnce();
    void addressInsideLocalNetworkIsSentAtOnce(); // last: the device moves to 127.0.0.2

private:
    MainWindow *window() const { return h.window(); }
    NetworkSettingsPage *page() const { return window()->networkSettingsPage(); }
    template <typename T> T *child(const char *name) const
    {
        return page()->findChild<T *>(QLatin1String(name));
    }
    void click(const char *name) { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    // Requests the device received that start with `prefix`.
    QStringList sent(const QString &prefix)
    {
        QStringList matching;
        for (const QString &request : h.sim().history()) {
            if (request.startsWith(prefix))
                matching << request;
        }
        return matching;
    }
    // Whatever was sent before has reached the device and been answered.
    void syncWithDevice()
    {
        QString answer;
        QVERIFY(window()->sendDataDevice(QStringLiteral("(info,link)"), answer));
    }
    void fillNetwork(const QString &ip, const QString &mask, const QString &gateway)
    {
        child<QLineEdit>("lineEdit_IPAddress")->setText(ip);
        child<QLineEdit>("lineEdit_SubnetMask")->setText(mask);
        child<QLineEdit>("lineEdit_DefaultGateway")->setText(gateway);
    }

    PagesHarness h;
    QStringList m_questions;
    bool m_answerYes = false;
};

void TestSystemNetwork::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(h.error()));
    QVERIFY(page());
    DispatchTimings timings = window()->dispatcher()->timings();
    timings.networkReconnectMs = NetworkReconnectMs;
    window()->dispatcher()->setTimings(timings);
    window()->questionHook = [this](const QString &question) {
        m_questions << question;
        return m_answerYes;
    };
}

void TestSystemNetwork::init()
{
    m_questions.clear();
    m_answerYes = false;
    // This computer: the whole loopback network.
    page()->localAddressesHook = [] { return QList<LocalAddress> { { QStringLiteral("127.0.0.1"), 8 } }; };
    control(QStringLiteral("history clear"));
}

void TestSystemNetwork::openingReadsRatesAndAddress()
{
    control(QStringLiteral("set baud 38400"));
    control(QStringLiteral("set netcfg 127.0.0.1 255.255.0.0 127.0.0.254"));
    window()->inBaudSetting = window()->outBaudSetting = window()->netcfgSetting = true;

    window()->on_pushButton_SystemSettings_clicked();
    QTRY_COMPARE(window()->currentPage, SystemSettingsPage);
    control(QStringLiteral("history clear"));
    window()->on_pushButton_IPSettings_clicked();

    QCOMPARE(h.sim().history(), (QStringList { "(get,i.baud)", "(get,o.baud)", "(get,netcfg)" }));
    QCOMPARE(child<QComboBox>("comboBox_Input_baudRate")->currentText(), QStringLiteral("38400"));
    QCOMPARE(child<QComboBox>("comboBox_Output_baudRate")->currentText(), QStringLiteral("115200"));
    QCOMPARE(child<QLineEdit>("lineEdit_IPAddress")->text(), QStringLiteral("127.0.0.1"));
    QCOMPARE(child<QLineEdit>("lineEdit_SubnetMask")->text(), QStringLiteral("255.255.0.0"));
    QCOMPARE(child<QLineEdit>("lineEdit_DefaultGateway")->text(), QStringLiteral("127.0.0.254"));
    QVERIFY(!window()->inBaudSetting && !window()->outBaudSetting && !window()->netcfgSetting);
    // Reading the address is not a confirmed change: nothing stored.
    QVERIFY(!SettingsCatalogue::fileExists(SettingsCatalogue::File::TcpConfig));
    QCOMPARE(child<QComboBox>("comboBox_Input_baudRate")->count(), 5);
}

void TestSystemNetwork::fieldsAreCheckedInOrder_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QString>("toast");
    const QString mask = QStringLiteral("255.0.0.0");
    const QString gw = QStringLiteral("127.0.0.1");
    QTest::newRow("all empty") << ""
                               << ""
                               << ""
                               << "IP地址不能为空！";
    QTest::newRow("blank address") << "   " << mask << gw << "IP地址不能为空！";
    QTest::newRow("gateway before mask") << "127.0.0.9"
                                         << ""
                                         << ""
                                         << "默认网关不能为空！";
    QTest::newRow("mask empty") << "127.0.0.9"
                                << "" << gw << "子网掩码不能为空！";
    QTest::newRow("emptiness before form") << "127.0.0.300"
                                           << "" << gw << "子网掩码不能为空！";
    QTest::newRow("last number 300") << "127.0.0.300" << mask << gw << "IP地址格式错误！";
    QTest::newRow("address before gateway") << "127.0.0" << mask << "127.0.0"
                                            << "IP地址格式错误！";
    QTest::newRow("gateway malformed") << "127.0.0.9" << mask << "127.0.0.1.1"
                                       << "默认网关格式错误！";
    QTest::newRow("gateway before mask form") << "127.0.0.9"
                                              << "255.0.0"
                                              << "127.0.0.1.1"
                                              << "默认网关格式错误！";
    QTest::newRow("mask malformed") << "127.0.0.9"
                                    << "255.0.0" << gw << "子网掩码格式错误！";
    QTest::newRow("mask with holes") << "127.0.0.9"
                                     << "255.0.255.0" << gw << "子网掩码格式错误！";
}

void TestSystemNetwork::fieldsAreCheckedInOrder()
{
    QFETCH(QString, ip);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QString, toast);
    fillNetwork(ip, mask, gateway);
    click("pushButton_Save_IP_settings");
    QCOMPARE(window()->lastToast(), toast);
    QVERIFY(m_questions.isEmpty());
    QVERIFY(!window()->netcfgSetting);
    syncWithDevice();
    QVERIFY(sent(QStringLiteral("(set,netcfg")).isEmpty());
}

void TestSystemNetwork::addressOutsideLocalNetworksAsks()
{
    window()->heartbeatTimer->start(MainWindow::HeartbeatPeriodMs);
    fillNetwork(
        QStringLiteral("192.168.5.10"), QStringLiteral("255.255.255.0"), QStringLiteral("192.168.5.1"));
    bool heartbeatStoppedWhileAsking = false;
    window()->questionHook = [this, &heartbeatStoppedWhileAsking](const QString &question) {
        m_questions << question;
        heartbeatStoppedWhileAsking = !window()->heartbeatTimer->isActive();
        return false;
    };
    click("pushButton_Save_IP_settings");
    window()->questionHook = [this](const QString &question) {
        m_questions << question;
        return m_answerYes;
    };

    QCOMPARE(m_questions, QStringList { AskText });
    QVERIFY(heartbeatStoppedWhileAsking);
    QVERIFY(window()->heartbeatTimer->isActive());
    QCOMPARE(window()->heartbeatTimer->interval(), MainWindow::HeartbeatPeriodMs);
    // Declined: nothing went out and no answer can be taken for a change.
    QVERIFY(!window()->netcfgSetting);
    syncWithDevice();
    QVERIFY(sent(QStringLiteral("(set,netcfg")).isEmpty());
    window()->heartbeatTimer->stop();
}

void TestSystemNetwork::tcpRateChangeIsConfirmedOnce()
{
    auto *input = child<QComboBox>("comboBox_Input_baudRate");
    input->setCurrentText(QStringLiteral("115200"));
    click("pushButton_set_input");
    QTRY_COMPARE(window()->lastToast(), QStringLiteral("输入波特率设置成功！"));
    QCOMPARE(sent(QStringLiteral("(")), (QStringList { "(get,o.baud)", "(set,i.baud,5)" }));
    QCOMPARE(h.sim().state().value(QStringLiteral("inbaud")), QStringLiteral("115200"));
    QVERIFY(!window()->inBaudSetting);
    QVERIFY(child<QPushButton>("pushButton_set_input")->isEnabled());

    // A later query only shows the rate: no second "set succeeded".
    window()->showToast(QStringLiteral("marker"), QString::fromLatin1(Protocol::SuccessStyle));
    control(QStringLiteral("set baud 57600"));
    click("pushButton_query_input");
    QTRY_COMPARE(input->currentText(), QStringLiteral("57600"));
    QCOMPARE(window()->lastToast(), QStringLiteral("marker"));
}

void TestSystemNetwork::addressInsideLocalNetworkIsSentAtOnce()
{
    // Written with leading zeros; the device and the files get plain numbers.
    fillNetwork(QStringLiteral(" 127.0.0.002 "), QStringLiteral("255.0.0.0"), QStringLiteral("127.0.0.1"));
    click("pushButton_Save_IP_settings");
    QVERIFY(m_questions.isEmpty());
    QCOMPARE(window()->lastToast(), QStringLiteral("网口参数修改成功,模块重启中!"));
    QCOMPARE(child<QLineEdit>("lineEdit_IPAddress")->text(), QStringLiteral("127.0.0.2"));
    QVERIFY(!window()->netcfgSetting);
    QCOMPARE(SettingsCatalogue::readString(SettingsCatalogue::Keys::DeviceIp), QStringLiteral("127.0.0.2"));

    // The device restarted its module at the new address; the program follows.
    QTRY_COMPARE_WITH_TIMEOUT(window()->deviceIp, QStringLiteral("127.0.0.2"), DeviceMovedWithinMs);
    QTRY_VERIFY_WITH_TIMEOUT(window()->deviceLink()->channelReady(), DeviceMovedWithinMs);
    QCOMPARE(h.sim().state().value(QStringLiteral("listen")),
        QStringLiteral("127.0.0.2:%1").arg(h.sim().tcpPort()));
    QCOMPARE(
        sent(QStringLiteral("(set,netcfg")), QStringList { "(set,netcfg,127.0.0.2,255.0.0.0,127.0.0.1)" });
    window()->heartbeatTimer->stop();

    // The change was confirmed once: a later network answer stores nothing.
    QVERIFY(QFile::remove(SettingsCatalogue::filePath(SettingsCatalogue::File::TcpConfig)));
    window()->sendData(QStringLiteral("(get,netcfg)"));
    syncWithDevice();
    QTest::qWait(300);
    QVERIFY(!SettingsCatalogue::fileExists(SettingsCatalogue::File::TcpConfig));
}

QTEST_MAIN(TestSystemNetwork)
#include "tst_system_network.moc"
