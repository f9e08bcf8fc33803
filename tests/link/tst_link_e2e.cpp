// The main window's link against the simulator over TCP loopback and a pty.
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTcpSocket>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QPlainTextEdit>
#include <QtTest>

#include "app/commonlyused.h"
#include "link/dispatch/replydispatcher.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
    void deviceNameEndingInOkNotCut();
    void strayLineBreakIsNoReply();
    void namesThatLookLikeAnswers_data();
    void namesThatLookLikeAnswers();
    void rejectionEndsExchangeAtOnce();
    void slowTypedCommandKeepsHeartbeatOut();
    void commandTypedWhileHeartbeatPendingShown();
    void peerDropEndsExchange();
    void connectWaitKeepsWindowLive();
    void consoleRefusesWhatDeviceCannotRead();
    // Last: it leaves the window on a serial line that is gone.
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
    w->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->clear();
    // An ordinary answer that lands in the same quiet period as the heartbeat's.
    QVERIFY(m_sim.fault(QStringLiteral("delay 30")));
    w->onDeviceConnect();
    QVERIFY(w->heartbeatPending);
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
    w->onDeviceConnect();
    QVERIFY(w->heartbeatPending);
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
    // The port is back, but only the device's answer makes it "connected".
    QCOMPARE(w->statusText, QStringLiteral(" 连接状态: 设备无应答（TCP）"));
    QVERIFY(!w->linkConfirmed());
    heartbeatAndCheck();
    QTRY_COMPARE(w->restoreRefreshCount, 1);
    QCOMPARE(w->statusText, QStringLiteral(" 连接状态: 已连接（TCP）"));
    QCOMPARE(w->lastToast(), QStringLiteral("TCP连接成功！"));
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

void TestLinkE2E::deviceNameEndingInOkNotCut()
{
    // "Notebook\r\n" and then a pause longer than any settle time.
    m_sim.command(QStringLiteral("set name Notebook"));
    QVERIFY(m_sim.fault(QStringLiteral("split 10 200")));
    QSignalSpy branches(w->dispatcher(), &ReplyDispatcher::branchMatched);
    QString answer;
    QElapsedTimer clock;
    clock.start();
    QVERIFY(w->sendDataDevice(QStringLiteral("(info,dev)"), answer));
    QVERIFY2(answer.startsWith(QStringLiteral("Notebooksystem")) && answer.endsWith(QStringLiteral("lockok")),
             qPrintable(answer));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    w->Data_Processing(answer);
    QList<int> seen;
    for (const QList<QVariant> &b : branches)
        seen << b.first().toInt();
    QCOMPARE(seen, QList<int>{int(Protocol::Answer::DeviceInfo)});
    m_sim.command(QStringLiteral("set name HDMI Matrix"));
}

void TestLinkE2E::strayLineBreakIsNoReply()
{
    // An answer whose line break trails it by a few milliseconds is taken
    // whole; a break that comes later still is no reply of its own.
    QVERIFY(m_sim.fault(QStringLiteral("split 21 5")));
    QString answer;
    QString display;
    QVERIFY(w->sendDataDevice(QStringLiteral("(get,i.baud)"), answer, display));
    QVERIFY2(display.endsWith(QStringLiteral("ok\r\n")), qPrintable(display));
    QTRY_VERIFY(!w->linkBusy);
    w->heartbeatTimer->stop();
    QSignalSpy ended(w->deviceLink(), &DeviceLink::Send_ReplyComplete);
    m_sim.command(QStringLiteral("sendtext \\n"));
    QVERIFY(ended.wait(1000));
    QTest::qWait(50);
    // The dispatcher would have restarted the heartbeat and cleared the flags.
    QVERIFY(!w->heartbeatTimer->isActive());
    QVERIFY(!w->linkBusy);
}

void TestLinkE2E::namesThatLookLikeAnswers_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("synchronous");
    for (const char *name : {"Church in Southbrook", "errand office"}) {
        QTest::addRow("%s, asked and waited for", name) << QString::fromLatin1(name) << true;
        QTest::addRow("%s, answer collected", name) << QString::fromLatin1(name) << false;
    }
}

void TestLinkE2E::namesThatLookLikeAnswers()
{
    QFETCH(QString, name);
    QFETCH(bool, synchronous);
    m_sim.command(QStringLiteral("set name ") + name);
    QSignalSpy branches(w->dispatcher(), &ReplyDispatcher::branchMatched);
    QSignalSpy ended(w->dispatcher(), &ReplyDispatcher::dispatchEnded);
    if (synchronous) {
        QString answer;
        QVERIFY(w->sendDataDevice(QStringLiteral("(info,dev)"), answer));
        w->Data_Processing(answer);
    } else {
        w->sendData(QStringLiteral("(info,dev)"));
        QTRY_VERIFY(!branches.isEmpty());
    }
    QList<int> seen;
    for (const QList<QVariant> &b : branches)
        seen << b.first().toInt();
    QCOMPARE(seen, QList<int>{int(Protocol::Answer::DeviceInfo)});
    QVERIFY(ended.isEmpty());
    m_sim.command(QStringLiteral("set name HDMI Matrix"));
}

void TestLinkE2E::rejectionEndsExchangeAtOnce()
{
    QElapsedTimer clock;
    clock.start();
    QString answer;
    QVERIFY(!w->sendDataDevice(QStringLiteral("(sw,99,1)"), answer));
    QVERIFY2(clock.elapsed() < 500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(answer.contains(QStringLiteral("err")));
}

void TestLinkE2E::slowTypedCommandKeepsHeartbeatOut()
{
    auto *console = w->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"));
    console->clear();
    // Slower than the old fixed 2 s release of the busy flag.
    QVERIFY(m_sim.fault(QStringLiteral("delay 2600")));
    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    line->setText(QStringLiteral("(get,i.baud)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QTest::qWait(2200);
    // Running as in the program (its ticks are not connected here).
    w->heartbeatTimer->start(MainWindow::HeartbeatPeriodMs);
    w->onDeviceConnect();
    QTest::qWait(200);
    QCOMPARE(requestsMatching(QStringLiteral("(info,link)")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(w->consolePlainText().contains(QStringLiteral("inbaudrate")), 3000);
    // The held-back heartbeat goes out once the typed reply is handled; its
    // answer stays out of the console.
    QTRY_COMPARE_WITH_TIMEOUT(requestsMatching(QStringLiteral("(info,link)")), 1, 2000);
    QTRY_VERIFY_WITH_TIMEOUT(!w->heartbeatPending, 4000);
    const QString text = w->consolePlainText();
    QVERIFY2(!text.contains(QStringLiteral("ch8x16")), qPrintable(text));
    QCOMPARE(text.count(QStringLiteral("inbaudrate")), 1);
}

void TestLinkE2E::commandTypedWhileHeartbeatPendingShown()
{
    w->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"))->clear();
    QVERIFY(m_sim.fault(QStringLiteral("delay 100")));
    // Typed while the heartbeat waits for its answer.
    QTimer::singleShot(0, w, &MainWindow::onDeviceConnect);
    QTRY_VERIFY(w->heartbeatPending);
    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    line->setText(QStringLiteral("(get,o.baud)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QTRY_VERIFY(w->consolePlainText().contains(QStringLiteral("outbaudrate")));
    const QString text = w->consolePlainText();
    QVERIFY2(text.contains(QStringLiteral("(get,o.baud)")), qPrintable(text));
    QVERIFY(!text.contains(QStringLiteral("(info,link)")));
}

void TestLinkE2E::peerDropEndsExchange()
{
    QVERIFY(m_sim.fault(QStringLiteral("silence on")));
    QTimer::singleShot(200, this, [this] { m_sim.command(QStringLiteral("fault drop")); });
    QElapsedTimer clock;
    clock.start();
    QString answer;
    QVERIFY(!w->sendDataDevice(QStringLiteral("(get,sw)"), answer));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QTRY_COMPARE(w->statusText, QStringLiteral(" 连接状态: 已断开（TCP）"));
    QVERIFY(!w->linkConfirmed());
    // Back for the tests that follow.
    QVERIFY(m_sim.fault(QStringLiteral("clear")));
    w->Connect_TCP_Server();
    QVERIFY(w->sendDataDevice(QStringLiteral("(get,i.baud)"), answer));
    QCOMPARE(w->statusText, QStringLiteral(" 连接状态: 已连接（TCP）"));
}

void TestLinkE2E::connectWaitKeepsWindowLive()
{
    // A listener whose queue is full: the kernel drops further SYNs, so a
    // connection attempt waits its whole bound, as with a switched-off device.
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    QCOMPARE(::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);
    QCOMPARE(::listen(listener, 0), 0);
    QList<QTcpSocket *> fillers;
    for (int i = 0; i < 3; ++i) {
        auto *filler = new QTcpSocket(this);
        filler->connectToHost(QHostAddress::LocalHost, ntohs(address.sin_port));
        filler->waitForConnected(300);
        fillers << filler;
    }
    const QString port = w->portNumber;
    w->setPort_Number(QString::number(ntohs(address.sin_port)));
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(50);
    const int retries = w->tcpRetryCount;
    QElapsedTimer clock;
    clock.start();
    w->Connect_TCP_Server();
    const qint64 waited = clock.elapsed();
    ticker.stop();
    QCOMPARE(w->tcpRetryCount, retries + 1);
    QVERIFY2(waited >= 2500 && waited < 4500, qPrintable(QString::number(waited)));
    // The event loop ran all along (a blocked wait gives no tick at all); a
    // loaded machine may lose some ticks, never most of them.
    QVERIFY2(ticks >= int(waited / 100), qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(waited)));
    qDeleteAll(fillers);
    ::close(listener);
    w->setPort_Number(port);
    w->Connect_TCP_Server();
    QCOMPARE(w->connectionType, int(DeviceLink::TcpConnection));
}

void TestLinkE2E::consoleRefusesWhatDeviceCannotRead()
{
    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    line->setText(QStringLiteral("(rename,product,Hall \U0001F600)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QCOMPARE(w->lastToast(), QStringLiteral("指令含有设备无法识别的字符！"));
    // A blank around a console command is not part of it.
    w->heartbeatTimer->start(MainWindow::HeartbeatPeriodMs);
    line->setText(QStringLiteral("(close,heartbeat) "));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QVERIFY(!w->heartbeatTimer->isActive());
    QTest::qWait(200);
    QVERIFY(m_sim.history().isEmpty());
    // Chinese text the device can read still goes out.
    line->setText(QStringLiteral("(rename,product,会议室) "));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QTRY_COMPARE(m_sim.state().value(QStringLiteral("name")), QStringLiteral("会议室"));
    m_sim.command(QStringLiteral("set name HDMI Matrix"));
}

QTEST_MAIN(TestLinkE2E)
#include "tst_link_e2e.moc"
