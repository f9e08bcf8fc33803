// Prints the cost of showing one console line (queued, put into the log by the
// batch, scrolled to) with an empty console, one holding a screenful, one half
// full and one full to its bounds, for a short answer and for a 1 MB reply.
// The ratio full/screenful should stay near 1: the cost must not grow with
// what the console holds. An empty console is cheaper still, as less than a
// screen is laid out. The mean includes the removal of old lines, which
// happens once per many lines.
#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QStackedWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "mainwindow/mainwindow.h"

namespace {
constexpr int Rounds = 200;
constexpr int ShortChars = 60;
constexpr int BigReplyChars = 1000000;
constexpr int FillChars = 4000;
// Short enough for the line bound to be reached before the character bound.
constexpr int FillShortChars = 8;
constexpr int ScreenLines = 60;
constexpr double WorstRatio = 1.5;

struct Figures
{
    double median = 0;
    double mean = 0;
};

Figures figures(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    double sum = 0;
    for (double u : us)
        sum += u;
    return { us[us.size() / 2], sum / double(us.size()) };
}

// Microseconds for one line, from the call to the line in the log.
double showOne(MainWindow *window, const QString &message)
{
    QElapsedTimer clock;
    clock.start();
    window->TextEdit_Message_Display(0, message);
    window->flushConsole();
    return double(clock.nsecsElapsed()) / 1000.0;
}

// Fills the console to `share` of its line bound with short lines, or of its
// character bound with long ones; a share of 0 is one screenful.
void fill(MainWindow *window, bool byLines, double share)
{
    window->on_pushButton_ClearWindow_clicked();
    const int lines = share > 0
        ? int(share * (byLines ? MainWindow::ConsoleMaxLines : MainWindow::ConsoleMaxChars / FillChars)) + 10
        : ScreenLines;
    const QString text(byLines ? FillShortChars : FillChars, QLatin1Char('f'));
    for (int i = 0; i < lines; ++i) {
        window->TextEdit_Message_Display(0, text);
        if (i % 50 == 0)
            window->flushConsole();
    }
    window->flushConsole();
}

// A negative share: a console cleared before every line.
Figures measure(MainWindow *window, const QString &message, bool byLines, double share)
{
    std::vector<double> us;
    if (share >= 0)
        fill(window, byLines, share);
    for (int i = 0; i < Rounds; ++i) {
        if (share < 0)
            window->on_pushButton_ClearWindow_clicked();
        us.push_back(showOne(window, message));
    }
    return figures(us);
}
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment();
    QApplication app(argc, argv);
    const Bench::Session session(QtCriticalMsg);

    MainWindow *window = MainWindow::getInstance();
    window->resize(1280, 900);
    window->show();
    window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget_matrix"))->setCurrentIndex(7);
    window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget_systemInformation"))
        ->setCurrentIndex(1);
    QApplication::processEvents();
    auto *log = window->findChild<QPlainTextEdit *>(QStringLiteral("textEdit"));

    struct Case
    {
        const char *name;
        QString message;
        bool byLines;
    };
    const Case cases[] = {
        { "short answer, console full of lines", QString(ShortChars, QLatin1Char('s')), true },
        { "short answer, console full of characters", QString(ShortChars, QLatin1Char('s')), false },
        { "1 MB reply, console full of characters", QString(BigReplyChars, QLatin1Char('b')), false },
    };
    std::printf("one console line, %d rounds, median / mean in us\n", Rounds);
    std::printf(
        "  %-40s %16s %16s %16s %16s  %s\n", "", "empty", "one screen", "half full", "full", "full/screen");
    double worst = 0;
    for (const Case &c : cases) {
        const Figures empty = measure(window, c.message, c.byLines, -1);
        const Figures screen = measure(window, c.message, c.byLines, 0);
        const Figures half = measure(window, c.message, c.byLines, 0.5);
        const Figures full = measure(window, c.message, c.byLines, 1.0);
        worst = std::max(worst, full.median / screen.median);
        std::printf("  %-40s %7.1f /%7.1f %7.1f /%7.1f %7.1f /%7.1f %7.1f /%7.1f  %.2f / %.2f\n", c.name,
            empty.median, empty.mean, screen.median, screen.mean, half.median, half.mean, full.median,
            full.mean, full.median / screen.median, full.mean / screen.mean);
    }
    std::printf("  console at the end: %d characters, %d lines\n", log->document()->characterCount(),
        log->document()->blockCount());
    delete window;
    return worst <= WorstRatio ? 0 : 2;
}
