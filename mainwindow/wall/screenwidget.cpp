#include "mainwindow/wall/screenwidget.h"

#include "mainwindow/naming/buttontext.h"
#include "mainwindow/wall/wallmodel.h"
#include "widgets/tipsdecor.h"

#include <QAction>
#include <QActionGroup>
#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

constexpr int CornerRadius = 8;
constexpr int FontWeight = 75;
constexpr double FontSizeExtra = 5;
constexpr int TextLeft = 3;
constexpr int TextTop = 10;
constexpr int BottomMargin = 8;
// While hovered the text moves a little, as if the screen were pressed in.
constexpr int HoverShiftX = 1;
constexpr int HoverShiftY = 2;

const QColor IdleColour(160, 160, 160);
const QColor ConnectedColour(43, 146, 251);
const QColor HoverColour(0, 170, 0);
const QColor TextColour(Qt::white);

constexpr int ScreenNumberDigits = 4;

} // namespace

QString ScreenWidget::screenNumber() const
{
    // "0001" ... "0016": the number keeps four digits on every wall.
    bool ok = false;
    const int number = m_screenIndex.toInt(&ok);
    return ok ? QStringLiteral("%1").arg(number, ScreenNumberDigits, 10, QLatin1Char('0')) : m_screenIndex;
}

ScreenWidget::ScreenWidget(QWidget *parent)
    : QWidget(parent)
{
    // The wall decides the size; the text follows the height.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

ScreenWidget::~ScreenWidget() = default;

void ScreenWidget::setOutputConnected(bool connected)
{
    if (m_outputConnected == connected)
        return;
    m_outputConnected = connected;
    update();
}

void ScreenWidget::setOutPortParam(int port)
{
    m_outPortParam = qMax(0, port);
}

void ScreenWidget::setScreenIndex(const QString &index)
{
    m_screenIndex = index;
    update();
}

void ScreenWidget::setOutputName(const QString &name)
{
    m_outputName = name;
    update();
}

void ScreenWidget::setInputName(const QString &name)
{
    m_inputName = name;
    update();
}

void ScreenWidget::setPosition(const QString &position)
{
    m_position = position;
}

void ScreenWidget::selectOutputPort(QAction *action)
{
    if (!action)
        return;
    bool ok = false;
    const int port = action->data().toInt(&ok);
    if (!ok || port < 1)
        return;
    emit removeDuplicateMap(this, port);
}

void ScreenWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const QColor fill = m_hovered ? HoverColour : (m_outputConnected ? ConnectedColour : IdleColour);
    painter.setPen(QPen(TextColour, 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), CornerRadius, CornerRadius);

    QFont font = this->font();
    font.setWeight(FontWeight);
    font.setPixelSize(qMax(1, static_cast<int>(m_fontSize + FontSizeExtra)));
    font.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(font);
    painter.setPen(TextColour);

    const QFontMetrics metrics(font);
    const QPoint shift = m_hovered ? QPoint(HoverShiftX, HoverShiftY) : QPoint();
    const int textWidth = qMax(0, width() - 2 * TextLeft);
    // A long name is cut with an ellipsis at the tile's edge, never mid-glyph.
    const auto line
        = [&](const QString &text) { return metrics.elidedText(text, Qt::ElideRight, textWidth); };
    const int lineHeight = metrics.height();

    // Small screens (a long row of them) keep the lines that fit whole:
    // the number first, then the output, then the input.
    const QRect indexRect(TextLeft, TextTop, textWidth, lineHeight);
    const QRect outputRect(TextLeft, height() - BottomMargin - lineHeight, textWidth, lineHeight);
    const QRect inputRect(TextLeft, TextTop + m_lineSpacing, textWidth, lineHeight);
    const bool outputFits = outputRect.top() >= indexRect.bottom();
    const bool inputFits = inputRect.bottom() < (outputFits ? outputRect.top() : height());

    painter.drawText(
        indexRect.translated(shift), Qt::AlignLeft | Qt::AlignTop, line(screenNumber()));
    if (inputFits) {
        painter.drawText(inputRect.translated(shift), Qt::AlignLeft | Qt::AlignTop,
            line(tr("输入: %1").arg(ButtonText::withoutLineBreaks(m_inputName))));
    }
    if (outputFits) {
        painter.drawText(outputRect.translated(shift), Qt::AlignLeft | Qt::AlignBottom,
            line(tr("输出: %1").arg(ButtonText::withoutLineBreaks(m_outputName))));
    }
}

void ScreenWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const Wall::TextMetrics metrics = Wall::textMetricsFor(height());
    m_fontSize = metrics.fontSize;
    m_lineSpacing = metrics.lineSpacing;
    TipsDecor::applyRoundedMask(this, CornerRadius);
}

void ScreenWidget::enterEvent(QEvent *event)
{
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void ScreenWidget::leaveEvent(QEvent *event)
{
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void ScreenWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    event->accept();
    m_pressed = true;
}

void ScreenWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    // Accepted, so that Qt does not go on to hand the click to the parent of
    // a screen the click itself may have removed.
    event->accept();
    const bool click = m_pressed && rect().contains(event->pos());
    m_pressed = false;
    if (!click || m_outPortParam == 0 || !m_inputChosen || !m_inputChosen())
        return;
    // The request may wait for the device while events run, and an answer
    // arriving meanwhile may replace the whole wall.
    QPointer<ScreenWidget> self(this);
    emit switchInputSource(m_outPortParam);
    if (!self)
        return;
    update();
}

void ScreenWidget::contextMenuEvent(QContextMenuEvent *event)
{
    event->accept();
    const QStringList names = m_portNames ? m_portNames() : QStringList();

    // Not a child of this screen: a wall answer that arrives while the menu
    // is open replaces the screens, and this one may be gone when exec()
    // returns. The window's theme still applies to it.
    QMenu menu;
    if (QWidget *top = window(); top && top != this)
        menu.setStyleSheet(top->styleSheet());
    QMenu *ports = menu.addMenu(tr("绑定输出端口  "));
    auto *group = new QActionGroup(ports);
    group->setExclusive(true);
    for (int i = 0; i < names.size(); ++i) {
        const int port = i + 1;
        QAction *action = ports->addAction(tr("输出: %1   ").arg(ButtonText::escape(names.at(i))));
        action->setCheckable(true);
        action->setData(port);
        action->setChecked(port == m_outPortParam);
        group->addAction(action);
    }
    ports->setEnabled(!names.isEmpty());

    QPointer<ScreenWidget> self(this);
    QAction *chosen = menu.exec(event->globalPos());
    if (!self)
        return;
    if (chosen && chosen->data().isValid())
        selectOutputPort(chosen);
}
