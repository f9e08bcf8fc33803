// Prints, against the simulator on loopback (8x8):
//  1. the subtitle menu's action (Open_Subtitle_Set) until the subtitle dialog
//     is visible, next to a raw socket round trip of the same query; the
//     query is asynchronous, so the receiver's quiet period is part of it;
//  2. entering the network sub-page (NetworkSettingsPage::onShown: three
//     synchronous exchanges, dispatched), next to three raw round trips;
//  3. without a window: the reply dispatcher on a device-information answer
//     with a name and on a subtitle answer, both cut out of the text before
//     the branch tests, next to a routing answer of the same length.
// Median and p95; the ratio is program over wire (or over the routing answer).
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/subtitle/subtitle_set.h"
#include "mainwindow/subtitle/subtitleflow.h"
#include "mainwindow/subtitle/subtitlemodel.h"
#include "mainwindow/system/networksettingspage.h"
#include "tests/support/dispatch_nullsink.h"
#include "tests/support/sim_process.h"

namespace {
constexpr int Rounds = 20;
constexpr int WarmUpRounds = 3;
constexpr int TimeoutMs = 2000;
constexpr int SubtitleInput = 1;
constexpr int DispatchBatches = 15;
constexpr int CallsPerBatch = 2000;

struct Spread
{
    double median = 0;
    double p95 = 0;
};

Spread spread(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    Spread s;
    s.median = us[us.size() / 2];
    s.p95 = us[std::min(us.size() - 1, size_t(double(us.size()) * 0.95))];
    return s;
}

void print(const char *title, const std::vector<double> &program, const std::vector<double> &device)
{
    const Spread p = spread(program);
    const Spread d = spread(device);
    std::printf("%s, %zu rounds\n", title, program.size());
    std::printf("  program: median %9.1f us  p95 %9.1f us\n", p.median, p.p95);
    std::printf("  raw:     median %9.1f us  p95 %9.1f us\n", d.median, d.p95);
    std::printf("  overhead (median): %.1f us, ratio program/raw %.2f\n", p.median - d.median,
                d.median > 0 ? p.median / d.median : 0.0);
}

double rawSequence(QTcpSocket &raw, const QStringList &requests, bool *ok)
{
    double total = 0;
    for (const QString &request : requests) {
        double us = 0;
        if (!Bench::rawRoundTrip(raw, request.toLatin1(), &us, TimeoutMs)) {
            *ok = false;
            return 0;
        }
        total += us;
    }
    return total;
}

// Pumps events until `done` holds or the time is up.
template <typename Done>
bool waitFor(Done done, const QElapsedTimer &clock)
{
    while (!done()) {
        if (clock.elapsed() > TimeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        // The dialog deletes itself on close: let deleteLater run here too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// A received answer as the dispatcher gets it: without blanks and line
// breaks, and as it came.
struct Answer
{
    QString compact;
    QString raw;
};

Answer fromLines(const QStringList &lines)
{
    Answer a;
    for (const QString &line : lines) {
        a.raw += line + QStringLiteral("\r\n");
        a.compact += QString(line).remove(QLatin1Char(' '));
    }
    return a;
}

// Routes "out<o>in<i>" (7 to 9 characters each) closed by "ok", exactly
// `length` characters in compact form.
Answer routingOfLength(int length)
{
    const int routes = length - 2;
    const int count = (routes + 8) / 9;
    int extra = routes - 7 * count;
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        const int grow = std::min(2, extra);
        extra -= grow;
        const int output = grow > 0 ? 10 + i : 1 + i;
        const int input = grow > 1 ? 10 : 1;
        lines << QStringLiteral("out%1in%2").arg(output).arg(input);
    }
    lines << QStringLiteral("ok");
    return fromLines(lines);
}

// Microseconds per dispatch of each (text, received text) pair: batches
// taken in turn, so that a busy moment of the machine hits all pairs alike;
// the median batch of each after a warm-up.
std::vector<double> usPerDispatch(ReplyDispatcher &dispatcher, const std::vector<std::pair<QString, QString>> &pairs)
{
    std::vector<std::vector<double>> batches(pairs.size());
    for (int b = -1; b < DispatchBatches; ++b) {
        for (size_t p = 0; p < pairs.size(); ++p) {
            QElapsedTimer clock;
            clock.start();
            for (int i = 0; i < CallsPerBatch; ++i)
                dispatcher.dispatch(pairs[p].first, pairs[p].second);
            if (b >= 0)
                batches[p].push_back(double(clock.nsecsElapsed()) / CallsPerBatch / 1000.0);
        }
    }
    std::vector<double> us;
    for (const std::vector<double> &each : batches)
        us.push_back(spread(each).median);
    return us;
}

bool benchDispatcher()
{
    NullDispatchSink sink;
    sink.model = QStringLiteral("16x16");
    ReplyDispatcher dispatcher(sink);
    dispatcher.state().modelApplied = true;
    // Every case goes the whole way, into a branch that does nothing.
    const auto nothing = [](ReplyDispatcher::BranchCall &) { return ReplyDispatcher::Flow::Continue; };
    dispatcher.setBranchHandler(Protocol::Answer::Routing, nothing);
    dispatcher.setBranchHandler(Protocol::Answer::Osd, nothing);

    const Answer deviceInfo = fromLines(
        {QStringLiteral("Main output"), QStringLiteral("systemon"), QStringLiteral("unlock"), QStringLiteral("ok")});
    const Answer subtitle
        = fromLines({QStringLiteral("input1osd:enable,pos:3,color:blue,string:Main hall,ok")});
    struct Case
    {
        const char *title;
        Answer answer;
    };
    const Case cases[] = {{"device information with a name", deviceInfo}, {"subtitle answer", subtitle}};

    std::printf("reply dispatcher, null sink, median of %d x %d calls\n", DispatchBatches, CallsPerBatch);
    for (const Case &c : cases) {
        const Answer routing = routingOfLength(c.answer.compact.size());
        if (routing.compact.size() != c.answer.compact.size()) {
            std::fprintf(stderr, "no routing answer of %d characters\n", int(c.answer.compact.size()));
            return false;
        }
        const std::vector<double> us = usPerDispatch(dispatcher, {{c.answer.compact, c.answer.raw},
                                                                  {c.answer.compact, QString()},
                                                                  {routing.compact, routing.raw},
                                                                  {routing.compact, QString()}});
        const double withRaw = us[0];
        const double compactOnly = us[1];
        const double routeWithRaw = us[2];
        const double routeCompact = us[3];
        std::printf("  %s (%d chars) vs routing \"%s\"\n", c.title, int(c.answer.compact.size()),
                    qPrintable(routing.compact));
        std::printf("    with received text: %7.2f us vs %7.2f us, ratio %.2f\n", withRaw, routeWithRaw,
                    routeWithRaw > 0 ? withRaw / routeWithRaw : 0.0);
        std::printf("    compact only:       %7.2f us vs %7.2f us, ratio %.2f\n", compactOnly, routeCompact,
                    routeCompact > 0 ? compactOnly / routeCompact : 0.0);
    }
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment(TRIVANE_SIM_PATH);
    QApplication app(argc, argv);
    const Bench::Session session(QtWarningMsg);

    // 3 first: it needs no device.
    if (!benchDispatcher())
        return 1;

    SimProcess sim;
    MainWindow *window = Bench::openOnSimulator(sim, {QStringLiteral("--model"), QStringLiteral("8x8")});
    if (!window)
        return 1;
    QTcpSocket raw;
    if (!Bench::connectRaw(raw, sim.tcpPort()))
        return 1;
    bool ok = true;
    QElapsedTimer clock;

    // 1. The subtitle menu's action until the dialog shows.
    sim.command(QStringLiteral("history clear"));
    std::vector<double> program;
    std::vector<double> device;
    SubtitleFlow *flow = window->subtitleFlow();
    const QString osdQuery = Subtitle::getRequest(SubtitleInput);
    for (int i = 0; i < Rounds + WarmUpRounds && ok; ++i) {
        window->Currunt_ToolButton_HDMI = SubtitleInput;
        clock.start();
        window->Open_Subtitle_Set();
        if (!waitFor([flow] { return flow->dialog() && flow->dialog()->isVisible(); }, clock)) {
            std::fprintf(stderr, "the subtitle dialog never showed\n");
            return 1;
        }
        const double us = double(clock.nsecsElapsed()) / 1000.0;
        const QPointer<Subtitle_Set> dialog = flow->dialog();
        dialog->close();
        clock.start();
        if (!waitFor([&dialog] { return dialog.isNull(); }, clock)) {
            std::fprintf(stderr, "the subtitle dialog stayed after closing\n");
            return 1;
        }
        const double rawUs = rawSequence(raw, {osdQuery}, &ok);
        if (i >= WarmUpRounds) {
            program.push_back(us);
            device.push_back(rawUs);
        }
    }
    if (ok) {
        print(qPrintable(QStringLiteral("subtitle: %1 until the dialog is visible").arg(osdQuery)), program,
              device);
        const double quietUs = window->deviceLink()->quietIntervalMs() * 1000.0;
        std::printf("  of which the receiver's quiet period: %.1f us; the rest: %.1f us\n", quietUs,
                    spread(program).median - quietUs - spread(device).median);
    }

    // Program and raw socket alike must have reached the device every round.
    const auto sentEveryRound = [&sim](const QStringList &requests) {
        const int expected = 2 * (Rounds + WarmUpRounds);
        const QStringList history = sim.history();
        sim.command(QStringLiteral("history clear"));
        for (const QString &request : requests) {
            const int seen = int(history.count(request));
            if (seen != expected) {
                std::fprintf(stderr, "%s reached the device %d times, not %d\n", qPrintable(request), seen,
                             expected);
                return false;
            }
        }
        return true;
    };
    if (ok && !sentEveryRound({osdQuery}))
        return 1;

    // 2. Entering the network sub-page.
    program.clear();
    device.clear();
    NetworkSettingsPage *network = window->networkSettingsPage();
    window->pollingRunning = false;
    const QStringList networkQueries = {QString::fromLatin1(Protocol::Command::GetInputBaud),
                                        QString::fromLatin1(Protocol::Command::GetOutputBaud),
                                        QString::fromLatin1(Protocol::Command::GetNetConfig)};
    for (int i = 0; i < Rounds + WarmUpRounds && ok; ++i) {
        clock.start();
        network->onShown();
        const double us = double(clock.nsecsElapsed()) / 1000.0;
        const double rawUs = rawSequence(raw, networkQueries, &ok);
        if (i >= WarmUpRounds) {
            program.push_back(us);
            device.push_back(rawUs);
        }
    }
    if (ok) {
        if (!sentEveryRound(networkQueries))
            return 1;
        print("network sub-page entry (3 synchronous requests)", program, device);
    }
    std::fflush(stdout);
    if (!ok) {
        std::fprintf(stderr, "raw round trip failed\n");
        return 1;
    }
    return 0;
}
