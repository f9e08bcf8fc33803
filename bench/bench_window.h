#pragma once

// The program's main window for the benchmarks of its pages: shown at
// 1366x768, connected over TCP to the simulator, the device's size applied
// as the first heartbeat applies it. The heartbeat itself is left out, so
// that only the benchmark talks to the device.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QString>

#include <cstdio>

#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "tests/support/sim_process.h"

namespace Bench {

inline constexpr int SettleAfterStartMs = 500;

// nullptr (with the reason on stderr) when the simulator cannot be reached.
inline MainWindow *openWindow(quint16 port)
{
    MainWindow *window = MainWindow::getInstance();
    QObject::disconnect(window->deviceLink(), &DeviceLink::Send_HeartbeatDue, window, nullptr);
    window->resize(1366, 768);
    window->show();
    window->setIP_Address(QStringLiteral("127.0.0.1"));
    window->setPort_Number(QString::number(port));
    window->Connect_TCP_Server();
    if (window->connectionType != DeviceLink::TcpConnection) {
        std::fprintf(stderr, "could not connect to the simulator\n");
        return nullptr;
    }
    QString linkAnswer;
    if (!window->sendDataDevice(QStringLiteral("(info,link)"), linkAnswer)) {
        std::fprintf(stderr, "no signal status\n");
        return nullptr;
    }
    window->Data_Processing(linkAnswer);
    // The size shows the routing and asks for the scenes: let that finish
    // before anything is measured.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < SettleAfterStartMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return window;
}

// Starts the simulator with `arguments` and opens the window on it; nullptr
// (with the reason on stderr) when either fails.
inline MainWindow *openOnSimulator(SimProcess &sim, const QStringList &arguments)
{
    if (!sim.start(arguments)) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorText()));
        return nullptr;
    }
    return openWindow(sim.tcpPort());
}

} // namespace Bench
