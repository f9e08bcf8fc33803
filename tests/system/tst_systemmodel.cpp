#include "mainwindow/system/systemmodel.h"

#include <QtTest>

using namespace System;

Q_DECLARE_METATYPE(System::SerialPort)
Q_DECLARE_METATYPE(System::NameCheck)

namespace {
constexpr int NoRate = -1;
} // namespace

class tst_SystemModel final : public QObject
{
    Q_OBJECT
private slots:
    void baudCodes()
    {
        const QStringList rates = baudRates();
        QCOMPARE(rates, (QStringList{"9600", "19200", "38400", "57600", "115200"}));
        for (int i = 0; i < rates.size(); ++i)
            QCOMPARE(baudCode(rates.at(i)), std::optional<int>(i + 1));
        QVERIFY(!baudCode(QStringLiteral("4800")));
        QVERIFY(!baudCode(QStringLiteral("09600")));
        QVERIFY(!baudCode(QString()));
    }

    void baudAnswer_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<SerialPort>("port");
        QTest::addColumn<int>("rate");
        const SerialPort in = SerialPort::Input;
        const SerialPort out = SerialPort::Output;
        QTest::newRow("input") << "inbaudrate115200ok" << in << 115200;
        QTest::newRow("output") << "outbaudrate9600ok" << out << 9600;
        QTest::newRow("output answer is not the input's") << "outbaudrate9600ok" << in << NoRate;
        QTest::newRow("input answer is not the output's") << "inbaudrate9600ok" << out << NoRate;
        QTest::newRow("both, input") << "outbaudrate9600okinbaudrate57600ok" << in << 57600;
        QTest::newRow("both, output") << "outbaudrate9600okinbaudrate57600ok" << out << 9600;
        QTest::newRow("after another answer") << "out1in2okinbaudrate38400ok" << in << 38400;
        QTest::newRow("unknown rate") << "inbaudrate4800ok" << in << NoRate;
        QTest::newRow("no ok") << "inbaudrate115200" << in << NoRate;
        QTest::newRow("cut short") << "inbaudrate1152" << in << NoRate;
        QTest::newRow("ok of a later answer") << "inbaudrate115200outbaudrate9600ok" << in << NoRate;
        QTest::newRow("empty rate") << "inbaudrateok" << in << NoRate;
        QTest::newRow("nothing") << "" << in << NoRate;
    }

    void baudAnswer()
    {
        QFETCH(QString, work);
        QFETCH(SerialPort, port);
        QFETCH(int, rate);
        QCOMPARE(parseBaudAnswer(work, port).value_or(NoRate), rate);
    }

    void networkAnswer_data()
    {
        QTest::addColumn<QString>("work");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::newRow("device") << "ip192.168.0.178mask255.255.255.0gateway192.168.0.1ok" << true << "192.168.0.178"
                                << "255.255.255.0" << "192.168.0.1";
        QTest::newRow("ip in an earlier answer") << "Shipyardsystemonunlockokip10.0.0.5mask255.0.0.0gateway10.0.0.1ok"
                                                 << true << "10.0.0.5" << "255.0.0.0" << "10.0.0.1";
        QTest::newRow("no ok") << "ip192.168.0.178mask255.255.255.0gateway192.168.0.1" << false << "" << "" << "";
        QTest::newRow("no gateway") << "ip192.168.0.178mask255.255.255.0ok" << false << "" << "" << "";
        QTest::newRow("no ip") << "192.168.0.178mask255.255.255.0gateway192.168.0.1ok" << false << "" << "" << "";
        QTest::newRow("gateway before mask") << "ip1.2.3.4gateway1.2.3.1mask255.0.0.0ok" << false << "" << "" << "";
        QTest::newRow("empty") << "" << false << "" << "" << "";
    }

    void networkAnswer()
    {
        QFETCH(QString, work);
        QFETCH(bool, complete);
        const auto answer = parseNetworkAnswer(work);
        QCOMPARE(answer.has_value(), complete);
        if (!answer)
            return;
        QTEST(answer->address, "address");
        QTEST(answer->mask, "mask");
        QTEST(answer->gateway, "gateway");
    }

    void deviceName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<NameCheck>("check");
        QTest::addColumn<QString>("request");
        QTest::newRow("plain") << "Hall A" << NameCheck::Ok << "(rename,product,Hall A)";
        QTest::newRow("trimmed") << "  Hall A \t" << NameCheck::Ok << "(rename,product,Hall A)";
        QTest::newRow("Chinese") << QStringLiteral("会议室一号") << NameCheck::Ok << QStringLiteral("(rename,product,会议室一号)");
        QTest::newRow("32 bytes") << QString(32, QLatin1Char('a')) << NameCheck::Ok << "(rename,product," + QString(32, 'a') + ")";
        QTest::newRow("33 bytes") << QString(33, QLatin1Char('a')) << NameCheck::TooLong << "";
        QTest::newRow("17 Chinese are 34 bytes") << QString(17, QChar(0x4F1A)) << NameCheck::TooLong << "";
        QTest::newRow("200 characters") << QString(200, QLatin1Char('x')) << NameCheck::TooLong << "";
        QTest::newRow("empty") << "" << NameCheck::Empty << "";
        QTest::newRow("blanks") << "   " << NameCheck::Empty << "";
        QTest::newRow("closes the request") << "Hall A)(reset" << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("opening bracket") << "Hall (A" << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("comma") << "Hall,A" << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("tab") << "Hall\tA" << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("line break") << "Hall\nA" << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("emoji") << QStringLiteral("Hall \U0001F600") << NameCheck::NotEncodable << "";
        QTest::newRow("Korean") << QStringLiteral("회의실") << NameCheck::NotEncodable << "";
        // GBK writes it, the device's GB2312 font does not hold it.
        QTest::newRow("traditional") << QStringLiteral("會議室") << NameCheck::NotEncodable << "";
        // Forbidden comes first: the request must never be split.
        QTest::newRow("bracket and emoji") << QStringLiteral("(\U0001F600") << NameCheck::ForbiddenCharacter << "";
        QTest::newRow("long and not encodable") << QString(40, QChar(0xD55C)) << NameCheck::NotEncodable << "";
    }

    void deviceName()
    {
        QFETCH(QString, name);
        QTEST(checkDeviceName(name), "check");
        QTEST(renameRequest(name), "request");
    }

    void firmwareTargets_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QStringList>("mcu");
        QTest::addColumn<QStringList>("fpga");
        QTest::newRow("16x16") << "16x16" << QStringList{"1", "2"} << QStringList{"1", "2", "3", "4", "5", "6", "7", "8"};
        QTest::newRow("8x16") << "8x16" << QStringList{"1", "2", "4"} << QStringList{"1", "2", "5", "6", "7", "8"};
        QTest::newRow("8x9") << "8x9" << QStringList{"1"} << QStringList{};
        QTest::newRow("8x8") << "8x8" << QStringList{"1"} << QStringList{"1", "2", "3", "4", "5"};
        QTest::newRow("4x4") << "4x4" << QStringList{"1"} << QStringList{"1", "2"};
        QTest::newRow("4x2") << "4x2" << QStringList{"1"} << QStringList{"1"};
        QTest::newRow("unknown") << "6x6" << QStringList{"1"} << QStringList{};
    }

    void firmwareTargets()
    {
        QFETCH(QString, model);
        QTEST(System::firmwareTargets(model, true), "mcu");
        QTEST(System::firmwareTargets(model, false), "fpga");
    }
};

QTEST_GUILESS_MAIN(tst_SystemModel)
#include "tst_systemmodel.moc"
