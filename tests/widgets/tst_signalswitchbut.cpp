#include "mainwindow/switching/switchingmodel.h"
#include "widgets/signalswitchbut.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

namespace {

constexpr int TileWidth = 300;
constexpr int TileHeight = 160;

const QColor Idle(160, 160, 160);
const QColor Connected(43, 146, 251);
const QColor Hover(0, 170, 0);

// A point inside the tile away from all three text lines: right of the short
// texts, between the resolution line and the output line.
QColor interiorColour(SignalSwitchBut &tile)
{
    const QImage image = tile.grab().toImage();
    return image.pixelColor(tile.width() - 12, tile.height() / 2 + 10);
}

int whitePixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 230 && c.green() > 230 && c.blue() > 230)
                ++count;
        }
    }
    return count;
}

void sendEnterLeave(QWidget &widget, QEvent::Type type)
{
    QEvent event(type);
    QApplication::sendEvent(&widget, &event);
}

} // namespace

class tst_SignalSwitchBut final : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void mouse_data();
    void mouse();
    void fontByHeight_data();
    void fontByHeight();
    void colours();
    void lines();
    void textIsPainted();

private:
    // The tile lives inside a window, as on the page (a window of its own
    // cannot take the rounded mask offscreen).
    QWidget *m_window = nullptr;
    SignalSwitchBut *m_tile = nullptr;
};

void tst_SignalSwitchBut::init()
{
    m_window = new QWidget;
    m_window->resize(TileWidth + 20, 400);
    m_tile = new SignalSwitchBut(m_window);
    m_tile->setGeometry(10, 10, TileWidth, TileHeight);
    m_tile->setOutputNumber(7);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void tst_SignalSwitchBut::cleanup()
{
    delete m_window;
    m_window = nullptr;
    m_tile = nullptr;
}

void tst_SignalSwitchBut::mouse_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("releaseInside");
    QTest::addColumn<bool>("emitted");

    QTest::newRow("left click") << int(Qt::LeftButton) << true << true;
    QTest::newRow("left, released outside") << int(Qt::LeftButton) << false << false;
    QTest::newRow("right click") << int(Qt::RightButton) << true << false;
}

void tst_SignalSwitchBut::mouse()
{
    QFETCH(int, button);
    QFETCH(bool, releaseInside);
    QFETCH(bool, emitted);

    QSignalSpy spy(m_tile, &SignalSwitchBut::changeInputSource);
    const QPoint inside = m_tile->rect().center();
    const QPoint outside(m_tile->width() + 20, m_tile->height() / 2);
    const auto b = static_cast<Qt::MouseButton>(button);

    QTest::mousePress(m_tile, b, {}, inside);
    QCOMPARE(m_tile->isPressed(), b == Qt::LeftButton);
    QTest::mouseRelease(m_tile, b, {}, releaseInside ? inside : outside);
    QVERIFY(!m_tile->isPressed());
    QCOMPARE(spy.count(), emitted ? 1 : 0);
    if (emitted)
        QCOMPARE(spy.first().first().toInt(), 7);

    // A release that follows no press of its own asks for nothing.
    QTest::mouseRelease(m_tile, Qt::LeftButton, {}, inside);
    QCOMPARE(spy.count(), emitted ? 1 : 0);
}

void tst_SignalSwitchBut::fontByHeight_data()
{
    QTest::addColumn<int>("height");
    QTest::addColumn<double>("size");

    QTest::newRow("250") << 250 << 13.5;
    QTest::newRow("199") << 199 << 11.5;
    QTest::newRow("64") << 64 << 7.5;
}

void tst_SignalSwitchBut::fontByHeight()
{
    QFETCH(int, height);
    QFETCH(double, size);

    m_tile->resize(TileWidth, height);
    QCOMPARE(m_tile->fontSize(), size);
    m_tile->resize(TileWidth, 300);
    QCOMPARE(m_tile->fontSize(), 13.5);
}

void tst_SignalSwitchBut::colours()
{
    QCOMPARE(interiorColour(*m_tile), Idle);

    m_tile->setOutputConnected(true);
    QCOMPARE(interiorColour(*m_tile), Connected);

    sendEnterLeave(*m_tile, QEvent::Enter);
    QVERIFY(m_tile->hovered());
    QCOMPARE(interiorColour(*m_tile), Hover);

    sendEnterLeave(*m_tile, QEvent::Leave);
    QVERIFY(!m_tile->hovered());
    QCOMPARE(interiorColour(*m_tile), Connected);

    m_tile->setOutputConnected(false);
    QCOMPARE(interiorColour(*m_tile), Idle);
}

void tst_SignalSwitchBut::lines()
{
    QCOMPARE(m_tile->outputLine(), QStringLiteral("输出: HDMI-7"));
    m_tile->setOutputNumber(12);
    QCOMPARE(m_tile->outputLine(), QStringLiteral("输出: HDMI-12"));
    m_tile->setOutputName(QStringLiteral("Wall\nleft"));
    QCOMPARE(m_tile->outputLine(), QStringLiteral("输出: Wallleft"));
    m_tile->setOutputName(QStringLiteral("\r\n"));
    QCOMPARE(m_tile->outputLine(), QStringLiteral("输出: HDMI-12"));

    m_tile->setInputName(QStringLiteral("Cam &\n%1 B"));
    QCOMPARE(m_tile->inputName(), QStringLiteral("Cam &\n%1 B"));
    QCOMPARE(m_tile->inputLine(), QStringLiteral("输入: Cam &%1 B"));
    m_tile->setResolution(QStringLiteral("1920x1080@60Hz"));
    QCOMPARE(m_tile->resolutionLine(), QStringLiteral("分辨率: 1920x1080@60Hz"));
}

void tst_SignalSwitchBut::textIsPainted()
{
    m_tile->setInputName(QStringLiteral("HDMI-3"));
    m_tile->setResolution(QStringLiteral("1920x1080@60Hz"));
    const QImage image = m_tile->grab().toImage();
    const int w = m_tile->width();
    const int h = m_tile->height();
    // White text on the grey fill, in the band of each line (the outline is
    // kept out of the areas).
    QVERIFY(whitePixels(image, QRect(3, 10, w / 2, 20)) > 20);
    QVERIFY(whitePixels(image, QRect(3, 45, w / 2, 20)) > 20);
    QVERIFY(whitePixels(image, QRect(3, h - 30, w / 2, 20)) > 20);
    // Nothing is painted between the resolution line and the output line.
    QCOMPARE(whitePixels(image, QRect(3, 75, w - 6, h - 30 - 75 - 5)), 0);
}

QTEST_MAIN(tst_SignalSwitchBut)
#include "tst_signalswitchbut.moc"
