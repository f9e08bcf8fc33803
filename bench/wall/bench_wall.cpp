// Prints, against the simulator on loopback (16x16):
//  1. the wall switch: on a 4x4 wall whose sixteen screens are bound (the
//     positions sent by the page), an input chosen in the page's list and a
//     left click on a screen, until every screen is painted with the input's
//     name; next to a raw socket round trip of the same "(sw,...)" request;
//  2. a wall-size answer handed to the dispatcher that replaces the wall
//     (2x2 and 4x4 in turn), until every new screen is painted; against one
//     frame at 60 Hz;
//  3. a group click on the partition page (two synchronous queries) until the
//     selected mode tile and the window labels are painted with the group's
//     state, changed on the device before each click; next to raw round trips
//     of the same two queries.
#include <QApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QLabel>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "app/commonlyused.h"
#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/naming/namestore.h"
#include "mainwindow/partition/partitionmodel.h"
#include "mainwindow/partition/partitionmodewidget.h"
#include "mainwindow/partition/partitionpage.h"
#include "mainwindow/partition/splitmodebutton.h"
#include "mainwindow/wall/screenwidget.h"
#include "mainwindow/wall/splicingpage.h"
#include "mainwindow/wall/wallmodel.h"
#include "tests/support/sim_process.h"
#include "tests/support/widget_click.h"
#include "widgets/my_toolbutton.h"

namespace {
constexpr int SwitchRounds = 40;
constexpr int ReplaceRounds = 40; // of each direction
constexpr int GroupRounds = 40;
constexpr int WarmUpRounds = 4;
constexpr int TimeoutMs = 2000;
constexpr int EnterTimeoutMs = 3000;
// Longer than the page slide, so that no measurement paints a sliding page.
constexpr int SlideSettleMs = 600;
// The "splicerok" answers of the positions reach the dispatcher after the
// receiver's quiet period.
constexpr int AnswerSettleMs = 300;
// Wakes the waiting loop, which otherwise sleeps until an event comes.
constexpr int WaitTickMs = 5;
constexpr int WallRows = 4;
constexpr int WallColumns = 4;
constexpr int SmallWall = 2;
constexpr int Ports = 16;
// Spreads the outputs over the screens out of order (5 and 16 are coprime).
constexpr int BindingStride = 5;
constexpr double FrameUs = 1e6 / 60.0;
// Split mode of groups 1..4 on the device, changed between two variants
// before every click: the page shows a group's last known state at once, so
// only a state the page has not seen measures the answers' way to the screen.
constexpr int Variants = 2;
constexpr int GroupModes[Variants][Partition::Groups] = { { 3, 2, 9, 1 }, { 8, 10, 4, 15 } };

// The first paint of each widget in a state that `ready` accepts. Watches
// the whole application, so that screens made during a measurement count.
class PaintLog final : public QObject
{
public:
    using Ready = std::function<bool(QWidget *)>;

    explicit PaintLog(const QElapsedTimer &clock)
        : m_clock(clock)
    {
        qApp->installEventFilter(this);
    }
    ~PaintLog() override { qApp->removeEventFilter(this); }

    void watch(Ready ready)
    {
        m_ready = std::move(ready);
        m_painted.clear();
    }
    void stop() { m_ready = nullptr; }

    // When the last of `widgets` was first painted (ns on the clock), or -1
    // while one of them has not been.
    qint64 allPaintedAt(const QList<QWidget *> &widgets) const
    {
        qint64 last = 0;
        for (QWidget *w : widgets) {
            const auto it = m_painted.constFind(w);
            if (it == m_painted.constEnd())
                return -1;
            last = std::max(last, *it);
        }
        return last;
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_ready && watched->isWidgetType()
            && !m_painted.contains(watched) && m_ready(static_cast<QWidget *>(watched)))
            m_painted.insert(watched, m_clock.nsecsElapsed());
        return false;
    }

private:
    const QElapsedTimer &m_clock;
    Ready m_ready;
    QHash<QObject *, qint64> m_painted;
};

// Runs the event loop until `done` or `timeoutMs`; sleeps between events
// instead of spinning, so the simulator keeps its core.
bool waitUntil(const std::function<bool()> &done, int timeoutMs = TimeoutMs)
{
    QTimer tick;
    tick.start(WaitTickMs);
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() >= timeoutMs)
            return false;
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

void settle(int ms)
{
    waitUntil([] { return false; }, ms);
}

double rawSequence(QTcpSocket &raw, const QStringList &requests, bool *ok)
{
    double total = 0;
    for (const QString &request : requests) {
        double us = 0;
        if (!Bench::rawRoundTrip(raw, request.toLatin1(), &us)) {
            std::fprintf(stderr, "raw round trip of %s failed\n", qPrintable(request));
            *ok = false;
            return 0;
        }
        total += us;
    }
    return total;
}

void printPair(const char *programLabel, const std::vector<double> &program, const char *rawLabel,
    const std::vector<double> &device)
{
    const Bench::Figures p = Bench::figures(program);
    const Bench::Figures d = Bench::figures(device);
    std::printf("  %-34s median %9.1f us  p99 %9.1f us\n", programLabel, p.median, p.p99);
    std::printf("  %-34s median %9.1f us  p99 %9.1f us\n", rawLabel, d.median, d.p99);
    std::printf("  ratio program/raw (median): %.1f; program's own time (difference): %.1f us\n",
        d.median > 0 ? p.median / d.median : 0.0, p.median - d.median);
}

// In-group input the device shows in window 1..4 of `group` in `variant`.
int windowPosition(int group, int variant, int window)
{
    return (window + group + variant) % Partition::InputsPerGroup + 1;
}

// The requests that put `variant` of `group` on the device.
QStringList groupSetup(int group, int variant)
{
    QStringList requests { Partition::modeCommand(group, GroupModes[variant][group - 1]) };
    for (int w = 1; w <= Partition::Windows; ++w)
        requests << Partition::windowCommand(group, windowPosition(group, variant, w), w);
    return requests;
}

QList<QWidget *> asWidgets(const QList<ScreenWidget *> &screens)
{
    return QList<QWidget *>(screens.begin(), screens.end());
}

bool anyScreenShows(const QList<ScreenWidget *> &screens, const QString &name)
{
    return std::any_of(
        screens.begin(), screens.end(), [&name](ScreenWidget *s) { return s->inputName() == name; });
}

// Enters a page through its navigation slot and waits until `ready` and the
// slide has ended.
bool enterPage(MainWindow *window, void (MainWindow::*navigate)(), const std::function<bool()> &ready)
{
    (window->*navigate)();
    if (!waitUntil(ready, EnterTimeoutMs))
        return false;
    settle(SlideSettleMs);
    return true;
}
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment(TRIVANE_SIM_PATH);
    QApplication app(argc, argv);
    const Bench::Session session(QtWarningMsg);

    SimProcess sim;
    MainWindow *window = Bench::openOnSimulator(sim, { QStringLiteral("--model"), QStringLiteral("16x16") });
    if (!window)
        return 1;
    QTcpSocket raw;
    if (!Bench::connectRaw(raw, sim.tcpPort()))
        return 1;
    bool ok = true;
    QElapsedTimer clock;
    PaintLog paints(clock);

    // ---- 1. the wall switch ------------------------------------------------------
    // The device holds a 4x4 wall, which the page reads on entering.
    rawSequence(raw, { Wall::sizeCommand(WallRows, WallColumns) }, &ok);
    if (!ok)
        return 1;
    SplicingPage *wall = window->splicingPage();
    if (!enterPage(window, &MainWindow::on_pushButton_SplicingControl_clicked,
            [wall] { return wall->isVisible() && wall->screens().size() == WallRows * WallColumns; })) {
        std::fprintf(stderr, "the splicing page did not show the device's 4x4 wall (%d screens)\n",
            int(wall->screens().size()));
        return 1;
    }
    const QList<ScreenWidget *> screens = wall->screens();
    for (int k = 0; k < screens.size(); ++k)
        wall->onRemoveDuplicateMap(screens[k], k * BindingStride % Ports + 1);
    for (int k = 0; k < screens.size(); ++k) {
        if (wall->layout().screen(k).port != k * BindingStride % Ports + 1
            || screens[k]->outPortParam() != k * BindingStride % Ports + 1) {
            std::fprintf(
                stderr, "screen %d was not bound to output %d\n", k + 1, k * BindingStride % Ports + 1);
            return 1;
        }
    }
    wall->on_ScreenSplicingBut_clicked();
    const bool placed = waitUntil([&sim] {
        return sim.state().value(QStringLiteral("wallpos")).split(QLatin1Char(';'), Qt::SkipEmptyParts).size()
            == Ports;
    });
    if (!placed) {
        std::fprintf(stderr, "the device did not get the 16 positions (wallpos=%s)\n",
            qPrintable(sim.state().value(QStringLiteral("wallpos"))));
        return 1;
    }
    settle(AnswerSettleMs);

    NameStore *names = window->nameStore();
    const QList<my_ToolButton *> inputs = wall->inputButtons();
    const QList<QWidget *> screenWidgets = asWidgets(screens);
    std::vector<double> viaClick;
    std::vector<double> viaRaw;
    for (int i = 0; i < SwitchRounds + WarmUpRounds && ok; ++i) {
        int input = (i * 7) % Ports + 1;
        while (anyScreenShows(screens, names->name(NameStore::Input, input)))
            input = input % Ports + 1;
        const QString name = names->name(NameStore::Input, input);
        inputs[input - 1]->click();
        paints.watch([&name](QWidget *w) {
            auto *screen = qobject_cast<ScreenWidget *>(w);
            return screen && screen->inputName() == name;
        });
        clock.start();
        sendLeftClick(screens[i % screens.size()]);
        waitUntil([&] { return paints.allPaintedAt(screenWidgets) >= 0; });
        const qint64 paintedAt = paints.allPaintedAt(screenWidgets);
        paints.stop();
        if (paintedAt < 0) {
            const int showing = int(std::count_if(
                screens.begin(), screens.end(), [&name](ScreenWidget *s) { return s->inputName() == name; }));
            std::fprintf(stderr, "round %d: %d of 16 screens painted %s (device routes: %s)\n", i, showing,
                qPrintable(name), qPrintable(sim.state().value(QStringLiteral("route"))));
            return 1;
        }
        const QString request = Wall::switchCommand(wall->layout(), input, CommonlyUsed::deviceType);
        const double rawUs = rawSequence(raw, { request }, &ok);
        if (i >= WarmUpRounds) {
            viaClick.push_back(double(paintedAt) / 1000.0);
            viaRaw.push_back(rawUs);
        }
    }
    if (!ok)
        return 1;
    const double quietUs = window->deviceLink()->quietIntervalMs() * 1000.0;
    std::printf(
        "wall switch: click on a screen of a bound 4x4 wall until all 16 screens are painted with the "
        "input, %d rounds (16x16)\n",
        SwitchRounds);
    printPair("click -> 16 screens painted:", viaClick, "raw \"(sw,i,o1,...,o16)\":", viaRaw);
    std::printf("  of the program's time, the receiver's quiet period: %.1f us; the rest: %.1f us\n", quietUs,
        Bench::figures(viaClick).median - quietUs - Bench::figures(viaRaw).median);

    // ---- 2. a wall-size answer replaces the wall ---------------------------------
    const QString toSmall = QStringLiteral("splicermodegroup1is%1x%1ok").arg(SmallWall);
    const QString toLarge = QStringLiteral("splicermodegroup1is%1x%2ok").arg(WallRows).arg(WallColumns);
    std::vector<double> small;
    std::vector<double> large;
    std::vector<double> smallCall;
    std::vector<double> largeCall;
    for (int i = 0; i < 2 * (ReplaceRounds + WarmUpRounds); ++i) {
        const bool toSmallWall = i % 2 == 0;
        const int expected = toSmallWall ? SmallWall * SmallWall : WallRows * WallColumns;
        paints.watch([](QWidget *w) { return qobject_cast<ScreenWidget *>(w) != nullptr; });
        clock.start();
        window->Data_Processing(toSmallWall ? toSmall : toLarge);
        const double callUs = double(clock.nsecsElapsed()) / 1000.0;
        // What the event loop does once the receiver's handler returns: the
        // old screens, hidden by now, go.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        waitUntil([&] { return paints.allPaintedAt(asWidgets(wall->screens())) >= 0; });
        const qint64 paintedAt = paints.allPaintedAt(asWidgets(wall->screens()));
        paints.stop();
        if (paintedAt < 0 || wall->screens().size() != expected) {
            std::fprintf(stderr, "round %d: the wall has %d screens (expected %d), %s painted\n", i,
                int(wall->screens().size()), expected, paintedAt < 0 ? "not all" : "all");
            return 1;
        }
        if (i >= 2 * WarmUpRounds) {
            (toSmallWall ? small : large).push_back(double(paintedAt) / 1000.0);
            (toSmallWall ? smallCall : largeCall).push_back(callUs);
        }
    }
    const Bench::Figures s = Bench::figures(small);
    const Bench::Figures l = Bench::figures(large);
    std::printf("wall-size answer to the dispatcher until every new screen is painted, %d rounds each\n",
        ReplaceRounds);
    std::printf(
        "  4x4 -> 2x2 (4 new screens):   median %9.1f us  p99 %9.1f us  = %.2f / %.2f frames of 16.7 ms\n",
        s.median, s.p99, s.median / FrameUs, s.p99 / FrameUs);
    std::printf(
        "  2x2 -> 4x4 (16 new screens):  median %9.1f us  p99 %9.1f us  = %.2f / %.2f frames of 16.7 ms\n",
        l.median, l.p99, l.median / FrameUs, l.p99 / FrameUs);
    std::printf(
        "  of which the dispatcher call (old screens hidden, new ones made): median %.1f us (to 2x2), "
        "%.1f us (to 4x4)\n",
        Bench::figures(smallCall).median, Bench::figures(largeCall).median);

    // ---- 3. a partition group click --------------------------------------------
    PartitionPage *split = window->partitionPage();
    if (!enterPage(window, &MainWindow::on_pushButton_PartitionMode_clicked,
            [split] { return split->isVisible(); })) {
        std::fprintf(stderr, "the partition page did not show\n");
        return 1;
    }
    const QList<SplitmodeButton *> windowButtons = split->windowButtons();
    QList<QLabel *> labels;
    for (SplitmodeButton *button : windowButtons) {
        labels << button->findChild<QLabel *>();
        if (!labels.last()) {
            std::fprintf(stderr, "a window button has no input label\n");
            return 1;
        }
    }
    using GroupSlot = void (PartitionPage::*)();
    const GroupSlot groupSlots[Partition::Groups]
        = { &PartitionPage::on_pushButton_Group1_clicked, &PartitionPage::on_pushButton_Group2_clicked,
              &PartitionPage::on_pushButton_Group3_clicked, &PartitionPage::on_pushButton_Group4_clicked };
    std::vector<double> viaGroup;
    std::vector<double> inSlot;
    std::vector<double> groupRaw;
    std::vector<double> groupLink;
    for (int i = 0; i < GroupRounds + WarmUpRounds && ok; ++i) {
        const int group = i % Partition::Groups + 1;
        const int variant = i / Partition::Groups % Variants;
        const int mode = GroupModes[variant][group - 1];
        rawSequence(raw, groupSetup(group, variant), &ok);
        if (!ok)
            return 1;
        PartitionModeWidget *tile = nullptr;
        for (PartitionModeWidget *t : split->modeTiles()) {
            if (t->mode() == mode)
                tile = t;
        }
        if (!tile) {
            std::fprintf(stderr, "no tile for split mode %d\n", mode);
            return 1;
        }
        QHash<QWidget *, QString> expectedLabels;
        QList<QWidget *> watched { tile };
        for (int w = 0; w < Partition::windowCount(mode); ++w) {
            const int input = Partition::absoluteInput(group, windowPosition(group, variant, w + 1));
            expectedLabels.insert(labels[w], QString::number(input));
            watched << labels[w];
        }
        paints.watch([tile, &expectedLabels](QWidget *w) {
            if (w == tile)
                return tile->isSelected();
            const auto it = expectedLabels.constFind(w);
            return it != expectedLabels.constEnd() && static_cast<QLabel *>(w)->text() == *it;
        });
        clock.start();
        (split->*groupSlots[group - 1])();
        const double slotUs = double(clock.nsecsElapsed()) / 1000.0;
        waitUntil([&] { return paints.allPaintedAt(watched) >= 0; });
        const qint64 paintedAt = paints.allPaintedAt(watched);
        paints.stop();
        if (paintedAt < 0) {
            QStringList shown;
            for (QLabel *label : labels)
                shown << (label->isVisible() ? label->text() : QStringLiteral("hidden"));
            std::fprintf(stderr, "round %d, group %d: mode %d tile %s, window labels %s, not all painted\n",
                i, group, mode, tile->isSelected() ? "selected" : "not selected",
                qPrintable(shown.join(QLatin1Char(' '))));
            return 1;
        }
        const double rawUs
            = rawSequence(raw, { Partition::modeQuery(group), Partition::windowQuery(group) }, &ok);
        // The same two exchanges through the program's link with nothing
        // left to paint and the answers not dispatched: the link's share.
        QElapsedTimer linkClock;
        linkClock.start();
        for (const QString &query : { Partition::modeQuery(group), Partition::windowQuery(group) }) {
            QString answer;
            if (ok && !window->sendDataDevice(query, answer)) {
                std::fprintf(stderr, "the program's exchange of %s failed\n", qPrintable(query));
                ok = false;
            }
        }
        const double linkUs = double(linkClock.nsecsElapsed()) / 1000.0;
        if (i >= WarmUpRounds) {
            viaGroup.push_back(double(paintedAt) / 1000.0);
            inSlot.push_back(slotUs);
            groupRaw.push_back(rawUs);
            groupLink.push_back(linkUs);
        }
    }
    if (!ok)
        return 1;
    std::printf(
        "partition group click (two synchronous queries) until the mode tile and the window labels are "
        "painted, %d rounds\n",
        GroupRounds);
    printPair("click -> tile and labels painted:", viaGroup, "raw splitmode + splitavsw:", groupRaw);
    std::printf("  of which the click's own slot (both answers applied): median %9.1f us\n",
        Bench::figures(inSlot).median);
    std::printf("  the same two exchanges through the program's link, not dispatched: median %9.1f us\n",
        Bench::figures(groupLink).median);
    delete window;
    return 0;
}
