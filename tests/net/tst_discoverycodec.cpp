#include "netmodule/discoverycodec.h"
#include "netmodule/netcfgclient.h"
#include "netmodule/netsettingscheck.h"
#include "tests/support/net_fakes.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {
const QByteArray Mac = QByteArray::fromHex("84c2e4aa0b1f");
const QByteArray Ip = QByteArray::fromHex("c0a80132"); // 192.168.1.50
const QString MacText = QStringLiteral("84: C2: E4: AA: 0B: 1F");

// "192.168.0.7/24,10.20.1.10/16": the computer's addresses with their prefixes.
QList<LocalAddress> localAddresses(const QString &text)
{
    QList<LocalAddress> list;
    for (const QString &entry : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList parts = entry.split(QLatin1Char('/'));
        list.append({parts.at(0), parts.at(1).toInt()});
    }
    return list;
}
} // namespace

Q_DECLARE_METATYPE(NetSettingsCheck::Result)

class tst_DiscoveryCodec final : public QObject
{
    Q_OBJECT
private slots:
    void searchRequest()
    {
        QCOMPARE(DiscoveryCodec::searchRequestHex(), QStringLiteral("4348393132315f4346475f464c41470004"));
        QCOMPARE(DiscoveryCodec::searchRequest().size(), DiscoveryCodec::SearchRequestSize);
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("version");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<bool>("valid");

        const QByteArray normal = netModuleReply(Mac, Ip, QByteArray("Orvex\0\0", 7), 7);
        QTest::newRow("normal, zero bytes dropped") << normal << MacText << "192.168.1.50" << "Orvex" << 7 << true << true;
        QTest::newRow("length 4: no name, version after the address")
            << netModuleReply(Mac, Ip, {}, 9) << MacText << "192.168.1.50" << "" << 9 << true << true;
        QTest::newRow("all-zero address is an address")
            << netModuleReply(Mac, QByteArray(4, '\0'), "M", 1) << MacText << "0.0.0.0" << "M" << 1 << true << true;

        QByteArray noVersion = normal;
        noVersion.chop(1);
        QTest::newRow("version cut off") << noVersion << MacText << "192.168.1.50" << "Orvex" << -1 << false << true;
        QTest::newRow("name cut short") << normal.left(36) << MacText << "192.168.1.50" << "Or" << -1 << false << true;
        QTest::newRow("address and nothing after") << normal.left(34) << MacText << "192.168.1.50" << "" << -1 << false << true;
        QTest::newRow("last address byte missing") << normal.left(33) << MacText << "192.168.1" << "" << -1 << false << false;
        QTest::newRow("address cut short") << normal.left(32) << MacText << "192.168" << "" << -1 << false << false;
        QTest::newRow("length byte missing") << normal.left(29) << MacText << "" << "" << -1 << false << false;
        QTest::newRow("mac cut short") << normal.left(20) << "84: C2: E4" << "" << "" << -1 << false << false;
        QTest::newRow("flag only") << normal.left(10) << "" << "" << "" << -1 << false << false;
        QTest::newRow("empty") << QByteArray() << "" << "" << "" << -1 << false << false;

        QByteArray oversized = netModuleReply(Mac, Ip, "Orvex", 'A');
        oversized[29] = char(0xff);
        QTest::newRow("length beyond the datagram") << oversized << MacText << "192.168.1.50" << "OrvexA" << -1 << false << true;
        for (int length : {0, 3}) {
            QByteArray small = normal;
            small[29] = char(length);
            QTest::newRow(qPrintable(QStringLiteral("length %1").arg(length)))
                << small << MacText << "192.168.1.50" << "" << -1 << false << true;
        }
    }

    void decode()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(QString, mac);
        QFETCH(QString, ip);
        QFETCH(QString, name);
        QFETCH(int, version);
        QFETCH(bool, complete);
        QFETCH(bool, valid);

        const DiscoveryReply reply = DiscoveryCodec::decodeReplyHex(QString::fromLatin1(datagram.toHex()));
        QCOMPARE(reply.macText(), mac);
        QCOMPARE(reply.ip, ip);
        QCOMPARE(reply.name, name);
        QCOMPARE(reply.version, version);
        QCOMPARE(reply.complete, complete);
        QCOMPARE(reply.valid, valid);
    }

    // Whatever arrives on the discovery port: fields never outgrow their
    // sizes and nothing reads past the datagram (the sanitizer build checks).
    void randomDatagrams()
    {
        QRandomGenerator random(20240517);
        for (int round = 0; round < 2000; ++round) {
            QByteArray bytes(int(random.bounded(80)), Qt::Uninitialized);
            for (char &byte : bytes)
                byte = char(random.bounded(256));
            const DiscoveryReply reply = DiscoveryCodec::decodeReply(bytes);
            QVERIFY(reply.macBytes.size() <= DiscoveryCodec::MacSize);
            QVERIFY(reply.ip.split(QLatin1Char('.'), Qt::SkipEmptyParts).size() <= DiscoveryCodec::IpSize);
            QVERIFY(reply.version < 256);
            QVERIFY(!reply.complete || bytes.size() > DiscoveryCodec::NameOffset);
            QCOMPARE(reply.valid, reply.ip.count(QLatin1Char('.')) == DiscoveryCodec::IpSize - 1);
        }
    }

    void netcfgAnswer_data()
    {
        QTest::addColumn<QString>("collected");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::newRow("plain") << "ip192.168.1.50mask255.255.255.0gateway192.168.1.1ok" << true << "192.168.1.50"
                               << "255.255.255.0" << "192.168.1.1";
        QTest::newRow("separators stay in the values")
            << "ip:10.0.0.2,mask:255.0.0.0,gateway:10.0.0.1,ok" << true << ":10.0.0.2," << ":255.0.0.0," << ":10.0.0.1,";
        QTest::newRow("no ok yet") << "ip192.168.1.50mask255.255.255.0gate" << false << "" << "" << "";
        QTest::newRow("keywords missing") << "ok" << true << "" << "" << "";
        QTest::newRow("keywords out of order") << "mask1gateway2ip3ok" << true << "" << "1" << "2ip3";
    }

    void netcfgAnswer()
    {
        QFETCH(QString, collected);
        QFETCH(bool, ok);
        NetworkSettings settings;
        QCOMPARE(NetcfgClient::parseAnswer(collected, settings), ok);
        if (!ok)
            return;
        QTEST(settings.ip, "ip");
        QTEST(settings.mask, "mask");
        QTEST(settings.gateway, "gateway");
    }

    void settingsCheck_data()
    {
        using R = NetSettingsCheck::Result;
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("locals");
        QTest::addColumn<R>("result");
        const QString ip = QStringLiteral("192.168.1.50");
        const QString mask = QStringLiteral("255.255.255.0");
        const QString gw = QStringLiteral("192.168.1.1");
        const QString here = QStringLiteral("10.0.0.7/8,192.168.1.10/24");
        QTest::newRow("good") << ip << mask << gw << here << R::Ok;
        QTest::newRow("blanks trimmed") << " 192.168.1.50 " << mask << gw << here << R::Ok;
        QTest::newRow("blanks only") << "   " << mask << gw << here << R::IpEmpty;
        QTest::newRow("blank inside") << "192.168. 1.50" << mask << gw << here << R::IpMalformed;
        QTest::newRow("leading zeros same segment") << "192.168.001.50" << mask << gw << here << R::Ok;
        QTest::newRow("leading zero is decimal") << "010.1.1.1" << mask << "10.1.1.254" << "10.1.1.10/24" << R::Ok;
        QTest::newRow("ip empty first") << "" << "" << "" << here << R::IpEmpty;
        QTest::newRow("gateway empty") << ip << "" << "" << here << R::GatewayEmpty;
        QTest::newRow("mask empty") << ip << "" << gw << here << R::MaskEmpty;
        QTest::newRow("ip malformed") << "192.168.1" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip five parts") << "192.168.1.50.7" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip last number 300") << "192.168.1.300" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip all zero") << "0.0.0.0" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip broadcast") << "255.255.255.255" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip is its network's broadcast") << "192.168.1.255" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip is its network's address") << "192.168.1.0" << mask << gw << here << R::IpMalformed;
        QTest::newRow("ip .255 inside a /16") << "192.168.1.255" << "255.255.0.0" << gw << "192.168.7.1/16" << R::Ok;
        QTest::newRow("gateway malformed") << ip << mask << "192.168.1.256" << here << R::GatewayMalformed;
        QTest::newRow("gateway all zero") << ip << mask << "0.0.0.0" << here << R::GatewayMalformed;
        QTest::newRow("gateway is the broadcast") << ip << mask << "192.168.1.255" << here << R::GatewayMalformed;
        QTest::newRow("mask malformed") << ip << "255.255.255" << gw << here << R::MaskMalformed;
        QTest::newRow("mask with a hole") << ip << "255.0.255.0" << gw << here << R::MaskMalformed;
        QTest::newRow("mask 255.255.255.1") << ip << "255.255.255.1" << gw << here << R::MaskMalformed;
        QTest::newRow("mask all zero") << ip << "0.0.0.0" << gw << here << R::MaskMalformed;
        QTest::newRow("mask all ones") << ip << "255.255.255.255" << gw << here << R::MaskMalformed;
        QTest::newRow("mask /25") << ip << "255.255.255.128" << gw << here << R::Ok;
        QTest::newRow("other segment") << "192.168.2.50" << mask << gw << here << R::NotInLocalSegment;
        QTest::newRow("other /24 of the computer")
            << "192.168.5.10" << mask << "192.168.5.1" << "192.168.0.7/24" << R::NotInLocalSegment;
        QTest::newRow("same /24 as the computer") << "192.168.0.20" << mask << "192.168.0.1" << "192.168.0.7/24" << R::Ok;
        // Same third number, different network: once taken for local.
        QTest::newRow("only the third number shared")
            << "10.20.1.5" << mask << "10.20.1.1" << "192.168.1.10/24" << R::NotInLocalSegment;
        QTest::newRow("wider local network")
            << "10.20.99.1" << "255.255.0.0" << "10.20.0.1" << "10.20.1.10/16" << R::Ok;
        QTest::newRow("no local address") << ip << mask << gw << "" << R::NotInLocalSegment;
    }

    void settingsCheck()
    {
        QFETCH(QString, ip);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, locals);
        QFETCH(NetSettingsCheck::Result, result);
        QCOMPARE(NetSettingsCheck::check({ip, mask, gateway}, localAddresses(locals)), result);
    }
};

QTEST_GUILESS_MAIN(tst_DiscoveryCodec)
#include "tst_discoverycodec.moc"
