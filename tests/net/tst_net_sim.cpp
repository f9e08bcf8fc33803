#include "netmodule/modulesearch.h"
#include "netmodule/netcfgclient.h"
#include "netmodule/udpcommunication.h"
#include "tests/support/sim_process.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
constexpr int WaitMs = 3000;
} // namespace

// Search and re-configuration against the simulator as a separate process.
class tst_NetSim final : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        qputenv("TRIVANE_LAB", "1");
        if (qEnvironmentVariableIsEmpty("TRIVANE_SIM"))
            QSKIP("the simulator is not built");
        UdpCommunication::getInstance()->setLocalPort(0);
    }

    void searchThenReadAndChange()
    {
        SimProcess sim;
        QVERIFY2(sim.start({QStringLiteral("--udp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--modules"),
                            QStringLiteral("mac=84:C2:E4:01:02:03 ip=127.0.0.1 name=CH9121 version=5")}),
                 qPrintable(sim.errorText()));
        UdpCommunication::getInstance()->setDestinationPort(sim.udpPort());
        QVERIFY(ModuleSearch::bindChannel(Loopback));

        ModuleSearch search;
        QSignalSpy found(&search, &ModuleSearch::Send_ModuleFound);
        QVERIFY(search.search());
        QVERIFY(found.wait(WaitMs));
        const auto module = found.first().first().value<DiscoveryReply>();
        QCOMPARE(module.ip, Loopback);
        QCOMPARE(module.macText(), QStringLiteral("84: C2: E4: 01: 02: 03"));
        QCOMPARE(module.name, QStringLiteral("CH9121"));
        QCOMPARE(module.version, 5);

        NetcfgClient client;
        client.setPort(sim.tcpPort());
        NetworkSettings read;
        QVERIFY(client.readSettings(module.ip, read));
        QCOMPARE(read.ip, Loopback);

        const NetworkSettings wanted{Loopback, QStringLiteral("255.255.0.0"), QStringLiteral("127.0.0.254")};
        NetworkSettings answered;
        QVERIFY(client.changeSettings(module.ip, wanted, answered));
        QCOMPARE(answered.mask, wanted.mask);
        QCOMPARE(answered.gateway, wanted.gateway);

        // The same module twice: both replies arrive, in order.
        bool dupOn = false;
        sim.command(QStringLiteral("discovery dup on"), &dupOn);
        QVERIFY2(dupOn, qPrintable(sim.errorText()));
        found.clear();
        QVERIFY(search.search());
        QTRY_COMPARE_WITH_TIMEOUT(found.count(), 2, WaitMs);
        QCOMPARE(found.at(1).first().value<DiscoveryReply>().ip, Loopback);
    }
};

QTEST_GUILESS_MAIN(tst_NetSim)
#include "tst_net_sim.moc"
