#include "widgets/signalswitchbut.h"

#include "mainwindow/naming/buttontext.h"
#include "mainwindow/switching/switchingmodel.h"
#include "widgets/tipsdecor.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int CornerRadius = 6;
constexpr int FontWeight = 75;
constexpr double FontSizeExtra = 5;
constexpr int TextLeft = 3;
constexpr int TextTop = 10;
constexpr int ResolutionGap = 35; // below the top of the input line
constexpr int WrappedLineStep = 30; // per extra line of a wrapped input name
constexpr int BottomMargin = 8; // below the output line
constexpr int HoverShift = 2;

const QColor IdleColour(160, 160, 160);
const QColor ConnectedColour(43, 146, 251);
const QColor HoverColour(0, 170, 0);
const QColor TextColour(Qt::white);

constexpr int TextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;

} // namespace

SignalSwitchBut::SignalSwitchBut(QWidget *parent)
    : QPushButton(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    updatePaintFont();
    updateLines();
}

void SignalSwitchBut::setOutputConnected(bool connected)
{
    m_outputConnected = connected;
    update();
}

void SignalSwitchBut::setOutputNumber(int number)
{
    m_outputNumber = number;
    updateLines(); // the output line falls back to "HDMI-<number>"
}

void SignalSwitchBut::setInputName(const QString &name)
{
    m_inputName = name;
    updateLines();
}

void SignalSwitchBut::setResolution(const QString &resolution)
{
    m_resolution = resolution;
    updateLines();
}

void SignalSwitchBut::setOutputName(const QString &name)
{
    m_outputName = name;
    updateLines();
}

void SignalSwitchBut::updateLines()
{
    m_inputLine = tr("输入: %1").arg(ButtonText::withoutLineBreaks(m_inputName));
    m_resolutionLine = tr("分辨率: %1").arg(m_resolution);
    QString output = ButtonText::withoutLineBreaks(m_outputName);
    if (output.trimmed().isEmpty())
        output = QStringLiteral("HDMI-%1").arg(m_outputNumber);
    m_outputLine = tr("输出: %1").arg(output);
    updateResolutionTop();
    update();
}

void SignalSwitchBut::updatePaintFont()
{
    m_paintFont = font();
    m_paintFont.setWeight(FontWeight);
    m_paintFont.setPixelSize(static_cast<int>(m_fontSize + FontSizeExtra));
}

void SignalSwitchBut::updateResolutionTop()
{
    m_resolutionTop = TextTop + ResolutionGap;
    const int textWidth = width() - TextLeft;
    if (textWidth <= 0)
        return;
    const QFontMetrics metrics(m_paintFont);
    if (metrics.horizontalAdvance(m_inputLine) <= textWidth)
        return;
    const QRect wrapped
        = metrics.boundingRect(QRect(0, 0, textWidth, QWIDGETSIZE_MAX), TextFlags, m_inputLine);
    const int lines = qMax(2, wrapped.height() / qMax(1, metrics.lineSpacing()));
    m_resolutionTop += (lines - 1) * WrappedLineStep;
}

void SignalSwitchBut::enterEvent(QEvent *event)
{
    m_hovered = true;
    update();
    QPushButton::enterEvent(event);
}

void SignalSwitchBut::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QPushButton::leaveEvent(event);
}

void SignalSwitchBut::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QPushButton::mousePressEvent(event);
}

void SignalSwitchBut::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressed && rect().contains(event->pos());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QPushButton::mouseReleaseEvent(event);
    update();
    // Last: the route request waits for the device while events run.
    if (click)
        emit changeInputSource(m_outputNumber);
}

void SignalSwitchBut::resizeEvent(QResizeEvent *event)
{
    QPushButton::resizeEvent(event);
    m_fontSize = Switching::tileFontSize(height());
    updatePaintFont();
    updateResolutionTop();
    TipsDecor::applyRoundedMask(this, CornerRadius);
}

void SignalSwitchBut::changeEvent(QEvent *event)
{
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::LanguageChange) {
        updateLines();
    } else if (event->type() == QEvent::FontChange) {
        updatePaintFont();
        updateResolutionTop();
    }
}

void SignalSwitchBut::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(m_paintFont);

    const QColor fill = m_hovered ? HoverColour : (m_outputConnected ? ConnectedColour : IdleColour);
    painter.setPen(QPen(TextColour, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), CornerRadius, CornerRadius);

    const int shift = m_hovered ? HoverShift : 0;
    const int textWidth = width() - TextLeft;
    painter.setPen(TextColour);
    painter.drawText(
        QRect(TextLeft + shift, TextTop + shift, textWidth, height() - TextTop), TextFlags, m_inputLine);
    painter.drawText(QRect(TextLeft + shift, m_resolutionTop + shift, textWidth, height() - m_resolutionTop),
        TextFlags, m_resolutionLine);
    painter.drawText(QRect(TextLeft + shift, shift, textWidth, height() - BottomMargin),
        Qt::AlignLeft | Qt::AlignBottom | Qt::TextWordWrap, m_outputLine);
}
