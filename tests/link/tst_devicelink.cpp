#include <QElapsedTimer>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pty.h>
#include <sys/socket.h>
#include <unistd.h>

#include "link/transport/devicelink.h"

namespace {
// A device on loopback that the test scripts chunk by chunk.
struct LoopbackPeer
{
    QTcpServer server;
    QPointer<QTcpSocket> peer;

    bool connect(DeviceLink &link, const QString &deviceIp = QStringLiteral("127.0.0.1"),
                 const QString &localIp = QString())
    {
        if (!server.listen(QHostAddress::LocalHost, 0))
            return false;
        if (!link.connectTcp(deviceIp, localIp, server.serverPort()))
            return false;
        // The link's connect wait runs the event loop: the server may have
        // taken the connection already.
        if (!server.hasPendingConnections() && !server.waitForNewConnection(1000))
            return false;
        peer = server.nextPendingConnection();
        return peer != nullptr;
    }
    void send(const QByteArray &bytes)
    {
        peer->write(bytes);
        peer->flush();
    }
    // Answers every request in two pieces, `pauseMs` apart.
    void answerInTwo(const QByteArray &first, const QByteArray &rest, int pauseMs)
    {
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, first, rest, pauseMs] {
            peer->readAll();
            send(first);
            QTimer::singleShot(pauseMs, peer, [this, rest] { send(rest); });
        });
    }
};

// A pty pair: the link opens the slave, the test plays the device on the master.
struct PtyPair
{
    int master = -1;
    QString slavePath;

    bool open()
    {
        int slave = -1;
        char name[128] = {};
        if (openpty(&master, &slave, name, nullptr, nullptr) != 0)
            return false;
        ::close(slave);
        slavePath = QString::fromLocal8Bit(name);
        return true;
    }
    void closeMaster()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }
    ~PtyPair() { closeMaster(); }
};
} // namespace

class TestDeviceLink final : public QObject
{
    Q_OBJECT

private slots:
    void quietPeriodByLinkAndBaud_data();
    void quietPeriodByLinkAndBaud();
    void chunkedReplyCompletesOnce();
    void splitLineBreakIsKept();
    void neverPausingDeviceIsStillDispatched();
    void buffersAreCapped();
    void exchangeWakesOnData();
    void exchangeIsNotCutAtNameHoldingOk();
    void exchangeIsNotCutAtNameEndingInOk_data();
    void exchangeIsNotCutAtNameEndingInOk();
    void exchangeEndsAtItsLastLine_data();
    void exchangeEndsAtItsLastLine();
    void exchangeTakesLineBreakThatFollowsAtOnce();
    void exchangeGivesUpAfterBound();
    void chineseNameSplitAcrossChunks();
    void lowDelaySetOnceConnected();
    void addressesWithLeadingZerosAreDecimal();
    void vanishedPtyIsReportedOnce();
};

void TestDeviceLink::addressesWithLeadingZerosAreDecimal()
{
    // Read as octal, "127.000.000.010" would be 127.0.0.8.
    DeviceLink link;
    LoopbackPeer device;
    QVERIFY(device.connect(link, QStringLiteral("127.000.000.001"), QStringLiteral("127.000.000.010")));
    QCOMPARE(device.peer->peerAddress().toString(), QStringLiteral("127.0.0.10"));
}

void TestDeviceLink::quietPeriodByLinkAndBaud_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<int>("expected");
    QTest::newRow("tcp") << QString() << 100;
    QTest::newRow("serial 9600") << QStringLiteral("9600") << 800;
    QTest::newRow("serial 19200") << QStringLiteral("19200") << 600;
    QTest::newRow("serial 115200") << QStringLiteral("115200") << 600;
}

void TestDeviceLink::quietPeriodByLinkAndBaud()
{
    QFETCH(QString, baud);
    QFETCH(int, expected);
    DeviceLink link;
    LoopbackPeer tcp;
    PtyPair pty;
    if (baud.isEmpty()) {
        QVERIFY(tcp.connect(link));
    } else {
        QVERIFY(pty.open());
        QVERIFY(link.openSerial(pty.slavePath, baud));
    }
    QCOMPARE(link.quietIntervalMs(), expected);

    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    QElapsedTimer quiet;
    connect(&link, &DeviceLink::Send_DataArrived, this, [&quiet] { quiet.start(); });
    const QByteArray answer("swok\r\n");
    if (baud.isEmpty())
        tcp.send(answer);
    else
        QCOMPARE(::write(pty.master, answer.constData(), size_t(answer.size())), ssize_t(answer.size()));
    QVERIFY(done.wait(3000));
    QVERIFY(quiet.isValid());
    const qint64 elapsed = quiet.elapsed();
    QVERIFY2(elapsed >= expected - 30 && elapsed <= expected + 250, qPrintable(QString::number(elapsed)));
}

void TestDeviceLink::chunkedReplyCompletesOnce()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    for (const char *chunk : {"ch4x4\r\nin YY", "NN\r\nout YN", "YN\r\nok\r\n"}) {
        peer.send(chunk);
        QTest::qWait(30);
    }
    QVERIFY(done.wait(1000));
    QString raw, reply;
    link.takeReply(&raw, &reply);
    QCOMPARE(raw, QStringLiteral("ch4x4\r\nin YYNN\r\nout YNYN\r\nok\r\n"));
    QCOMPARE(reply, QStringLiteral("ch4x4in YYNNout YNYNok"));
    QTest::qWait(250);
    QCOMPARE(done.count(), 1);
}

void TestDeviceLink::splitLineBreakIsKept()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    peer.send("inbaudrate9600\r");
    QTRY_VERIFY(!link.rawBuffer.isEmpty());
    peer.send("\nok\r\n");
    QVERIFY(done.wait(1000));
    QCOMPARE(link.replyBuffer, QStringLiteral("inbaudrate9600\r\nok"));
}

void TestDeviceLink::neverPausingDeviceIsStillDispatched()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    QElapsedTimer clock;
    clock.start();
    while (done.isEmpty() && clock.elapsed() < 4000) {
        peer.send("booting...\r\n");
        QTest::qWait(40);
    }
    QCOMPARE(done.count(), 1);
    QVERIFY2(clock.elapsed() < DeviceLink::MaxContinuousMs + 400, qPrintable(QString::number(clock.elapsed())));
}

void TestDeviceLink::buffersAreCapped()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("receive buffer overflow"));
    const QByteArray block(256 * 1024, 'x');
    for (int i = 0; i < 6; ++i)
        peer.send(block);
    peer.send("tail-ok\r\n");
    QVERIFY(done.wait(3000));
    QVERIFY(link.rawBuffer.size() <= DeviceLink::MaxBufferChars);
    QVERIFY(link.replyBuffer.size() <= DeviceLink::MaxBufferChars);
    QVERIFY(link.rawBuffer.endsWith(QStringLiteral("tail-ok\r\n")));
}

void TestDeviceLink::exchangeWakesOnData()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QObject::connect(peer.peer, &QTcpSocket::readyRead, peer.peer, [&] {
        peer.peer->readAll();
        peer.send("in1out2ok\r\n");
    });
    QString answer, display;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(link.exchange("(get,sw)", &answer, &display), DeviceLink::ExchangeResult::Ok);
    // Well below one 40 ms slice.
    QVERIFY2(clock.elapsed() < 30, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(answer, QStringLiteral("in1out2ok"));
    QCOMPARE(display, QStringLiteral("in1out2ok\r\n"));
}

void TestDeviceLink::exchangeIsNotCutAtNameHoldingOk()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    // "Book" ends in "ok" and ends the text for 150 ms.
    peer.answerInTwo("Book", "shop\r\nsystemon\r\nunlock\r\nok\r\n", 150);
    QString answer, display;
    QCOMPARE(link.exchange("(info,dev)", &answer, &display), DeviceLink::ExchangeResult::Ok);
    QCOMPARE(display, QStringLiteral("Bookshop\r\nsystemon\r\nunlock\r\nok\r\n"));
    QCOMPARE(answer, QStringLiteral("Bookshopsystemonunlockok"));
}

void TestDeviceLink::exchangeIsNotCutAtNameEndingInOk_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("rest");
    QTest::addColumn<QString>("answer");
    // A slow line delivers the name's line before the rest of the answer.
    QTest::newRow("name ending in ok") << QByteArray("Notebook\r\n") << QByteArray("systemon\r\nunlock\r\nok\r\n")
                                       << QStringLiteral("Notebooksystemonunlockok");
    QTest::newRow("cut after CR") << QByteArray("Outlook\r") << QByteArray("\nsystemoff\r\nlock\r\nok\r\n")
                                  << QStringLiteral("Outlooksystemofflockok");
    // The rest comes long after the name: still one answer.
    QTest::newRow("slow rest") << QByteArray("Notebook\r\n") << QByteArray("systemon\r\nlock\r\nok\r\n")
                               << QStringLiteral("Notebooksystemonlockok");
}

void TestDeviceLink::exchangeIsNotCutAtNameEndingInOk()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, rest);
    QFETCH(QString, answer);
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    peer.answerInTwo(first, rest, QByteArray(QTest::currentDataTag()) == "slow rest" ? 300 : 15);
    QString got;
    QElapsedTimer clock;
    clock.start();
    QString display;
    QCOMPARE(link.exchange("(info,dev)", &got, &display), DeviceLink::ExchangeResult::Ok);
    QCOMPARE(got, answer);
    QVERIFY(clock.elapsed() < 1000);
}

void TestDeviceLink::exchangeEndsAtItsLastLine_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("later"); // 150 ms after the first part
    QTest::addColumn<QString>("display");
    QTest::addColumn<int>("maxMs");
    // No line break after the "ok": done once nothing more comes.
    QTest::newRow("ok ends the text") << QByteArray("inbaudrate9600ok") << QByteArray()
                                      << QStringLiteral("inbaudrate9600ok") << 300;
    // The LF of "ok\r\n" in a chunk of its own, right behind.
    QTest::newRow("LF right behind") << QByteArray("inbaudrate9600ok\r") << QByteArray("\n")
                                     << QStringLiteral("inbaudrate9600ok\r") << 300;
}

void TestDeviceLink::exchangeEndsAtItsLastLine()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, later);
    QFETCH(QString, display);
    QFETCH(int, maxMs);
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QObject::connect(peer.peer, &QTcpSocket::readyRead, peer.peer, [&] {
        peer.peer->readAll();
        peer.send(first);
    });
    QString answer, shown;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(link.exchange("(get,i.baud)", &answer, &shown), DeviceLink::ExchangeResult::Ok);
    QVERIFY2(clock.elapsed() < maxMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(shown, display);
    QCOMPARE(answer, QStringLiteral("inbaudrate9600ok"));
}

void TestDeviceLink::exchangeTakesLineBreakThatFollowsAtOnce()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    peer.answerInTwo("outbaudrate9600ok\r", "\n", 5);
    QString answer, shown;
    QCOMPARE(link.exchange("(get,o.baud)", &answer, &shown), DeviceLink::ExchangeResult::Ok);
    QCOMPARE(shown, QStringLiteral("outbaudrate9600ok\r\n"));
    QTest::qWait(50);
    QVERIFY(link.rawBuffer.isEmpty());
}

void TestDeviceLink::exchangeGivesUpAfterBound()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    QString answer, display;
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(link.exchange("(get,sw)", &answer, &display, 300), DeviceLink::ExchangeResult::Timeout);
    QVERIFY(clock.elapsed() >= 290 && clock.elapsed() < 1000);
    QVERIFY(answer.isEmpty());
}

void TestDeviceLink::chineseNameSplitAcrossChunks()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    const QByteArray name = link.encode(QStringLiteral("会议室 A"));
    QSignalSpy done(&link, &DeviceLink::Send_ReplyComplete);
    peer.send("name" + name.left(3));
    QTRY_VERIFY(!link.rawBuffer.isEmpty());
    peer.send(name.mid(3) + "\r\nok\r\n");
    QVERIFY(done.wait(1000));
    QCOMPARE(link.rawBuffer, QStringLiteral("name会议室 A\r\nok\r\n"));
}

void TestDeviceLink::lowDelaySetOnceConnected()
{
    DeviceLink link;
    LoopbackPeer peer;
    QVERIFY(peer.connect(link));
    int value = 0;
    socklen_t len = sizeof(value);
    QCOMPARE(getsockopt(int(link.tcpSocket()->socketDescriptor()), IPPROTO_TCP, TCP_NODELAY, &value, &len), 0);
    QVERIFY(value != 0);
}

void TestDeviceLink::vanishedPtyIsReportedOnce()
{
    DeviceLink link;
    PtyPair pty;
    QVERIFY(pty.open());
    QVERIFY(link.openSerial(pty.slavePath, QStringLiteral("115200")));
    QSignalSpy lost(&link, &DeviceLink::Send_SerialLost);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("serial port lost"));
    pty.closeMaster();
    QVERIFY(lost.wait(2000));
    QVERIFY(!link.serialPort()->isOpen());
    QTest::qWait(300);
    QCOMPARE(lost.count(), 1);
}

QTEST_GUILESS_MAIN(TestDeviceLink)
#include "tst_devicelink.moc"
