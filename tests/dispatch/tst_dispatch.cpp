#include "link/dispatch/replydispatcher.h"
#include "tests/support/dispatch_fakesink.h"

#include <QtTest>

#include <memory>

using Protocol::Answer;

Q_DECLARE_METATYPE(QList<LocalAddress>)

namespace {

constexpr int ShortDelayMs = 20;

DispatchTimings shortTimings()
{
    DispatchTimings t;
    t.factoryResetMs = ShortDelayMs;
    t.wakeUpDelay4x4Ms = ShortDelayMs;
    t.wakeUpDelayMs = 1;
    t.networkReconnectMs = ShortDelayMs;
    return t;
}

} // namespace

class tst_Dispatch final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void branches_data();
    void branches();
    void deviceNameKeepsBlanks_data();
    void deviceNameKeepsBlanks();
    void modelFixedOnce();
    void wakeUpSequence_data();
    void wakeUpSequence();
    void factoryReset_data();
    void factoryReset();
    void confirmedNetworkChange();
    void confirmedAddressStoredWithoutLeadingZeros();
    void localAddressChoice_data();
    void localAddressChoice();
    void nestedDispatchKeepsOuterState();
    void builtInBranchesCannotBeReplaced();

private:
    // Every hook branch records itself; `endAt` ends the call.
    void installHooks(int endAt = 0);

    std::unique_ptr<RecordingDispatchSink> sink;
    std::unique_ptr<ReplyDispatcher> dispatcher;
    QList<int> matched;
};

void tst_Dispatch::init()
{
    sink = std::make_unique<RecordingDispatchSink>();
    dispatcher = std::make_unique<ReplyDispatcher>(*sink);
    dispatcher->setTimings(shortTimings());
    matched.clear();
    connect(dispatcher.get(), &ReplyDispatcher::branchMatched, this, [this](int n) { matched << n; });
}

void tst_Dispatch::installHooks(int endAt)
{
    for (int n = 1; n <= Protocol::AnswerCount; ++n) {
        const auto answer = static_cast<Answer>(n);
        if (ReplyDispatcher::isBuiltIn(answer))
            continue;
        dispatcher->setBranchHandler(answer, [this, n, endAt](ReplyDispatcher::BranchCall &) {
            sink->calls << QStringLiteral("hook:%1").arg(n);
            return n == endAt ? ReplyDispatcher::Flow::End : ReplyDispatcher::Flow::Continue;
        });
    }
}

void tst_Dispatch::branches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("endAt");
    QTest::addColumn<QList<int>>("expected");
    QTest::addColumn<QStringList>("present");
    QTest::addColumn<QStringList>("absent");
    QTest::addColumn<bool>("heartbeatAtEnd");

    const QString ok = QStringLiteral("toast:");
    QTest::newRow("no keyword: only the frame")
        << "hello" << "4x4" << 0 << QList<int>{} << QStringList{"linkBusy:0", "clearReply", "dataArrived"}
        << QStringList{} << true;
    QTest::newRow("unlock at start runs only the unlock branch")
        << "unlockok" << "4x4" << 0 << QList<int>{5} << QStringList{"lockButtons:0,1", ok + "按键解锁成功！"}
        << QStringList{"lockButtons:1,0"} << true;
    QTest::newRow("device info with unlock leaves unlock checked")
        << "Hallsystemonunlockok" << "4x4" << 0 << QList<int>{24}
        << QStringList{"name:Hall", "lockButtons:0,1", "standbyButtons:0"} << QStringList{"lockButtons:1,0"} << true;
    QTest::newRow("device info in standby")
        << "Hallsystemofflockok" << "4x4" << 0 << QList<int>{24}
        << QStringList{"lockButtons:1,0", "heartbeat:stop", "disconnectedLook", "standbyButtons:1", "lockButtons:0,0"}
        << QStringList{} << true;
    QTest::newRow("standby and routing both run")
        << "systemoffout1in2ok" << "4x4" << 0 << QList<int>{2, 30}
        << QStringList{"disconnectedLook", "standbyButtons:1", ok + "系统待机成功！", "hook:30"} << QStringList{}
        << true;
    QTest::newRow("systemon without wakeup only flips buttons")
        << "systemonok" << "4x4" << 0 << QList<int>{3} << QStringList{"sceneFlag:3", "standbyButtons:0"}
        << QStringList{"waiting:1", "linkBusy:1"} << true;
    QTest::newRow("17 inputs end the call untouched")
        << "ch17x4inYYYYYYYYYYYYYYYYYoutYYNNokout1in2ok" << "4x4" << 0 << QList<int>{14} << QStringList{}
        << QStringList{"hook:30"} << false;
    QTest::newRow("status then routing: tiles still updated")
        << "ch4x4inYYNNoutYNYNokout1in2ok" << "4x4" << 0 << QList<int>{14, 30}
        << QStringList{"model:4x4", "ports:YYNN/YNYN", "hook:30"} << QStringList{} << true;
    QTest::newRow("polling recall before status keeps the model right")
        << "scenepolling3calledch4x4inYYNNoutYYNNok" << "4x4" << 0 << QList<int>{14, 19}
        << QStringList{"model:4x4", "ports:YYNN/YYNN"} << QStringList{"hook:22"} << true;
    QTest::newRow("subtitle holding ch, in, out is no status answer")
        << "input1osd:1,pos:2,color:3,string:Lunchabouttostart,ok" << "4x4" << 0 << QList<int>{41}
        << QStringList{"hook:41"} << QStringList{} << true;
    // Free text the device echoes must not pass for other answers.
    QTest::newRow("subtitle Timeout is no routing answer")
        << "input1osd:enable,pos:3,color:blue,string:Timeout,ok" << "4x4" << 0 << QList<int>{41}
        << QStringList{"hook:41"} << QStringList{"hook:30"} << true;
    QTest::newRow("subtitle Press is no resolution answer")
        << "input2osd:disable,pos:1,color:red,string:Press,okout1in2ok" << "4x4" << 0 << QList<int>{30, 41}
        << QStringList{"hook:30", "hook:41"} << QStringList{"hook:32"} << true;
    QTest::newRow("device name Main output is no routing answer")
        << "Mainoutputsystemonunlockok" << "4x4" << 0 << QList<int>{24}
        << QStringList{"name:Mainoutput"} << QStringList{"hook:30"} << true;
    QTest::newRow("control card version without ok is not shown")
        << "mcuctrlv3.2" << "4x4" << 0 << QList<int>{34} << QStringList{"hostVersion:V1.0.0"}
        << QStringList{"ctrlVersion"} << true;
    QTest::newRow("versions on 8x16")
        << "mcurxv1.1mcutxv2.0ok" << "8x16" << 0 << QList<int>{35}
        << QStringList{"rxVersion:V1.1", "txVersion:V2.0", "hostVersion:V1.0.0"} << QStringList{"ctrlVersion"}
        << true;
    QTest::newRow("control card on 4x4")
        << "mcuctrlv3.2ok" << "4x4" << 0 << QList<int>{34} << QStringList{"ctrlVersion:V3.2", "hostVersion:V1.0.0"}
        << QStringList{} << true;
    QTest::newRow("control card answer on 16x16: host only")
        << "mcuctrlv3.2ok" << "16x16" << 0 << QList<int>{34} << QStringList{"hostVersion:V1.0.0"}
        << QStringList{"ctrlVersion:V3.2"} << true;
    QTest::newRow("network query fills fields, stores nothing")
        << "ip192.168.0.20mask255.255.255.0gateway192.168.0.1ok" << "4x4" << 0 << QList<int>{40}
        << QStringList{"heartbeat:stop", "net:192.168.0.20|255.255.255.0|192.168.0.1"} << QStringList{"write:"}
        << true;
    QTest::newRow("heartbeat then network answer")
        << "ch4x4inYYNNoutYYNNokip192.168.1.10mask255.255.255.0gateway192.168.1.1ok" << "4x4" << 0
        << QList<int>{14, 40} << QStringList{"net:192.168.1.10|255.255.255.0|192.168.1.1"} << QStringList{} << true;
    QTest::newRow("failed firmware transfer ends before routing")
        << "pleasechooseupdatefileout1in2ok" << "4x4" << 27 << QList<int>{27} << QStringList{"hook:27"}
        << QStringList{"hook:30"} << false;
    // A heartbeat answer in the same quiet period must not hide a confirmation.
    QTest::newRow("heartbeat then standby confirmation")
        << "ch4x4inYYNNoutYYNNoksystemoffok" << "4x4" << 0 << QList<int>{2, 14}
        << QStringList{"disconnectedLook", "standbyButtons:1", ok + "系统待机成功！", "model:4x4"} << QStringList{}
        << true;
    QTest::newRow("heartbeat then key lock")
        << "ch4x4inYYNNoutYYNNoklockok" << "4x4" << 0 << QList<int>{4, 14}
        << QStringList{"lockButtons:1,0", ok + "按键锁定成功！"} << QStringList{"lockButtons:0,1"} << true;
    QTest::newRow("device name stored") << "productnameok" << "4x4" << 0 << QList<int>{39}
                                         << QStringList{ok + "设备名称设置成功！"} << QStringList{} << true;
}

void tst_Dispatch::branches()
{
    QFETCH(QString, text);
    QFETCH(QString, model);
    QFETCH(int, endAt);
    QFETCH(QList<int>, expected);
    QFETCH(QStringList, present);
    QFETCH(QStringList, absent);
    QFETCH(bool, heartbeatAtEnd);

    installHooks(endAt);
    sink->model = model;
    dispatcher->dispatch(text);

    QCOMPARE(matched, expected);
    for (const QString &call : present)
        QVERIFY2(sink->has(call), qPrintable(call + " missing in " + sink->calls.join(' ')));
    for (const QString &call : absent)
        QVERIFY2(sink->count(call) == 0, qPrintable(call + " present in " + sink->calls.join(' ')));
    QCOMPARE(sink->calls.last() == QLatin1String("heartbeat:5000"), heartbeatAtEnd);
    QCOMPARE(dispatcher->depth(), 0);
}

void tst_Dispatch::deviceNameKeepsBlanks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("name");
    QTest::newRow("blanks kept") << "MeetingRoomsystemonunlockok" << "Meeting Room\r\nsystemon\r\nunlock\r\nok\r\n"
                                 << "Meeting Room";
    QTest::newRow("no raw text") << "MeetingRoomsystemonunlockok" << QString() << "MeetingRoom";
    QTest::newRow("raw from another answer") << "MeetingRoomsystemonunlockok" << "Hall A\r\nsystemon\r\n"
                                             << "MeetingRoom";
    QTest::newRow("heartbeat answer in front")
        << "ch4x4inYYYYoutYYYYokMeetingRoomsystemonunlockok"
        << "ch4x4\r\ninYYYY\r\noutYYYY\r\nok\r\nMeeting Room\r\nsystemon\r\nunlock\r\nok\r\n" << "Meeting Room";
    QTest::newRow("answer in front, ok inside the name")
        << "out1in2okBookshopsystemonlockok" << "out1in2\r\nok\r\nBook shop\r\nsystemon\r\nlock\r\nok\r\n"
        << "Book shop";
    QTest::newRow("Chinese name") << QString::fromUtf8("会议室systemonlockok")
                                  << QString::fromUtf8(" 会议室 \r\nsystemon\r\nlock\r\nok\r\n") << QString::fromUtf8("会议室");
}

void tst_Dispatch::deviceNameKeepsBlanks()
{
    QFETCH(QString, text);
    QFETCH(QString, raw);
    QFETCH(QString, name);
    dispatcher->dispatch(text, raw);
    QVERIFY2(sink->has("name:" + name), qPrintable(sink->calls.join(' ')));
}

void tst_Dispatch::modelFixedOnce()
{
    dispatcher->dispatch("ch8x16inYYYYNNNNoutYYYYYYYYNNNNNNNNok");
    dispatcher->dispatch("ch4x4inYYNNoutYYNNok");
    QCOMPARE(sink->count("model:"), 1);
    QVERIFY(sink->has("model:8x16"));
    QVERIFY(dispatcher->state().modelApplied);
    QCOMPARE(sink->count("ports:"), 2);
}

void tst_Dispatch::wakeUpSequence_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QStringList>("requests");
    QTest::newRow("switching page") << 0 << QStringList{"(info,dev)", "(scene,sta,0)"};
    QTest::newRow("information page")
        << 7 << QStringList{"(info,dev)", "(scene,sta,0)", "(get,o.res,0)", "(get,i.res,0)"};
}

void tst_Dispatch::wakeUpSequence()
{
    QFETCH(int, page);
    QFETCH(QStringList, requests);
    sink->page = page;
    sink->syncAnswers.insert("(info,dev)", "Roomsystemonunlockok");
    sink->syncAnswers.insert("(scene,sta,0)", "scene1isbereadyok");
    dispatcher->state().wakePending = true;
    dispatcher->state().standby = true;

    dispatcher->dispatch("systemonok");
    QVERIFY(!dispatcher->state().wakePending);
    QVERIFY(!dispatcher->state().standby);
    QVERIFY(sink->has("linkBusy:1"));
    QTRY_VERIFY_WITH_TIMEOUT(sink->has(QString::fromUtf8("toast:系统唤醒成功！")), 2000);

    QStringList sent;
    for (const QString &c : sink->calls) {
        if (c.startsWith("sync:"))
            sent << c.mid(5);
    }
    QCOMPARE(sent, requests);
    QVERIFY(sink->has("name:Room"));
    QVERIFY(sink->has("sceneStatus:scene1isbereadyok"));
    QCOMPARE(sink->has("delay:1000"), page == 7);
    const int toastAt = sink->calls.indexOf(QString::fromUtf8("toast:系统唤醒成功！"));
    QVERIFY(sink->calls.mid(0, toastAt).contains("waiting:0"));
    QVERIFY(sink->calls.mid(0, toastAt).lastIndexOf("linkBusy:0") > sink->calls.indexOf("sync:(scene,sta,0)"));

    // A second confirmation without a new "(wakeup)" runs nothing more.
    const int syncs = sink->count("sync:");
    dispatcher->dispatch("systemonok");
    QTest::qWait(ShortDelayMs * 3);
    QCOMPARE(sink->count("sync:"), syncs);
}

void tst_Dispatch::factoryReset_data()
{
    QTest::addColumn<int>("linkType");
    QTest::addColumn<QString>("local");
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QString>("reconnect");
    QTest::newRow("serial session keeps stored TCP values")
        << 2 << QString()
        << QStringList{"write:serial:Serial_port_information/Baud_Rate=115200", "write:tcp:TCP_information/MyIP=192.168.0.178"}
        << QString();
    QTest::newRow("TCP session stores what it holds")
        << 1 << "192.168.0.5"
        << QStringList{"write:serial:Serial_port_information/Baud_Rate=115200", "write:tcp:TCP_information/MyIP=192.168.0.178",
                       "write:tcp:TCP_information/LocalIP=192.168.0.5", "write:tcp:TCP_information/MyPort=4001",
                       "write:tcp:TCP_information/ModeMac=AA:BB"}
        << "reconnect:192.168.0.178,192.168.0.5";
}

void tst_Dispatch::factoryReset()
{
    QFETCH(int, linkType);
    QFETCH(QString, local);
    QFETCH(QStringList, writes);
    QFETCH(QString, reconnect);
    sink->linkType = linkType;
    sink->local = local;
    if (linkType == 1) {
        sink->port = "4001";
        sink->mac = "AA:BB";
        // A VPN address shares the third number; the subnet match wins.
        sink->addresses = {{"10.8.0.3", 24}, {"192.168.0.5", 24}};
    }
    dispatcher->dispatch("factoryresetok");

    QStringList written;
    for (const QString &c : sink->calls) {
        if (c.startsWith("write:"))
            written << c;
    }
    QCOMPARE(written, writes);
    QVERIFY(dispatcher->state().factoryResetRunning);
    QCOMPARE(sink->has("reopenSerial"), linkType == 2);
    // One call covering all sixteen outputs, so outputs 9 to 16 of a large model do not keep stale values.
    QCOMPARE(sink->count("sliders:"), 1);
    QVERIFY(sink->has("sliders:1-16=50"));
    QVERIFY(sink->has("scenesEmpty"));
    // The heartbeat stays off while the device restarts.
    QCOMPARE(sink->calls.last(), QStringLiteral("scenesEmpty"));
    QCOMPARE(sink->count("heartbeat:5000"), 0);

    QTRY_VERIFY_WITH_TIMEOUT(!dispatcher->state().factoryResetRunning, 2000);
    QVERIFY(sink->has("factoryNames"));
    QVERIFY(sink->has(QString::fromUtf8("toast:恢复出厂值成功！")));
    QCOMPARE(sink->calls.last(), QStringLiteral("heartbeat:5000"));
    QCOMPARE(sink->count("reconnect:"), reconnect.isEmpty() ? 0 : 1);
    if (!reconnect.isEmpty())
        QVERIFY(sink->has(reconnect));
}

void tst_Dispatch::confirmedNetworkChange()
{
    sink->netcfg = true;
    sink->port = "4001";
    sink->addresses = {{"192.168.5.7", 24}};
    dispatcher->dispatch("ip192.168.5.10mask255.255.255.0gateway192.168.5.1ok");
    QVERIFY(sink->has("write:tcp:TCP_information/MyIP=192.168.5.10"));
    QVERIFY(sink->has("write:tcp:TCP_information/LocalIP=192.168.5.7"));
    QVERIFY(sink->has("netcfg:0"));
    QCOMPARE(sink->count("heartbeat:5000"), 0);
    QTRY_VERIFY_WITH_TIMEOUT(sink->has("reconnect:192.168.5.10,192.168.5.7"), 2000);
    QCOMPARE(sink->calls.mid(sink->calls.indexOf("reconnect:192.168.5.10,192.168.5.7")),
             (QStringList{"reconnect:192.168.5.10,192.168.5.7", "heartbeat:5000", "waiting:0"}));

    // The next plain query stores nothing again.
    const int writes = sink->count("write:");
    dispatcher->dispatch("ip192.168.5.10mask255.255.255.0gateway192.168.5.1ok");
    QCOMPARE(sink->count("write:"), writes);
}

void tst_Dispatch::confirmedAddressStoredWithoutLeadingZeros()
{
    // Stored with its zeros, the address would later be read as octal.
    sink->netcfg = true;
    sink->port = "4001";
    sink->addresses = {{"192.168.5.7", 24}};
    dispatcher->dispatch("ip192.168.005.010mask255.255.255.0gateway192.168.5.1ok");
    QVERIFY(sink->has("write:tcp:TCP_information/MyIP=192.168.5.10"));
    QTRY_VERIFY_WITH_TIMEOUT(sink->has("reconnect:192.168.5.10,192.168.5.7"), 2000);
}

void tst_Dispatch::localAddressChoice_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QList<LocalAddress>>("candidates");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("subnet beats third number")
        << "192.168.0.178" << QList<LocalAddress>{{"10.1.0.2", 16}, {"192.168.0.9", 24}} << "192.168.0.9";
    QTest::newRow("third number fallback")
        << "192.168.3.1" << QList<LocalAddress>{{"172.16.3.4", 24}, {"10.0.0.1", -1}} << "172.16.3.4";
    QTest::newRow("none") << "192.168.3.1" << QList<LocalAddress>{{"10.0.0.1", 8}} << QString();
    QTest::newRow("bad device address") << "300.1.1.1" << QList<LocalAddress>{{"10.0.0.1", 8}} << QString();
}

void tst_Dispatch::localAddressChoice()
{
    QFETCH(QString, device);
    QFETCH(QList<LocalAddress>, candidates);
    QFETCH(QString, chosen);
    QCOMPARE(ReplyDispatcher::chooseLocalAddress(device, candidates), chosen);
}

void tst_Dispatch::nestedDispatchKeepsOuterState()
{
    // The routing hook waits; while it waits a heartbeat answer is dispatched.
    int nestedDepth = 0;
    dispatcher->setBranchHandler(Answer::Routing, [this](ReplyDispatcher::BranchCall &call) {
        call.work.replace(QStringLiteral("out1in2ok"), QString());
        sink->delayMs(10);
        return ReplyDispatcher::Flow::Continue;
    });
    sink->onDelay = [&](int) {
        nestedDepth = dispatcher->depth() + 1;
        sink->onDelay = nullptr;
        dispatcher->dispatch("unlockokch4x4inYYNNoutNNNNok");
    };
    dispatcher->dispatch("out1in2okmcuctrlv7ok");

    QCOMPARE(nestedDepth, 2);
    QCOMPARE(matched, (QList<int>{30, 5, 14, 34}));
    QVERIFY(sink->has("ports:YYNN/NNNN"));
    QVERIFY(sink->has("ctrlVersion:V7"));
    QCOMPARE(dispatcher->depth(), 0);
    QCOMPARE(sink->count("heartbeat:5000"), 2);
}

void tst_Dispatch::builtInBranchesCannotBeReplaced()
{
    QVERIFY(!dispatcher->setBranchHandler(Answer::SignalStatus, [](ReplyDispatcher::BranchCall &) {
        return ReplyDispatcher::Flow::End;
    }));
    QVERIFY(!dispatcher->hasBranchHandler(Answer::Routing));
    QVERIFY(dispatcher->hasBranchHandler(Answer::NetworkSettings));
}

QTEST_GUILESS_MAIN(tst_Dispatch)
#include "tst_dispatch.moc"
