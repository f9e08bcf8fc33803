#pragma once

// Figures and the raw-socket reference shared by the benchmarks that run
// against the simulator.
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>

#include <algorithm>
#include <vector>

#include "app/commonlyused.h"
#include "link/protocol/protocol.h"
#include "resources/trivaneresources.h"

namespace Bench {

// Before the QApplication is made: offscreen unless told otherwise, and the
// simulator built with the benchmark unless another is named.
inline void prepareEnvironment(const char *simulator = nullptr)
{
    if (simulator && qEnvironmentVariableIsEmpty("TRIVANE_SIM"))
        qputenv("TRIVANE_SIM", simulator);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Once the QApplication exists: the resources, an application directory of
// the run's own, and on stderr only messages from `least` up (without the
// offscreen platform's notes on what it cannot do with windows).
class Session
{
public:
    explicit Session(QtMsgType least)
    {
        Trivane::initResources();
        CommonlyUsed::setApplicationDirOverride(m_appDir.path());
        leastShown() = least;
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type >= leastShown() && !text.contains(QLatin1String("window opacity"))
                && !text.contains(QLatin1String("This plugin does not support")))
                std::fprintf(stderr, "%s\n", qPrintable(text));
        });
    }

private:
    static QtMsgType &leastShown()
    {
        static QtMsgType least = QtWarningMsg;
        return least;
    }

    QTemporaryDir m_appDir;
};

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

// The reference connection: a plain socket to the simulator, without delay
// of small writes. Prints why when it cannot connect.
inline bool connectRaw(QTcpSocket &socket, quint16 port, int timeoutMs = 2000)
{
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(timeoutMs)) {
        std::fprintf(stderr, "raw socket could not connect\n");
        return false;
    }
    socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
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
