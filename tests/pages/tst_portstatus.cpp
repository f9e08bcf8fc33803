// The port status sub-page against the simulator: one refresh on the first
// visit, the refresh button, cards per model, signal presence, resolutions
// and names on the right card, the window held while the device answers.
#include "pages_harness.h"

#include <QAbstractAnimation>
#include <QDir>
#include <QGroupBox>
#include <QLayout>
#include <QPushButton>
#include <QSet>
#include <QTranslator>

#include <algorithm>

#include "mainwindow/naming/namestore.h"
#include "mainwindow/portstatus/portstatuspage.h"
#include "widgets/portstatuslable.h"

namespace {

const QStringList RefreshRequests { QStringLiteral("(info,link)"), QStringLiteral("(get,i.res,0)"),
    QStringLiteral("(get,o.res,0)") };

// The English of this page's texts, for looking at the page in the longer
// language before the translation files carry them.
class EnglishShim final : public QTranslator
{
public:
    QString translate(const char *, const char *source, const char *, int) const override
    {
        static const QHash<QString, QString> english {
            { QStringLiteral("输入端口状态"), QStringLiteral("Input port status") },
            { QStringLiteral("输出端口状态"), QStringLiteral("Output port status") },
            { QStringLiteral("刷新"), QStringLiteral("Refresh") },
            { QStringLiteral("连接状态: %1"), QStringLiteral("Connection Status: %1") },
            { QStringLiteral("分辨率: %1"), QStringLiteral("Resolution: %1") },
        };
        return english.value(QString::fromUtf8(source));
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestPortStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void firstVisitRefreshesOnce();
    void cardsFollowTheModel_data();
    void cardsFollowTheModel();
    void windowHeldWhileTheDeviceAnswers();
    void silentDeviceEndsTheRefresh();
    void nothingSentWhileThePollingRuns();
    void linkLossClearsEveryCard();
    void renamedPortShowsOnItsCard();
    void screenshots();

private:
    PortStatusPage *page() const { return h.window()->portStatusPage(); }
    bool simCommand(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        return ok;
    }
    int slidesRunning() const
    {
        int n = 0;
        for (QAbstractAnimation *a : h.window()->findChildren<QAbstractAnimation *>())
            n += a->property("widget").isValid() ? 1 : 0;
        return n;
    }
    // The refresh requests the device received, in order.
    QStringList refreshRequests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history()) {
            if (RefreshRequests.contains(request))
                mine << request;
        }
        return mine;
    }
    int shown(bool inputs) const
    {
        int n = 0;
        for (int port = 1; port <= 16; ++port) {
            PortStatusLable *card = inputs ? page()->inputLabel(port) : page()->outputLabel(port);
            n += card->isVisibleTo(page()) ? 1 : 0;
        }
        return n;
    }
    void navigate(const char *slot)
    {
        QTRY_COMPARE(slidesRunning(), 0);
        QVERIFY(QMetaObject::invokeMethod(h.window(), slot));
        QTRY_COMPARE(slidesRunning(), 0);
        QTRY_VERIFY(!h.window()->linkBusy);
    }

    // The page as a window of this size shows it.
    void showIn(const QSize &window)
    {
        if (h.window()->currentPage != SystemInformationPage)
            navigate("on_pushButton_systemInformation_clicked");
        h.window()->resize(window);
        QTRY_COMPARE(h.window()->size(), window);
        QCoreApplication::processEvents();
        page()->layout()->activate();
    }

    static constexpr int SystemInformationPage = 7;
    PagesHarness h;
};

void TestPortStatus::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x9") }), qPrintable(h.error()));
    QVERIFY(page());
    QVERIFY(!page()->refreshedOnce());
    // The object names older style sheets and settings rely on.
    QCOMPARE(page()->inputLabel(16)->objectName(), QStringLiteral("label_Port_input_status_16"));
    QCOMPARE(page()->outputLabel(1)->objectName(), QStringLiteral("label_Port_output_status_1"));
    QVERIFY(!page()->inputLabel(0) && !page()->outputLabel(17));
    QCOMPARE(page()->outputLabel(9)->portName(), QStringLiteral("HDMI-9"));
    QCOMPARE(page()->outputLabel(9)->resolution(), QStringLiteral("0x0@0Hz"));
}

void TestPortStatus::firstVisitRefreshesOnce()
{
    QVERIFY(simCommand(QStringLiteral("set status in YNYNNNNY")));
    QVERIFY(simCommand(QStringLiteral("set status out NYNNNNNNY")));
    QVERIFY(simCommand(QStringLiteral("set res 3 3840x2160@30Hz")));
    QVERIFY(simCommand(QStringLiteral("set res 8 1280x720@60Hz")));
    QVERIFY(simCommand(QStringLiteral("set ores 2 12")));
    QVERIFY(simCommand(QStringLiteral("set ores 9 4096x2160@30Hz")));
    QVERIFY(simCommand(QStringLiteral("history clear")));

    navigate("on_pushButton_systemInformation_clicked");
    QCOMPARE(refreshRequests(), RefreshRequests);
    QVERIFY(page()->refreshedOnce());
    QVERIFY(h.window()->isEnabled());

    const struct
    {
        bool input;
        int port;
        bool connected;
        QString resolution;
    } expected[] = {
        { true, 1, true, QStringLiteral("1920x1080@60Hz") },
        { true, 2, false, QStringLiteral("0x0@0Hz") },
        { true, 3, true, QStringLiteral("3840x2160@30Hz") },
        { true, 8, true, QStringLiteral("1280x720@60Hz") },
        { false, 1, false, QStringLiteral("1920x1080@60Hz") },
        { false, 2, true, QStringLiteral("3840x2160@30Hz") },
        { false, 9, true, QStringLiteral("4096x2160@30Hz") },
    };
    for (const auto &e : expected) {
        PortStatusLable *card = e.input ? page()->inputLabel(e.port) : page()->outputLabel(e.port);
        QVERIFY2(card->connected() == e.connected, qPrintable(card->objectName()));
        QCOMPARE(card->status(), e.connected ? QStringLiteral("OK") : QStringLiteral("NO"));
        QCOMPARE(card->resolution(), e.resolution);
    }

    // Leaving and coming back asks nothing; the button asks again.
    navigate("on_pushButton_SignalSwitching_clicked");
    QVERIFY(simCommand(QStringLiteral("history clear")));
    navigate("on_pushButton_systemInformation_clicked");
    QTest::qWait(100);
    QCOMPARE(refreshRequests(), QStringList());

    QVERIFY(simCommand(QStringLiteral("set res 3 1024x768@60Hz")));
    page()->findChild<QPushButton *>(QStringLiteral("pushButton_Refresh_port_status"))->click();
    QCOMPARE(refreshRequests(), RefreshRequests);
    QCOMPARE(page()->inputLabel(3)->resolution(), QStringLiteral("1024x768@60Hz"));
}

void TestPortStatus::cardsFollowTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::addColumn<int>("rows");

    QTest::newRow("16x16") << "16x16" << 16 << 16 << 4;
    QTest::newRow("8x16") << "8x16" << 8 << 16 << 4;
    QTest::newRow("8x8") << "8x8" << 8 << 8 << 4;
    QTest::newRow("4x4") << "4x4" << 4 << 4 << 2;
    QTest::newRow("4x2") << "4x2" << 4 << 2 << 2;
    QTest::newRow("unknown") << "5x3" << 4 << 4 << 2;
    QTest::newRow("8x9") << "8x9" << 8 << 9 << 3;
}

void TestPortStatus::cardsFollowTheModel()
{
    QFETCH(QString, model);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    QFETCH(int, rows);

    if (model == QLatin1String("5x3"))
        page()->applyModel(model);
    else
        QVERIFY2(h.useModel(model), qPrintable(h.error()));
    QCOMPARE(shown(true), inputs);
    QCOMPARE(shown(false), outputs);

    for (const QSize window : { QSize(1366, 768), QSize(1920, 1080) }) {
        showIn(window);
        const QSize size = page()->size();
        const QSize first = page()->inputLabel(1)->size();
        QList<QRect> placed;
        QSet<int> rowTops;
        for (const bool input : { true, false }) {
            const int count = input ? inputs : outputs;
            const int columns = (count + rows - 1) / rows;
            for (int port = 1; port <= count; ++port) {
                PortStatusLable *card = input ? page()->inputLabel(port) : page()->outputLabel(port);
                const QRect rect(card->mapTo(page(), QPoint(0, 0)), card->size());
                // On the page, all of one size, in `rows` rows, none over another.
                QVERIFY2(page()->rect().contains(rect), qPrintable(card->objectName()));
                QVERIFY2(qAbs(card->width() - first.width()) <= 6 && qAbs(card->height() - first.height()) <= 1,
                    qPrintable(QStringLiteral("%1 %2x%3, first %4x%5")
                                   .arg(card->objectName())
                                   .arg(card->width())
                                   .arg(card->height())
                                   .arg(first.width())
                                   .arg(first.height())));
                QVERIFY(card->width() >= card->minimumSizeHint().width());
                QVERIFY(card->height() >= card->minimumSizeHint().height());
                for (const QRect &other : qAsConst(placed))
                    QVERIFY2(!rect.intersects(other), qPrintable(card->objectName()));
                placed << rect;
                const int rowStart = port - (port - 1) % columns;
                QCOMPARE(card->y(), (input ? page()->inputLabel(rowStart) : page()->outputLabel(rowStart))->y());
                rowTops << rect.top();
            }
        }
        QCOMPARE(rowTops.size(), rows);
        // Many ports fill the page; few sit together at the top.
        const int bottom = *std::max_element(rowTops.cbegin(), rowTops.cend()) + first.height();
        if (rows == 4)
            QVERIFY2(bottom > size.height() * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(bottom).arg(size.height())));
        QVERIFY(first.width() >= first.height() / 2);
    }
}

void TestPortStatus::windowHeldWhileTheDeviceAnswers()
{
    QVERIFY(simCommand(QStringLiteral("fault delay 300")));
    bool enabledDuring = true;
    bool checked = false;
    QTimer::singleShot(150, this, [&] {
        enabledDuring = h.window()->isEnabled();
        checked = true;
    });
    page()->refresh();
    QVERIFY(simCommand(QStringLiteral("fault clear")));
    QVERIFY(checked);
    QVERIFY(!enabledDuring);
    QVERIFY(h.window()->isEnabled());
}

void TestPortStatus::silentDeviceEndsTheRefresh()
{
    QVERIFY(simCommand(QStringLiteral("history clear")));
    const int lateMs = DeviceLink::ExchangeTotalMs + 500;
    QVERIFY(simCommand(QStringLiteral("fault delay %1").arg(lateMs)));
    QElapsedTimer clock;
    clock.start();
    page()->refresh();
    const qint64 took = clock.elapsed();
    QVERIFY(simCommand(QStringLiteral("fault clear")));
    QVERIFY(h.window()->isEnabled());
    // The late answer goes its own way before the next test.
    QTest::qWait(lateMs - int(took) + 300);
    // One unanswered request is enough to know the others would wait as long.
    QCOMPARE(refreshRequests(), QStringList { QStringLiteral("(info,link)") });
    QVERIFY2(took < 2 * DeviceLink::ExchangeTotalMs, qPrintable(QString::number(took)));
}

void TestPortStatus::nothingSentWhileThePollingRuns()
{
    QVERIFY(simCommand(QStringLiteral("history clear")));
    h.window()->setPollingRunning(true);
    page()->refresh();
    page()->findChild<QPushButton *>(QStringLiteral("pushButton_Refresh_port_status"))->click();
    h.window()->setPollingRunning(false);
    QCOMPARE(refreshRequests(), QStringList());
    QVERIFY(h.window()->isEnabled());
}

void TestPortStatus::linkLossClearsEveryCard()
{
    page()->inputLabel(1)->setConnected(true);
    page()->outputLabel(16)->setResolution(QStringLiteral("1920x1080@60Hz"));
    emit h.window()->Send_LinkLost();
    for (int port = 1; port <= 16; ++port) {
        for (PortStatusLable *card : { page()->inputLabel(port), page()->outputLabel(port) }) {
            QVERIFY(!card->connected());
            QCOMPARE(card->status(), QStringLiteral("NO"));
            QCOMPARE(card->resolution(), QStringLiteral("0x0@0Hz"));
        }
    }
    // Ports the page has no card for are left alone.
    page()->showOutputResolution(17, QStringLiteral("1920x1080@60Hz"));
    page()->showInputResolution(0, QStringLiteral("1920x1080@60Hz"));
    page()->showOutputResolution(4, QStringLiteral("1280x720@60Hz"));
    QCOMPARE(page()->outputLabel(4)->resolution(), QStringLiteral("1280x720@60Hz"));
}

void TestPortStatus::renamedPortShowsOnItsCard()
{
    NameStore *names = h.window()->nameStore();
    names->setName(NameStore::Output, 3, QStringLiteral("Main\nProjector"));
    QCOMPARE(page()->outputLabel(3)->portName(), QStringLiteral("MainProjector"));
    QCOMPARE(page()->inputLabel(3)->portName(), QStringLiteral("HDMI-3"));
    names->setName(NameStore::Input, 5, QStringLiteral("Lectern PC"));
    QCOMPARE(page()->inputLabel(5)->portName(), QStringLiteral("Lectern PC"));
    names->setName(NameStore::Output, 3, QString());
    names->setName(NameStore::Input, 5, QString());
    QCOMPARE(page()->outputLabel(3)->portName(), QStringLiteral("HDMI-3"));
}

// TRIVANE_SCREENSHOT_DIR=<dir>: the page per model at both window sizes,
// in Simplified Chinese and in English.
void TestPortStatus::screenshots()
{
    const QString dir = qEnvironmentVariable("TRIVANE_SCREENSHOT_DIR");
    if (dir.isEmpty())
        QSKIP("TRIVANE_SCREENSHOT_DIR not set");
    QDir().mkpath(dir);
    EnglishShim english;
    for (const bool inEnglish : { false, true }) {
        if (inEnglish)
            QCoreApplication::installTranslator(&english);
        for (const char *model : { "16x16", "8x16", "8x9", "4x2" }) {
            QVERIFY(h.useModel(QLatin1String(model)));
            page()->outputLabel(2)->setResolution(QStringLiteral("4096x2160@30Hz"));
            h.window()->nameStore()->setName(NameStore::Input, 2, QStringLiteral("Document Camera Left"));
            for (const QSize window : { QSize(1366, 768), QSize(1920, 1080) }) {
                showIn(window);
                const QString file = QStringLiteral("%1/portstatus-%2-%3-%4x%5.png")
                                         .arg(dir, QLatin1String(model), inEnglish ? "english" : "simplified")
                                         .arg(window.width())
                                         .arg(window.height());
                QVERIFY(h.window()->grab().save(file));
            }
            h.window()->nameStore()->setName(NameStore::Input, 2, QString());
        }
        if (inEnglish)
            QCoreApplication::removeTranslator(&english);
    }
}

QTEST_MAIN(TestPortStatus)
#include "tst_portstatus.moc"
