// The RS-232 rate of the device's input port changed over that very port:
// the program reopens its serial link at the new rate and proves it with
// "(cer)" before storing it; a device that confirms but keeps its old rate
// leaves the program back on the old rate with a red notice; a device that
// answers at neither rate leaves the link to the reconnect timer at the old
// rate.
#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QtTest>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/networksettingspage.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

namespace {
constexpr int StartRate = 9600;
constexpr int ChangeDoneWithinMs = 15000;
constexpr int LinkFreeTimeoutMs = 3000;
} // namespace

class TestSystemBaud : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void deviceKeepingItsRateFallsBack();
    void silenceAtBothRatesLeavesLinkToReconnect();
    void provenRateIsStored();

private:
    MainWindow *window() const { return m_window; }
    NetworkSettingsPage *page() const { return m_window->networkSettingsPage(); }
    template <typename T> T *child(const char *name) const
    {
        return page()->findChild<T *>(QLatin1String(name));
    }
    void control(const QString &line)
    {
        bool ok = false;
        m_sim.command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + m_sim.errorText()));
    }
    // Changes the input port to `rate` with the page's own controls and
    // waits until the change has ended (the set button is back).
    void changeInputRate(const QString &rate);
    // The device answers "(cer)" on the line as the program runs it now.
    bool answersBanner(int rate)
    {
        QString answer;
        return m_window->sendDataDevice(QStringLiteral("(cer)"), answer)
            && answer.contains(QStringLiteral("Baudrate:%1").arg(rate));
    }

    QTemporaryDir m_appDir;
    SimProcess m_sim;
    MainWindow *m_window = nullptr;
    // When each request left the program, from the serial port's notices.
    QList<qint64> m_writtenAtMs;
    QElapsedTimer m_clock;
};

void TestSystemBaud::initTestCase()
{
    Trivane::initResources();
    QVERIFY(m_appDir.isValid());
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    QVERIFY2(m_sim.start({ QStringLiteral("--pty"), m_sim.suggestedPtyPath(), QStringLiteral("--baud"),
                 QString::number(StartRate), QStringLiteral("--model"), QStringLiteral("4x4") }),
        qPrintable(m_sim.errorText()));

    // The real window over the serial line; nothing but the test talks to
    // the device (no heartbeat).
    m_window = MainWindow::getInstance();
    QObject::disconnect(m_window->deviceLink(), &DeviceLink::Send_HeartbeatDue, m_window, nullptr);
    m_window->replyWaitMs = 1000;
    m_window->resize(1366, 768);
    m_window->show();
    m_window->setPortname(m_sim.ptyPath());
    m_window->setMyBaud_Rate(QString::number(StartRate));
    QVERIFY(m_window->Open_Serial_Port(1));
    QCOMPARE(m_window->connectionType, int(DeviceLink::SerialConnection));

    // The model, as the first heartbeat would apply it.
    QElapsedTimer clock;
    clock.start();
    while (m_window->linkBusy && clock.elapsed() < LinkFreeTimeoutMs)
        QTest::qWait(10);
    QString answer;
    QVERIFY(m_window->sendDataDevice(QStringLiteral("(info,link)"), answer));
    m_window->Data_Processing(answer);
    QVERIFY(m_window->modelApplied);
    QTest::qWait(400);

    m_clock.start();
    connect(m_window->serialPort, &QSerialPort::bytesWritten, this,
        [this] { m_writtenAtMs << m_clock.elapsed(); });
}

void TestSystemBaud::cleanupTestCase()
{
    delete m_window;
    m_window = nullptr;
}

void TestSystemBaud::init()
{
    control(QStringLiteral("history clear"));
    m_writtenAtMs.clear();
}

void TestSystemBaud::changeInputRate(const QString &rate)
{
    child<QComboBox>("comboBox_Input_baudRate")->setCurrentText(rate);
    auto *set = child<QPushButton>("pushButton_set_input");
    QTest::mouseClick(set, Qt::LeftButton);
    QVERIFY(!set->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(set->isEnabled(), ChangeDoneWithinMs);
}

void TestSystemBaud::deviceKeepingItsRateFallsBack()
{
    control(QStringLiteral("fault baudstuck on"));
    changeInputRate(QStringLiteral("115200"));
    control(QStringLiteral("fault baudstuck off"));

    QCOMPARE(window()->lastToast(), QStringLiteral("设备未在新波特率下应答，已恢复为 9600"));
    QCOMPARE(window()->baudRate, QStringLiteral("9600"));
    QCOMPARE(window()->serialPort->baudRate(), StartRate);
    QCOMPARE(child<QComboBox>("comboBox_Input_baudRate")->currentText(), QStringLiteral("9600"));
    QVERIFY(!window()->inBaudSetting);
    // Nothing unproven is stored for the next start.
    QVERIFY(SettingsCatalogue::readString(SettingsCatalogue::Keys::BaudRate).isEmpty());
    // Asked at 115200 (line noise), then at 9600 again.
    const QStringList history = m_sim.history();
    QCOMPARE(history.mid(0, 2), (QStringList { "(get,o.baud)", "(set,i.baud,5)" }));
    QVERIFY2(history.count(QStringLiteral("(cer)")) >= 2, qPrintable(history.join(QLatin1Char(' '))));
    QVERIFY(answersBanner(StartRate));
}

void TestSystemBaud::silenceAtBothRatesLeavesLinkToReconnect()
{
    // Room to silence the device between the reopen and the proof.
    constexpr int LongSettleMs = 1500;
    page()->baudChange()->setTimings(BaudChange::PauseBeforeSetMs, LongSettleMs, BaudChange::ProbeWaitMs);
    window()->reconnectIntervalMs = 300;
    window()->serialReopenWaitMs = 100;
    QStringList statuses;
    const QMetaObject::Connection statusWatch = connect(window(), &MainWindow::Send_StatusShown, this,
        [&statuses](const QString &text) { statuses << text; });

    child<QComboBox>("comboBox_Input_baudRate")->setCurrentText(QStringLiteral("57600"));
    auto *set = child<QPushButton>("pushButton_set_input");
    QTest::mouseClick(set, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(window()->baudRate, QStringLiteral("57600"), ChangeDoneWithinMs);
    control(QStringLiteral("fault silence on"));
    QTRY_VERIFY_WITH_TIMEOUT(set->isEnabled(), ChangeDoneWithinMs);
    control(QStringLiteral("fault silence off"));
    disconnect(statusWatch);
    page()->baudChange()->setTimings(
        BaudChange::PauseBeforeSetMs, BaudChange::SettleMs, BaudChange::ProbeWaitMs);

    QCOMPARE(window()->lastToast(), QStringLiteral("设备在新旧波特率下均无应答，请检查连接！"));
    QVERIFY2(statuses.contains(QStringLiteral(" 连接状态: 已断开（串口）")),
        qPrintable(statuses.join(QLatin1Char('|'))));
    QCOMPARE(window()->baudRate, QStringLiteral("9600"));
    QCOMPARE(child<QComboBox>("comboBox_Input_baudRate")->currentText(), QStringLiteral("9600"));
    QVERIFY(SettingsCatalogue::readString(SettingsCatalogue::Keys::BaudRate).isEmpty());

    // The device is put back on the old rate: the link reopened by the
    // reconnect timer talks again.
    control(QStringLiteral("set baud 9600"));
    QTRY_VERIFY_WITH_TIMEOUT(window()->linkOpen == 1 && window()->serialPort->isOpen(), ChangeDoneWithinMs);
    QCOMPARE(window()->serialPort->baudRate(), StartRate);
    QVERIFY(answersBanner(StartRate));
}

void TestSystemBaud::provenRateIsStored()
{
    changeInputRate(QStringLiteral("115200"));

    QCOMPARE(window()->lastToast(), QStringLiteral("输入波特率设置成功！"));
    QCOMPARE(m_sim.history().mid(0, 3), (QStringList { "(get,o.baud)", "(set,i.baud,5)", "(cer)" }));
    // The set waited its pause after the other port's query.
    QVERIFY(m_writtenAtMs.size() >= 2);
    const qint64 pause = m_writtenAtMs.at(1) - m_writtenAtMs.at(0);
    QVERIFY2(pause >= BaudChange::PauseBeforeSetMs && pause < BaudChange::PauseBeforeSetMs + 400,
        qPrintable(QString::number(pause)));

    QCOMPARE(window()->baudRate, QStringLiteral("115200"));
    QCOMPARE(window()->serialPort->baudRate(), 115200);
    QCOMPARE(SettingsCatalogue::readString(SettingsCatalogue::Keys::BaudRate), QStringLiteral("115200"));
    QCOMPARE(m_sim.state().value(QStringLiteral("inbaud")), QStringLiteral("115200"));
    QVERIFY(!window()->inBaudSetting);
    QVERIFY(answersBanner(115200));
}

QTEST_MAIN(TestSystemBaud)
#include "tst_system_baud.moc"
