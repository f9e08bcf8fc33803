#pragma once

// Figures and the raw-socket reference shared by the benchmarks that run
// against the simulator.
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTcpSocket>

#include <algorithm>
#include <vector>

#include "link/protocol/protocol.h"

namespace Bench {

struct Figures
{
    double median = 0;
    double p99 = 0;
};

inline Figures figures(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    Figures f;
    f.median = us[us.size() / 2];
    f.p99 = us[std::min(us.size() - 1, size_t(double(us.size()) * 0.99))];
    return f;
}

// One request over a plain socket, read until its closing "ok" line: what
// the device itself takes, without the program.
inline bool rawRoundTrip(QTcpSocket &socket, const QByteArray &request, double *us, int timeoutMs = 2000)
{
    QElapsedTimer clock;
    clock.start();
    socket.write(request);
    QByteArray answer;
    while (!Protocol::hasLineEndingOk(QString::fromLatin1(answer))) {
        if (!socket.waitForReadyRead(timeoutMs))
            return false;
        answer += socket.readAll();
    }
    *us = double(clock.nsecsElapsed()) / 1000.0;
    return true;
}

} // namespace Bench
