// The main window's link against the simulator over TCP loopback and a pty.
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

class TestLinkE2E final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void typedCommandShowsSentAndReceived();
    void chunkedAnswerDispatchedOnce();
    void heartbeatAnswerHiddenOrdinaryShown();
    void standbyFilter_data();
    void standbyFilter();
    void closeHeartbeatSendsNothing();
    void exchangeWaitsForPendingHeartbeat();
    void lossNoticeOnceAndRequeryOnFirstGoodHeartbeat();
    void tcpPeerKilledAndBack();
    void serialPtyLossAndRecovery();

private:
    int requestsMatching(const QString &request);
    // Heartbeat once and wait until its check has run.
    void heartbeatAndCheck();

    QTemporaryDir m_appDir;
    SimProcess m_sim;
    MainWindow *w = nullptr;
    static constexpr int CheckMs = 300;
};

void TestLinkE2E::initTestCase()
{
    Trivane::initResources();
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    QVERIFY2(m_sim.start({"--model", "8x16", "--type", "Orvex-Q"}), qPrintable(m_sim.errorText()));
    w = MainWindow::getInstance();
    // The heartbeat is driven by the tests, not by the clock.
    disconnect(w->deviceLink(), &DeviceLink::Send_HeartbeatDue, w, nullptr);
    w->heartbeatCheckDelayMs = CheckMs;
    w->replyWaitMs = 300;
    w->serialReopenWaitMs = 200;
    w->reconnectIntervalMs = 300;
    w->setIP_Address(QStringLiteral("127.0.0.1"));
    w->setLocalIPAddress(QString());
    w->setPort_Number(QString::number(m_sim.tcpPort()));
    w->Connect_TCP_Server();
    QCOMPARE(w->connectionType, int(DeviceLink::TcpConnection));
    QCOMPARE(w->lastToast(), QStringLiteral("TCP连接成功！"));
}

void TestLinkE2E::init()
{
    QTRY_VERIFY(!w->linkBusy);
    w->standby = false;
    m_sim.command(QStringLiteral("fault clear"));
    m_sim.command(QStringLiteral("history clear"));
}

void TestLinkE2E::cleanupTestCase()
{
    delete w;
}

int TestLinkE2E::requestsMatching(const QString &request)
{
    return m_sim.history().filter(request).size();
}

void TestLinkE2E::heartbeatAndCheck()
{
    QTRY_VERIFY(!w->linkBusy);
    w->onDeviceConnect();
    QTest::qWait(CheckMs + 200);
}

void TestLinkE2E::typedCommandShowsSentAndReceived()
{
    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    line->setText(QStringLiteral("(get,sw)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QTRY_VERIFY(w->consolePlainText().contains(QStringLiteral("out1in")));
    QVERIFY(w->consolePlainText().contains(QStringLiteral("send:")));
    QVERIFY(w->consolePlainText().contains(QStringLiteral("(get,sw)")));
    QCOMPARE(requestsMatching(QStringLiteral("(get,sw)")), 1);
}

void TestLinkE2E::chunkedAnswerDispatchedOnce()
{
    QVERIFY(m_sim.fault(QStringLiteral("split 3,7 40")));
    QSignalSpy replies(w->deviceLink(), &DeviceLink::Send_ReplyComplete);
    QSignalSpy branches(w->dispatcher(), &ReplyDispatcher::branchMatched);
    w->sendData(QStringLiteral("(get,i.baud)"));
    QTRY_COMPARE(replies.count(), 1);
    QTest::qWait(300);
    QCOMPARE(replies.count(), 1);
    QCOMPARE(branches.count(), 1);
    QCOMPARE(branches.first().first().toInt(), int(Protocol::Answer::InputBaudRate));
}

void TestLinkE2E::heartbeatAnswerHiddenOrdinaryShown()
{
    w->findChild<QTextEdit *>(QStringLiteral("textEdit"))->clear();
    // An ordinary answer that lands in the same quiet period as the heartbeat's.
    QVERIFY(m_sim.fault(QStringLiteral("delay 30")));
    w->replyReceived = false;
    w->heartbeatPending = true;
    w->sendData(QStringLiteral("(info,link)"));
    m_sim.command(QStringLiteral("sendtext pleasechooseupdatefile\\r\\n"));
    QTRY_VERIFY(!w->heartbeatPending);
    const QString console = w->consolePlainText();
    QVERIFY2(console.contains(QStringLiteral("pleasechooseupdatefile")), qPrintable(console));
    QVERIFY2(!console.contains(QStringLiteral("ch8x16")), qPrintable(console));
    QVERIFY(!console.contains(QStringLiteral("(info,link)")));
}

void TestLinkE2E::standbyFilter_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("passes");
    QTest::newRow("routing refused") << QStringLiteral("(get,sw)") << false;
    QTest::newRow("device info passes") << QStringLiteral("(info,dev)") << true;
    QTest::newRow("baud query passes") << QStringLiteral("(get,i.baud)") << true;
}

void TestLinkE2E::standbyFilter()
{
    QFETCH(QString, request);
    QFETCH(bool, passes);
    w->standby = true;
    w->sendData(request);
    QString answer;
    const bool exchanged = w->sendDataDevice(request, answer);
    QCOMPARE(exchanged, passes);
    QTRY_VERIFY(!w->linkBusy);
    QCOMPARE(requestsMatching(request), passes ? 2 : 0);
    if (!passes)
        QCOMPARE(w->lastToast(), QStringLiteral("设备处于待机中!"));
    w->standby = false;
}

void TestLinkE2E::closeHeartbeatSendsNothing()
{
    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    line->setText(QStringLiteral("(open,heartbeat)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QVERIFY(w->heartbeatTimer->isActive());
    QCOMPARE(w->heartbeatTimer->interval(), MainWindow::HeartbeatPeriodMs);
    line->setText(QStringLiteral("(close,heartbeat)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QVERIFY(!w->heartbeatTimer->isActive());
    QCOMPARE(w->lastToast(), QStringLiteral("心跳关闭成功!"));
    QTest::qWait(200);
    QVERIFY(m_sim.history().isEmpty());
}

void TestLinkE2E::exchangeWaitsForPendingHeartbeat()
{
    // The heartbeat's answer comes late; the exchange must not take it.
    QVERIFY(m_sim.fault(QStringLiteral("delay 150")));
    w->replyReceived = false;
    w->heartbeatPending = true;
    w->sendData(QStringLiteral("(info,link)"));
    QString answer;
    QVERIFY(w->sendDataDevice(QStringLiteral("(get,i.baud)"), answer));
    QVERIFY2(answer.startsWith(QStringLiteral("inbaudrate")), qPrintable(answer));
    QVERIFY(w->replyReceived);
    QVERIFY(!w->heartbeatPending);
}

void TestLinkE2E::lossNoticeOnceAndRequeryOnFirstGoodHeartbeat()
{
    const int errorsBefore = w->linkErrorCount;
    w->lossNoticeCount = 0;
    QVERIFY(m_sim.fault(QStringLiteral("silence on")));
    heartbeatAndCheck();
    QTRY_COMPARE(w->restoreRefreshCount, 0);
    QVERIFY(!w->heartbeatPending);
    heartbeatAndCheck();
    QCOMPARE(w->linkErrorCount, errorsBefore + 1);
    QCOMPARE(w->lastLinkError(), QStringLiteral("设备连接中断！"));

    QVERIFY(m_sim.fault(QStringLiteral("silence off")));
    const int requeries = w->restoreQueryCount;
    QTRY_VERIFY(!w->linkBusy);
    heartbeatAndCheck();
    QTRY_COMPARE(w->restoreQueryCount, requeries + 1);
    QCOMPARE(w->lossNoticeCount, 0);
    QTRY_VERIFY(requestsMatching(QStringLiteral("(scene,sta,0)")) >= 1);
    heartbeatAndCheck();
    heartbeatAndCheck();
    QCOMPARE(w->restoreQueryCount, requeries + 1);
    QCOMPARE(w->restoreRefreshCount, 2);
}

void TestLinkE2E::tcpPeerKilledAndBack()
{
    m_sim.stop();
    heartbeatAndCheck();
    QTRY_VERIFY(w->tcpRetryCount >= 1);
    QVERIFY(w->statusText.contains(QStringLiteral("重连次数")));
    QVERIFY2(m_sim.restart(), qPrintable(m_sim.errorText()));
    heartbeatAndCheck();
    QTRY_COMPARE(w->tcpRetryCount, 0);
    QCOMPARE(w->statusText, QStringLiteral(" 连接状态: 已连接（TCP）"));
    heartbeatAndCheck();
    QTRY_COMPARE(w->restoreRefreshCount, 1);
}

void TestLinkE2E::serialPtyLossAndRecovery()
{
    SimProcess serialSim;
    QVERIFY2(serialSim.start({"--pty", serialSim.suggestedPtyPath()}), qPrintable(serialSim.errorText()));
    w->setPortname(serialSim.ptyPath());
    w->setMyBaud_Rate(QStringLiteral("115200"));
    QVERIFY(w->Open_Serial_Port(1));
    QCOMPARE(w->deviceLink()->quietIntervalMs(), DeviceLink::SerialQuietMs);
    QString answer;
    QVERIFY(w->sendDataDevice(QStringLiteral("(get,i.baud)"), answer));

    const int errorsBefore = w->linkErrorCount;
    serialSim.command(QStringLiteral("pty down"));
    QTRY_COMPARE_WITH_TIMEOUT(w->linkOpen, 0, 3000);
    QCOMPARE(w->linkErrorCount, errorsBefore + 1);
    QCOMPARE(w->lastLinkError(), QStringLiteral("串口连接中断，请检查串口连接！"));
    QVERIFY(w->reconnectTimer->isActive());
    w->sendData(QStringLiteral("(get,sw)"));   // dropped while the port is gone
    serialSim.command(QStringLiteral("pty up"));
    QTRY_COMPARE_WITH_TIMEOUT(w->linkOpen, 1, 3000);
    QCOMPARE(w->lastToast(), QStringLiteral("串口连接成功！"));
    QVERIFY(!w->reconnectTimer->isActive());
    answer.clear();
    QVERIFY(w->sendDataDevice(QStringLiteral("(get,i.baud)"), answer));
    QCOMPARE(serialSim.history().filter(QStringLiteral("(get,sw)")).size(), 0);
}

QTEST_MAIN(TestLinkE2E)
#include "tst_link_e2e.moc"
