#include "my_warning.h"

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
}

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
    // A toast wider than the window keeps the start of its text in view.
    const int x = qMax(0, hostWidth - RightMargin - width());
    const QPoint hidden(x, hostHeight);
    const QPoint shown(x, hostHeight - RiseHeight);

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
