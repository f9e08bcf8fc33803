// End-to-end checks of the device simulator over its real ports.
#include "tests/support/sim_process.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QtEndian>
#include <QtTest>

namespace {

constexpr int AnswerTimeoutMs = 2000;
constexpr int NoAnswerMs = 300;
constexpr int AfterErrorMs = 100;

// Writes a request and collects the answer up to its final "ok" line, or up to
// an "err" line after which nothing more comes.
QByteArray exchange(QIODevice &port, const QByteArray &request, int timeoutMs = AnswerTimeoutMs)
{
    port.write(request);
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (!answer.endsWith("ok\r\n") && clock.elapsed() < timeoutMs) {
        const int wait = answer.endsWith("err\r\n") ? AfterErrorMs : int(timeoutMs - clock.elapsed());
        if (port.bytesAvailable() || port.waitForReadyRead(wait))
            answer += port.readAll();
        else if (answer.endsWith("err\r\n"))
            break;
    }
    return answer;
}

} // namespace

class TestSim final : public QObject
{
    Q_OBJECT

private:
    bool connectTcp(QTcpSocket &socket, const SimProcess &sim)
    {
        socket.connectToHost(QHostAddress::LocalHost, sim.tcpPort());
        return socket.waitForConnected(AnswerTimeoutMs);
    }

private slots:
    void answers_data();
    void answers();
    void routingPersistsAcrossConnections();
    void splitFaultDeliversChunks();
    void silenceAndRecovery();
    void firmwareTransferAcknowledgesPackets();
    void discoveryReplyLayout();
    void ptyAnswersOnlyAtDeviceRate();
};

void TestSim::answers_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("single switch") << "4x4" << QByteArray("(sw,3,2)") << QByteArray("out2in3\r\nok\r\n");
    QTest::newRow("switch to all") << "4x2" << QByteArray("(sw,4,a)")
                                   << QByteArray("out1in4\r\nout2in4\r\nok\r\n");
    QTest::newRow("signal status") << "8x16" << QByteArray("(info,link)")
                                   << QByteArray("ch8x16\r\ninYYYYYYYY\r\noutYYYYYYYYYYYYYYYY\r\nok\r\n");
    QTest::newRow("versions 4x4") << "4x4" << QByteArray("(ver)") << QByteArray("mcuctrlv1.2.0\r\nok\r\n");
    QTest::newRow("versions 16x16") << "16x16" << QByteArray("(ver)")
                                    << QByteArray("mcurxv2.0.1\r\nmcutxv2.0.3\r\nok\r\n");
    QTest::newRow("device info") << "4x4" << QByteArray("(info,dev)")
                                 << QByteArray("HDMI Matrix\r\nsystemon\r\nunlock\r\nok\r\n");
    QTest::newRow("empty polling list")
        << "4x4" << QByteArray("(scene,list,0)") << QByteArray("scenepollinglistempty\r\nok\r\n");
    QTest::newRow("subtitle keeps text")
        << "4x4" << QByteArray("(set,osd,2,1,3,4,Merry Christmas)")
        << QByteArray("input2osd:enable,pos:3,color:blue,string:Merry Christmas,ok\r\n");
    QTest::newRow("baud change") << "4x4" << QByteArray("(set,o.baud,3)")
                                 << QByteArray("outbaudrate38400\r\nok\r\n");
    QTest::newRow("4K only on Orvex-T") << "4x4" << QByteArray("(set,o.res,1,14)") << QByteArray("err\r\n");
    QTest::newRow("input out of range") << "4x4" << QByteArray("(sw,5,1)") << QByteArray("err\r\n");
    QTest::newRow("unknown verb") << "4x4" << QByteArray("(bogus)") << QByteArray("err\r\n");
    QTest::newRow("not a number") << "4x4" << QByteArray("(get,i.res,x)") << QByteArray("err\r\n");
    QTest::newRow("unterminated then valid")
        << "4x2" << QByteArray("(sw,1(get,sw)") << QByteArray("err\r\nout1in1\r\nout2in2\r\nok\r\n");
    QTest::newRow("mask with a hole")
        << "4x4" << QByteArray("(set,netcfg,10.0.0.5,255.0.255.0,10.0.0.1)") << QByteArray("err\r\n");
    QTest::newRow("FPGA target 8x9") << "8x9" << QByteArray("(update,fpga,1)") << QByteArray("err\r\n");
}

void TestSim::answers()
{
    QFETCH(QString, model);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), model }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, request), answer);
}

void TestSim::routingPersistsAcrossConnections()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(sim.errorText()));
    {
        QTcpSocket first;
        QVERIFY(connectTcp(first, sim));
        QCOMPARE(exchange(first, "(sw,3,2)"), QByteArray("out2in3\r\nok\r\n"));
        QCOMPARE(exchange(first, "(scene,save,5)"), QByteArray("scene5saved\r\nok\r\n"));
        QCOMPARE(exchange(first, "(sw,1,a)").count("in1"), 4);
    }
    QTcpSocket second;
    QVERIFY(connectTcp(second, sim));
    QCOMPARE(exchange(second, "(scene,call,5)"), QByteArray("scene5called\r\nok\r\n"));
    QCOMPARE(exchange(second, "(get,sw)"), QByteArray("out1in1\r\nout2in3\r\nout3in3\r\nout4in4\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("scenes")), QStringLiteral("5"));
    QVERIFY(sim.history().contains(QStringLiteral("(scene,call,5)")));
}

void TestSim::splitFaultDeliversChunks()
{
    constexpr int PauseMs = 150;
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QVERIFY(sim.fault(QStringLiteral("split 3,7 %1").arg(PauseMs)));
    QVERIFY(sim.fault(QStringLiteral("garbage 00ff")));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    socket.write("(sw,3,2)");
    QList<QByteArray> chunks;
    QList<qint64> arrivals;
    QElapsedTimer clock;
    clock.start();
    QByteArray all;
    while (!all.endsWith("ok\r\n") && socket.waitForReadyRead(AnswerTimeoutMs)) {
        chunks << socket.readAll();
        arrivals << clock.elapsed();
        all += chunks.last();
    }
    // The garbage leads the next answer and counts towards the cut positions.
    QCOMPARE(chunks,
        (QList<QByteArray> { QByteArray("\x00\xff"
                                        "o",
                                 3),
            "ut2i", "n3\r\nok\r\n" }));
    QVERIFY(arrivals.last() - arrivals.first() >= 2 * PauseMs - 20);
    QVERIFY(sim.fault(QStringLiteral("split off")));
    QCOMPARE(exchange(socket, "(sw,1,1)"), QByteArray("out1in1\r\nok\r\n"));
}

void TestSim::silenceAndRecovery()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QVERIFY(sim.fault(QStringLiteral("silence on")));
    QCOMPARE(exchange(socket, "(sw,2,1)", NoAnswerMs), QByteArray());
    QVERIFY(sim.fault(QStringLiteral("silence off")));
    // A silent device ignored the request altogether.
    QCOMPARE(exchange(socket, "(get,sw)").left(9), QByteArray("out1in1\r\n"));
    QVERIFY(sim.fault(QStringLiteral("drop")));
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, AnswerTimeoutMs);
    QVERIFY(!sim.fault(QStringLiteral("delay -5")));
}

void TestSim::firmwareTransferAcknowledgesPackets()
{
    constexpr int TrailerBytes = 76;
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("8x16") }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(update,mcu,4)"), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    // 1100 bytes: one full packet, then a short one exactly as long as the check code.
    const QByteArray payload(1100, '\x5a');
    QByteArray trailer("ZQLD");
    trailer.append(QByteArray(TrailerBytes - trailer.size(), '\0'));
    qToBigEndian<quint32>(quint32(payload.size()), trailer.data() + 12);
    QCOMPARE(exchange(socket, payload.left(1024)), QByteArray("pack1\r\nok\r\n"));
    QCOMPARE(exchange(socket, payload.mid(1024)), QByteArray("pack2\r\nok\r\n"));
    QCOMPARE(exchange(socket, trailer), QByteArray("pack3\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("lasttransfer")), QStringLiteral("mcu,4,1100,ok"));
    QCOMPARE(exchange(socket, "(get,i.edid,1)"), QByteArray("in1edid6\r\nok\r\n"));
}

void TestSim::discoveryReplyLayout()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--udp"), QStringLiteral("127.0.0.1:0"), QStringLiteral("--modules"),
                 QStringLiteral("mac=84:C2:E4:0A:0B:0C ip=127.0.0.1 name=Hall version=7") }),
        qPrintable(sim.errorText()));
    bool ok = false;
    sim.command(QStringLiteral("discovery add mac=02-00-00-00-00-01 ip=10.1.2.3 name= version=9"), &ok);
    QVERIFY(ok);
    sim.command(QStringLiteral("discovery dup on"), &ok);
    QVERIFY(ok);

    QUdpSocket udp;
    QVERIFY(udp.bind(QHostAddress(QHostAddress::LocalHost), 0));
    udp.writeDatagram(
        QByteArray::fromHex("4348393132315f4346475f464c41470004"), QHostAddress::LocalHost, sim.udpPort());
    struct Decoded
    {
        QString mac, ip, name;
        int version;
        bool operator==(const Decoded &o) const
        {
            return mac == o.mac && ip == o.ip && name == o.name && version == o.version;
        }
    };
    QList<Decoded> replies;
    while (replies.size() < 4 && udp.waitForReadyRead(AnswerTimeoutMs)) {
        while (udp.hasPendingDatagrams()) {
            QByteArray d(int(udp.pendingDatagramSize()), '\0');
            udp.readDatagram(d.data(), d.size());
            QVERIFY(d.startsWith(QByteArray("CH9121_CFG_FLAG\0", 16)));
            const int length = quint8(d.at(29));
            QCOMPARE(d.size(), 30 + length + 1);
            replies << Decoded { QString::fromLatin1(d.mid(17, 6).toHex().toUpper()),
                QStringLiteral("%1.%2.%3.%4")
                    .arg(quint8(d[30]))
                    .arg(quint8(d[31]))
                    .arg(quint8(d[32]))
                    .arg(quint8(d[33])),
                QString::fromLatin1(d.mid(34, length - 4)), quint8(d.at(30 + length)) };
        }
    }
    const QList<Decoded> expected { { "84C2E40A0B0C", "127.0.0.1", "Hall", 7 },
        { "84C2E40A0B0D", "127.0.0.1", "Hall", 7 }, { "020000000001", "10.1.2.3", "", 9 },
        { "020000000000", "10.1.2.3", "", 9 } };
    QVERIFY(replies == expected);
    // Anything but the search request is not answered.
    udp.writeDatagram("hello", QHostAddress::LocalHost, sim.udpPort());
    QVERIFY(!udp.waitForReadyRead(NoAnswerMs));
    QCOMPARE(sim.state().value(QStringLiteral("ignored")), QStringLiteral("1"));
}

void TestSim::ptyAnswersOnlyAtDeviceRate()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--pty"), sim.suggestedPtyPath(), QStringLiteral("--baud"),
                 QStringLiteral("38400") }),
        qPrintable(sim.errorText()));
    QCOMPARE(sim.ptyPath(), sim.suggestedPtyPath());
    QSerialPort serial(sim.ptyPath());
    QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
    QVERIFY(serial.setBaudRate(QSerialPort::Baud9600));
    const QByteArray noise = exchange(serial, "(cer)", NoAnswerMs);
    QVERIFY(!noise.isEmpty());
    QVERIFY(!noise.contains("Baudrate"));
    QVERIFY(serial.setBaudRate(QSerialPort::Baud38400));
    QCOMPARE(exchange(serial, "(cer)"), QByteArray("Baudrate:38400\r\nok\r\n"));
    // The device's rate follows a change of its input port.
    QCOMPARE(exchange(serial, "(set,i.baud,5)"), QByteArray("inbaudrate115200\r\nok\r\n"));
    QVERIFY(!exchange(serial, "(cer)", NoAnswerMs).contains("Baudrate"));
    QVERIFY(serial.setBaudRate(QSerialPort::Baud115200));
    QCOMPARE(exchange(serial, "(sw,2,1)"), QByteArray("out1in2\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("route")).left(1), QStringLiteral("2"));
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
