// The command console under a device that never stops talking: the main
// window against the simulator over TCP loopback.
#include <QAbstractItemView>
#include <QCompleter>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

#include <cstdio>

#include "app/commonlyused.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"

namespace {
constexpr int ProbeMs = 50;
constexpr int BigReplyBytes = 1000000;
constexpr int BigReplies = 8;
constexpr int FloodBytesPerSecond = 1000000;
constexpr int FloodMs = 5000;
constexpr int TypedAfterMs = 2500;

// The replies run to megabytes; the default handler would print every one.
void quietHandler(QtMsgType type, const QMessageLogContext &, const QString &text)
{
    if (type != QtDebugMsg && !text.contains(QLatin1String("window opacity")))
        std::fprintf(stderr, "%s\n", qPrintable(text.left(300)));
}

// Numbered lines that cannot be mistaken for one another ("#1#" is not in "#12#").
QString marked(int n, int width = 0)
{
    return QStringLiteral("#%1#").arg(n) + QString(width, QLatin1Char('x'));
}
} // namespace

class TestConsoleFlood final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void completerRowsFollowStyle();
    void hugeMessageShownByItsStart();
    void boundedByCharacters();
    void overfullQueueLeavesNote();
    void readerKeepsPlace();
    void floodKeepsWindowResponsive();

private:
    QPlainTextEdit *console() const { return w->findChild<QPlainTextEdit *>(QStringLiteral("textEdit")); }
    void clearConsole() { QMetaObject::invokeMethod(w, "on_pushButton_ClearWindow_clicked"); }
    // Looks at what the log shows, without flushing the queue first.
    bool shownNearEnd(const QString &text, int blocks) const;

    QTemporaryDir m_appDir;
    SimProcess m_sim;
    MainWindow *w = nullptr;
};

void TestConsoleFlood::initTestCase()
{
    qInstallMessageHandler(quietHandler);
    Trivane::initResources();
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    QVERIFY2(m_sim.start({ "--model", "8x16" }), qPrintable(m_sim.errorText()));
    w = MainWindow::getInstance();
    disconnect(w->deviceLink(), &DeviceLink::Send_HeartbeatDue, w, nullptr);
    w->setIP_Address(QStringLiteral("127.0.0.1"));
    w->setLocalIPAddress(QString());
    w->setPort_Number(QString::number(m_sim.tcpPort()));
    w->Connect_TCP_Server();
    QCOMPARE(w->connectionType, int(DeviceLink::TcpConnection));
    // The console's page on show, as when the operator watches it.
    w->resize(1280, 900);
    w->show();
    w->findChild<QStackedWidget *>(QStringLiteral("stackedWidget_matrix"))->setCurrentIndex(7);
    w->findChild<QStackedWidget *>(QStringLiteral("stackedWidget_systemInformation"))->setCurrentIndex(1);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QVERIFY(console()->isVisible());
    // On a real display the pointer rests where the server put it (a bare X
    // server: the middle of the screen, over the log), and a pointer over
    // the log stops the scrolling. The tests move it over the log themselves.
    QCursor::setPos(w->mapToGlobal(QPoint(w->width() / 2, 5)));
    QTRY_VERIFY(w->autoScroll);
}

void TestConsoleFlood::cleanupTestCase()
{
    delete w;
    qInstallMessageHandler(nullptr);
}

bool TestConsoleFlood::shownNearEnd(const QString &text, int blocks) const
{
    QTextBlock block = console()->document()->lastBlock();
    for (int i = 0; i < blocks && block.isValid(); ++i, block = block.previous()) {
        if (block.text().contains(text))
            return true;
    }
    return false;
}

void TestConsoleFlood::completerRowsFollowStyle()
{
    QCompleter *completer = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"))->completer();
    QVERIFY(completer);
    completer->setCompletionPrefix(QStringLiteral("get"));
    completer->complete();
    QAbstractItemView *popup = completer->popup();
    QTRY_VERIFY(popup->isVisible());
    QVERIFY(completer->completionCount() > 2);
    const QRect first = popup->visualRect(completer->completionModel()->index(0, 0));
    const QRect second = popup->visualRect(completer->completionModel()->index(1, 0));
    popup->hide();
    QCOMPARE(first.height(), 22);
    QCOMPARE(second.top() - first.top(), 22);
}

void TestConsoleFlood::hugeMessageShownByItsStart()
{
    clearConsole();
    const QString reply = QString(BigReplyBytes, QLatin1Char('A')) + QStringLiteral("TAIL");
    w->TextEdit_Message_Display(0, reply);
    const QString text = w->consolePlainText();
    QCOMPARE(text.count(QLatin1Char('A')), MainWindow::ConsoleLinePreviewChars);
    QVERIFY(!text.contains(QStringLiteral("TAIL")));
    QVERIFY2(text.contains(QStringLiteral("共 %1 个字符").arg(reply.size())), qPrintable(text.right(100)));
    // A short message is shown whole.
    w->TextEdit_Message_Display(0, QStringLiteral("out1in2ok"));
    QVERIFY(w->consolePlainText().endsWith(QStringLiteral("out1in2ok")));
}

void TestConsoleFlood::boundedByCharacters()
{
    clearConsole();
    constexpr int Width = 3000;
    const int lines = 3 * MainWindow::ConsoleMaxChars / Width;
    for (int i = 0; i < lines; ++i) {
        w->TextEdit_Message_Display(0, marked(i, Width));
        if (i % 100 == 0)
            w->flushConsole();
    }
    const QString text = w->consolePlainText();
    QVERIFY2(console()->document()->characterCount() <= MainWindow::ConsoleMaxChars,
        qPrintable(QString::number(console()->document()->characterCount())));
    QVERIFY(text.contains(marked(lines - 1)));
    QVERIFY(!text.contains(marked(0)));
    // Whole lines go, oldest first: what is left starts with a complete line.
    QVERIFY(text.startsWith(QStringLiteral("Time[")));
}

void TestConsoleFlood::overfullQueueLeavesNote()
{
    clearConsole();
    constexpr int Extra = 10;
    // No event loop in between: the queue itself has to hold the bound.
    for (int i = 0; i < MainWindow::ConsoleMaxPendingLines + Extra; ++i)
        w->TextEdit_Message_Display(1, marked(i));
    const QString text = w->consolePlainText();
    QVERIFY2(text.contains(QStringLiteral("…… %1 行未显示").arg(Extra)), qPrintable(text.left(300)));
    QVERIFY(!text.contains(marked(Extra - 1)));
    QVERIFY(text.contains(marked(Extra)));
    QVERIFY(text.contains(marked(MainWindow::ConsoleMaxPendingLines + Extra - 1)));
}

void TestConsoleFlood::readerKeepsPlace()
{
    clearConsole();
    constexpr int Width = 4000;
    const int fill = MainWindow::ConsoleMaxChars / Width - 5;
    for (int i = 0; i < fill; ++i)
        w->TextEdit_Message_Display(0, marked(i, Width));
    w->flushConsole();
    QScrollBar *bar = console()->verticalScrollBar();
    QCOMPARE(bar->value(), bar->maximum());

    const auto topLine = [this] { return console()->cursorForPosition(QPoint(0, 0)).block().text(); };

    // The pointer comes over the log while it shows the newest lines.
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(console(), &enter);
    QVERIFY(!w->autoScroll);
    QString reading = topLine();
    w->TextEdit_Message_Display(0, marked(fill, Width));
    w->flushConsole();
    QCOMPARE(topLine(), reading);

    // The operator scrolls up to read; new lines push the oldest out of the
    // character bound meanwhile.
    bar->setValue(bar->maximum() / 2);
    reading = topLine();
    QVERIFY(reading.contains(QLatin1Char('#')));
    for (int i = fill + 1; i < fill + 30; ++i)
        w->TextEdit_Message_Display(0, marked(i, Width));
    w->flushConsole();
    QVERIFY(!w->consolePlainText().contains(marked(0)));
    QCOMPARE(topLine(), reading);

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(console(), &leave);
    QVERIFY(w->autoScroll);
    w->TextEdit_Message_Display(0, marked(fill + 30));
    w->flushConsole();
    QCOMPARE(bar->value(), bar->maximum());
}

void TestConsoleFlood::floodKeepsWindowResponsive()
{
    clearConsole();
    qint64 received = 0;
    connect(
        w->deviceLink(), &DeviceLink::Send_DataArrived, this, [&received](int bytes) { received += bytes; });
    QSignalSpy replies(w->deviceLink(), &DeviceLink::Send_ReplyComplete);

    // The event loop's pulse and the console's size, sampled all along.
    QElapsedTimer sinceTick;
    qint64 maxLateMs = 0;
    int maxConsoleChars = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    connect(&probe, &QTimer::timeout, this, [&] {
        maxLateMs = qMax(maxLateMs, sinceTick.restart() - ProbeMs);
        maxConsoleChars = qMax(maxConsoleChars, console()->document()->characterCount());
    });
    sinceTick.start();
    probe.start(ProbeMs);

    auto *line = w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    QVERIFY(m_sim.fault(QStringLiteral("bigreply %1").arg(BigReplyBytes)));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < BigReplies; ++i) {
        line->setText(QStringLiteral("(get,sw)"));
        QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
        QTRY_VERIFY_WITH_TIMEOUT(replies.count() > i, 5000);
    }
    const qint64 bigRepliesMs = clock.elapsed();
    const qint64 lateAfterBigReplies = maxLateMs;
    QVERIFY(m_sim.fault(QStringLiteral("bigreply off")));
    QVERIFY(received >= qint64(BigReplies) * BigReplyBytes);
    QTRY_VERIFY(shownNearEnd(QStringLiteral("只显示前 %1 个").arg(MainWindow::ConsoleLinePreviewChars), 5));

    QVERIFY(m_sim.fault(QStringLiteral("flood %1").arg(FloodBytesPerSecond)));
    const qint64 receivedBeforeFlood = received;
    sinceTick.restart();
    maxLateMs = 0;
    clock.restart();
    QTest::qWait(TypedAfterMs);
    const QString typed = QStringLiteral("(get,o.res,7)");
    line->setText(typed);
    QElapsedTimer typedClock;
    typedClock.start();
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QTRY_VERIFY_WITH_TIMEOUT(shownNearEnd(typed, 20), 3000);
    const qint64 typedShownMs = typedClock.elapsed();
    QTest::qWait(int(qMax<qint64>(0, FloodMs - clock.elapsed())));
    probe.stop();
    const qint64 floodMs = clock.elapsed();
    const qint64 floodReceived = received - receivedBeforeFlood;
    QVERIFY(m_sim.fault(QStringLiteral("flood off")));

    std::printf("eight %d-byte replies in %lld ms, max event-loop lateness %lld ms\n", BigReplyBytes,
        static_cast<long long>(bigRepliesMs), static_cast<long long>(lateAfterBigReplies));
    std::printf(
        "flood %d B/s for %lld ms: %lld bytes read, max event-loop lateness %lld ms, typed line shown "
        "after %lld ms, console at most %d chars (%d blocks at the end)\n",
        FloodBytesPerSecond, static_cast<long long>(floodMs), static_cast<long long>(floodReceived),
        static_cast<long long>(maxLateMs), static_cast<long long>(typedShownMs), maxConsoleChars,
        console()->document()->blockCount());
    QVERIFY2(lateAfterBigReplies < 1000, qPrintable(QString::number(lateAfterBigReplies)));
    QVERIFY2(maxLateMs < 1000, qPrintable(QString::number(maxLateMs)));
    QVERIFY2(typedShownMs < 1000, qPrintable(QString::number(typedShownMs)));
    QVERIFY(maxConsoleChars <= MainWindow::ConsoleMaxChars);
    // The link kept reading: most of what was sent arrived while it ran.
    QVERIFY2(floodReceived > FloodBytesPerSecond * floodMs / 1000 * 8 / 10,
        qPrintable(QString::number(floodReceived)));
}

QTEST_MAIN(TestConsoleFlood)
#include "tst_console_flood.moc"
