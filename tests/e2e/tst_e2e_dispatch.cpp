// The reply dispatcher fed with what the simulated device really sends,
// through the program's own link: each request is built from the command
// table and either exchanged synchronously (the answer read until its end)
// or written and collected by the receiver until the line goes quiet, then
// dispatched into a recording sink.
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "tests/support/dispatch_fakesink.h"
#include "tests/support/sim_process.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {

constexpr int AnswerTimeoutMs = 2000;
constexpr int ShortDelayMs = 10;
constexpr int SplitPauseMs = 30; // well inside the quiet period
constexpr int DelayedStepMs = 3000;

// One collected answer as the link hands it over.
struct Reply
{
    QString raw; // as received: the console text, rawText of the dispatcher
    QString text; // what the dispatcher tests
    int chunks = 0;
};

enum class Until { LineEndingOk, Quiet };

Reply ask(DeviceLink &link, const QString &requests, Until until = Until::LineEndingOk)
{
    Reply reply;
    QSignalSpy chunks(&link, &DeviceLink::Send_DataArrived);
    if (until == Until::LineEndingOk) {
        link.exchange(Protocol::encode(requests), &reply.text, &reply.raw, AnswerTimeoutMs);
    } else {
        QSignalSpy complete(&link, &DeviceLink::Send_ReplyComplete);
        if (link.write(Protocol::encode(requests)) > 0 && complete.wait(AnswerTimeoutMs)) {
            QString collected;
            link.takeReply(&reply.raw, &collected);
            reply.text = DeviceLink::dispatchText(collected);
        }
    }
    reply.chunks = chunks.count();
    return reply;
}

// The synchronous exchange of the wake-up sequence goes to the simulator too.
class SimBackedSink final : public RecordingDispatchSink
{
public:
    DeviceLink *link = nullptr;

    bool sendRequestSync(const QString &request, QString &answer, QString &raw) override
    {
        calls << QStringLiteral("sync:") + request;
        const Reply reply = ask(*link, request);
        answer = reply.text;
        raw = reply.raw;
        return reply.text.contains(QLatin1String("ok"));
    }
};

QString ports(int count, QChar first = QLatin1Char('Y'))
{
    return first + QString(count - 1, QLatin1Char('Y'));
}

} // namespace

class tst_E2eDispatch final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void modelAndVersions_data();
    void modelAndVersions();
    void deviceState_data();
    void deviceState();
    void deviceName_data();
    void deviceName();
    void network_data();
    void network();
    void factoryReset();
    void wakeUp_data();
    void wakeUp();
    void runTogether_data();
    void runTogether();
    void splitAnswer_data();
    void splitAnswer();

private:
    bool control(const QString &line)
    {
        bool ok = false;
        m_sim.command(line, &ok);
        return ok;
    }
    Reply dispatch(const QString &requests, Until until = Until::LineEndingOk)
    {
        const Reply reply = ask(m_link, requests, until);
        m_dispatcher->dispatch(reply.text, reply.raw);
        return reply;
    }
    // Every expected call, in this order, among the recorded ones.
    static bool inOrder(const QStringList &calls, const QStringList &expected, QString *missing)
    {
        int at = 0;
        for (const QString &e : expected) {
            at = calls.indexOf(e, at);
            if (at < 0) {
                *missing = e + QStringLiteral(" in ") + calls.join(QLatin1Char('|'));
                return false;
            }
            ++at;
        }
        return true;
    }

    SimProcess m_sim;
    DeviceLink m_link;
    std::unique_ptr<SimBackedSink> m_sink;
    std::unique_ptr<ReplyDispatcher> m_dispatcher;
};

#define VERIFY_IN_ORDER(calls, expected)                                                                     \
    do {                                                                                                     \
        QString missing;                                                                                     \
        QVERIFY2(inOrder(calls, expected, &missing), qPrintable(missing));                                   \
    } while (false)

void tst_E2eDispatch::initTestCase()
{
    QVERIFY2(m_sim.start(), qPrintable(m_sim.errorText()));
    QVERIFY(m_link.connectTcp(QStringLiteral("127.0.0.1"), QString(), m_sim.tcpPort()));
}

void tst_E2eDispatch::init()
{
    QVERIFY(control(QStringLiteral("fault clear")));
    QVERIFY(control(QStringLiteral("reset")));
    QVERIFY(control(QStringLiteral("set model 4x4")));
    QVERIFY(control(QStringLiteral("set type Orvex")));
    // Whatever a previous row left unread.
    QTest::qWait(DeviceLink::TcpQuietMs + 20);
    m_link.takeReply(nullptr, nullptr);
    m_dispatcher.reset();
    m_sink = std::make_unique<SimBackedSink>();
    m_sink->link = &m_link;
    m_dispatcher = std::make_unique<ReplyDispatcher>(*m_sink);
    DispatchTimings timings;
    timings.factoryResetMs = timings.wakeUpDelay4x4Ms = timings.wakeUpDelayMs = ShortDelayMs;
    timings.wakeUpResolutionGapMs = timings.networkReconnectMs = ShortDelayMs;
    m_dispatcher->setTimings(timings);
}

void tst_E2eDispatch::modelAndVersions_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("type");
    for (const char *model : { "4x2", "4x4", "8x8", "8x9", "8x16", "16x16" }) {
        for (const char *type : { "Orvex", "Orvex-L", "Orvex-Q", "Orvex-T" })
            QTest::addRow("%s %s", model, type) << QString::fromLatin1(model) << QString::fromLatin1(type);
    }
}

void tst_E2eDispatch::modelAndVersions()
{
    QFETCH(QString, model);
    QFETCH(QString, type);
    QVERIFY(control(QStringLiteral("set model ") + model));
    QVERIFY(control(QStringLiteral("set type ") + type));
    const int inputs = model.section(QLatin1Char('x'), 0, 0).toInt();
    const int outputs = model.section(QLatin1Char('x'), 1, 1).toInt();

    dispatch(QLatin1String(Protocol::Command::InfoLink));
    QCOMPARE(m_sink->count(QStringLiteral("model:")), 1);
    QVERIFY(m_sink->has(QStringLiteral("model:") + model));
    QVERIFY(m_sink->has(QStringLiteral("ports:%1/%2").arg(ports(inputs), ports(outputs))));

    // A later status answer updates the tiles but never the model.
    QVERIFY(control(QStringLiteral("set status in n") + QString(inputs - 1, QLatin1Char('y'))));
    dispatch(QLatin1String(Protocol::Command::InfoLink));
    QCOMPARE(m_sink->count(QStringLiteral("model:")), 1);
    QVERIFY(m_sink->has(QStringLiteral("ports:%1/%2").arg(ports(inputs, QLatin1Char('N')), ports(outputs))));

    dispatch(QLatin1String(Protocol::Command::Version));
    const bool boards = model == QLatin1String("8x16") || model == QLatin1String("16x16");
    QCOMPARE(m_sink->has(QStringLiteral("rxVersion:V2.0.1")), boards);
    QCOMPARE(m_sink->has(QStringLiteral("txVersion:V2.0.3")), boards);
    QCOMPARE(m_sink->has(QStringLiteral("ctrlVersion:V1.2.0")), !boards);
    QVERIFY(m_sink->has(QStringLiteral("hostVersion:V1.0.0")));
}

void tst_E2eDispatch::deviceState_data()
{
    QTest::addColumn<QStringList>("before"); // sent and dispatched first
    QTest::addColumn<QString>("request");
    QTest::addColumn<QStringList>("expected"); // calls of the last dispatch, in order
    QTest::addColumn<bool>("standby");
    QTest::addColumn<QString>("simState"); // key=value the device reports afterwards

    QTest::newRow("standby") << QStringList() << "(standby)"
                             << QStringList { "disconnectedLook", "standbyButtons:1", "toast:系统待机成功！",
                                    "heartbeat:5000" }
                             << true << "standby=1";
    QTest::newRow("wake-up nobody asked for")
        << QStringList { "(standby)" } << "(wakeup)"
        << QStringList { "sceneFlag:3", "standbyButtons:0", "heartbeat:5000" } << false << "standby=0";
    QTest::newRow("keys locked") << QStringList() << "(lock,1)"
                                 << QStringList { "lockButtons:1,0", "toast:按键锁定成功！" } << false
                                 << "lock=1";
    QTest::newRow("keys unlocked") << QStringList { "(lock,1)" } << "(lock,0)"
                                   << QStringList { "lockButtons:0,1", "toast:按键解锁成功！" } << false
                                   << "lock=0";
    QTest::newRow("information, awake and unlocked")
        << QStringList() << "(info,dev)"
        << QStringList { "name:HDMI Matrix", "lockButtons:0,1", "heartbeat:5000", "standbyButtons:0",
               "heartbeat:5000" }
        << false << "standby=0";
    QTest::newRow("information in standby, locked")
        << QStringList { "(lock,1)", "(standby)" } << "(info,dev)"
        << QStringList { "name:HDMI Matrix", "lockButtons:1,0", "heartbeat:stop", "disconnectedLook",
               "standbyButtons:1", "lockButtons:0,0", "heartbeat:5000" }
        << true << "lock=1";
}

void tst_E2eDispatch::deviceState()
{
    QFETCH(QStringList, before);
    QFETCH(QString, request);
    QFETCH(QStringList, expected);
    QFETCH(bool, standby);
    QFETCH(QString, simState);
    for (const QString &r : before)
        dispatch(r);
    m_sink->calls.clear();
    dispatch(request);
    VERIFY_IN_ORDER(m_sink->calls, expected);
    QCOMPARE(m_sink->calls.last(), QStringLiteral("heartbeat:5000"));
    QCOMPARE(m_dispatcher->state().standby, standby);
    QCOMPARE(
        m_sim.state().value(simState.section(QLatin1Char('='), 0, 0)), simState.section(QLatin1Char('='), 1));
}

void tst_E2eDispatch::deviceName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("heartbeatFirst"); // a heartbeat answer runs in front

    for (const QString &name : { QStringLiteral("Meeting Room"), QStringLiteral("Bookshop"),
             QStringLiteral("Machine Room 2"), QStringLiteral("会议室 A") }) {
        QTest::addRow("%s", qPrintable(name)) << name << false;
        QTest::addRow("%s after heartbeat", qPrintable(name)) << name << true;
    }
}

void tst_E2eDispatch::deviceName()
{
    QFETCH(QString, name);
    QFETCH(bool, heartbeatFirst);
    dispatch(Protocol::build(Protocol::Command::RenameProduct, { name }));
    QVERIFY(m_sink->has(QStringLiteral("toast:设备名称设置成功！")));
    QCOMPARE(m_sim.state().value(QStringLiteral("name")), name);

    if (heartbeatFirst)
        dispatch(QLatin1String(Protocol::Command::InfoLink) + QLatin1String(Protocol::Command::InfoDevice),
            Until::Quiet);
    else
        dispatch(QLatin1String(Protocol::Command::InfoDevice));
    QCOMPARE(m_sink->count(QStringLiteral("name:")), 1);
    QVERIFY2(m_sink->has(QStringLiteral("name:") + name), qPrintable(m_sink->calls.join(QLatin1Char('|'))));
    QCOMPARE(m_sink->count(QStringLiteral("model:")), heartbeatFirst ? 1 : 0);
}

void tst_E2eDispatch::network_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("confirmsChange");
    QTest::addColumn<QString>("fields");

    QTest::newRow("query") << "(get,netcfg)" << false << "192.168.0.178|255.255.255.0|192.168.0.1";
    QTest::newRow("change confirmed")
        << "(set,netcfg,127.0.0.9,255.0.0.0,127.0.0.1)" << true << "127.0.0.9|255.0.0.0|127.0.0.1";
}

void tst_E2eDispatch::network()
{
    QFETCH(QString, request);
    QFETCH(bool, confirmsChange);
    QFETCH(QString, fields);
    m_sink->netcfg = confirmsChange;
    m_sink->addresses = { { QStringLiteral("127.0.0.1"), 8 } };
    m_sink->port = QStringLiteral("4001");
    dispatch(request);

    QVERIFY(m_sink->has(QStringLiteral("net:") + fields));
    QCOMPARE(m_sim.state().value(QStringLiteral("netcfg")),
        QString(fields).replace(QLatin1Char('|'), QLatin1Char(',')));
    if (!confirmsChange) {
        QCOMPARE(m_sink->count(QStringLiteral("write:")), 0);
        QCOMPARE(m_sink->calls.last(), QStringLiteral("heartbeat:5000"));
        return;
    }
    const QString address = fields.section(QLatin1Char('|'), 0, 0);
    VERIFY_IN_ORDER(m_sink->calls,
        (QStringList { "heartbeat:stop", "netcfg:0", "write:tcp:TCP_information/MyIP=" + address,
            "write:tcp:TCP_information/LocalIP=127.0.0.1", "write:tcp:TCP_information/MyPort=4001",
            "toast:网口参数修改成功,模块重启中!", "waiting:1" }));
    QCOMPARE(m_sink->count(QStringLiteral("heartbeat:5000")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_sink->has(QStringLiteral("waiting:0")), DelayedStepMs);
    VERIFY_IN_ORDER(m_sink->calls, (QStringList { "reconnect:" + address + ",127.0.0.1", "heartbeat:5000" }));

    // The module restarted on its new loopback address: follow it there and
    // move it back for the tests after this one.
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.state().value(QStringLiteral("listen")),
        QStringLiteral("%1:%2").arg(address).arg(m_sim.tcpPort()), DelayedStepMs);
    QVERIFY(m_link.connectTcp(address, QString(), m_sim.tcpPort()));
    ask(m_link, QStringLiteral("(set,netcfg,127.0.0.1,255.0.0.0,127.0.0.1)"));
    QTRY_VERIFY_WITH_TIMEOUT(m_link.connectTcp(QStringLiteral("127.0.0.1"), QString(), m_sim.tcpPort()), DelayedStepMs);
}

void tst_E2eDispatch::factoryReset()
{
    dispatch(Protocol::build(Protocol::Command::RenameProduct, { QStringLiteral("Hall") }));
    m_sink->calls.clear();
    dispatch(QLatin1String(Protocol::Command::FactoryReset));
    VERIFY_IN_ORDER(m_sink->calls,
        (QStringList { "heartbeat:stop", "write:serial:Serial_port_information/Baud_Rate=115200",
            "write:tcp:TCP_information/MyIP=192.168.0.178", "baud:115200", "sliders:1-16=50", "waiting:1",
            "scenesEmpty" }));
    QVERIFY(m_dispatcher->state().factoryResetRunning);
    QCOMPARE(m_sink->count(QStringLiteral("heartbeat:5000")), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!m_dispatcher->state().factoryResetRunning, DelayedStepMs);
    VERIFY_IN_ORDER(m_sink->calls,
        (QStringList {
            "reconnect:192.168.0.178,", "toast:恢复出厂值成功！", "factoryNames", "heartbeat:5000" }));

    // The device forgot its name and address too.
    m_sink->calls.clear();
    dispatch(QLatin1String(Protocol::Command::InfoDevice) + QLatin1String(Protocol::Command::GetNetConfig),
        Until::Quiet);
    VERIFY_IN_ORDER(
        m_sink->calls, (QStringList { "name:HDMI Matrix", "net:192.168.0.178|255.255.255.0|192.168.0.1" }));
}

void tst_E2eDispatch::wakeUp_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("queries");

    QTest::newRow("4x4, switching page")
        << "4x4" << 0 << QStringList { "sync:(info,dev)", "sync:(scene,sta,0)" };
    QTest::newRow("16x16, information page") << "16x16" << 7
                                             << QStringList { "sync:(info,dev)", "sync:(scene,sta,0)",
                                                    "sync:(get,o.res,0)", "delay:10", "sync:(get,i.res,0)" };
}

void tst_E2eDispatch::wakeUp()
{
    QFETCH(QString, model);
    QFETCH(int, page);
    QFETCH(QStringList, queries);
    QVERIFY(control(QStringLiteral("set model ") + model));
    m_sink->model = model;
    m_sink->page = page;
    dispatch(Protocol::build(Protocol::Command::SceneSave, { 2 }));
    dispatch(QLatin1String(Protocol::Command::Standby));
    QVERIFY(m_dispatcher->state().standby);

    m_sink->calls.clear();
    m_dispatcher->state().wakePending = true;
    dispatch(QLatin1String(Protocol::Command::WakeUp));
    QTRY_VERIFY_WITH_TIMEOUT(m_sink->has(QStringLiteral("toast:系统唤醒成功！")), DelayedStepMs);
    VERIFY_IN_ORDER(m_sink->calls,
        (QStringList { "linkBusy:1", "waiting:1", "receiveSuspended:0" } + queries
            + QStringList { "linkBusy:0", "waiting:0", "heartbeat:5000" }));
    QVERIFY(!m_dispatcher->state().standby);
    QVERIFY(!m_dispatcher->state().wakePending);
    // The nested dispatch of the information answer and the scene marks.
    QVERIFY(m_sink->has(QStringLiteral("name:HDMI Matrix")));
    const QStringList scene = m_sink->calls.filter(QStringLiteral("sceneStatus:"));
    QCOMPARE(scene.size(), 1);
    QVERIFY(scene.first().contains(QLatin1String("scene1isnotreadyscene2isbeready")));
}

void tst_E2eDispatch::runTogether_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("setup"); // requests, then control commands marked "!"
    QTest::addColumn<QString>("requests"); // written at once
    QTest::addColumn<QList<int>>("branches");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("routing, then heartbeat")
        << "4x4" << QStringList() << "(sw,3,2)(info,link)" << QList<int> { 14, 30 }
        << QStringList { "model:4x4", "ports:YYYY/YYYY", "hook:30:out2in3ok" };
    QTest::newRow("heartbeat, then routing")
        << "4x2" << QStringList() << "(info,link)(get,sw)" << QList<int> { 14, 30 }
        << QStringList { "model:4x2", "hook:30:out1in1out2in2ok" };
    QTest::newRow("polling recall, then heartbeat")
        << "8x8" << QStringList { "(scene,save,3)", "(scene,list,3)", "!poll tick" } << "(info,link)"
        << QList<int> { 14, 19 } << QStringList { "model:8x8", "hook:19:scenepolling3calledok" };
    QTest::newRow("versions, then heartbeat on 8x16")
        << "8x16" << QStringList() << "(ver)(info,link)" << QList<int> { 14, 35 }
        << QStringList { "model:8x16", "rxVersion:V2.0.1", "txVersion:V2.0.3" };
    QTest::newRow("standby, then routing")
        << "4x4" << QStringList() << "(standby)(get,sw)" << QList<int> { 2, 30 }
        << QStringList { "standbyButtons:1", "hook:30:systemoffokout1in1out2in2out3in3out4in4ok" };
    // Ends the call before anything is touched: the routing is not acted on.
    QTest::newRow("17 inputs, then routing")
        << "4x4" << QStringList { "!set status in YYYYYYYYYYYYYYYYY" } << "(info,link)(get,sw)"
        << QList<int> { 14 } << QStringList { "dataArrived" };
    QTest::newRow("heartbeat, then network")
        << "8x9" << QStringList() << "(info,link)(get,netcfg)" << QList<int> { 14, 40 }
        << QStringList { "model:8x9", "net:192.168.0.178|255.255.255.0|192.168.0.1" };
}

void tst_E2eDispatch::runTogether()
{
    QFETCH(QString, model);
    QFETCH(QStringList, setup);
    QFETCH(QString, requests);
    QFETCH(QList<int>, branches);
    QFETCH(QStringList, expected);
    QVERIFY(control(QStringLiteral("set model ") + model));
    for (const QString &step : setup) {
        if (step.startsWith(QLatin1Char('!')))
            QVERIFY(control(step.mid(1)));
        else
            ask(m_link, step);
    }
    for (int n = 1; n <= Protocol::AnswerCount; ++n) {
        m_dispatcher->setBranchHandler(Protocol::Answer(n), [this, n](ReplyDispatcher::BranchCall &call) {
            m_sink->calls << QStringLiteral("hook:%1:%2").arg(n).arg(call.work);
            return ReplyDispatcher::Flow::Continue;
        });
    }
    QSignalSpy matched(m_dispatcher.get(), &ReplyDispatcher::branchMatched);
    QSignalSpy ended(m_dispatcher.get(), &ReplyDispatcher::dispatchEnded);

    dispatch(requests, Until::Quiet);
    QList<int> seen;
    for (const QList<QVariant> &signal : matched)
        seen << signal.first().toInt();
    QCOMPARE(seen, branches);
    VERIFY_IN_ORDER(m_sink->calls, expected);
    // Only an ending branch leaves the heartbeat as it was.
    QCOMPARE(m_sink->calls.last() == QLatin1String("heartbeat:5000"), ended.isEmpty());
    if (!ended.isEmpty())
        QCOMPARE(m_sink->count(QStringLiteral("model:")), 0);
}

void tst_E2eDispatch::splitAnswer_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("cuts"); // byte positions of the fault
    QTest::addColumn<QStringList>("expected");

    // "HDMI Matrix\r\n...": cut before the blank and between CR and LF.
    QTest::newRow("information") << "4x4"
                                 << "(info,dev)"
                                 << "4,12" << QStringList { "name:HDMI Matrix", "lockButtons:0,1" };
    // The first GB2312 character cut between its two bytes.
    QTest::newRow("Chinese name") << "4x4"
                                  << "!会议室 A"
                                  << "1,4" << QStringList { "name:会议室 A" };
    QTest::newRow("signal status") << "8x16"
                                   << "(info,link)"
                                   << "3,10,20,40"
                                   << QStringList { "model:8x16", "ports:" + ports(8) + "/" + ports(16) };
    // "mcuctrlv1.2.0\r\nok": the CR LF pair cut apart.
    QTest::newRow("control card version") << "4x4"
                                          << "(ver)"
                                          << "14" << QStringList { "ctrlVersion:V1.2.0" };
    QTest::newRow("network") << "4x4"
                             << "(get,netcfg)"
                             << "6,30,31" << QStringList { "net:192.168.0.178|255.255.255.0|192.168.0.1" };
}

void tst_E2eDispatch::splitAnswer()
{
    QFETCH(QString, model);
    QFETCH(QString, request);
    QFETCH(QString, cuts);
    QFETCH(QStringList, expected);
    QVERIFY(control(QStringLiteral("set model ") + model));
    // "!name": the device carries that name and is asked for its information.
    if (request.startsWith(QLatin1Char('!'))) {
        QVERIFY(control(QStringLiteral("set name ") + request.mid(1)));
        request = QLatin1String(Protocol::Command::InfoDevice);
    }
    QVERIFY(m_sim.fault(QStringLiteral("split %1 %2").arg(cuts).arg(SplitPauseMs)));

    const Reply reply = dispatch(request, Until::Quiet);
    QVERIFY2(reply.chunks > cuts.count(QLatin1Char(',')), qPrintable(QString::number(reply.chunks)));
    QVERIFY(!reply.text.contains(QLatin1Char('\r')) && !reply.text.contains(QLatin1Char('\n')));
    VERIFY_IN_ORDER(m_sink->calls, expected);
}

QTEST_GUILESS_MAIN(tst_E2eDispatch)
#include "tst_e2e_dispatch.moc"
