#include "link/protocol/protocol.h"

#include <QtTest>

using namespace Protocol;

Q_DECLARE_METATYPE(std::optional<QString>)

class tst_Protocol final : public QObject
{
    Q_OBJECT
private slots:
    void build_data();
    void build();
    void wellFormed_data();
    void wellFormed();
    void gb2312RoundTrip();
    void errorReply_data();
    void errorReply();
    void lineEndingOk_data();
    void lineEndingOk();
    void answerEnd_data();
    void answerEnd();
    void valueBetween_data();
    void valueBetween();
    void valueBefore_data();
    void valueBefore();
    void numbers_data();
    void numbers();
    void portStatus_data();
    void portStatus();
    void signalStatus_data();
    void signalStatus();
    void answerTests_data();
    void answerTests();
    void standbyFilter_data();
    void standbyFilter();
};

void tst_Protocol::build_data()
{
    QTest::addColumn<QString>("templ");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("expected");
    QTest::newRow("one to all") << QString(Command::SwitchAll) << QStringList{"3"} << "(sw,3,a)";
    QTest::newRow("one switch") << QString(Command::SwitchOne) << QStringList{"3", "5"} << "(sw,3,5)";
    QTest::newRow("no args") << QString(Command::GetSwitch) << QStringList{} << "(get,sw)";
    QTest::newRow("five args") << QString(Command::SetOsd) << QStringList{"1", "2", "3", "4", "hi"} << "(set,osd,1,2,3,4,hi)";
    QTest::newRow("name with placeholder text stays literal")
        << QString(Command::RenameProduct) << QStringList{"Room %2"} << "(rename,product,Room %2)";
    QTest::newRow("missing argument") << QString(Command::SwitchOne) << QStringList{"3"} << QString();
    QTest::newRow("surplus argument") << QString(Command::GetSwitch) << QStringList{"3"} << QString();
    QTest::newRow("unused argument") << QString(Command::SwitchAll) << QStringList{"3", "4"} << QString();
    QTest::newRow("line break in name") << QString(Command::RenameProduct) << QStringList{"a\r\n"} << QString();
}

void tst_Protocol::build()
{
    QFETCH(QString, templ);
    QFETCH(QStringList, args);
    QFETCH(QString, expected);
    QList<Arg> list;
    for (const QString &a : args)
        list << Arg(a);
    const QString request = Protocol::build(templ, list);
    QCOMPARE(request, expected);
    // Argument text is literal, so a "%2" inside a name is no placeholder.
    if (!expected.isEmpty() && !args.join(QString()).contains(QLatin1Char('%')))
        QVERIFY(isWellFormedRequest(request));
}

void tst_Protocol::wellFormed_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("ok");
    QTest::newRow("plain") << "(get,sw)" << true;
    QTest::newRow("unfilled") << "(sw,%1,a)" << false;
    QTest::newRow("trailing CR") << "(get,sw)\r" << false;
    QTest::newRow("trailing NUL") << QString("(get,sw)") + QChar(0) << false;
    QTest::newRow("no parentheses") << "get,sw" << false;
}

void tst_Protocol::wellFormed()
{
    QFETCH(QString, request);
    QFETCH(bool, ok);
    QCOMPARE(isWellFormedRequest(request), ok);
}

void tst_Protocol::gb2312RoundTrip()
{
    const QString name = QStringLiteral("会议室 A");
    const QByteArray bytes = encode(Protocol::build(Command::RenameProduct, {name}));
    QCOMPARE(bytes.left(16), QByteArray("(rename,product,"));
    QCOMPARE(bytes.mid(16, 6), QByteArray("\xBB\xE1\xD2\xE9\xCA\xD2"));
    QCOMPARE(bytes.right(1), QByteArray(")"));
    QCOMPARE(decode(bytes.mid(16, bytes.size() - 17)), name);
    QCOMPARE(encode(QStringLiteral("(sw,3,a)")), QByteArray("(sw,3,a)"));
    QCOMPARE(Protocol::buildSceneList({1, 2, 3, 4}), QStringLiteral("(scene,list,1,2,3,4)"));
}

void tst_Protocol::errorReply_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("error");
    QTest::newRow("err alone") << "err\r\n" << true;
    QTest::newRow("err after a good line") << "ok\r\nerr\r\n" << true;
    QTest::newRow("subtitle Merry") << "input1osd:1,pos:1,color:1,string:Merry Christmas,ok\r\n" << false;
    QTest::newRow("name Terrace") << "Terrace\r\nsystemon\r\nunlock\r\n" << false;
    QTest::newRow("err inside a line") << "ch4x4 in YYNN out YYNN ok xerr" << false;
    QTest::newRow("name errand office") << "errand office\r\nsystemon\r\nunlock\r\nok\r\n" << false;
    QTest::newRow("err with a code") << "err,3\r\n" << true;
    QTest::newRow("err without line break") << "err" << true;
    QTest::newRow("indented err") << "  err \r\n" << true;
}

void tst_Protocol::errorReply()
{
    QFETCH(QString, raw);
    QFETCH(bool, error);
    QCOMPARE(isErrorReply(raw), error);
}

void tst_Protocol::lineEndingOk_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("done");
    QTest::newRow("name Bookshop, slow") << "Bookshop\r\nsys" << false;
    QTest::newRow("Tokyo then end") << "Tokyo\r\nsystemon\r\nunlock\r\nok\r\n" << true;
    QTest::newRow("ok at end of text") << "out1in2ok" << true;
    QTest::newRow("no ok") << "out1in2" << false;
}

void tst_Protocol::lineEndingOk()
{
    QFETCH(QString, raw);
    QFETCH(bool, done);
    QCOMPARE(hasLineEndingOk(raw), done);
}

void tst_Protocol::answerEnd_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<int>("end");
    const int more = int(AnswerEnd::Incomplete), done = int(AnswerEnd::Complete),
              quiet = int(AnswerEnd::CompleteIfQuiet), error = int(AnswerEnd::Error);
    QTest::newRow("one line") << "(get,i.baud)" << "inbaudrate9600ok\r\n" << done;
    QTest::newRow("ok without line break") << "(get,i.baud)" << "inbaudrate9600ok" << quiet;
    QTest::newRow("ok then CR only") << "(get,sw)" << "out1in1\r\nok\r" << quiet;
    QTest::newRow("ok, blank, break") << "(get,sw)" << "out1in1\r\nok \r\n" << done;
    QTest::newRow("still coming") << "(get,sw)" << "out1in1\r\nout2" << more;
    QTest::newRow("rejected") << "(get,sw,99)" << "err\r\n" << error;
    // The device name comes first and may end in "ok" itself.
    QTest::newRow("name Notebook, rest pending") << "(info,dev)" << "Notebook\r\n" << more;
    QTest::newRow("name Notebook, part of the rest") << "(info,dev)" << "Notebook\r\nsystemon\r\n" << more;
    QTest::newRow("name Notebook, all") << "(info,dev)" << "Notebook\r\nsystemon\r\nunlock\r\nok\r\n" << done;
    QTest::newRow("name errand office") << "(info,dev)" << "errand office\r\nsystemoff\r\nlock\r\nok\r\n" << done;
    QTest::newRow("other request, name-like ok") << "(get,i.baud)" << "Notebook\r\n" << done;
}

void tst_Protocol::answerEnd()
{
    QFETCH(QString, request);
    QFETCH(QString, raw);
    QFETCH(int, end);
    QCOMPARE(int(Protocol::answerEnd(request, raw)), end);
}

void tst_Protocol::valueBetween_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("open");
    QTest::addColumn<QString>("close");
    QTest::addColumn<std::optional<QString>>("value");
    QTest::newRow("baud") << "inbaudrate115200ok" << "inbaudrate" << "ok" << std::optional<QString>("115200");
    QTest::newRow("gateway after heartbeat")
        << "ch4x4inYYNNoutYYNNokip192.168.1.10mask255.255.255.0gateway192.168.1.1ok" << "gateway" << "ok"
        << std::optional<QString>("192.168.1.1");
    QTest::newRow("close missing gives rest") << "mcuctrlv1.2" << "mcuctrl" << "ok" << std::optional<QString>("v1.2");
    QTest::newRow("open missing gives nothing") << "mcurxv1ok" << "mcuctrl" << "ok" << std::optional<QString>();
    QTest::newRow("empty value") << "mcuctrlok" << "mcuctrl" << "ok" << std::optional<QString>(QString());
    QTest::newRow("first answer counts") << "inbaudrate9600okinbaudrate115200ok" << "inbaudrate" << "ok"
                                         << std::optional<QString>("9600");
    QTest::newRow("scene polling before heartbeat: input status")
        << "scenepolling3calledch4x4inYYNNoutYYNNok" << "calledch4x4in" << "out" << std::optional<QString>("YYNN");
}

void tst_Protocol::valueBetween()
{
    QFETCH(QString, text);
    QFETCH(QString, open);
    QFETCH(QString, close);
    QFETCH(std::optional<QString>, value);
    const QByteArray o = open.toLatin1(), c = close.toLatin1();
    QCOMPARE(Protocol::valueBetween(text, QLatin1String(o), QLatin1String(c)), value);
}

void tst_Protocol::valueBefore_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<QString>>("address");
    QTest::newRow("plain") << "ip10.0.0.5mask255.0.0.0gateway10.0.0.1ok" << std::optional<QString>("10.0.0.5");
    QTest::newRow("name with ip before")
        << "Philipssystemonunlockip10.0.0.5mask255.0.0.0gateway10.0.0.1ok" << std::optional<QString>("10.0.0.5");
    QTest::newRow("no ip") << "mask255.0.0.0gateway10.0.0.1ok" << std::optional<QString>();
}

void tst_Protocol::valueBefore()
{
    QFETCH(QString, text);
    QFETCH(std::optional<QString>, address);
    QCOMPARE(Protocol::valueBefore(text, QLatin1String("ip"), QLatin1String("mask")), address);
}

void tst_Protocol::numbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "115200" << 115200;
    QTest::newRow("leading zero is decimal") << "010" << 10;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("overflow") << "99999999999999999999" << 0;
    QTest::newRow("empty") << "" << 0;
}

void tst_Protocol::numbers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(toNumber(text), value);
}

void tst_Protocol::portStatus_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("ports");
    QTest::newRow("mixed case") << "YYNNyynn" << "YYNNYYNN";
    QTest::newRow("foreign characters skipped") << "Y-N x" << "YN";
    QTest::newRow("empty") << "" << "";
}

void tst_Protocol::portStatus()
{
    QFETCH(QString, value);
    QFETCH(QString, ports);
    QString got;
    for (bool b : parsePortStatus(value))
        got += b ? 'Y' : 'N';
    QCOMPARE(got, ports);
}

void tst_Protocol::signalStatus_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<QString>("rest");
    QTest::newRow("plain") << "ch4x4inYYNNoutNNYYok" << true << 4 << 4 << "";
    QTest::newRow("polling answer first")
        << "scenepolling3calledch4x4inYYNNoutYYNNok" << true << 4 << 4 << "scenepolling3called";
    QTest::newRow("firmware answer first")
        << "pleasechooseupdatefilech8x16inYYYYNNNNoutYYYYYYYYNNNNNNNNok" << true << 8 << 16 << "pleasechooseupdatefile";
    QTest::newRow("routing after heartbeat") << "ch4x4inYYNNoutYYNNokout1in2ok" << true << 4 << 4 << "out1in2ok";
    QTest::newRow("subtitle with ch, in and out out of order")
        << "input1osd:1,pos:2,color:3,string:Lunchabouttostart,ok" << false << 0 << 0 << "";
    QTest::newRow("in without out") << "ch4x4inYYNN" << false << 0 << 0 << "";
    QTest::newRow("no ok") << "ch4x4inYYNNoutYYNN" << false << 0 << 0 << "";
    // Device names that hold the keywords in order are no status.
    QTest::newRow("name Church in Southbrook")
        << "ChurchinSouthbrooksystemonunlockok" << false << 0 << 0 << "";
    QTest::newRow("name, then a real status")
        << "ChurchinSouthbrooksystemonunlockokch4x4inYYNNoutYNYNok" << true << 4 << 4
        << "ChurchinSouthbrooksystemonunlockok";
    QTest::newRow("too many inputs is still a status") << "ch4x4inYYYYYYYYYYYYYYYYYoutYYok" << true << 17 << 2 << "";
}

void tst_Protocol::signalStatus()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QFETCH(QString, rest);
    const auto status = findSignalStatus(text);
    QCOMPARE(status.has_value(), found);
    if (!found)
        return;
    QCOMPARE(status->inputs.size(), inputs);
    QCOMPARE(status->outputs.size(), outputs);
    QCOMPARE(withoutSignalStatus(text), rest);
}

void tst_Protocol::answerTests_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("match");
    QTest::newRow("unlock is not lock at start") << "unlockok" << int(Answer::Lock) << false;
    QTest::newRow("unlock at start") << "unlockok" << int(Answer::Unlock) << true;
    QTest::newRow("polling recall is not operator recall")
        << "scenepolling2called" << int(Answer::SceneCalled) << false;
    QTest::newRow("operator recall") << "scene2called" << int(Answer::SceneCalled) << true;
    QTest::newRow("routing lacks ch") << "out1in2ok" << int(Answer::Routing) << true;
    QTest::newRow("status is not routing") << "ch4x4inYYNNoutYYNNok" << int(Answer::Routing) << false;
    QTest::newRow("standby not at start") << "out1in2oksystemoff" << int(Answer::SystemOff) << false;
}

void tst_Protocol::answerTests()
{
    QFETCH(QString, text);
    QFETCH(int, answer);
    QFETCH(bool, match);
    QCOMPARE(matches(text, static_cast<Answer>(answer)), match);
}

void tst_Protocol::standbyFilter_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("wakeup") << Command::WakeUp << true;
    QTest::newRow("heartbeat") << Command::InfoLink << true;
    QTest::newRow("switch") << "(sw,1,2)" << false;
    QTest::newRow("get sw") << Command::GetSwitch << false;
}

void tst_Protocol::standbyFilter()
{
    QFETCH(QString, request);
    QFETCH(bool, allowed);
    QCOMPARE(allowedInStandby(request), allowed);
}

QTEST_GUILESS_MAIN(tst_Protocol)
#include "tst_protocol.moc"
