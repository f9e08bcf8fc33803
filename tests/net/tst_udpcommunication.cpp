#include "netmodule/modulesearch.h"
#include "netmodule/udpcommunication.h"
#include "tests/support/net_fakes.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {
const QString Loopback = QStringLiteral("127.0.0.1");
const QString Request = QStringLiteral("4348393132315f4346475f464c41470004");
constexpr int ShortWaitMs = 400;
constexpr int SignalWaitMs = 2000;
} // namespace

class tst_UdpCommunication final : public QObject
{
    Q_OBJECT
private:
    UdpCommunication *channel = UdpCommunication::getInstance();

private slots:
    void initTestCase()
    {
        qputenv("TRIVANE_LAB", "1");
        channel->setLocalPort(0);
        channel->setReplyWaitMs(ShortWaitMs);
    }

    void sharedInstance() { QCOMPARE(UdpCommunication::getInstance(), channel); }

    void failedBindSendsNothing()
    {
        NetFakeDiscovery module;
        channel->setDestinationPort(module.port());
        QVERIFY(channel->udpBind(Loopback));
        const QString before = channel->localAddress();

        // Not an address of this machine.
        QVERIFY(!channel->udpBind(QStringLiteral("192.0.2.1")));
        QVERIFY(!channel->isBound());
        QCOMPARE(channel->localAddress(), before);
        QByteArray answer("untouched");
        QVERIFY(!channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::AsynchronousMode));
        QVERIFY(!ModuleSearch::sendSearchRequest());
        QVERIFY(!channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::SynchronousMode));
        QCOMPARE(answer, QByteArray("untouched"));

        // A marker sent afterwards arrives first: the channel sent nothing.
        QUdpSocket marker;
        marker.writeDatagram("marker", QHostAddress::LocalHost, module.port());
        QTRY_COMPARE_WITH_TIMEOUT(module.received().size(), 1, SignalWaitMs);
        QCOMPARE(module.received().first(), QByteArray("marker"));
        QVERIFY(!channel->udpBind(QStringLiteral("not an address")));
    }

    void asynchronousRepliesInArrivalOrder()
    {
        NetFakeDiscovery module;
        module.setReplies({"first", "second"});
        channel->setDestinationPort(module.port());
        QVERIFY(channel->udpBind(Loopback));
        QSignalSpy spy(channel, &UdpCommunication::setReceiveData);
        QByteArray answer;
        QVERIFY(channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::AsynchronousMode));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, SignalWaitMs);
        QCOMPARE(spy.at(0).at(0).toString(), QString::fromLatin1(QByteArray("first").toHex()));
        QCOMPARE(spy.at(1).at(0).toString(), QString::fromLatin1(QByteArray("second").toHex()));
        QCOMPARE(module.received().first().toHex(), Request.toLatin1());
        QVERIFY(answer.isEmpty());
    }

    void synchronousTakesOnlyTheDestination()
    {
        NetFakeDiscovery module;
        module.setStrayFirst("stray");
        module.setReplies({QByteArray::fromHex("00ABff")});
        channel->setDestinationPort(module.port());
        QVERIFY(channel->udpBind(Loopback));
        QSignalSpy spy(channel, &UdpCommunication::setReceiveData);
        QByteArray answer;
        QVERIFY(channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::SynchronousMode));
        QCOMPARE(answer, QByteArray("00abff"));
        QCOMPARE(channel->senderAddress(), QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(channel->senderPort(), module.port());
        QCOMPARE(spy.count(), 0);
    }

    void synchronousTimeoutKeepsAnswer()
    {
        NetFakeDiscovery module;
        channel->setDestinationPort(module.port());
        QVERIFY(channel->udpBind(Loopback));
        QByteArray answer("kept");
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::SynchronousMode));
        QVERIFY(clock.elapsed() >= ShortWaitMs - 50);
        QCOMPARE(answer, QByteArray("kept"));
    }

    // A datagram arriving with nobody waiting must neither be signalled nor
    // block the notifications of the next asynchronous search.
    void lateDatagramDoesNotSilenceLaterSearch()
    {
        NetFakeDiscovery module;
        module.setReplies({"reply"});
        channel->setDestinationPort(module.port());
        QVERIFY(channel->udpBind(Loopback));
        QByteArray answer;
        QVERIFY(channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::SynchronousMode));

        QSignalSpy spy(channel, &UdpCommunication::setReceiveData);
        QUdpSocket late;
        late.writeDatagram("late", QHostAddress::LocalHost, channel->boundPort());
        late.writeDatagram("later", QHostAddress::LocalHost, channel->boundPort());
        QTest::qWait(100); // let them land while the channel is idle
        QCOMPARE(spy.count(), 0);

        QVERIFY(channel->sendDataBroadcast(Loopback, Request, answer, UdpCommunication::AsynchronousMode));
        QVERIFY(spy.wait(SignalWaitMs));
        QCOMPARE(spy.first().first().toString(), QString::fromLatin1(QByteArray("reply").toHex()));
    }

    void moduleSearchReportsDecodedReplies()
    {
        NetFakeDiscovery module;
        const QByteArray mac = QByteArray::fromHex("0011223344ff");
        // A reply cut off before its address lists no module.
        module.setReplies({netModuleReply(mac, QByteArray::fromHex("7f000001"), "A", 1),
                           netModuleReply(mac, QByteArray::fromHex("7f000009"), "X", 3).left(31),
                           netModuleReply(mac, QByteArray::fromHex("7f000002"), "B", 2)});
        channel->setDestinationPort(module.port());
        QVERIFY(ModuleSearch::bindChannel(Loopback));
        ModuleSearch search;
        QSignalSpy spy(&search, &ModuleSearch::Send_ModuleFound);
        QVERIFY(search.search());
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 2, SignalWaitMs);
        const auto first = spy.at(0).at(0).value<DiscoveryReply>();
        QCOMPARE(first.ip, QStringLiteral("127.0.0.1"));
        QCOMPARE(first.macText(), QStringLiteral("00: 11: 22: 33: 44: FF"));
        QCOMPARE(spy.at(1).at(0).value<DiscoveryReply>().ip, QStringLiteral("127.0.0.2"));

        // The search dialog takes the replies over while it runs.
        search.setListening(false);
        QSignalSpy channelSpy(channel, &UdpCommunication::setReceiveData);
        QVERIFY(search.search());
        QTRY_COMPARE_WITH_TIMEOUT(channelSpy.count(), 3, SignalWaitMs);
        QCOMPARE(spy.count(), 2);
    }
};

QTEST_GUILESS_MAIN(tst_UdpCommunication)
#include "tst_udpcommunication.moc"
