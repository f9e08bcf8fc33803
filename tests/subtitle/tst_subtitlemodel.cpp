#include "mainwindow/subtitle/subtitlemodel.h"

#include <QtTest>

using Subtitle::TextCheck;
Q_DECLARE_METATYPE(Subtitle::TextCheck)

class tst_SubtitleModel final : public QObject
{
    Q_OBJECT
private slots:
    void parseAnswer_data();
    void parseAnswer();
    void valueCodes();
    void wireText_data();
    void wireText();
    void checkText_data();
    void checkText();
    void requests();
};

void tst_SubtitleModel::parseAnswer_data()
{
    QTest::addColumn<QString>("work");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("position");
    QTest::addColumn<QString>("colour");
    QTest::addColumn<QString>("text");

    const QString hello = QStringLiteral("input1osd:enable,pos:3,color:blue,string:HELLO,ok");
    QTest::newRow("simulator form") << hello << hello + "\r\n" << true << 1 << "enable" << "3" << "blue" << "HELLO";
    QTest::newRow("no raw text") << hello << QString() << true << 1 << "enable" << "3" << "blue" << "HELLO";
    QTest::newRow("port 16, off, empty text") << "input16osd:disable,pos:1,color:red,string:,ok" << QString() << true
                                              << 16 << "disable" << "1" << "red" << "";
    QTest::newRow("after another answer") << "out1in2okinput2osd:enable,pos:4,color:black,string:X,ok" << QString()
                                          << true << 2 << "enable" << "4" << "black" << "X";
    QTest::newRow("Chinese text") << QStringLiteral("input3osd:enable,pos:2,color:green,string:会议室,ok") << QString()
                                  << true << 3 << "enable" << "2" << "green" << QStringLiteral("会议室");
    QTest::newRow("unknown values kept as text") << "input1osd:blink,pos:9,color:purple,string:A,ok" << QString()
                                                 << true << 1 << "blink" << "9" << "purple" << "A";

    // The blanks of the operator's text survive only in the text as received.
    QTest::newRow("blank kept from raw") << "input1osd:enable,pos:2,color:white,string:Room1,ok"
                                         << "input1osd:enable,pos:2,color:white,string:Room 1,ok\r\n" << true << 1
                                         << "enable" << "2" << "white" << "Room 1";
    QTest::newRow("raw with more around, edges trimmed")
        << "input1osd:enable,pos:2,color:white,string:Room1,ok"
        << "out1in2\r\nok\r\ninput1osd:enable,pos:2,color:white,string:  Room  1 ,ok\r\n" << true << 1 << "enable"
        << "2" << "white" << "Room  1";
    QTest::newRow("raw holds another port's answer first")
        << "input1osd:enable,pos:2,color:white,string:Room1,ok"
        << "input2osd:enable,pos:2,color:white,string:Hall 2,ok\r\n"
           "input1osd:enable,pos:2,color:white,string:Room 1,ok\r\n"
        << true << 1 << "enable" << "2" << "white" << "Room 1";
    QTest::newRow("raw of a different answer: text from work")
        << "input1osd:enable,pos:2,color:white,string:RoomA,ok"
        << "input1osd:enable,pos:2,color:white,string:Room B,ok\r\n" << true << 1 << "enable" << "2" << "white"
        << "RoomA";

    const auto malformed = [](const char *name, const QString &work) {
        QTest::newRow(name) << work << QString() << false << 0 << "" << "" << "" << "";
    };
    malformed("empty", QString());
    malformed("no closing ok", QStringLiteral("input1osd:enable,pos:3,color:blue,string:HELLO"));
    malformed("ok without comma", QStringLiteral("input1osd:enable,pos:3,color:blue,string:HELLOok"));
    malformed("no text field", QStringLiteral("input1osd:enable,pos:3,color:blue,ok"));
    malformed("no colour field", QStringLiteral("input1osd:enable,pos:3,string:HELLO,ok"));
    malformed("no position field", QStringLiteral("input1osd:enable,color:blue,string:HELLO,ok"));
    malformed("fields out of order", QStringLiteral("input1osd:enable,color:blue,pos:3,string:HELLO,ok"));
    malformed("no port number", QStringLiteral("inputosd:enable,pos:3,color:blue,string:HELLO,ok"));
    malformed("port 0", QStringLiteral("input0osd:enable,pos:3,color:blue,string:HELLO,ok"));
    malformed("port 17", QStringLiteral("input17osd:enable,pos:3,color:blue,string:HELLO,ok"));
    malformed("error answer", QStringLiteral("err"));
}

void tst_SubtitleModel::parseAnswer()
{
    QFETCH(QString, work);
    QFETCH(QString, raw);
    QFETCH(bool, valid);

    const auto settings = Subtitle::parseAnswer(work, raw);
    QCOMPARE(settings.has_value(), valid);
    if (!valid)
        return;
    QTEST(settings->port, "port");
    QTEST(settings->status, "status");
    QTEST(settings->position, "position");
    QTEST(settings->colour, "colour");
    QTEST(settings->text, "text");
}

void tst_SubtitleModel::valueCodes()
{
    QCOMPARE(Subtitle::colourCode(QStringLiteral("white")), std::optional<int>(1));
    QCOMPARE(Subtitle::colourCode(QStringLiteral("black")), std::optional<int>(5));
    QVERIFY(!Subtitle::colourCode(QStringLiteral("Blue")));
    QVERIFY(!Subtitle::colourCode(QString()));
    QCOMPARE(Subtitle::colourStyle(1), QStringLiteral("QLineEdit{color: white;}"));
    QCOMPARE(Subtitle::colourStyle(4), QStringLiteral("QLineEdit{color: blue;}"));
    QVERIFY(Subtitle::colourStyle(0).isEmpty());
    QVERIFY(Subtitle::colourStyle(6).isEmpty());

    QCOMPARE(Subtitle::statusCode(QStringLiteral("enable")), std::optional<int>(1));
    QCOMPARE(Subtitle::statusCode(QStringLiteral("disable")), std::optional<int>(0));
    QVERIFY(!Subtitle::statusCode(QStringLiteral("on")));

    QCOMPARE(Subtitle::positionCode(QStringLiteral("1")), std::optional<int>(1));
    QCOMPARE(Subtitle::positionCode(QStringLiteral("4")), std::optional<int>(4));
    for (const char *bad : {"0", "5", "", "01", "+1", "x"})
        QVERIFY2(!Subtitle::positionCode(QLatin1String(bad)), bad);
}

void tst_SubtitleModel::wireText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("wire");

    QTest::newRow("plain") << "HELLO" << "HELLO";
    QTest::newRow("closing parenthesis") << "A)B" << QStringLiteral("A）B");
    QTest::newRow("opening parenthesis and comma") << "(a,b)" << QStringLiteral("（a，b）");
    QTest::newRow("trimmed, inner blank kept") << "  Room 1 " << "Room 1";
    QTest::newRow("Chinese unchanged") << QStringLiteral("会议室") << QStringLiteral("会议室");
    QTest::newRow("blank only") << "   " << "";
}

void tst_SubtitleModel::wireText()
{
    QFETCH(QString, typed);
    QTEST(Subtitle::wireText(typed), "wire");
}

void tst_SubtitleModel::checkText_data()
{
    QTest::addColumn<QString>("wire");
    QTest::addColumn<TextCheck>("result");

    QTest::newRow("ASCII") << "HELLO" << TextCheck::Ok;
    QTest::newRow("empty") << "" << TextCheck::Ok;
    QTest::newRow("15 characters") << QString(15, QLatin1Char('A')) << TextCheck::Ok;
    QTest::newRow("16 characters") << QString(16, QLatin1Char('A')) << TextCheck::TooLong;
    QTest::newRow("15 Chinese") << QString(15, QChar(0x5B57)) << TextCheck::Ok;
    QTest::newRow("16 Chinese") << QString(16, QChar(0x5B57)) << TextCheck::TooLong;
    QTest::newRow("full-width replacements") << Subtitle::wireText(QStringLiteral("(会议,室)")) << TextCheck::Ok;
    QTest::newRow("emoji") << QStringLiteral("Hi 😀") << TextCheck::NotEncodable;
    QTest::newRow("traditional character") << QStringLiteral("會議") << TextCheck::NotEncodable;
    QTest::newRow("euro sign") << QStringLiteral("5€") << TextCheck::NotEncodable;
    QTest::newRow("tab") << "A\tB" << TextCheck::NotEncodable;
}

void tst_SubtitleModel::checkText()
{
    QFETCH(QString, wire);
    QTEST(Subtitle::checkText(wire), "result");
}

void tst_SubtitleModel::requests()
{
    QCOMPARE(Subtitle::setRequest(1, 1, 3, 4, Subtitle::wireText(QStringLiteral("A)B"))),
             QStringLiteral("(set,osd,1,1,3,4,A）B)"));
    QCOMPARE(Subtitle::setRequest(16, 0, 1, 5, QString()), QStringLiteral("(set,osd,16,0,1,5,)"));
    QCOMPARE(Subtitle::getRequest(12), QStringLiteral("(get,osd,12)"));
}

QTEST_GUILESS_MAIN(tst_SubtitleModel)
#include "tst_subtitlemodel.moc"
