#include "widgets/portstatuslable.h"

#include "mainwindow/naming/buttontext.h"
#include "widgets/tipsdecor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>

namespace {

constexpr int CornerRadius = 8;
constexpr int FontWeight = QFont::Bold;
constexpr double FontSizeExtra = 5;
constexpr double DefaultFontSize = 11.5;
struct FontStep
{
    int below;
    double size;
};
// Checked in order; the last one that matches wins.
constexpr FontStep FontSteps[] = { { 200, 10.5 }, { 150, 9.5 }, { 100, 8.5 }, { 65, 7.5 } };
// The font of a card 100 to 149 px high, the size the page's cards mostly have.
constexpr double HintFontSize = 9.5;
// Below the size the height asks for, text that does not fit shrinks down to this.
constexpr int MinPixelSize = 9;
// How far a font shrinks to keep each line whole before lines are broken.
constexpr int WholeLineShrink = 3;

constexpr int TextLeft = 3;
constexpr int TextRight = 3;
constexpr int TextTop = 10;
constexpr int StatusGap = 28;  // from the top of the name to the status line
constexpr int LineStep = 18;   // from one line to the next below it
constexpr int BottomMargin = 4;
constexpr int FitSlack = 2;

// Cards are sized and their font chosen for a default name, the longest
// resolution a device reports and the status "OK".
const QString WidestResolution = QStringLiteral("4096x2160@60Hz");
const QString WidestStatus = QStringLiteral("OK");
const QString ReferenceName = QStringLiteral("HDMI-16");

const QColor FillColour(0, 202, 255);
const QColor ConnectedColour(8, 88, 32);
const QColor DisconnectedColour(192, 0, 0);

const QString StatusOk = QStringLiteral("OK");
const QString StatusNo = QStringLiteral("NO");
const QString NoResolution = QStringLiteral("0x0@0Hz");

// One text split into at most two lines that fit `width`: broken after the
// label's ": " or at the last blank that fits, otherwise between characters;
// what still does not fit is elided. `fits` tells whether nothing was elided.
QStringList breakInTwo(const QString &text, const QFontMetrics &metrics, int width, bool *fits)
{
    if (metrics.horizontalAdvance(text) <= width)
        return { text };
    int cut = 0;
    while (cut < text.size() && metrics.horizontalAdvance(text.left(cut + 1)) <= width)
        ++cut;
    if (cut == 0)
        cut = 1;
    const int blank = text.lastIndexOf(QLatin1Char(' '), cut);
    if (blank > 0)
        cut = blank + 1;
    const QString first = text.left(cut).trimmed();
    const QString rest = text.mid(cut).trimmed();
    if (metrics.horizontalAdvance(first) > width || metrics.horizontalAdvance(rest) > width)
        *fits = false;
    return { metrics.elidedText(first, Qt::ElideRight, width), metrics.elidedText(rest, Qt::ElideRight, width) };
}

} // namespace

PortStatusLable::PortStatusLable(QWidget *parent)
    : QLabel(parent)
    , m_resolution(NoResolution)
    , m_status(StatusNo)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PortStatusLable::setConnected(bool connected)
{
    m_connected = connected;
    m_status = connected ? StatusOk : StatusNo;
    update();
}

void PortStatusLable::setShowResolution(bool show)
{
    if (m_showResolution == show)
        return;
    m_showResolution = show;
    updateGeometry();
    update();
}

void PortStatusLable::setPortName(const QString &name)
{
    m_portName = ButtonText::withoutLineBreaks(name);
    // A long name may be elided on a small card; the whole one is a hover away.
    setToolTip(m_portName);
    updateGeometry();
    update();
}

void PortStatusLable::setResolution(const QString &resolution)
{
    m_resolution = resolution;
    update();
}

void PortStatusLable::setStatus(const QString &status)
{
    m_status = status;
    update();
}

double PortStatusLable::fontSizeForHeight(int height)
{
    double size = DefaultFontSize;
    for (const FontStep &step : FontSteps) {
        if (height < step.below)
            size = step.size;
    }
    return size;
}

QStringList PortStatusLable::texts(const QString &status, const QString &resolution) const
{
    QStringList lines { m_portName, tr("连接状态: %1").arg(status) };
    if (m_showResolution)
        lines << tr("分辨率: %1").arg(resolution);
    return lines;
}

QStringList PortStatusLable::referenceTexts() const
{
    QStringList lines { ReferenceName, tr("连接状态: %1").arg(WidestStatus) };
    if (m_showResolution)
        lines << tr("分辨率: %1").arg(WidestResolution);
    return lines;
}

QFont PortStatusLable::paintFont(int pixelSize) const
{
    QFont paint = font();
    paint.setWeight(FontWeight);
    paint.setPixelSize(pixelSize);
    return paint;
}

PortStatusLable::Arrangement PortStatusLable::arrange(
    const QStringList &lines, int pixelSize, int width, bool wrap, bool nameInTwo) const
{
    Arrangement result;
    result.font = paintFont(pixelSize);
    const QFontMetrics metrics(result.font);
    const int step = qMax(LineStep, metrics.lineSpacing());
    const int gap = qMax(StatusGap, step + StatusGap - LineStep);
    int top = TextTop;
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 1)
            top += gap - step; // the name stands apart from the lines below it
        const QString &text = lines.at(i);
        result.width = qMax(result.width, metrics.horizontalAdvance(text));
        QStringList pieces { text };
        if (i == 0 ? nameInTwo : wrap)
            pieces = breakInTwo(text, metrics, width, &result.fits);
        else if (metrics.horizontalAdvance(text) > width)
            result.fits = false;
        for (const QString &piece : qAsConst(pieces)) {
            result.lines.append({ piece, top });
            top += step;
        }
    }
    result.bottom = top - step + metrics.height() + BottomMargin;
    return result;
}

PortStatusLable::Arrangement PortStatusLable::arrangeFor(const QSize &size) const
{
    // Planned with a little room to spare: eliding measures a line a pixel
    // or two wider than its advance.
    const int width = size.width() - TextLeft - TextRight - FitSlack;
    // The font is chosen for a plain name and the longest status and
    // resolution, so that cards of one size share it whatever they show:
    // the size the height asks for, each line whole if that fits, else
    // broken in two; smaller only when neither fits the card.
    const QStringList planned = referenceTexts();
    const int largest = static_cast<int>(m_fontSize + FontSizeExtra);
    const auto fitsAt = [&](int pixel, bool broken) {
        const Arrangement plan = arrange(planned, pixel, width, broken, false);
        return plan.fits && plan.bottom <= size.height();
    };
    int pixel = MinPixelSize;
    bool wrap = arrange(planned, MinPixelSize, width, true, false).bottom <= size.height();
    bool found = false;
    // Whole lines a little smaller read better than broken ones; broken
    // lines before a much smaller font.
    for (int candidate = largest; candidate >= qMax(MinPixelSize, largest - WholeLineShrink) && !found; --candidate) {
        if (fitsAt(candidate, false)) {
            pixel = candidate;
            wrap = false;
            found = true;
        }
    }
    for (int candidate = largest; candidate >= MinPixelSize && !found; --candidate) {
        for (const bool broken : { false, true }) {
            if (fitsAt(candidate, broken)) {
                pixel = candidate;
                wrap = broken;
                found = true;
                break;
            }
        }
    }
    // A long name takes a second line where the card has room for it;
    // whatever is still too wide is elided when painted.
    const QStringList lines = texts(m_status, m_resolution);
    const Arrangement twoLineName = arrange(lines, pixel, width, wrap, true);
    if (twoLineName.bottom <= size.height())
        return twoLineName;
    return arrange(lines, pixel, width, wrap, false);
}

QSize PortStatusLable::sizeHint() const
{
    // Every card asks for the same: names longer than the default are
    // broken or elided rather than widening one column.
    const int pixel = static_cast<int>(HintFontSize + FontSizeExtra);
    const Arrangement plan = arrange(referenceTexts(), pixel, QWIDGETSIZE_MAX, false, false);
    return QSize(plan.width + TextLeft + TextRight + FitSlack, plan.bottom);
}

QSize PortStatusLable::minimumSizeHint() const
{
    // The smallest text, each line broken at its last blank if need be.
    const QStringList lines = referenceTexts();
    const QFontMetrics metrics(paintFont(MinPixelSize));
    int width = 0;
    for (const QString &line : lines) {
        const int blank = line.lastIndexOf(QLatin1Char(' '));
        width = qMax(width,
            blank < 0 ? metrics.horizontalAdvance(line)
                      : qMax(metrics.horizontalAdvance(line.left(blank)), metrics.horizontalAdvance(line.mid(blank + 1))));
    }
    const Arrangement plan = arrange(lines, MinPixelSize, width, true, false);
    return QSize(width + TextLeft + TextRight + FitSlack, plan.bottom);
}

void PortStatusLable::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    m_fontSize = fontSizeForHeight(height());
    TipsDecor::applyRoundedMask(this, CornerRadius);
}

void PortStatusLable::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::LanguageChange || event->type() == QEvent::FontChange) {
        updateGeometry();
        update();
    }
}

void PortStatusLable::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(FillColour);
    painter.drawRoundedRect(rect(), CornerRadius, CornerRadius);

    const Arrangement plan = arrangeFor(size());
    painter.setFont(plan.font);
    painter.setPen(m_connected ? ConnectedColour : DisconnectedColour);
    const int width = this->width() - TextLeft - TextRight;
    const QFontMetrics metrics(plan.font);
    for (const Arrangement::Line &line : plan.lines) {
        painter.drawText(QRect(TextLeft, line.top, width, metrics.height()), Qt::AlignLeft | Qt::AlignTop,
            metrics.elidedText(line.text, Qt::ElideRight, width));
    }
}
