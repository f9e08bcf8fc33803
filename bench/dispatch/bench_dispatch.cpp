// Time per dispatcher call on a 16x16 signal-status answer and on a text
// holding ten answers run together. Run: bench_dispatch -median 9
#include "link/dispatch/replydispatcher.h"
#include "tests/support/dispatch_nullsink.h"

#include <QElapsedTimer>
#include <QSet>
#include <QtTest>

namespace {

constexpr int Ports = 16;
constexpr int Calls = 20000;

QString status16x16()
{
    QString in, out;
    for (int i = 0; i < Ports; ++i) {
        in += i % 3 ? QLatin1Char('Y') : QLatin1Char('N');
        out += i % 2 ? QLatin1Char('y') : QLatin1Char('n');
    }
    return QStringLiteral("ch16x16in%1out%2ok").arg(in, out);
}

QString tenAnswers()
{
    return status16x16() + QStringLiteral("out1in2ok") + QStringLiteral("in3res1920x1080@60Hzok")
           + QStringLiteral("output2brightness50ok") + QStringLiteral("scene3bereadyok")
           + QStringLiteral("inbaudrate115200ok") + QStringLiteral("mcurxv1.2mcutxv1.3ok")
           + QStringLiteral("ip192.168.0.178mask255.255.255.0gateway192.168.0.1ok")
           + QStringLiteral("input1osd:1,pos:2,color:3,string:Welcome,ok") + QStringLiteral("group1splittermodeis2ok");
}

} // namespace

class bench_Dispatch final : public QObject
{
    Q_OBJECT
private slots:
    void dispatch_data();
    void dispatch();
};

void bench_Dispatch::dispatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("16x16 signal status") << status16x16();
    QTest::newRow("ten answers") << tenAnswers();
}

void bench_Dispatch::dispatch()
{
    QFETCH(QString, text);
    NullDispatchSink sink;
    ReplyDispatcher dispatcher(sink);
    dispatcher.state().modelApplied = true;
    QBENCHMARK {
        dispatcher.dispatch(text);
    }
    // A plain figure too, once per row (the backend reruns this function).
    static QSet<QString> printed;
    if (printed.contains(QString::fromLatin1(QTest::currentDataTag())))
        return;
    printed.insert(QString::fromLatin1(QTest::currentDataTag()));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Calls; ++i)
        dispatcher.dispatch(text);
    const double usPerCall = double(timer.nsecsElapsed()) / Calls / 1000.0;
    qInfo("%s: %.2f us per call (%d calls)", QTest::currentDataTag(), usPerCall, Calls);
}

QTEST_GUILESS_MAIN(bench_Dispatch)
#include "bench_dispatch.moc"
