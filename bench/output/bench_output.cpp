// Prints, against the simulator on loopback (8x16, Orvex-T):
//  1. reading one output's five settings (queryOutput) until every widget
//     shows them, next to raw socket round trips of the same five requests;
//  2. choosing a resolution in a combo until the device's answer is applied,
//     next to a raw round trip of the same set request (the answer of a set
//     comes through the receiver, which hands it on after its quiet period);
//  3. refreshing the port cards (three exchanges, window disabled meanwhile),
//     next to raw round trips of the same three requests.
// The difference of the medians is the program's own time.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <cstdio>
#include <vector>

#include "app/commonlyused.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/output/outputmodel.h"
#include "mainwindow/output/outputpage.h"
#include "mainwindow/portstatus/portstatuspage.h"
#include "tests/support/sim_process.h"

namespace {
constexpr int Rounds = 40;
constexpr int WarmUpRounds = 5;
constexpr int RawTimeoutMs = 2000;
constexpr int Outputs = 16;

double rawSequence(QTcpSocket &raw, const QStringList &requests, bool *ok)
{
    double total = 0;
    for (const QString &request : requests) {
        double us = 0;
        if (!Bench::rawRoundTrip(raw, request.toLatin1(), &us)) {
            *ok = false;
            return 0;
        }
        total += us;
    }
    return total;
}

void print(const char *title, const std::vector<double> &program, const std::vector<double> &device)
{
    const Bench::Figures p = Bench::figures(program);
    const Bench::Figures d = Bench::figures(device);
    std::printf("%s, %d rounds\n", title, Rounds);
    std::printf("  program: median %9.1f us  p99 %9.1f us\n", p.median, p.p99);
    std::printf("  raw:     median %9.1f us  p99 %9.1f us\n", d.median, d.p99);
    std::printf("  difference (median): %.1f us, ratio %.2f\n", p.median - d.median,
                d.median > 0 ? p.median / d.median : 0.0);
}
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment(TRIVANE_SIM_PATH);
    QApplication app(argc, argv);
    const Bench::Session session(QtWarningMsg);
    CommonlyUsed::ver_minor = CommonlyUsed::DeviceTypeOrvexT;

    SimProcess sim;
    MainWindow *window = Bench::openOnSimulator(
        sim, {QStringLiteral("--model"), QStringLiteral("8x16"), QStringLiteral("--type"), QStringLiteral("Orvex-T")});
    if (!window)
        return 1;
    QTcpSocket raw;
    if (!Bench::connectRaw(raw, sim.tcpPort()))
        return 1;
    OutputPage *page = window->outputPage();
    bool ok = true;
    QElapsedTimer clock;

    // 1. One output's settings.
    std::vector<double> program;
    std::vector<double> device;
    for (int i = 0; i < Rounds + WarmUpRounds && ok; ++i) {
        const int output = i % Outputs + 1;
        clock.start();
        page->queryOutput(output);
        const double us = double(clock.nsecsElapsed()) / 1000.0;
        const double rawUs = rawSequence(raw, Output::outputQueries(output, CommonlyUsed::ver_minor), &ok);
        if (i >= WarmUpRounds) {
            program.push_back(us);
            device.push_back(rawUs);
        }
    }
    if (ok)
        print("reading one output's settings (5 requests)", program, device);

    // 2. A resolution chosen until the answer shows.
    program.clear();
    device.clear();
    const QStringList table = Output::resolutions(CommonlyUsed::ver_minor);
    for (int i = 0; i < Rounds + WarmUpRounds && ok; ++i) {
        const int output = i % Outputs + 1;
        QComboBox *combo = page->resolutionCombo(output);
        const int index = (combo->currentIndex() + 1) % table.size();
        combo->setCurrentIndex(-1);
        clock.start();
        emit combo->activated(index);
        while (combo->currentText() != table.at(index) && clock.elapsed() < RawTimeoutMs)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double us = double(clock.nsecsElapsed()) / 1000.0;
        if (combo->currentText() != table.at(index)) {
            std::fprintf(stderr, "output %d never showed %s\n", output, qPrintable(table.at(index)));
            return 1;
        }
        const double rawUs = rawSequence(raw, {Output::resolutionRequest(output, index + 1)}, &ok);
        if (i >= WarmUpRounds) {
            program.push_back(us);
            device.push_back(rawUs);
        }
    }
    if (ok) {
        print("choosing an output resolution until the answer shows", program, device);
        const double quietUs = window->deviceLink()->quietIntervalMs() * 1000.0;
        std::printf("  of which the receiver's quiet period: %.1f us; the rest: %.1f us\n", quietUs,
                    Bench::figures(program).median - quietUs - Bench::figures(device).median);
    }

    // 3. The port cards.
    program.clear();
    device.clear();
    PortStatusPage *ports = window->portStatusPage();
    for (int i = 0; i < Rounds + WarmUpRounds && ok; ++i) {
        clock.start();
        ports->refresh();
        const double us = double(clock.nsecsElapsed()) / 1000.0;
        const double rawUs = rawSequence(
            raw, {QStringLiteral("(info,link)"), QStringLiteral("(get,i.res,0)"), QStringLiteral("(get,o.res,0)")},
            &ok);
        if (i >= WarmUpRounds) {
            program.push_back(us);
            device.push_back(rawUs);
        }
    }
    if (ok)
        print("refreshing the port cards (3 requests)", program, device);
    if (!ok) {
        std::fprintf(stderr, "raw round trip failed\n");
        return 1;
    }
    return 0;
}
