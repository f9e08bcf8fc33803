#include "netmodule/netcfgclient.h"
#include "tests/support/net_fakes.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
constexpr int ShortWaitMs = 500;
constexpr int TrickleGapMs = 300;
constexpr int FloodBytes = 1024 * 1024;

// A module that answers the command badly, from a thread of its own: one
// byte every 300 ms, or a megabyte at once; neither ever says "ok".
class BadModule final : public QThread
{
public:
    enum Mode { Trickle, Flood };
    explicit BadModule(Mode mode) : m_mode(mode)
    {
        start();
        m_ready.acquire();
    }
    ~BadModule() override
    {
        quit();
        wait();
    }
    quint16 port() const { return m_port; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QTimer trickle;
        trickle.setInterval(TrickleGapMs);
        QPointer<QTcpSocket> peer;
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, peer, [&] {
                peer->readAll();
                if (m_mode == Flood)
                    peer->write(QByteArray(FloodBytes, 'x'));
                else
                    trickle.start();
            });
        });
        QObject::connect(&trickle, &QTimer::timeout, &trickle, [&] {
            if (peer)
                peer->write("i");
        });
        m_ready.release();
        exec();
    }

private:
    const Mode m_mode;
    QSemaphore m_ready;
    quint16 m_port = 0;
};
} // namespace

class tst_NetcfgClient final : public QObject
{
    Q_OBJECT
private slots:
    void readsSettingsSpreadOverSegments()
    {
        NetFakeModule module;
        NetcfgClient client;
        client.setPort(module.port());
        NetworkSettings read;
        QVERIFY(client.readSettings(Loopback, read));
        QCOMPARE(read.ip, QStringLiteral("192.168.1.50"));
        QCOMPARE(read.mask, QStringLiteral("255.255.255.0"));
        QCOMPARE(read.gateway, QStringLiteral("192.168.1.1"));
        QCOMPARE(module.commands(), QStringList{QStringLiteral("(get,netcfg)")});
    }

    void changeSendsTheCommandAndReturnsTheAnswer()
    {
        NetFakeModule module;
        NetcfgClient client;
        client.setPort(module.port());
        const NetworkSettings wanted{QStringLiteral("10.1.2.3"), QStringLiteral("255.255.0.0"), QStringLiteral("10.1.0.1")};
        NetworkSettings answered;
        QVERIFY(client.changeSettings(Loopback, wanted, answered));
        QCOMPARE(module.commands(), QStringList{QStringLiteral("(set,netcfg,10.1.2.3,255.255.0.0,10.1.0.1)")});
        QCOMPARE(answered.ip, wanted.ip);
        QCOMPARE(answered.mask, wanted.mask);
        QCOMPARE(answered.gateway, wanted.gateway);

        // A second exchange on the same client starts afresh.
        NetworkSettings read;
        QVERIFY(client.readSettings(Loopback, read));
        QCOMPARE(read.ip, wanted.ip);
        QCOMPARE(module.connections(), 2);
    }

    void silentModuleTimesOut()
    {
        NetFakeModule module;
        module.setSilent(true);
        NetcfgClient client;
        client.setPort(module.port());
        client.setWaits(ShortWaitMs, ShortWaitMs);
        NetworkSettings read{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")};
        QVERIFY(!client.readSettings(Loopback, read));
        QCOMPARE(read.ip, QStringLiteral("a"));
        QCOMPARE(module.commands().size(), 1);
    }

    // The whole answer has one deadline, not one per byte, and the window
    // keeps getting its events meanwhile.
    void tricklingModuleEndsAtTheDeadline()
    {
        BadModule module(BadModule::Trickle);
        NetcfgClient client;
        client.setPort(module.port());
        int ticks = 0;
        QTimer ui;
        connect(&ui, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ui.start(50);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^数据接收失败1: ")));
        QElapsedTimer clock;
        clock.start();
        NetworkSettings read;
        QVERIFY(!client.readSettings(Loopback, read));
        const qint64 elapsed = clock.elapsed();
        qInfo("trickling module: read ended after %lld ms, %d timer ticks", elapsed, ticks);
        QCOMPARE(client.lastFailure(), NetcfgClient::Failure::TimedOut);
        QVERIFY2(elapsed >= NetcfgClient::ReplyWaitMs - 100 && elapsed < 3500, qPrintable(QString::number(elapsed)));
        QVERIFY2(ticks >= 30, qPrintable(QString::number(ticks)));
        QVERIFY(!client.isBusy());
    }

    void floodingModuleEndsAtTheCap()
    {
        BadModule module(BadModule::Flood);
        NetcfgClient client;
        client.setPort(module.port());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^数据接收失败1: ")));
        QElapsedTimer clock;
        clock.start();
        NetworkSettings read;
        QVERIFY(!client.readSettings(Loopback, read));
        qInfo("flooding module: read ended after %lld ms", clock.elapsed());
        QCOMPARE(client.lastFailure(), NetcfgClient::Failure::TooLong);
        QVERIFY(clock.elapsed() < 1000);
    }

    void nobodyListening()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        NetcfgClient client;
        client.setPort(closedPort);
        client.setWaits(ShortWaitMs, ShortWaitMs);
        NetworkSettings read;
        QVERIFY(!client.readSettings(Loopback, read));
        QVERIFY(read.ip.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_NetcfgClient)
#include "tst_netcfgclient.moc"
