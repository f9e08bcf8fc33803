#include "fbasedialog.h"
#include "tipsdecor.h"

#include <QEasingCurve>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

FBaseDialog::FBaseDialog(QWidget *parent) : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
}

bool FBaseDialog::closeWithAnimation()
{
    if (m_closeGroup)
        return false;

    m_geometryBeforeClose = geometry();
    m_minimumBeforeClose = minimumSize();
    m_maximumBeforeClose = maximumSize();
    m_restorePending = true;
    // A fixed or layout-imposed size would keep the fold from shrinking the
    // window; (1, 1) also stops the layout from imposing its own minimum.
    setMinimumSize(1, 1);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);

    const QRect from = m_geometryBeforeClose;
    const QRect to(from.x(), from.y() + from.height(), from.width(), 0);

    auto *fold = new QPropertyAnimation(this, "geometry");
    fold->setDuration(CloseAnimationMs);
    fold->setEasingCurve(QEasingCurve::Linear);
    fold->setStartValue(from);
    fold->setEndValue(to);

    auto *fade = new QPropertyAnimation(this, "windowOpacity");
    fade->setDuration(CloseAnimationMs);
    fade->setEasingCurve(QEasingCurve::Linear);
    fade->setStartValue(1.0);
    fade->setEndValue(0.0);

    m_closeGroup = new QParallelAnimationGroup(this);
    m_closeGroup->addAnimation(fold);
    m_closeGroup->addAnimation(fade);
    connect(m_closeGroup, &QParallelAnimationGroup::finished, this, [this] {
        m_closeGroup->deleteLater();
        m_closeGroup = nullptr;
        closeAnimationFinished();
        restoreAfterAnimation();
    });
    m_closeGroup->start();
    return true;
}

void FBaseDialog::closeAnimationFinished()
{
    close();
}

void FBaseDialog::abortCloseAnimation()
{
    if (m_closeGroup) {
        m_closeGroup->stop();
        m_closeGroup->deleteLater();
        m_closeGroup = nullptr;
    }
    restoreAfterAnimation();
}

void FBaseDialog::hideEvent(QHideEvent *event)
{
    // A dialog hidden halfway through its fold must not come back folded.
    if (!m_closeGroup)
        restoreAfterAnimation();
    QDialog::hideEvent(event);
}

void FBaseDialog::restoreAfterAnimation()
{
    if (!m_restorePending)
        return;
    m_restorePending = false;
    setMinimumSize(m_minimumBeforeClose);
    setMaximumSize(m_maximumBeforeClose);
    setGeometry(m_geometryBeforeClose);
    setWindowOpacity(1.0);
}

void FBaseDialog::setCornerRadius(int radius)
{
    m_cornerRadius = radius;
    if (radius > 0)
        TipsDecor::applyRoundedMask(this, radius);
    else
        clearMask();
}

void FBaseDialog::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    if (m_cornerRadius > 0)
        TipsDecor::applyRoundedMask(this, m_cornerRadius);
}
