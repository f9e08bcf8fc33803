// The port status sub-page against the simulator: one refresh on the first
// visit and per Refresh click, with the window held; cards per model.
#include "pages_harness.h"

#include <QAbstractAnimation>
#include <QLayout>
#include <QPushButton>

#include "mainwindow/naming/namestore.h"
#include "mainwindow/portstatus/portstatuspage.h"
#include "widgets/portstatuslable.h"

namespace {
const QStringList RefreshRequests { QStringLiteral("(info,link)"), QStringLiteral("(get,i.res,0)"),
    QStringLiteral("(get,o.res,0)") };
} // namespace

class TestPortStatus : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyVisitRefreshes();
    void cardsFollowTheModel_data();
    void cardsFollowTheModel();
    void windowHeldWhileTheDeviceAnswers();
    void silentDeviceEndsTheRefresh();
    void nothingSentWhileThePollingRuns();
    void linkLossClearsEveryCard();
    void renamedPortShowsOnItsCard();

private:
    PortStatusPage *page() const { return h.window()->portStatusPage(); }
    PortStatusLable *card(bool input, int port) const
    {
        return input ? page()->inputLabel(port) : page()->outputLabel(port);
    }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    // The refresh requests the device received, in order.
    QStringList refreshRequests()
    {
        QStringList mine;
        for (const QString &request : h.sim().history())
            if (RefreshRequests.contains(request))
                mine << request;
        return mine;
    }
    int slidesRunning() const
    {
        int n = 0;
        for (QAbstractAnimation *a : h.window()->findChildren<QAbstractAnimation *>())
            n += a->property("widget").isValid() ? 1 : 0;
        return n;
    }
    void navigate(const char *slot)
    {
        QTRY_COMPARE(slidesRunning(), 0);
        QVERIFY(QMetaObject::invokeMethod(h.window(), slot));
        QTRY_COMPARE(slidesRunning(), 0);
        QTRY_VERIFY(!h.window()->linkBusy);
    }
    QPushButton *refreshButton() const
    {
        return page()->findChild<QPushButton *>(QStringLiteral("pushButton_Refresh_port_status"));
    }

    PagesHarness h;
};

void TestPortStatus::initTestCase()
{
    QVERIFY2(h.start({ QStringLiteral("--model"), QStringLiteral("8x9") }), qPrintable(h.error()));
}

void TestPortStatus::everyVisitRefreshes()
{
    for (const char *line :
        { "set status in YNYNNNNY", "set status out NYNNNNNNY", "set res 3 3840x2160@30Hz",
            "set res 8 1280x720@60Hz", "set ores 2 12", "set ores 9 4096x2160@30Hz", "history clear" })
        control(line);

    navigate("on_pushButton_systemInformation_clicked");
    QCOMPARE(refreshRequests(), RefreshRequests);
    QVERIFY(h.window()->isEnabled());

    // Connection and resolution land on the card of their port.
    const auto shown = [this](bool input, int port) {
        return card(input, port)->status() + QLatin1Char(' ') + card(input, port)->resolution();
    };
    QCOMPARE(shown(true, 1), QStringLiteral("OK 1920x1080@60Hz"));
    QCOMPARE(shown(true, 2), QStringLiteral("NO 0x0@0Hz"));
    QCOMPARE(shown(true, 3), QStringLiteral("OK 3840x2160@30Hz"));
    QCOMPARE(shown(true, 8), QStringLiteral("OK 1280x720@60Hz"));
    QCOMPARE(shown(false, 1), QStringLiteral("NO 1920x1080@60Hz"));
    QCOMPARE(shown(false, 2), QStringLiteral("OK 3840x2160@30Hz"));
    QCOMPARE(shown(false, 9), QStringLiteral("OK 4096x2160@30Hz"));

    // Every visit reads the device again, and so does the button.
    navigate("on_pushButton_SignalSwitching_clicked");
    control("history clear");
    navigate("on_pushButton_systemInformation_clicked");
    QCOMPARE(refreshRequests(), RefreshRequests);
    control("history clear");

    control("set res 3 1024x768@60Hz");
    refreshButton()->click();
    QCOMPARE(refreshRequests(), RefreshRequests);
    QCOMPARE(page()->inputLabel(3)->resolution(), QStringLiteral("1024x768@60Hz"));
}

void TestPortStatus::cardsFollowTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<int>("inputs");
    QTest::addColumn<int>("outputs");
    QTest::newRow("16x16") << "16x16" << 16 << 16;
    QTest::newRow("8x16") << "8x16" << 8 << 16;
    QTest::newRow("8x8") << "8x8" << 8 << 8;
    QTest::newRow("4x2") << "4x2" << 4 << 2;
    QTest::newRow("unknown") << "5x3" << 4 << 4;
    QTest::newRow("8x9") << "8x9" << 8 << 9;
}

void TestPortStatus::cardsFollowTheModel()
{
    QFETCH(QString, model);
    QFETCH(int, inputs);
    QFETCH(int, outputs);
    if (model == QLatin1String("5x3"))
        page()->applyModel(model);
    else
        QVERIFY2(h.useModel(model), qPrintable(h.error()));

    for (const QSize window : { QSize(1366, 768), QSize(1920, 1080) }) {
        h.window()->resize(window);
        QTRY_COMPARE(h.window()->size(), window);
        QCoreApplication::processEvents();
        page()->layout()->activate();
        const QSize first = page()->inputLabel(1)->size();
        QList<QRect> placed;
        for (const bool input : { true, false }) {
            for (int port = 1; port <= 16; ++port) {
                PortStatusLable *c = card(input, port);
                QCOMPARE(c->isVisibleTo(page()), port <= (input ? inputs : outputs));
                if (!c->isVisibleTo(page()))
                    continue;
                // Whole on the page, one size for all, none over another.
                const QRect rect(c->mapTo(page(), QPoint(0, 0)), c->size());
                QVERIFY2(page()->rect().contains(rect), qPrintable(c->objectName()));
                QVERIFY2(qAbs(c->width() - first.width()) <= 6 && qAbs(c->height() - first.height()) <= 1,
                    qPrintable(c->objectName()));
                QVERIFY(c->height() >= c->minimumSizeHint().height());
                for (const QRect &other : qAsConst(placed))
                    QVERIFY2(!rect.intersects(other), qPrintable(c->objectName()));
                placed << rect;
            }
        }
    }
}

void TestPortStatus::windowHeldWhileTheDeviceAnswers()
{
    control("fault delay 300");
    bool enabledDuring = true;
    bool checked = false;
    QTimer::singleShot(150, this, [&] {
        enabledDuring = h.window()->isEnabled();
        checked = true;
    });
    page()->refresh();
    control("fault clear");
    QVERIFY(checked && !enabledDuring);
    QVERIFY(h.window()->isEnabled());
}

void TestPortStatus::silentDeviceEndsTheRefresh()
{
    // One unanswered request is enough to know the others would wait as long.
    control("history clear");
    const int lateMs = DeviceLink::ExchangeTotalMs + 500;
    control(QStringLiteral("fault delay %1").arg(lateMs));
    QElapsedTimer clock;
    clock.start();
    page()->refresh();
    const qint64 took = clock.elapsed();
    control("fault clear");
    QVERIFY(h.window()->isEnabled());
    QTest::qWait(lateMs - int(took) + 300); // the late answer goes its own way
    QCOMPARE(refreshRequests(), QStringList { QStringLiteral("(info,link)") });
    QVERIFY2(took < 2 * DeviceLink::ExchangeTotalMs, qPrintable(QString::number(took)));
}

void TestPortStatus::nothingSentWhileThePollingRuns()
{
    control("history clear");
    h.window()->setPollingRunning(true);
    page()->refresh();
    refreshButton()->click();
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
        for (const bool input : { true, false }) {
            QVERIFY(!card(input, port)->connected());
            QCOMPARE(card(input, port)->resolution(), QStringLiteral("0x0@0Hz"));
        }
    }
    // Ports without a card are passed over.
    page()->showOutputResolution(17, QStringLiteral("1920x1080@60Hz"));
    page()->showInputResolution(0, QStringLiteral("1920x1080@60Hz"));
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

QTEST_MAIN(TestPortStatus)
#include "tst_portstatus.moc"
