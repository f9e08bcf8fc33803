#include "my_warning.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QFontMetrics>
#include <QLabel>
#include <QPropertyAnimation>
#include <QResizeEvent>
#include <QSequentialAnimationGroup>
#include <QtMath>

namespace {
constexpr char TextColour[] = "color: rgb(255, 255, 255);";
constexpr char ToastStyle[] = "text-align:center;font-size: 18px;border-radius: 16px;%1";
// Used only when a message does not fit its window on one line.
constexpr char SmallToastStyle[] = "text-align:center;font-size: %1px;border-radius: 16px;%2";
constexpr int SmallestFontPixelSize = 11;
// Room the rounded corners take from the text at each side and at top and bottom.
constexpr int TextInset = 12;
constexpr int TextInsetVertical = 4;
// Steps in which free places for the toast are looked for, and the space
// it keeps from buttons.
constexpr int PlacementStep = 5;
constexpr int ButtonClearance = 6;

// Where buttons of the host's window are, in host coordinates: the toast
// must not hide what the operator is about to press.
QVector<QRect> buttonAreas(const QWidget *host, const QWidget *toast)
{
    QVector<QRect> areas;
    const QList<QAbstractButton *> buttons = host->findChildren<QAbstractButton *>();
    for (const QAbstractButton *button : buttons) {
        if (toast->isAncestorOf(button) || button->window() != host->window() || !button->isVisibleTo(host))
            continue;
        areas << QRect(button->mapTo(host, QPoint(0, 0)), button->size())
                     .adjusted(-ButtonClearance, -ButtonClearance, ButtonClearance, ButtonClearance);
    }
    return areas;
}

// A free place for a toast of the given size in the host: one that lies
// inside the host and over none of the buttons. Rows are tried from the
// bottom (where the toast rises to) and then the top (over the title bar's
// text) and, when anywhere is allowed, every row from the bottom up; each
// row from the right to the left.
bool findFreePlace(const QSize &host, const QSize &toast, const QVector<QRect> &buttons, bool anywhere, QPoint *place)
{
    const QRect inside(QPoint(0, 0), host);
    const auto isFree = [&](const QPoint &at) {
        const QRect area(at, toast);
        if (!inside.contains(area))
            return false;
        for (const QRect &button : buttons) {
            if (area.intersects(button))
                return false;
        }
        return true;
    };
    const int rightX = host.width() - My_Warning::RightMargin - toast.width();
    const int bottomY = host.height() - My_Warning::RiseHeight;
    QVector<int> rows{bottomY, 0};
    for (int y = bottomY - PlacementStep; anywhere && y > 0; y -= PlacementStep)
        rows << y;
    for (int y : qAsConst(rows)) {
        for (int x = rightX; x >= 0; x -= PlacementStep) {
            if (isFree(QPoint(x, y))) {
                *place = QPoint(x, y);
                return true;
            }
        }
    }
    return false;
}

// Narrows the toast to width and breaks its text over lines, in a smaller
// font when two lines at the normal size do not fit its height.
void fitInto(My_Warning *toast, int width, const QString &text, const QString &backgroundStyle)
{
    QLabel *label = toast->label();
    toast->resize(width, My_Warning::ToastHeight);
    label->setGeometry(toast->rect());
    label->setWordWrap(true);
    label->setContentsMargins(TextInset, TextInsetVertical, TextInset, TextInsetVertical);
    const QRect textArea(0, 0, width - 2 * TextInset, My_Warning::ToastHeight - 2 * TextInsetVertical);
    QFont font = label->font();
    int pixelSize = My_Warning::FontPixelSize;
    for (; pixelSize > SmallestFontPixelSize; --pixelSize) {
        font.setPixelSize(pixelSize);
        const QRect needed = QFontMetrics(font).boundingRect(textArea, Qt::AlignCenter | Qt::TextWordWrap, text);
        if (needed.width() <= textArea.width() && needed.height() <= textArea.height())
            break;
    }
    if (pixelSize != My_Warning::FontPixelSize) {
        label->setStyleSheet(QLatin1String(TextColour)
                             + QString::fromLatin1(SmallToastStyle).arg(pixelSize).arg(backgroundStyle));
    }
}
} // namespace

My_Warning::My_Warning(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("My_Warning"));
    // A toast never takes clicks meant for the page below it.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(InitialWidth, ToastHeight);
    setMinimumSize(MinimumWidth, ToastHeight);
    setMaximumSize(MaximumWidth, ToastHeight);

    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label_WarningMessage"));
    // "text-align" means nothing to a QLabel: the alignment centres the text.
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setStyleSheet(QLatin1String(TextColour));
    m_label->setGeometry(rect());

    m_slide = new QSequentialAnimationGroup(this);
    auto *slideIn = new QPropertyAnimation(this, "pos", m_slide);
    slideIn->setDuration(SlideMs);
    slideIn->setEasingCurve(QEasingCurve::OutCubic);
    auto *slideOut = new QPropertyAnimation(this, "pos", m_slide);
    slideOut->setDuration(SlideMs);
    slideOut->setEasingCurve(QEasingCurve::InCubic);
    m_slide->addAnimation(slideIn);
    m_slide->addAnimation(slideOut);
    connect(m_slide, &QSequentialAnimationGroup::finished, this, &QWidget::hide);
    hide();
}

void My_Warning::setMessage(const QString &text, const QString &backgroundStyle)
{
    m_label->setWordWrap(false);
    m_label->setContentsMargins(0, 0, 0, 0);
    m_label->setText(text);
    m_label->setStyleSheet(QLatin1String(TextColour) + QString::fromLatin1(ToastStyle).arg(backgroundStyle));
    m_label->ensurePolished();
    m_label->adjustSize();
    const int width = widthForText(text);
    resize(width, ToastHeight);
    m_label->setGeometry(rect());
}

QString My_Warning::message() const
{
    return m_label->text();
}

int My_Warning::widthForText(const QString &text) const
{
    QFont font = m_label->font();
    font.setPixelSize(FontPixelSize);
    const QFontMetrics metrics(font);
    // The widest line counts when the text holds line breaks.
    const int textWidth = metrics.boundingRect(QRect(), 0, text).width();
    return qBound(MinimumWidth, qCeil(textWidth * WidthPerTextWidth), MaximumWidth);
}

void My_Warning::showMessage(const QString &text, const QString &backgroundStyle)
{
    m_slide->stop();
    setMessage(text, backgroundStyle);

    const QWidget *host = parentWidget();
    const int hostWidth = host ? host->width() : width();
    const int hostHeight = host ? host->height() : ToastHeight + RiseHeight;
    QFont font = m_label->font();
    font.setPixelSize(FontPixelSize);
    // Narrowest toast that still shows the text on its lines, with room for
    // the rounded corners.
    const int compactWidth = qMax(MinimumWidth, QFontMetrics(font).boundingRect(QRect(), 0, text).width() + 4 * TextInset);
    // A toast wider than its window would be cut: it keeps a margin at both
    // sides and, if it must, breaks its text, in a smaller font if two lines
    // need it.
    const int fitWidth = hostWidth - 2 * RightMargin;
    if (host && width() > fitWidth && fitWidth >= MinimumWidth) {
        if (compactWidth <= fitWidth)
            resize(fitWidth, ToastHeight);
        else
            fitInto(this, fitWidth, text, backgroundStyle);
    }

    // The bottom right corner, unless that hides a button the operator may
    // need next: then a free place at the bottom or the top edge, if need be
    // in a toast just wide enough for its text, else anywhere free.
    QPoint shown(qMax(0, hostWidth - RightMargin - width()), hostHeight - RiseHeight);
    if (host) {
        const QVector<QRect> buttons = buttonAreas(host, this);
        QPoint place;
        if (findFreePlace(host->size(), size(), buttons, false, &place)) {
            shown = place;
        } else if (!m_label->wordWrap() && compactWidth < width()
                   && findFreePlace(host->size(), QSize(compactWidth, height()), buttons, false, &place)) {
            resize(compactWidth, height());
            shown = place;
        } else if (findFreePlace(host->size(), size(), buttons, true, &place)) {
            shown = place;
        }
    }
    // It comes in from the nearer edge, above or below.
    const bool fromTop = shown.y() + height() / 2 < hostHeight / 2;
    const QPoint hidden(shown.x(), fromTop ? -height() : hostHeight);

    auto *slideIn = static_cast<QPropertyAnimation *>(m_slide->animationAt(0));
    auto *slideOut = static_cast<QPropertyAnimation *>(m_slide->animationAt(1));
    slideIn->setStartValue(hidden);
    slideIn->setEndValue(shown);
    slideOut->setStartValue(shown);
    slideOut->setEndValue(hidden);

    move(hidden);
    show();
    raise();
    m_slide->start();
}

My_Warning *My_Warning::showMessage(QWidget *host, const QString &text, const QString &backgroundStyle)
{
    if (!host)
        return nullptr;
    auto *toast = host->findChild<My_Warning *>(QString(), Qt::FindDirectChildrenOnly);
    if (!toast)
        toast = new My_Warning(host);
    toast->showMessage(text, backgroundStyle);
    return toast;
}

bool My_Warning::isAnimating() const
{
    return m_slide->state() == QAbstractAnimation::Running;
}

void My_Warning::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_label->setGeometry(rect());
}
