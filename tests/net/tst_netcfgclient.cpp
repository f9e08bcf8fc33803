#include "netmodule/netcfgclient.h"
#include "tests/support/net_fakes.h"

#include <QTcpServer>
#include <QtTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
constexpr int ShortWaitMs = 500;
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
