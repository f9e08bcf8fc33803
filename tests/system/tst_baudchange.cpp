// A change of the device's RS-232 rate against a fake window: the requests
// and their pacing, the confirmation over TCP, and on a serial link the
// reopen, the proof with "(cer)", the fallback to the link's previous rate
// and the lost link.
#include "mainwindow/system/baudchangemodel.h"

#include <QElapsedTimer>
#include <QMap>
#include <QtTest>

using Port = System::SerialPort;
using Outcome = BaudChange::Outcome;

Q_DECLARE_METATYPE(System::SerialPort)
Q_DECLARE_METATYPE(BaudChange::Outcome)

namespace {

constexpr int ShortPauseMs = 30;
constexpr int ShortSettleMs = 10;
constexpr int ShortProbeMs = 20;
constexpr int DoneWithinMs = 2000;

// The window and a device behind its link: the device answers "(cer)" only
// when the program's port runs at the device's rate.
class FakeSink final : public BaudChange::Sink
{
public:
    void send(const QString &request) override
    {
        sent << request;
        sentAtMs << clock.elapsed();
    }
    bool serialLink() const override { return serial; }
    QString linkRate() const override { return openRate; }
    bool reopenSerial(const QString &rate) override
    {
        reopened << rate;
        openRate = rate;
        return !refusedRates.contains(rate);
    }
    bool probeBanner(int waitMs) override
    {
        Q_UNUSED(waitMs)
        ++probes;
        return !deviceSilent && openRate == deviceRate;
    }
    void storeRate(const QString &rate) override { stored << rate; }
    void showWaiting(bool visible) override { waiting << visible; }

    QElapsedTimer clock;
    bool serial = false;
    bool deviceSilent = false;
    QString openRate = QStringLiteral("9600");
    QString deviceRate = QStringLiteral("9600");
    QStringList refusedRates;
    QStringList sent;
    QList<qint64> sentAtMs;
    QStringList reopened;
    QStringList stored;
    QList<bool> waiting;
    int probes = 0;
};

struct Ending
{
    int count = 0;
    Port port = Port::Input;
    Outcome outcome = Outcome::NotSent;
    QString rate;
};

} // namespace

class TestBaudChange final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setFollowsOtherPortsQuery_data();
    void setFollowsOtherPortsQuery();
    void rateWithoutCodeIsNotSent();
    void tcpConfirmationEndsTheChange();
    void serialInputPort_data();
    void serialInputPort();
    void outputPortOnSerialNeverReopens();
    void unconfirmedChangeTimesOut();

private:
    // Starts a change and waits until its set request is out.
    void startAndWaitForSet(Port port, const QString &rate);

    FakeSink *sink = nullptr;
    BaudChange *change = nullptr;
    Ending ending;
    int unconfirmed = 0;
};

void TestBaudChange::init()
{
    sink = new FakeSink;
    sink->clock.start();
    change = new BaudChange(*sink);
    change->setTimings(ShortPauseMs, ShortSettleMs, ShortProbeMs);
    ending = Ending();
    unconfirmed = 0;
    connect(change, &BaudChange::finished, this, [this](Port port, Outcome outcome, const QString &rate) {
        ++ending.count;
        ending.port = port;
        ending.outcome = outcome;
        ending.rate = rate;
    });
    connect(change, &BaudChange::notConfirmed, this, [this] { ++unconfirmed; });
}

void TestBaudChange::cleanup()
{
    delete change;
    delete sink;
}

void TestBaudChange::startAndWaitForSet(Port port, const QString &rate)
{
    change->start(port, rate);
    QTRY_COMPARE_WITH_TIMEOUT(sink->sent.size(), 2, DoneWithinMs);
}

void TestBaudChange::setFollowsOtherPortsQuery_data()
{
    QTest::addColumn<Port>("port");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QStringList>("requests");
    QTest::newRow("input 115200") << Port::Input << "115200"
                                  << QStringList { "(get,o.baud)", "(set,i.baud,5)" };
    QTest::newRow("input 38400") << Port::Input << "38400"
                                 << QStringList { "(get,o.baud)", "(set,i.baud,3)" };
    QTest::newRow("output 9600") << Port::Output << "9600"
                                 << QStringList { "(get,i.baud)", "(set,o.baud,1)" };
}

void TestBaudChange::setFollowsOtherPortsQuery()
{
    QFETCH(Port, port);
    QFETCH(QString, rate);
    QFETCH(QStringList, requests);
    change->setTimings(BaudChange::PauseBeforeSetMs, ShortSettleMs, ShortProbeMs);

    change->start(port, rate);
    QCOMPARE(sink->sent, QStringList { requests.first() });
    QVERIFY(change->changing(port));
    QVERIFY(!change->changing(port == Port::Input ? Port::Output : Port::Input));

    QTRY_COMPARE_WITH_TIMEOUT(sink->sent, requests, DoneWithinMs);
    const qint64 pause = sink->sentAtMs.at(1) - sink->sentAtMs.at(0);
    QVERIFY2(pause >= BaudChange::PauseBeforeSetMs && pause < BaudChange::PauseBeforeSetMs + 300,
        qPrintable(QString::number(pause)));
    QCOMPARE(ending.count, 0);
}

void TestBaudChange::rateWithoutCodeIsNotSent()
{
    change->start(Port::Input, QStringLiteral("4800"));
    QCOMPARE(ending.count, 1);
    QCOMPARE(ending.outcome, Outcome::NotSent);
    QVERIFY(!change->changing(Port::Input));
    QVERIFY(!change->running());
    QTest::qWait(ShortPauseMs * 2);
    QVERIFY(sink->sent.isEmpty());
}

void TestBaudChange::tcpConfirmationEndsTheChange()
{
    change->start(Port::Input, QStringLiteral("115200"));
    // An answer before the set is out answers a query.
    QVERIFY(!change->onConfirmed(Port::Input, 9600));
    QTRY_COMPARE_WITH_TIMEOUT(sink->sent.size(), 2, DoneWithinMs);
    // A query while the set is out does not turn its answer into a query's.
    change->clearPending(Port::Input);
    QVERIFY(change->changing(Port::Input));

    QVERIFY(change->onConfirmed(Port::Input, 115200));
    QCOMPARE(ending.count, 1);
    QCOMPARE(ending.outcome, Outcome::Confirmed);
    QCOMPARE(ending.rate, QStringLiteral("115200"));
    QVERIFY(sink->reopened.isEmpty());
    QVERIFY(sink->stored.isEmpty());
    QVERIFY(!change->running());
    // Later answers of the port are queries' answers again.
    QVERIFY(!change->changing(Port::Input));
    QVERIFY(!change->onConfirmed(Port::Input, 115200));
    QCOMPARE(ending.count, 1);
}

void TestBaudChange::serialInputPort_data()
{
    QTest::addColumn<QString>("deviceRateAfter");
    QTest::addColumn<bool>("deviceSilent");
    QTest::addColumn<QStringList>("refused");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("rate");
    QTest::addColumn<QStringList>("reopened");
    QTest::addColumn<QStringList>("stored");

    const QStringList both { "115200", "19200" };
    QTest::newRow("proven") << "115200" << false << QStringList() << Outcome::Confirmed << "115200"
                            << QStringList { "115200" } << QStringList { "115200" };
    // The link's rate before the change, not what some selector shows.
    QTest::newRow("device kept its rate")
        << "19200" << false << QStringList() << Outcome::FellBack << "19200" << both << QStringList();
    QTest::newRow("port refuses the new rate") << "19200" << false << QStringList { "115200" }
                                               << Outcome::FellBack << "19200" << both << QStringList();
    QTest::newRow("silent at both rates")
        << "115200" << true << QStringList() << Outcome::LinkLost << "19200" << both << QStringList();
    QTest::newRow("port reopens at neither")
        << "115200" << false << both << Outcome::LinkLost << "19200" << both << QStringList();
}

void TestBaudChange::serialInputPort()
{
    QFETCH(QString, deviceRateAfter);
    QFETCH(bool, deviceSilent);
    QFETCH(QStringList, refused);
    QFETCH(Outcome, outcome);
    QFETCH(QString, rate);
    QFETCH(QStringList, reopened);
    QFETCH(QStringList, stored);
    sink->serial = true;
    sink->openRate = sink->deviceRate = QStringLiteral("19200");

    startAndWaitForSet(Port::Input, QStringLiteral("115200"));
    sink->deviceRate = deviceRateAfter;
    sink->deviceSilent = deviceSilent;
    sink->refusedRates = refused;
    QVERIFY(change->onConfirmed(Port::Input, 115200));
    // Nothing reopens inside the dispatch that delivered the answer.
    QVERIFY(sink->reopened.isEmpty());
    QVERIFY(change->changing(Port::Input));

    QTRY_COMPARE_WITH_TIMEOUT(ending.count, 1, DoneWithinMs);
    QCOMPARE(ending.outcome, outcome);
    QCOMPARE(ending.rate, rate);
    QCOMPARE(sink->reopened, reopened);
    QCOMPARE(sink->stored, stored);
    QCOMPARE(sink->waiting, (QList<bool> { true, false }));
    QVERIFY(!change->changing(Port::Input));
    QVERIFY(!change->running());
}

void TestBaudChange::outputPortOnSerialNeverReopens()
{
    sink->serial = true;
    startAndWaitForSet(Port::Output, QStringLiteral("57600"));
    QVERIFY(change->onConfirmed(Port::Output, 57600));
    QCOMPARE(ending.count, 1);
    QCOMPARE(ending.outcome, Outcome::Confirmed);
    QCOMPARE(ending.rate, QStringLiteral("57600"));
    QTest::qWait(ShortSettleMs * 3);
    QVERIFY(sink->reopened.isEmpty());
    QCOMPARE(sink->probes, 0);
    QVERIFY(sink->stored.isEmpty());
    QCOMPARE(sink->openRate, QStringLiteral("9600"));
}

void TestBaudChange::unconfirmedChangeTimesOut()
{
    change->setAnswerTimeout(60);
    sink->serial = true;
    startAndWaitForSet(Port::Input, QStringLiteral("115200"));
    QTRY_COMPARE_WITH_TIMEOUT(unconfirmed, 1, DoneWithinMs);
    QVERIFY(!change->changing(Port::Input));
    QVERIFY(!change->running());
    QCOMPARE(ending.count, 0);
    QVERIFY(sink->reopened.isEmpty());
    // A late answer is a query's answer.
    QVERIFY(!change->onConfirmed(Port::Input, 115200));
}

QTEST_GUILESS_MAIN(TestBaudChange)
#include "tst_baudchange.moc"
