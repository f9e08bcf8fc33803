#include "mainwindow/partition/partitionmodewidget.h"

#include "mainwindow/partition/partitionmodel.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

const QColor ActiveFill(43, 146, 251);
// The navigation bar's slate: white frames and letters read on it, and the
// blue of a chosen tile stands out against it.
const QColor IdleFill(0x3C, 0x48, 0x5A);
const QColor LineColour(Qt::white);
constexpr int FramePenWidth = 3;
constexpr int WindowPenWidth = 2;
// Modes with a large window A show B..D smaller.
constexpr int LastEvenMode = 3;
constexpr double SmallLabelReduction = 6;
const char *const WindowLetters[Partition::Windows] = { "A", "B", "C", "D" };

} // namespace

PartitionModeWidget::PartitionModeWidget(int mode, QWidget *parent)
    : QWidget(parent)
    , m_mode(mode)
{
    setObjectName(QStringLiteral("PartitionModeWidget_%1").arg(mode));
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layoutWindows();
}

void PartitionModeWidget::setSelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    update();
}

void PartitionModeWidget::layoutWindows()
{
    m_fontSize = Partition::fontSizeFor(m_mode);
    m_windows = Partition::windowRects(m_mode, rect().right(), rect().bottom());
}

void PartitionModeWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutWindows();
}

void PartitionModeWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(rect(), m_selected || m_hovered ? ActiveFill : IdleFill);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(LineColour, WindowPenWidth));
    for (const QRect &window : qAsConst(m_windows))
        painter.drawRect(window);

    // Drawn last so that the window outlines never cover it.
    painter.setPen(QPen(LineColour, FramePenWidth));
    painter.drawRect(rect().adjusted(1, 1, -1, -1));

    QFont font = painter.font();
    font.setBold(true);
    for (int i = 0; i < m_windows.size() && i < Partition::Windows; ++i) {
        const bool small = i > 0 && m_mode > LastEvenMode;
        font.setPixelSize(qMax(1, qRound(small ? m_fontSize - SmallLabelReduction : m_fontSize)));
        painter.setFont(font);
        const QRect labelRect = i == 0 ? Partition::labelRectA(m_mode, m_windows.at(0)) : m_windows.at(i);
        painter.drawText(labelRect, Qt::AlignCenter | Qt::TextDontClip, QLatin1String(WindowLetters[i]));
    }
}

void PartitionModeWidget::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    m_hovered = true;
    update();
}

void PartitionModeWidget::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    m_hovered = false;
    update();
}

void PartitionModeWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_pressed = true;
    QWidget::mousePressEvent(event);
}

void PartitionModeWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = event->button() == Qt::LeftButton && m_pressed && rect().contains(event->pos());
    if (event->button() == Qt::LeftButton)
        m_pressed = false;
    QWidget::mouseReleaseEvent(event);
    if (click)
        emit modifySelectedStatus();
}
