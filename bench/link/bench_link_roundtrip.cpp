// Prints median and p99 of the "(get,sw)" round trip through sendDataDevice
// and through a raw socket, both against the simulator on loopback.
#include <QApplication>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "link/protocol/protocol.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "tests/support/sim_process.h"

namespace {
constexpr int Rounds = 300;
constexpr int WarmUpRounds = 20;
constexpr int RawTimeoutMs = 2000;
constexpr char Request[] = "(get,sw)";
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment(TRIVANE_SIM_PATH);
    QApplication app(argc, argv);
    const Bench::Session session(QtWarningMsg);

    SimProcess sim;
    if (!sim.start({QStringLiteral("--model"), QStringLiteral("8x16")})) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    MainWindow *window = MainWindow::getInstance();
    window->setIP_Address(QStringLiteral("127.0.0.1"));
    window->setPort_Number(QString::number(sim.tcpPort()));
    window->Connect_TCP_Server();
    if (window->connectionType != DeviceLink::TcpConnection) {
        std::fprintf(stderr, "could not connect to the simulator\n");
        return 1;
    }
    QTcpSocket raw;
    if (!Bench::connectRaw(raw, sim.tcpPort()))
        return 1;

    std::vector<double> viaLink;
    std::vector<double> viaRaw;
    for (int i = 0; i < Rounds + WarmUpRounds; ++i) {
        QString answer;
        QElapsedTimer clock;
        clock.start();
        if (!window->sendDataDevice(QString::fromLatin1(Request), answer)) {
            std::fprintf(stderr, "sendDataDevice failed in round %d\n", i);
            return 1;
        }
        const double linkUs = double(clock.nsecsElapsed()) / 1000.0;
        double rawUs = 0;
        if (!Bench::rawRoundTrip(raw, Request, &rawUs, RawTimeoutMs)) {
            std::fprintf(stderr, "raw round trip failed in round %d\n", i);
            return 1;
        }
        if (i >= WarmUpRounds) {
            viaLink.push_back(linkUs);
            viaRaw.push_back(rawUs);
        }
    }
    const Bench::Figures l = Bench::figures(viaLink);
    const Bench::Figures r = Bench::figures(viaRaw);
    std::printf("round trip of %s over loopback, %d rounds\n", Request, Rounds);
    std::printf("  sendDataDevice: median %8.1f us  p99 %8.1f us\n", l.median, l.p99);
    std::printf("  raw socket:     median %8.1f us  p99 %8.1f us\n", r.median, r.p99);
    std::printf("  ratio (median): %.2f   difference (median): %.1f us (goal: within 2000 us)\n",
                l.median / r.median, l.median - r.median);
    delete window;
    return (l.median - r.median) <= 2000.0 ? 0 : 2;
}
