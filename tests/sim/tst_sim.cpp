// End-to-end checks of the device simulator over its real ports.
#include "tests/support/sim_process.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpServer>
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

// Reads what arrives until `oks` answers have ended with their "ok" line: the
// answers the device sends unasked, or an answer led by another one.
QByteArray collect(QIODevice &port, int oks, int timeoutMs = AnswerTimeoutMs)
{
    QByteArray data;
    QElapsedTimer clock;
    clock.start();
    while (data.count("ok\r\n") < oks && clock.elapsed() < timeoutMs) {
        if (!port.bytesAvailable()
            && !port.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - clock.elapsed()))))
            break;
        data += port.readAll();
    }
    return data;
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
    void scenesKeepRoutingAcrossModelChange();
    void panelKeysAnnounceToEveryClient();
    void routeAndRecallStopPolling();
    void pollingFollowsListAndInterval();
    void inputResolutionsFollowSignal();
    void portSetters_data();
    void portSetters();
    void portSettersRefuse_data();
    void portSettersRefuse();
    void portSettingsAcrossModelAndReset();
    void wallAndPartitionKeepState();
    void splitFaultDeliversChunks();
    void silenceAndRecovery();
    void firmwareTransferAcknowledgesPackets();
    void discoveryReplyLayout();
    void ptyRateChange_data();
    void ptyRateChange();
    void ptyAnswerLeavesAtItsRate();
    void factoryAddress_data();
    void factoryAddress();
    void netcfgMovesListener();
};

void TestSim::answers_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    auto row = [](const char *name, const char *model, const char *request, const char *answer,
                   const char *type = "Orvex") {
        QTest::newRow(name) << QString::fromLatin1(model) << QString::fromLatin1(type) << QByteArray(request)
                            << QByteArray(answer);
    };

    row("single switch", "4x4", "(sw,3,2)", "out2in3\r\nok\r\n");
    row("switch to all", "4x2", "(sw,4,a)", "out1in4\r\nout2in4\r\nok\r\n");
    row("signal status", "8x16", "(info,link)", "ch8x16\r\ninYYYYYYYY\r\noutYYYYYYYYYYYYYYYY\r\nok\r\n");
    row("versions 4x4", "4x4", "(ver)", "mcuctrlv1.2.0\r\nok\r\n");
    row("versions 16x16", "16x16", "(ver)", "mcurxv2.0.1\r\nmcutxv2.0.3\r\nok\r\n");
    row("device info", "4x4", "(info,dev)", "HDMI Matrix\r\nsystemon\r\nunlock\r\nok\r\n");
    row("empty polling list", "4x4", "(scene,list,0)", "scenepollinglistempty\r\nok\r\n");
    row("polling list in order", "4x4", "(scene,list,4,2,7)", "scenepollinglist4,2,7\r\nok\r\n");
    row("polling time beyond the request range", "4x4", "(scene,time,3601)", "err\r\n");
    row("subtitle keeps text", "4x4", "(set,osd,2,1,3,4,Merry Christmas)",
        "input2osd:enable,pos:3,color:blue,string:Merry Christmas,ok\r\n");
    row("baud change", "4x4", "(set,o.baud,3)", "outbaudrate38400\r\nok\r\n");
    row("4K only on Orvex-T", "4x4", "(set,o.res,1,14)", "err\r\n");
    row("4K at 60 Hz on Orvex-T", "4x4", "(set,o.res,1,14)", "out1res3840x2160@60Hz\r\nok\r\n", "Orvex-T");
    row("input out of range", "4x4", "(sw,5,1)", "err\r\n");
    row("unknown verb", "4x4", "(bogus)", "err\r\n");
    row("not a number", "4x4", "(get,i.res,x)", "err\r\n");
    row("unterminated then valid", "4x2", "(sw,1(get,sw)", "err\r\nout1in1\r\nout2in2\r\nok\r\n");
    row("mask with a hole", "4x4", "(set,netcfg,10.0.0.5,255.0.255.0,10.0.0.1)", "err\r\n");
    row("FPGA target 8x9", "8x9", "(update,fpga,1)", "err\r\n");
    row("CEC on Orvex-Q", "4x4", "(cec,2,44,01,02)", "cec,2,44,01,02\r\nok\r\n", "Orvex-Q");
    row("no CEC on Orvex-T", "4x4", "(cec,1,44)", "err\r\n", "Orvex-T");
    row("EDID assigned", "8x8", "(edid,config,5,9)", "in5edid9\r\nok\r\n");
    row("EDID assigned, set form", "4x4", "(set,edid,1,28)", "in1edid28\r\nok\r\n");
    row("EDID code beyond 28", "4x4", "(edid,config,1,29)", "err\r\n");
    row("external audio on Orvex-T", "4x2", "(set,ext.audio,2,1)", "output2externalaudioon\r\nok\r\n",
        "Orvex-T");
    row("no external audio on Orvex-L", "4x4", "(get,ext.audio,1)", "err\r\n", "Orvex-L");

    // Video wall (group 1) and partition groups.
    row("wall size", "8x16", "(set,splicermode,1,2,4)", "splicermodegroup1is2x4\r\nok\r\n");
    row("wall beyond the outputs", "8x16", "(set,splicermode,1,3,6)", "err\r\n");
    row("wall of one zero side", "8x16", "(set,splicermode,1,0,4)", "err\r\n");
    row("no wall yet", "4x4", "(get,splicermode,1)", "splicermodegroup1is0x0\r\nok\r\n");
    row("wall of group 2", "4x4", "(get,splicermode,2)", "err\r\n");
    row("position without a wall", "4x4", "(set,splicerpos,1,1,1,1)", "err\r\n");
    row("wall bezel", "4x4", "(set,splicerbord,1,10,20)", "splicerbordersetgroup1h10v20\r\nok\r\n");
    row("wall source", "4x4", "(set,splicersrc,1,2)", "splicergroup1source2\r\nok\r\n");
    row("wall source beyond the inputs", "4x4", "(set,splicersrc,1,5)", "err\r\n");
    row("wall cleared", "4x4", "(set,splicerclear,1)", "splicercleargroup1\r\nok\r\n");
    row("wall enabled", "4x4", "(set,splicerenable,1)", "splicerok\r\n");
    row("split mode", "16x16", "(set,splitmode,4,15)", "group4splittermodeis15\r\nok\r\n");
    row("split mode 16", "16x16", "(set,splitmode,1,16)", "err\r\n");
    row("split group beyond the inputs", "8x8", "(get,splitmode,3)", "err\r\n");
    row("split window", "4x4", "(set,splitavsw,1,3,2)", "group1splittervideoABCD1311\r\nok\r\n");
    row("split window E", "4x4", "(set,splitavsw,1,3,5)", "err\r\n");

    // Subtitles: exactly five fields, one per input, at most 15 GB2312 characters.
    row("subtitle with a comma in its text", "4x4", "(set,osd,1,1,1,2,Hi,there)", "err\r\n");
    row("subtitle with four fields", "4x4", "(set,osd,1,1,1,2)", "err\r\n");
    row("subtitle on an output beyond the inputs", "8x16", "(set,osd,9,1,1,1,x)", "err\r\n");
    row("subtitle query beyond the inputs", "8x16", "(get,osd,9)", "err\r\n");
    row("subtitle query of an input beyond the outputs", "4x2", "(get,osd,4)",
        "input4osd:disable,pos:1,color:red,string:,ok\r\n");
    row("subtitle emptied", "4x4", "(set,osd,4,0,4,5,)",
        "input4osd:disable,pos:4,color:black,string:,ok\r\n");
    row("subtitle status 2", "4x4", "(set,osd,1,2,1,1,x)", "err\r\n");
    row("subtitle position 5", "4x4", "(set,osd,1,1,5,1,x)", "err\r\n");
    row("subtitle colour 6", "4x4", "(set,osd,1,1,1,6,x)", "err\r\n");
    row("subtitle of 15 letters", "4x4", "(set,osd,1,1,1,1,ABCDEFGHIJKLMNO)",
        "input1osd:enable,pos:1,color:white,string:ABCDEFGHIJKLMNO,ok\r\n");
    row("subtitle of 16 letters", "4x4", "(set,osd,1,1,1,1,ABCDEFGHIJKLMNOP)", "err\r\n");
    // GB2312: 15 Chinese characters take 30 bytes, a full-width parenthesis two.
    const QByteArray chinese15 = QByteArray("\xd7\xd6").repeated(14) + "\xa3\xa9";
    QTest::newRow("subtitle of 15 Chinese characters")
        << QStringLiteral("4x4") << QStringLiteral("Orvex") << "(set,osd,2,1,2,3," + chinese15 + ")"
        << "input2osd:enable,pos:2,color:green,string:" + chinese15 + ",ok\r\n";
    QTest::newRow("subtitle of 16 Chinese characters")
        << QStringLiteral("4x4") << QStringLiteral("Orvex") << "(set,osd,2,1,2,3,\xd7\xd6" + chinese15 + ")"
        << QByteArray("err\r\n");
    QTest::newRow("subtitle ending in half a character")
        << QStringLiteral("4x4") << QStringLiteral("Orvex") << QByteArray("(set,osd,2,1,2,3,ab\xd7)")
        << QByteArray("err\r\n");
}

void TestSim::answers()
{
    QFETCH(QString, model);
    QFETCH(QString, type);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), model, QStringLiteral("--type"), type }),
        qPrintable(sim.errorText()));
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

void TestSim::scenesKeepRoutingAcrossModelChange()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(sw,3,2)"), QByteArray("out2in3\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(scene,save,5)"), QByteArray("scene5saved\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(sw,1,a)").count("in1"), 4);
    bool ok = false;
    sim.command(QStringLiteral("set model 8x8"), &ok);
    QVERIFY(ok);
    QCOMPARE(exchange(socket, "(scene,call,5)"), QByteArray("scene5called\r\nok\r\n"));
    // The stored outputs come back; the new ones take their default inputs.
    QCOMPARE(sim.state().value(QStringLiteral("route")), QStringLiteral("1,3,3,4,5,6,7,8"));
    QCOMPARE(exchange(socket, "(scene,del,5)"), QByteArray("scene5deleted\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(scene,call,5)"), QByteArray("scene5isnotready\r\nok\r\n"));
}

void TestSim::panelKeysAnnounceToEveryClient()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x2") }), qPrintable(sim.errorText()));
    QTcpSocket first;
    QTcpSocket second;
    QVERIFY(connectTcp(first, sim));
    QVERIFY(connectTcp(second, sim));
    QTRY_COMPARE_WITH_TIMEOUT(
        sim.state().value(QStringLiteral("clients")), QStringLiteral("2"), AnswerTimeoutMs);
    const QList<QPair<QString, QByteArray>> keys = {
        { QStringLiteral("panel route 3 2"), "out2in3\r\nok\r\n" },
        { QStringLiteral("panel save 9"), "scene9saved\r\nok\r\n" },
        { QStringLiteral("panel route 4 a"), "out1in4\r\nout2in4\r\nok\r\n" },
        { QStringLiteral("panel polling on"), "scenepollingenable\r\nok\r\n" },
        // A key pressed while polling runs ends it first.
        { QStringLiteral("panel route 1 1"), "scenepollingdisable\r\nok\r\nout1in1\r\nok\r\n" },
        { QStringLiteral("panel clear 9"), "scene9deleted\r\nok\r\n" },
        { QStringLiteral("panel polling off"), "scenepollingdisable\r\nok\r\n" },
    };
    for (const auto &key : keys) {
        bool ok = false;
        sim.command(key.first, &ok);
        QVERIFY2(ok, qPrintable(key.first));
        const int oks = key.second.count("ok\r\n");
        QCOMPARE(collect(first, oks), key.second);
        QCOMPARE(collect(second, oks), key.second);
    }
    const auto state = sim.state();
    QCOMPARE(state.value(QStringLiteral("route")), QStringLiteral("1,4"));
    QCOMPARE(state.value(QStringLiteral("scenes")), QString());
    QCOMPARE(state.value(QStringLiteral("polling")), QStringLiteral("0"));
    for (const char *bad : { "panel route 5 1", "panel route 1 3", "panel route 1 0", "panel save 33",
             "panel time 0", "panel polling maybe" }) {
        bool ok = true;
        sim.command(QString::fromLatin1(bad), &ok);
        QVERIFY2(!ok, bad);
    }
    QVERIFY(!first.waitForReadyRead(NoAnswerMs));
}

void TestSim::routeAndRecallStopPolling()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("8x8") }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(scene,save,1)"), QByteArray("scene1saved\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(scene,polling,1)"), QByteArray("scenepollingenable\r\nok\r\n"));
    socket.write("(sw,3,5)");
    QByteArray answer = collect(socket, 2);
    QCOMPARE(answer, QByteArray("scenepollingdisable\r\nok\r\nout5in3\r\nok\r\n"));
    QCOMPARE(answer.replace("\r\n", ""), QByteArray("scenepollingdisableokout5in3ok"));
    QCOMPARE(sim.state().value(QStringLiteral("polling")), QStringLiteral("0"));
    QCOMPARE(exchange(socket, "(sw,2,a)").left(9), QByteArray("out1in2\r\n"));

    QCOMPARE(exchange(socket, "(scene,polling,1)"), QByteArray("scenepollingenable\r\nok\r\n"));
    socket.write("(scene,call,1)");
    QCOMPARE(collect(socket, 2), QByteArray("scenepollingdisable\r\nok\r\nscene1called\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("route")), QStringLiteral("1,2,3,4,5,6,7,8"));

    QCOMPARE(exchange(socket, "(scene,polling,1)"), QByteArray("scenepollingenable\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(scene,polling,0)"), QByteArray("scenepollingdisable\r\nok\r\n"));
    QVERIFY(!socket.waitForReadyRead(NoAnswerMs));
}

void TestSim::pollingFollowsListAndInterval()
{
    constexpr int IntervalMs = 1000;
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(sw,2,a)").count("in2"), 4);
    QCOMPARE(exchange(socket, "(scene,save,2)"), QByteArray("scene2saved\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(sw,1,a)").count("in1"), 4);
    QCOMPARE(exchange(socket, "(scene,list,7,2)"), QByteArray("scenepollinglist7,2\r\nok\r\n"));
    // Scene 7 is not stored: every step lands on scene 2.
    bool ok = false;
    for (int step = 0; step < 2; ++step) {
        sim.command(QStringLiteral("poll tick"), &ok);
        QVERIFY(ok);
        QCOMPARE(collect(socket, 1), QByteArray("scenepolling2called\r\nok\r\n"));
    }
    QCOMPARE(sim.state().value(QStringLiteral("route")), QStringLiteral("2,2,2,2"));

    // The front panel sets intervals the request range refuses.
    for (const int seconds : { 2, 5000 }) {
        sim.command(QStringLiteral("panel time %1").arg(seconds), &ok);
        QVERIFY(ok);
        QCOMPARE(exchange(socket, "(scene,gettime)"),
            QStringLiteral("scenepollingtime%1s\r\nok\r\n").arg(seconds).toLatin1());
    }
    QVERIFY(!socket.waitForReadyRead(NoAnswerMs));

    sim.command(QStringLiteral("panel time 1"), &ok);
    QVERIFY(ok);
    QCOMPARE(exchange(socket, "(scene,polling,1)"), QByteArray("scenepollingenable\r\nok\r\n"));
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(collect(socket, 1, 3 * IntervalMs), QByteArray("scenepolling2called\r\nok\r\n"));
    QVERIFY2(clock.elapsed() >= IntervalMs * 8 / 10, qPrintable(QString::number(clock.elapsed())));

    QCOMPARE(exchange(socket, "(scene,list,0)"), QByteArray("scenepollinglistempty\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("polllist")), QString());
    QVERIFY(!socket.waitForReadyRead(IntervalMs * 3 / 2));
}

void TestSim::inputResolutionsFollowSignal()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x4") }), qPrintable(sim.errorText()));
    bool ok = false;
    sim.command(QStringLiteral("set res 3 3840x2160@30Hz"), &ok);
    QVERIFY(ok);
    for (const char *bad : { "set res 5 1280x720@60Hz", "set res 0 1280x720@60Hz", "set res 2 1920 x 1080",
             "set res 2 1920,1080", "set res 2" }) {
        sim.command(QString::fromLatin1(bad), &ok);
        QVERIFY2(!ok, bad);
    }
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(get,i.res,0)"),
        QByteArray("in1res1920x1080@60Hz\r\nin2res1920x1080@60Hz\r\nin3res3840x2160@30Hz\r\n"
                   "in4res1920x1080@60Hz\r\nok\r\n"));
    sim.command(QStringLiteral("set status in YYNY"), &ok);
    QVERIFY(ok);
    QCOMPARE(exchange(socket, "(get,i.res,3)"), QByteArray("in3res0x0@0Hz\r\nok\r\n"));
    // The source keeps its resolution while its signal is away.
    QCOMPARE(sim.state().value(QStringLiteral("ires")),
        QStringLiteral("1920x1080@60Hz,1920x1080@60Hz,3840x2160@30Hz,1920x1080@60Hz"));
}

void TestSim::portSetters_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("commands");
    // The request about the port that was set, and one about another port or
    // setting that must not have moved.
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("otherRequest");
    QTest::addColumn<QByteArray>("otherAnswer");
    QTest::addColumn<QString>("stateKey");
    QTest::addColumn<QString>("stateValue");
    auto row = [](const char *name, const char *type, const char *model, const QStringList &commands,
                   const char *request, const char *answer, const char *otherRequest, const char *otherAnswer,
                   const char *stateKey, const QString &stateValue) {
        QTest::newRow(name) << QString::fromLatin1(type) << QString::fromLatin1(model) << commands
                            << QByteArray(request) << QByteArray(answer) << QByteArray(otherRequest)
                            << QByteArray(otherAnswer) << QString::fromLatin1(stateKey) << stateValue;
    };

    row("resolution by value", "Orvex", "4x4", { "set ores 3 12" },
        "(get,o.res,3)", "out3res3840x2160@30Hz\r\nok\r\n",
        "(get,o.res,0)", "out1res1920x1080@60Hz\r\nout2res1920x1080@60Hz\r\nout3res3840x2160@30Hz\r\n"
                         "out4res1920x1080@60Hz\r\nok\r\n",
        "ores", "2,2,12,2");
    row("4K at 60 Hz on Orvex-T", "Orvex-T", "4x2", { "set ores 2 15" },
        "(get,o.res,2)", "out2res4096x2160@60Hz\r\nok\r\n",
        "(get,o.res,1)", "out1res1920x1080@60Hz\r\nok\r\n",
        "ores", "2,15");
    row("resolution outside the table", "Orvex", "8x8", { "set ores 8 2560x1440@60Hz" },
        "(get,o.res,8)", "out8res2560x1440@60Hz\r\nok\r\n",
        "(get,o.res,7)", "out7res1920x1080@60Hz\r\nok\r\n",
        "ores", "2,2,2,2,2,2,2,2560x1440@60Hz");
    row("table text shows as its value", "Orvex", "4x4", { "set ores 1 1280x720@50Hz" },
        "(get,o.res,1)", "out1res1280x720@50Hz\r\nok\r\n",
        "(get,o.res,2)", "out2res1920x1080@60Hz\r\nok\r\n",
        "ores", "10,2,2,2");
    row("4K at 60 Hz text off Orvex-T", "Orvex-Q", "4x2", { "set ores 1 3840x2160@60Hz" },
        "(get,o.res,1)", "out1res3840x2160@60Hz\r\nok\r\n",
        "(get,o.res,2)", "out2res1920x1080@60Hz\r\nok\r\n",
        "ores", "3840x2160@60Hz,2");
    row("input signal away", "Orvex", "4x4", { "set signal in 2 off" },
        "(info,link)", "ch4x4\r\ninYNYY\r\noutYYYY\r\nok\r\n",
        "(get,i.res,0)", "in1res1920x1080@60Hz\r\nin2res0x0@0Hz\r\nin3res1920x1080@60Hz\r\n"
                         "in4res1920x1080@60Hz\r\nok\r\n",
        "instatus", "YNYY");
    row("input signal back, others untouched", "Orvex", "4x4", { "set status in nnnn", "set signal in 3 on" },
        "(info,link)", "ch4x4\r\ninnnYn\r\noutYYYY\r\nok\r\n",
        "(get,i.res,3)", "in3res1920x1080@60Hz\r\nok\r\n",
        "instatus", "nnYn");
    row("last output signal away", "Orvex", "8x16", { "set signal out 16 off" },
        "(info,link)", "ch8x16\r\ninYYYYYYYY\r\noutYYYYYYYYYYYYYYYN\r\nok\r\n",
        "(get,i.res,8)", "in8res1920x1080@60Hz\r\nok\r\n",
        "outstatus", "YYYYYYYYYYYYYYYN");
    row("external audio on Orvex-Q", "Orvex-Q", "4x4", { "set audio 3 on" },
        "(get,ext.audio,3)", "output3externalaudioon\r\nok\r\n",
        "(get,ext.audio,4)", "output4externalaudiooff\r\nok\r\n",
        "extaudio", "0010");
    row("external audio off again on Orvex-T", "Orvex-T", "4x2",
        { "set audio 1 on", "set audio 2 on", "set audio 1 off" },
        "(get,ext.audio,1)", "output1externalaudiooff\r\nok\r\n",
        "(get,ext.audio,2)", "output2externalaudioon\r\nok\r\n",
        "extaudio", "01");
    row("EDID of an input", "Orvex", "8x8", { "set edid 5 9" },
        "(get,i.edid,5)", "in5edid9\r\nok\r\n",
        "(get,i.edid,4)", "in4edid6\r\nok\r\n",
        "edid", "6,6,6,6,9,6,6,6");
    row("last EDID code on the last input", "Orvex", "16x16", { "set edid 16 28" },
        "(get,i.edid,16)", "in16edid28\r\nok\r\n",
        "(get,i.edid,1)", "in1edid6\r\nok\r\n",
        "edid", QStringLiteral("6,").repeated(15) + QStringLiteral("28"));
    row("brightness of the last output", "Orvex", "16x16", { "set level brightness 16 0" },
        "(get,brightness,16)", "output16brightness0\r\nok\r\n",
        "(get,brightness,15)", "output15brightness50\r\nok\r\n",
        "brightness", QStringLiteral("50,").repeated(15) + QStringLiteral("0"));
    row("contrast leaves brightness", "Orvex", "4x2", { "set level contrast 1 100" },
        "(get,contrast,1)", "output1contrast100\r\nok\r\n",
        "(get,brightness,1)", "output1brightness50\r\nok\r\n",
        "contrast", "100,50");
}

void TestSim::portSetters()
{
    QFETCH(QString, type);
    QFETCH(QString, model);
    QFETCH(QStringList, commands);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, otherRequest);
    QFETCH(QByteArray, otherAnswer);
    QFETCH(QString, stateKey);
    QFETCH(QString, stateValue);
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), model, QStringLiteral("--type"), type }),
        qPrintable(sim.errorText()));
    for (const QString &command : qAsConst(commands)) {
        bool ok = false;
        sim.command(command, &ok);
        QVERIFY2(ok, qPrintable(command + QStringLiteral(": ") + sim.errorText()));
    }
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, request), answer);
    QCOMPARE(exchange(socket, otherRequest), otherAnswer);
    QCOMPARE(sim.state().value(stateKey), stateValue);
}

void TestSim::portSettersRefuse_data()
{
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("command");
    auto row = [](const char *name, const char *type, const char *model, const QString &command,
                   const char *setup = "") {
        QTest::newRow(name) << QString::fromLatin1(type) << QString::fromLatin1(model)
                            << QString::fromLatin1(setup) << command;
    };

    row("resolution beyond the outputs", "Orvex", "4x4", "set ores 5 2");
    row("resolution of output 0", "Orvex", "4x4", "set ores 0 2");
    row("4K at 60 Hz off Orvex-T", "Orvex-Q", "4x4", "set ores 1 14");
    row("resolution value 16", "Orvex-T", "4x4", "set ores 1 16");
    row("resolution value 0", "Orvex", "4x4", "set ores 1 0");
    row("resolution text with a blank", "Orvex", "4x4", "set ores 1 1920 x1080");
    row("resolution text with a comma", "Orvex", "4x4", "set ores 1 1920,1080");
    row("resolution text of 33 characters", "Orvex", "4x4",
        QStringLiteral("set ores 1 ") + QString(33, QLatin1Char('x')));
    row("resolution missing", "Orvex", "4x4", "set ores 1");
    row("signal beyond the inputs", "Orvex", "4x2", "set signal in 5 off");
    row("signal beyond the outputs", "Orvex", "4x2", "set signal out 3 off");
    row("signal beyond a short status", "Orvex", "4x4", "set signal in 3 off", "set status in YY");
    row("signal neither on nor off", "Orvex", "4x4", "set signal in 1 maybe");
    row("signal of no side", "Orvex", "4x4", "set signal both 1 on");
    row("audio on Orvex-L", "Orvex-L", "4x4", "set audio 1 on");
    row("audio beyond the outputs", "Orvex-Q", "4x4", "set audio 5 on");
    row("audio neither on nor off", "Orvex-Q", "4x4", "set audio 1 1");
    row("EDID code 29", "Orvex", "4x4", "set edid 1 29");
    row("EDID code 0", "Orvex", "4x4", "set edid 1 0");
    row("EDID beyond the inputs", "Orvex", "8x16", "set edid 9 6");
    row("level 101", "Orvex", "4x4", "set level brightness 1 101");
    row("level -1", "Orvex", "4x4", "set level contrast 1 -1");
    row("level of something else", "Orvex", "4x4", "set level gamma 1 50");
    row("level beyond the outputs", "Orvex", "16x16", "set level brightness 17 50");
    row("level not a number", "Orvex", "4x4", "set level contrast 1 high");
    row("wall side 65537", "Orvex", "4x4", "set wall 65537 1");
    row("wall side negative", "Orvex", "4x4", "set wall 2 -1");
    row("wall without columns", "Orvex", "4x4", "set wall 2");
    row("split group beyond the inputs", "Orvex", "8x8", "set split 3 1");
    row("split mode 16", "Orvex", "16x16", "set split 1 16");
    row("split window input 5", "Orvex", "4x4", "set splitwindows 1 1 2 3 5");
    row("split with three windows", "Orvex", "4x4", "set splitwindows 1 1 2 3");
}

void TestSim::portSettersRefuse()
{
    QFETCH(QString, type);
    QFETCH(QString, model);
    QFETCH(QString, setup);
    QFETCH(QString, command);
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), model, QStringLiteral("--type"), type }),
        qPrintable(sim.errorText()));
    bool ok = false;
    if (!setup.isEmpty()) {
        sim.command(setup, &ok);
        QVERIFY(ok);
    }
    const auto before = sim.state();
    sim.command(command, &ok);
    QVERIFY(!ok);
    // Refused with a reason, not lost to a time-out.
    QVERIFY2(sim.errorText().startsWith(QLatin1String("ERR ")) && sim.errorText().size() > 4,
        qPrintable(sim.errorText()));
    QCOMPARE(sim.state(), before);
}

void TestSim::portSettingsAcrossModelAndReset()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("4x4"), QStringLiteral("--type"),
                 QStringLiteral("Orvex-T") }),
        qPrintable(sim.errorText()));
    bool ok = false;
    for (const char *command : { "set ores 3 2560x1440@60Hz", "set ores 4 14", "set level brightness 2 20",
             "set edid 4 9", "set audio 1 on", "set res 2 3840x2160@30Hz" }) {
        sim.command(QString::fromLatin1(command), &ok);
        QVERIFY2(ok, command);
    }
    // The ports that remain keep their settings; new ones start from the factory values.
    sim.command(QStringLiteral("set model 8x8"), &ok);
    QVERIFY(ok);
    auto state = sim.state();
    QCOMPARE(state.value(QStringLiteral("ores")), QStringLiteral("2,2,2560x1440@60Hz,14,2,2,2,2"));
    QCOMPARE(state.value(QStringLiteral("brightness")), QStringLiteral("50,20,50,50,50,50,50,50"));
    QCOMPARE(state.value(QStringLiteral("edid")), QStringLiteral("6,6,6,9,6,6,6,6"));
    QCOMPARE(state.value(QStringLiteral("extaudio")), QStringLiteral("10000000"));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(get,o.res,3)"), QByteArray("out3res2560x1440@60Hz\r\nok\r\n"));
    // Outputs 3 and 4 vanish with the smaller model and come back with factory values.
    for (const char *model : { "4x2", "4x4" }) {
        sim.command(QStringLiteral("set model ") + QLatin1String(model), &ok);
        QVERIFY(ok);
    }
    QCOMPARE(sim.state().value(QStringLiteral("ores")), QStringLiteral("2,2,2,2"));
    QCOMPARE(sim.state().value(QStringLiteral("edid")), QStringLiteral("6,6,6,9"));
    // Subtitles belong to inputs: input 4 keeps its own on a model with two outputs.
    QCOMPARE(exchange(socket, "(set,osd,4,1,2,3,Hall)"),
        QByteArray("input4osd:enable,pos:2,color:green,string:Hall,ok\r\n"));
    sim.command(QStringLiteral("set model 4x2"), &ok);
    QVERIFY(ok);
    QCOMPARE(sim.state().value(QStringLiteral("osd")), QStringLiteral("0/1/2/;0/1/2/;0/1/2/;1/2/3/Hall"));
    sim.command(QStringLiteral("set model 4x4"), &ok);
    QVERIFY(ok);

    // A request replaces a text with a table entry.
    sim.command(QStringLiteral("set ores 1 2560x1440@60Hz"), &ok);
    QVERIFY(ok);
    QCOMPARE(exchange(socket, "(set,o.res,1,4)"), QByteArray("out1res1360x768@60Hz\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("ores")), QStringLiteral("4,2,2,2"));

    // A factory reset restores the device's settings; the sources stay as they are.
    sim.command(QStringLiteral("set ores 2 2560x1440@60Hz"), &ok);
    QVERIFY(ok);
    QCOMPARE(exchange(socket, "(reset)"), QByteArray("factoryreset\r\nok\r\n"));
    state = sim.state();
    QCOMPARE(state.value(QStringLiteral("ores")), QStringLiteral("2,2,2,2"));
    QCOMPARE(state.value(QStringLiteral("brightness")), QStringLiteral("50,50,50,50"));
    QCOMPARE(state.value(QStringLiteral("edid")), QStringLiteral("6,6,6,6"));
    QCOMPARE(state.value(QStringLiteral("extaudio")), QStringLiteral("0000"));
    QCOMPARE(state.value(QStringLiteral("ires")),
        QStringLiteral("1920x1080@60Hz,3840x2160@30Hz,1920x1080@60Hz,1920x1080@60Hz"));
    QCOMPARE(exchange(socket, "(get,o.res,2)"), QByteArray("out2res1920x1080@60Hz\r\nok\r\n"));
}

void TestSim::wallAndPartitionKeepState()
{
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--model"), QStringLiteral("8x16") }), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    bool ok = false;
    auto command = [&](const QString &line) {
        sim.command(line, &ok);
        return ok;
    };

    // The control port may make the device report any wall, also nonsense.
    QVERIFY(command(QStringLiteral("set wall 65536 65536")));
    QCOMPARE(exchange(socket, "(get,splicermode,1)"), QByteArray("splicermodegroup1is65536x65536\r\nok\r\n"));
    QVERIFY(command(QStringLiteral("set wall 4 0")));
    QCOMPARE(exchange(socket, "(set,splicerpos,1,1,1,1)"), QByteArray("err\r\n"));

    // Positions sent in one write are each confirmed; a port moves, and a
    // screen holds one port.
    QCOMPARE(exchange(socket, "(set,splicermode,1,2,2)"), QByteArray("splicermodegroup1is2x2\r\nok\r\n"));
    socket.write("(set,splicerpos,1,3,1,1)(set,splicerpos,1,5,2,2)(set,splicerpos,1,3,1,2)");
    QCOMPARE(collect(socket, 3), QByteArray("splicerok\r\n").repeated(3));
    QCOMPARE(exchange(socket, "(set,splicerpos,1,4,1,2)"), QByteArray("splicerok\r\n"));
    QCOMPARE(exchange(socket, "(get,splicerpos,1)"),
        QByteArray("splicerposition\r\ngroup:1,port:4,x:1,y:2;\r\ngroup:1,port:5,x:2,y:2;\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(set,splicerpos,1,6,3,1)"), QByteArray("err\r\n"));
    QCOMPARE(exchange(socket, "(set,splicerenable,1)"), QByteArray("splicerok\r\n"));
    QCOMPARE(exchange(socket, "(set,splicersrc,1,7)"), QByteArray("splicergroup1source7\r\nok\r\n"));
    auto state = sim.state();
    QCOMPARE(state.value(QStringLiteral("wallpos")), QStringLiteral("4@1,2;5@2,2"));
    QCOMPARE(state.value(QStringLiteral("wallenable")), QStringLiteral("1"));
    QCOMPARE(state.value(QStringLiteral("wallsource")), QStringLiteral("7"));
    // The source reaches the outputs of the wall only.
    QCOMPARE(state.value(QStringLiteral("route")), QStringLiteral("1,2,3,7,7,6,7,8,1,2,3,4,5,6,7,8"));

    // Clearing and a new size both drop the mapping.
    QCOMPARE(exchange(socket, "(set,splicerclear,1)"), QByteArray("splicercleargroup1\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(get,splicerpos,1)"), QByteArray("splicerposition\r\nok\r\n"));
    QCOMPARE(sim.state().value(QStringLiteral("wallenable")), QStringLiteral("0"));
    QCOMPARE(exchange(socket, "(set,splicerpos,1,1,2,1)"), QByteArray("splicerok\r\n"));
    QCOMPARE(exchange(socket, "(set,splicermode,1,1,2)"), QByteArray("splicermodegroup1is1x2\r\nok\r\n"));
    state = sim.state();
    QCOMPARE(state.value(QStringLiteral("wall")), QStringLiteral("1x2"));
    QCOMPARE(state.value(QStringLiteral("wallpos")), QString());

    // Partition presets are what the queries then report.
    QVERIFY(command(QStringLiteral("set split 2 9")));
    QVERIFY(command(QStringLiteral("set splitwindows 2 4 3 2 1")));
    QCOMPARE(exchange(socket, "(get,splitmode,2)"), QByteArray("group2splittermodeis9\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(get,splitavsw,2)"), QByteArray("group2splittervideoABCD4321\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(set,splitavsw,2,1,4)"), QByteArray("group2splittervideoABCD4321\r\nok\r\n"));
    QCOMPARE(exchange(socket, "(set,splitavsw,2,2,4)"), QByteArray("group2splittervideoABCD4322\r\nok\r\n"));
    state = sim.state();
    QCOMPARE(state.value(QStringLiteral("splitgroups")), QStringLiteral("2"));
    QCOMPARE(state.value(QStringLiteral("split")),
        QStringLiteral("0:1,1,1,1;9:4,3,2,2;0:1,1,1,1;0:1,1,1,1"));
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

void TestSim::ptyRateChange_data()
{
    QTest::addColumn<int>("baud");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("lineRate");
    QTest::addColumn<int>("noiseRate");

    QTest::newRow("input port moves the line") << 38400 << QStringList() << QByteArray("(set,i.baud,5)")
                                               << QByteArray("inbaudrate115200\r\nok\r\n") << 115200 << 38400;
    QTest::newRow("output port is another line") << 115200 << QStringList() << QByteArray("(set,o.baud,1)")
                                                 << QByteArray("outbaudrate9600\r\nok\r\n") << 115200 << 9600;
    QTest::newRow("stuck device confirms and stays")
        << 115200 << QStringList { QStringLiteral("baudstuck on") } << QByteArray("(set,i.baud,2)")
        << QByteArray("inbaudrate19200\r\nok\r\n") << 115200 << 19200;
    QTest::newRow("cleared fault moves again")
        << 115200 << QStringList { QStringLiteral("baudstuck on"), QStringLiteral("clear") }
        << QByteArray("(set,i.baud,2)") << QByteArray("inbaudrate19200\r\nok\r\n") << 19200 << 115200;
    QTest::newRow("unknown code") << 9600 << QStringList() << QByteArray("(set,i.baud,6)")
                                  << QByteArray("err\r\n") << 9600 << 115200;
}

// The answer to a rate change still comes at the old rate; afterwards a side
// reopened at the rate the line speaks gets answers, any other rate noise.
void TestSim::ptyRateChange()
{
    QFETCH(int, baud);
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    QFETCH(int, lineRate);
    QFETCH(int, noiseRate);
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--pty"), sim.suggestedPtyPath(), QStringLiteral("--baud"),
                 QString::number(baud) }),
        qPrintable(sim.errorText()));
    QCOMPARE(sim.ptyPath(), sim.suggestedPtyPath());
    for (const QString &fault : qAsConst(faults))
        QVERIFY(sim.fault(fault));
    // One "baudstuck on" is in force; a later "clear" lifts it.
    QCOMPARE(sim.state().value(QStringLiteral("baudstuck")),
        faults.size() == 1 ? QStringLiteral("1") : QStringLiteral("0"));
    QSerialPort serial(sim.ptyPath());
    QVERIFY(serial.setBaudRate(baud));
    QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
    QCOMPARE(exchange(serial, request), answer);
    for (int rate : { noiseRate, lineRate }) {
        serial.close();
        QVERIFY(serial.setBaudRate(rate));
        QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
        const QByteArray banner = exchange(serial, "(cer)", rate == lineRate ? AnswerTimeoutMs : NoAnswerMs);
        if (rate == lineRate) {
            QCOMPARE(banner, QStringLiteral("Baudrate:%1\r\nok\r\n").arg(rate).toLatin1());
        } else {
            QVERIFY(!banner.isEmpty());
            QVERIFY2(!banner.contains("Baudrate"), banner.constData());
        }
    }
    QCOMPARE(sim.state().value(QStringLiteral("inbaud")), QString::number(lineRate));
}

// An answer leaves at the rate the device had when it was asked: a side that
// switched before the (delayed) answer was written reads noise.
void TestSim::ptyAnswerLeavesAtItsRate()
{
    constexpr int DelayMs = 300;
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--pty"), sim.suggestedPtyPath() }), qPrintable(sim.errorText()));
    QVERIFY(sim.fault(QStringLiteral("delay %1").arg(DelayMs)));
    QSerialPort serial(sim.ptyPath());
    QVERIFY(serial.setBaudRate(QSerialPort::Baud115200));
    QVERIFY2(serial.open(QIODevice::ReadWrite), qPrintable(serial.errorString()));
    serial.write("(set,i.baud,3)");
    QVERIFY(serial.waitForBytesWritten(AnswerTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(sim.state().value(QStringLiteral("inbaud")), QStringLiteral("38400"), DelayMs);
    QVERIFY(serial.setBaudRate(QSerialPort::Baud38400));
    const QByteArray early = collect(serial, 1, 2 * DelayMs);
    QVERIFY(!early.isEmpty());
    QVERIFY2(!early.contains("inbaudrate"), early.constData());
    QCOMPARE(exchange(serial, "(cer)"), QByteArray("Baudrate:38400\r\nok\r\n"));
}

void TestSim::factoryAddress_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("netcfg");

    QTest::newRow("factory address by request") << QStringList() << QByteArray("(reset)")
                                                << QStringLiteral("192.168.0.178,255.255.255.0,192.168.0.1");
    QTest::newRow("loopback by request")
        << QStringList { QStringLiteral("--factory-ip"), QStringLiteral("127.0.0.1"),
               QStringLiteral("--netcfg"), QStringLiteral("10.0.0.5,255.0.0.0,10.0.0.1") }
        << QByteArray("(reset)") << QStringLiteral("127.0.0.1,255.255.255.0,127.0.0.1");
    QTest::newRow("given address by the control port")
        << QStringList { QStringLiteral("--factory-ip"), QStringLiteral("10.20.30.40") } << QByteArray()
        << QStringLiteral("10.20.30.40,255.255.255.0,10.20.30.1");
}

// A reset to an address the listener already has or cannot take keeps the
// connection: the device answers on it with its new settings.
void TestSim::factoryAddress()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, request);
    QFETCH(QString, netcfg);
    SimProcess sim;
    QVERIFY2(sim.start(arguments), qPrintable(sim.errorText()));
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    if (request.isEmpty()) {
        bool ok = false;
        sim.command(QStringLiteral("reset"), &ok);
        QVERIFY(ok);
    } else {
        QCOMPARE(exchange(socket, request), QByteArray("factoryreset\r\nok\r\n"));
    }
    const QStringList parts = netcfg.split(QLatin1Char(','));
    QCOMPARE(exchange(socket, "(get,netcfg)"),
        QStringLiteral("ip%1\r\nmask%2\r\ngateway%3\r\nok\r\n").arg(parts[0], parts[1], parts[2]).toLatin1());
    const auto state = sim.state();
    QCOMPARE(state.value(QStringLiteral("netcfg")), netcfg);
    QCOMPARE(state.value(QStringLiteral("listen")), QStringLiteral("127.0.0.1:%1").arg(sim.tcpPort()));

    SimProcess bad;
    QVERIFY(!bad.start({ QStringLiteral("--factory-ip"), QStringLiteral("127.0.0") }));
}

void TestSim::netcfgMovesListener()
{
    const QHostAddress moved(QStringLiteral("127.0.0.2"));
    const QHostAddress first(QHostAddress::LocalHost);
    {
        QTcpServer probe;
        if (!probe.listen(moved, 0))
            QSKIP("127.0.0.2 cannot be bound here");
    }
    SimProcess sim;
    QVERIFY2(sim.start({ QStringLiteral("--factory-ip"), QStringLiteral("127.0.0.1") }),
        qPrintable(sim.errorText()));
    const quint16 port = sim.tcpPort();
    QTcpSocket socket;
    QVERIFY(connectTcp(socket, sim));
    // The answer goes out whole, even late, before the module restarts.
    QVERIFY(sim.fault(QStringLiteral("delay 200")));
    QCOMPARE(exchange(socket, "(set,netcfg,127.0.0.2,255.0.0.0,127.0.0.1)"),
        QByteArray("ip127.0.0.2\r\nmask255.0.0.0\r\ngateway127.0.0.1\r\nok\r\n"));
    QVERIFY(sim.fault(QStringLiteral("clear")));
    QTRY_COMPARE_WITH_TIMEOUT(socket.state(), QAbstractSocket::UnconnectedState, AnswerTimeoutMs);
    QCOMPARE(sim.state().value(QStringLiteral("listen")), QStringLiteral("127.0.0.2:%1").arg(port));

    QTcpSocket old;
    old.connectToHost(first, port);
    QVERIFY(!old.waitForConnected(AnswerTimeoutMs));
    QCOMPARE(old.error(), QAbstractSocket::ConnectionRefusedError);
    QTcpSocket there;
    there.connectToHost(moved, port);
    QVERIFY(there.waitForConnected(AnswerTimeoutMs));

    // An address off loopback is reported but the listener and the connection stay.
    QCOMPARE(exchange(there, "(set,netcfg,192.168.5.10,255.255.255.0,192.168.5.1)"),
        QByteArray("ip192.168.5.10\r\nmask255.255.255.0\r\ngateway192.168.5.1\r\nok\r\n"));
    QVERIFY(!there.waitForDisconnected(NoAnswerMs));
    QCOMPARE(exchange(there, "(sw,2,1)"), QByteArray("out1in2\r\nok\r\n"));
    auto state = sim.state();
    QCOMPARE(state.value(QStringLiteral("listen")), QStringLiteral("127.0.0.2:%1").arg(port));
    QCOMPARE(state.value(QStringLiteral("netcfg")), QStringLiteral("192.168.5.10,255.255.255.0,192.168.5.1"));

    // A factory reset brings it back to the factory address.
    QCOMPARE(exchange(there, "(reset)"), QByteArray("factoryreset\r\nok\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(there.state(), QAbstractSocket::UnconnectedState, AnswerTimeoutMs);
    QCOMPARE(sim.state().value(QStringLiteral("listen")), QStringLiteral("127.0.0.1:%1").arg(port));
    QVERIFY(connectTcp(socket, sim));
    QCOMPARE(exchange(socket, "(get,netcfg)"),
        QByteArray("ip127.0.0.1\r\nmask255.255.255.0\r\ngateway127.0.0.1\r\nok\r\n"));
}

QTEST_GUILESS_MAIN(TestSim)
#include "tst_sim.moc"
