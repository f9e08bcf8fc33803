// Draws the program's pictures in one flat style: line glyphs on a 24-unit
// grid, rounded caps, two colours at most. Every PNG is drawn at twice the
// size it is shown at, so it stays crisp on high-density screens.
//
// trivane-art <image dir> <frame dir>: icons go to the image dir, the frames
// of the animations (assembled by make-art.sh) to the frame dir.

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

// The palette of the theme (resources/QSS/Login.qss uses the same colours).
const QColor Ink(0x3c, 0x48, 0x5a);        // title bar glyphs
const QColor Blue(43, 146, 251);           // tiles, accents
const QColor DeepBlue(0x1b, 0x64, 0xc8);
const QColor Green(0x2e, 0xa8, 0x4a);
const QColor Grey(0x9a, 0xa4, 0xb1);
const QColor Red(0xd9, 0x36, 0x36);
const QColor Light(0xf2, 0xf6, 0xfb);      // glyphs on the dark navigation bar

constexpr double Grid = 24.0;

using Draw = std::function<void(QPainter &)>;

QString g_outDir;
QString g_frameDir;
int g_failures = 0;

QImage render(int pixels, const Draw &draw, const QColor &background = Qt::transparent)
{
    QImage image(pixels, pixels, QImage::Format_ARGB32);
    image.fill(background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(pixels / Grid, pixels / Grid);
    draw(p);
    p.end();
    return image;
}

void save(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        ++g_failures;
    }
}

void icon(const QString &name, int pixels, const Draw &draw)
{
    save(render(pixels, draw), g_outDir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

QPen stroke(const QColor &colour, double width = 1.8)
{
    QPen pen(colour, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void line(QPainter &p, double x1, double y1, double x2, double y2)
{
    p.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void arrowHead(QPainter &p, QPointF tip, double angleDeg, double size = 3.2)
{
    const double a = qDegreesToRadians(angleDeg);
    const QPointF back(-std::cos(a) * size, -std::sin(a) * size);
    const QPointF side(-std::sin(a) * size * 0.85, std::cos(a) * size * 0.85);
    p.drawLine(tip, tip + back + side);
    p.drawLine(tip, tip + back - side);
}

void person(QPainter &p, double cx, double top, double scale)
{
    p.drawEllipse(QPointF(cx, top + 3.2 * scale), 3.2 * scale, 3.2 * scale);
    QPainterPath body;
    body.moveTo(cx - 6.0 * scale, top + 15.5 * scale);
    body.cubicTo(cx - 6.0 * scale, top + 10.0 * scale, cx + 6.0 * scale, top + 10.0 * scale, cx + 6.0 * scale,
                 top + 15.5 * scale);
    p.drawPath(body);
}

QPainterPath pinPath()
{
    // A push pin standing upright, its point at the bottom.
    QPainterPath pin;
    pin.moveTo(8.5, 4);
    pin.lineTo(15.5, 4);
    pin.lineTo(14.5, 10);
    pin.lineTo(17.5, 14);
    pin.lineTo(6.5, 14);
    pin.lineTo(9.5, 10);
    pin.closeSubpath();
    return pin;
}

// ---------------------------------------------------------------- title bar
void titleBarIcons()
{
    constexpr int Px = 40; // shown at 20
    icon(QStringLiteral("min"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink));
        line(p, 6, 12.5, 18, 12.5);
    });
    icon(QStringLiteral("max"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink));
        p.drawRoundedRect(QRectF(6, 6, 12, 12), 1.5, 1.5);
    });
    icon(QStringLiteral("normal"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink));
        p.drawRoundedRect(QRectF(5.5, 9, 9.5, 9.5), 1.4, 1.4);
        QPainterPath back;
        back.moveTo(9, 9);
        back.lineTo(9, 6.5);
        back.quadTo(9, 5.5, 10, 5.5);
        back.lineTo(17.5, 5.5);
        back.quadTo(18.5, 5.5, 18.5, 6.5);
        back.lineTo(18.5, 14);
        back.quadTo(18.5, 15, 17.5, 15);
        back.lineTo(15, 15);
        p.drawPath(back);
    });
    icon(QStringLiteral("close"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink));
        line(p, 7, 7, 17, 17);
        line(p, 17, 7, 7, 17);
    });
    // The pin shows the state: blue and filled while on top, grey outline when not.
    icon(QStringLiteral("Top"), Px, [](QPainter &p) {
        p.setPen(stroke(Blue, 1.6));
        p.setBrush(Blue);
        p.drawPath(pinPath());
        line(p, 12, 14, 12, 20.5);
    });
    icon(QStringLiteral("cancelTop"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink, 1.6));
        p.drawPath(pinPath());
        line(p, 12, 14, 12, 20.5);
    });
    icon(QStringLiteral("Show_toolbar"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink, 1.6));
        p.drawRoundedRect(QRectF(4, 5, 16, 14), 2, 2);
        p.setBrush(Ink);
        p.drawRect(QRectF(4.8, 5.8, 4.2, 12.4));
    });
    icon(QStringLiteral("Hide_toolbar"), Px, [](QPainter &p) {
        p.setPen(stroke(Ink, 1.6));
        p.drawRoundedRect(QRectF(4, 5, 16, 14), 2, 2);
        line(p, 9, 5.5, 9, 18.5);
        line(p, 15.5, 9.5, 13, 12);
        line(p, 13, 12, 15.5, 14.5);
    });
    icon(QStringLiteral("注销登录1"), Px, [](QPainter &p) {
        // Leave: a door frame with an arrow pointing out of it.
        p.setPen(stroke(Ink, 1.7));
        QPainterPath door;
        door.moveTo(12, 5);
        door.lineTo(6.5, 5);
        door.quadTo(5, 5, 5, 6.5);
        door.lineTo(5, 17.5);
        door.quadTo(5, 19, 6.5, 19);
        door.lineTo(12, 19);
        p.drawPath(door);
        line(p, 10, 12, 19, 12);
        arrowHead(p, QPointF(19.3, 12), 0, 3.4);
    });
}

// ------------------------------------------------------------- status icons
QPainterPath hdmiPlug()
{
    QPainterPath plug;
    plug.moveTo(3, 8);
    plug.lineTo(21, 8);
    plug.lineTo(21, 13);
    plug.lineTo(18, 16.5);
    plug.lineTo(6, 16.5);
    plug.lineTo(3, 13);
    plug.closeSubpath();
    return plug;
}

void statusIcons()
{
    constexpr int Px = 64; // shown at 32
    icon(QStringLiteral("HDMI-Select"), Px, [](QPainter &p) {
        p.setPen(stroke(Green.darker(115), 1.2));
        p.setBrush(Green);
        p.drawPath(hdmiPlug());
        p.setPen(stroke(Qt::white, 1.3));
        for (double x = 7; x <= 17.1; x += 2.5)
            line(p, x, 11, x, 12.8);
        p.setPen(Qt::NoPen);
        p.setBrush(Green);
        p.drawEllipse(QPointF(19.5, 4.5), 2.3, 2.3);
    });
    icon(QStringLiteral("HDMI-Unselect"), Px, [](QPainter &p) {
        p.setPen(stroke(Grey, 1.4));
        p.setBrush(QColor(0xe6, 0xea, 0xef));
        p.drawPath(hdmiPlug());
        p.setPen(stroke(Grey, 1.3));
        for (double x = 7; x <= 17.1; x += 2.5)
            line(p, x, 11, x, 12.8);
    });
    icon(QStringLiteral("User1"), 48, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xe3, 0xef, 0xfe));
        p.drawEllipse(QRectF(1.5, 1.5, 21, 21));
        p.setBrush(Blue);
        p.drawEllipse(QPointF(12, 9.3), 3.8, 3.8);
        QPainterPath body;
        body.moveTo(5.2, 19.2);
        body.cubicTo(5.8, 13.6, 18.2, 13.6, 18.8, 19.2);
        body.quadTo(12, 24.5, 5.2, 19.2);
        p.drawPath(body);
    });
    icon(QStringLiteral("Tips_error"), 96, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Red);
        p.drawEllipse(QRectF(2, 2, 20, 20));
        p.setPen(stroke(Qt::white, 2.4));
        line(p, 12, 7, 12, 13.2);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12, 16.8), 1.4, 1.4);
    });
    icon(QStringLiteral("Tips_inquiry"), 96, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Blue);
        p.drawEllipse(QRectF(2, 2, 20, 20));
        p.setPen(stroke(Qt::white, 2.2));
        QPainterPath hook;
        hook.moveTo(9, 9.5);
        hook.cubicTo(9, 5.8, 15.2, 5.8, 15.2, 9.3);
        hook.cubicTo(15.2, 11.6, 12, 11.8, 12, 14);
        p.drawPath(hook);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(12, 17.4), 1.35, 1.35);
    });
    // Small parts the style sheet uses.
    icon(QStringLiteral("arrow_down"), 32, [](QPainter &p) {
        p.setPen(stroke(Ink, 2.2));
        line(p, 6.5, 9.5, 12, 15);
        line(p, 12, 15, 17.5, 9.5);
    });
    icon(QStringLiteral("check"), 32, [](QPainter &p) {
        p.setPen(stroke(Qt::white, 2.8));
        line(p, 5.5, 12.5, 10, 17);
        line(p, 10, 17, 18.5, 7.5);
    });
}

// --------------------------------------------------------------- app icon
QImage appIcon(int pixels)
{
    return render(pixels, [](QPainter &p) {
        QLinearGradient fill(0, 0, 24, 24);
        fill.setColorAt(0, QColor(0x3a, 0xa0, 0xff));
        fill.setColorAt(1, DeepBlue);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
        // Three inputs routed to three outputs, one route crossing.
        p.setPen(stroke(Qt::white, 1.5));
        const double ys[3] = {7, 12, 17};
        line(p, 7.5, ys[0], 16.5, ys[2]);
        line(p, 7.5, ys[1], 16.5, ys[1]);
        line(p, 7.5, ys[2], 16.5, ys[0]);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        for (double y : ys) {
            p.drawEllipse(QPointF(6, y), 1.8, 1.8);
            p.drawEllipse(QPointF(18, y), 1.8, 1.8);
        }
    });
}

void trayIcons()
{
    save(appIcon(256), g_outDir + QStringLiteral("/trayIcon.png"));
    for (int size : {16, 32, 48, 256})
        save(appIcon(size), g_frameDir + QStringLiteral("/tray_%1.png").arg(size));
}

// ------------------------------------------------------ navigation glyphs
void navIcon(const QString &name, const Draw &draw)
{
    icon(name, 64, [&](QPainter &p) { // shown at 32
        p.setPen(stroke(Light, 1.6));
        p.setBrush(Qt::NoBrush);
        draw(p);
    });
}

void gear(QPainter &p, QPointF c, double outer, double inner, int teeth)
{
    QPainterPath path;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i * M_PI) / teeth - M_PI / teeth / 2;
        const double a1 = a0 + M_PI / teeth;
        const double r = (i % 2 == 0) ? outer : inner;
        const QPointF p0 = c + QPointF(std::cos(a0) * r, std::sin(a0) * r);
        const QPointF p1 = c + QPointF(std::cos(a1) * r, std::sin(a1) * r);
        if (i == 0)
            path.moveTo(p0);
        else
            path.lineTo(p0);
        path.lineTo(p1);
    }
    path.closeSubpath();
    p.drawPath(path);
}

void navigationIcons()
{
    navIcon(QStringLiteral("Signal_switching"), [](QPainter &p) {
        line(p, 4, 8.5, 19, 8.5);
        arrowHead(p, QPointF(19.5, 8.5), 0);
        line(p, 20, 15.5, 5, 15.5);
        arrowHead(p, QPointF(4.5, 15.5), 180);
    });
    navIcon(QStringLiteral("Function_settings"), [](QPainter &p) {
        const double ys[3] = {6.5, 12, 17.5};
        const double knobs[3] = {15, 8.5, 13};
        for (int i = 0; i < 3; ++i) {
            line(p, 4, ys[i], 20, ys[i]);
            p.setBrush(QColor(0x24, 0x33, 0x48));
            p.drawEllipse(QPointF(knobs[i], ys[i]), 2.2, 2.2);
            p.setBrush(Qt::NoBrush);
        }
    });
    navIcon(QStringLiteral("CEC"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(7.5, 2.5, 9, 19), 3, 3);
        p.drawEllipse(QPointF(12, 7.5), 1.8, 1.8);
        p.setBrush(Light);
        for (double y : {12.5, 16.5}) {
            p.drawEllipse(QPointF(10.2, y), 0.7, 0.7);
            p.drawEllipse(QPointF(13.8, y), 0.7, 0.7);
        }
    });
    navIcon(QStringLiteral("Splicing_settings"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(3, 4, 8, 7), 1, 1);
        p.drawRoundedRect(QRectF(13, 4, 8, 7), 1, 1);
        p.drawRoundedRect(QRectF(3, 13, 8, 7), 1, 1);
        p.drawRoundedRect(QRectF(13, 13, 8, 7), 1, 1);
    });
    navIcon(QStringLiteral("SplitScreen"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(3, 4, 18, 16), 1.5, 1.5);
        line(p, 15, 4, 15, 20);
        line(p, 15, 9.3, 21, 9.3);
        line(p, 15, 14.7, 21, 14.7);
    });
    navIcon(QStringLiteral("EDID_settings"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(6.5, 6.5, 11, 11), 1.5, 1.5);
        p.drawRect(QRectF(9.8, 9.8, 4.4, 4.4));
        for (double v : {9.5, 12.0, 14.5}) {
            line(p, v, 3, v, 6.5);
            line(p, v, 17.5, v, 21);
            line(p, 3, v, 6.5, v);
            line(p, 17.5, v, 21, v);
        }
    });
    navIcon(QStringLiteral("System_settings"), [](QPainter &p) {
        gear(p, QPointF(12, 12), 8.8, 6.6, 8);
        p.drawEllipse(QPointF(12, 12), 2.8, 2.8);
    });
    navIcon(QStringLiteral("system_information"), [](QPainter &p) {
        p.drawEllipse(QPointF(12, 12), 9, 9);
        line(p, 12, 11, 12, 16.5);
        p.setBrush(Light);
        p.drawEllipse(QPointF(12, 7.6), 0.6, 0.6);
    });
    navIcon(QStringLiteral("Model_setting"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(3, 4, 18, 12), 1.5, 1.5);
        line(p, 12, 16, 12, 19.5);
        line(p, 8, 19.8, 16, 19.8);
        line(p, 7, 10, 10, 10);
        line(p, 14, 10, 17, 10);
        arrowHead(p, QPointF(6.5, 10), 180, 2.2);
        arrowHead(p, QPointF(17.5, 10), 0, 2.2);
    });
    navIcon(QStringLiteral("UserManagement"), [](QPainter &p) {
        person(p, 9.5, 5, 1.0);
        p.save();
        p.setPen(stroke(Light.darker(125), 1.5));
        p.drawEllipse(QPointF(17, 8.3), 2.4, 2.4);
        QPainterPath side;
        side.moveTo(17.2, 13.2);
        side.cubicTo(19.6, 13.2, 21.2, 15.0, 21.2, 18.5);
        p.drawPath(side);
        p.restore();
    });
    navIcon(QStringLiteral("connections_setting"), [](QPainter &p) {
        // Two chain links.
        p.save();
        p.translate(12, 12);
        p.rotate(-45);
        p.drawRoundedRect(QRectF(-9.5, -3.2, 10.5, 6.4), 3.2, 3.2);
        p.drawRoundedRect(QRectF(-1, -3.2, 10.5, 6.4), 3.2, 3.2);
        p.restore();
    });
    navIcon(QStringLiteral("upgrade"), [](QPainter &p) {
        line(p, 12, 15, 12, 4);
        arrowHead(p, QPointF(12, 3.6), -90, 4);
        QPainterPath tray;
        tray.moveTo(4, 14);
        tray.lineTo(4, 19.5);
        tray.lineTo(20, 19.5);
        tray.lineTo(20, 14);
        p.drawPath(tray);
    });
    navIcon(QStringLiteral("Equipment_control"), [](QPainter &p) {
        p.drawArc(QRectF(4.5, 5, 15, 15), 125 * 16, -250 * 16);
        line(p, 12, 3, 12, 11.5);
    });
    navIcon(QStringLiteral("LanguageSet"), [](QPainter &p) {
        p.drawEllipse(QPointF(12, 12), 9, 9);
        p.drawEllipse(QPointF(12, 12), 4, 9);
        line(p, 3, 12, 21, 12);
        line(p, 4.5, 7.5, 19.5, 7.5);
        line(p, 4.5, 16.5, 19.5, 16.5);
    });
    navIcon(QStringLiteral("ChannelRename"), [](QPainter &p) {
        QPainterPath pencil;
        pencil.moveTo(5, 19);
        pencil.lineTo(6, 14.5);
        pencil.lineTo(15.5, 5);
        pencil.lineTo(19, 8.5);
        pencil.lineTo(9.5, 18);
        pencil.closeSubpath();
        p.drawPath(pencil);
        line(p, 13.5, 7, 17, 10.5);
        line(p, 12, 20, 20, 20);
    });
    navIcon(QStringLiteral("port_status"), [](QPainter &p) {
        QPainterPath port;
        port.moveTo(3.5, 6);
        port.lineTo(20.5, 6);
        port.lineTo(20.5, 10.5);
        port.lineTo(17.5, 13.5);
        port.lineTo(6.5, 13.5);
        port.lineTo(3.5, 10.5);
        port.closeSubpath();
        p.drawPath(port);
        p.setPen(stroke(Light, 1.4));
        QPainterPath pulse;
        pulse.moveTo(3.5, 18.5);
        pulse.lineTo(9, 18.5);
        pulse.lineTo(10.8, 15.8);
        pulse.lineTo(13.2, 21);
        pulse.lineTo(15, 18.5);
        pulse.lineTo(20.5, 18.5);
        p.drawPath(pulse);
    });
    navIcon(QStringLiteral("About"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(3, 4.5, 18, 15), 2, 2);
        line(p, 7, 10, 9.8, 12.3);
        line(p, 9.8, 12.3, 7, 14.6);
        line(p, 12, 15, 16.5, 15);
    });
    navIcon(QStringLiteral("Distribution_configuration"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(9, 3, 6, 5), 1, 1);
        p.drawRoundedRect(QRectF(3, 16, 6, 5), 1, 1);
        p.drawRoundedRect(QRectF(15, 16, 6, 5), 1, 1);
        line(p, 12, 8, 12, 12);
        line(p, 6, 12, 18, 12);
        line(p, 6, 12, 6, 16);
        line(p, 18, 12, 18, 16);
    });
    navIcon(QStringLiteral("Set_ip"), [](QPainter &p) {
        p.drawRoundedRect(QRectF(3, 5, 18, 14), 2.5, 2.5);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(8);
        p.setFont(font);
        p.drawText(QRectF(3, 5, 18, 14), Qt::AlignCenter, QStringLiteral("IP"));
    });
}

// -------------------------------------------------------------- animations
void spinnerFrames(const QString &prefix, int pixels, int frames, const QColor &colour)
{
    for (int f = 0; f < frames; ++f) {
        const QImage image = render(
            pixels,
            [&](QPainter &p) {
                constexpr int Dots = 12;
                for (int i = 0; i < Dots; ++i) {
                    // The brightest dot leads; the ones behind it fade.
                    const int age = (f - i + Dots * 4) % Dots;
                    QColor c = colour;
                    c.setAlphaF(qMax(0.12, 1.0 - age / double(Dots - 2)));
                    const double a = 2 * M_PI * i / Dots - M_PI / 2;
                    const double radius = age == 0 ? 1.45 : 1.15;
                    p.setPen(Qt::NoPen);
                    p.setBrush(c);
                    p.drawEllipse(QPointF(12 + std::cos(a) * 7.2, 12 + std::sin(a) * 7.2), radius, radius);
                }
            },
            Qt::black);
        save(image, g_frameDir + QStringLiteral("/%1_%2.png").arg(prefix).arg(f, 2, 10, QLatin1Char('0')));
    }
}

void arcSpinnerFrames(const QString &prefix, int pixels, int frames)
{
    for (int f = 0; f < frames; ++f) {
        const QImage image = render(
            pixels,
            [&](QPainter &p) {
                p.setPen(stroke(QColor(255, 255, 255, 40), 2.2));
                p.drawEllipse(QPointF(12, 12), 7, 7);
                QConicalGradient sweep(QPointF(12, 12), 0);
                sweep.setColorAt(0.0, Blue);
                sweep.setColorAt(0.7, QColor(0x8a, 0xe0, 0x9c, 0));
                QPen pen(QBrush(sweep), 2.4);
                pen.setCapStyle(Qt::RoundCap);
                p.save();
                p.translate(12, 12);
                p.rotate(-360.0 * f / frames);
                p.translate(-12, -12);
                p.setPen(pen);
                p.drawArc(QRectF(5, 5, 14, 14), 0, 270 * 16);
                p.restore();
            },
            Qt::black);
        save(image, g_frameDir + QStringLiteral("/%1_%2.png").arg(prefix).arg(f, 2, 10, QLatin1Char('0')));
    }
}

void clickFrames()
{
    constexpr int Frames = 9;
    for (int f = 0; f < Frames; ++f) {
        const double t = (f + 1) / double(Frames);
        QImage image(150, 150, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter p(&image);
        // No antialiasing: a GIF keeps only fully drawn or empty pixels.
        const double radius = 14 + 56 * t;
        const double width = qMax(2.0, 9 * (1 - t));
        if (f < Frames - 1) {
            p.setPen(QPen(f < 3 ? Blue : Blue.lighter(100 + f * 8), width));
            p.drawEllipse(QPointF(75, 75), radius, radius);
            p.setPen(Qt::NoPen);
            p.setBrush(Blue);
            if (f < 4)
                p.drawEllipse(QPointF(75, 75), 7 * (1 - t), 7 * (1 - t));
        }
        p.end();
        save(image, g_frameDir + QStringLiteral("/click_%1.png").arg(f, 2, 10, QLatin1Char('0')));
    }
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: trivane-art <image dir> <frame dir>\n");
        return 2;
    }
    g_outDir = QString::fromLocal8Bit(argv[1]);
    g_frameDir = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(g_outDir);
    QDir().mkpath(g_frameDir);

    titleBarIcons();
    statusIcons();
    trayIcons();
    navigationIcons();
    spinnerFrames(QStringLiteral("star"), 120, 12, QColor(0x9c, 0xcf, 0xff));
    arcSpinnerFrames(QStringLiteral("connstar"), 80, 18);
    clickFrames();
    return g_failures == 0 ? 0 : 1;
}
