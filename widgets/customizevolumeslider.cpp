#include "customizevolumeslider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

namespace {
constexpr int LabelRightSpace = 56;
constexpr int RowSpacing = 3;
constexpr int ControlSpacing = 2;
constexpr QSize MinusSize(18, 18);
constexpr QSize PlusSize(20, 18);
constexpr QSize SliderSize(70, 20);
}

CustomizeVolumeSlider::CustomizeVolumeSlider(QWidget *parent) : QWidget(parent)
{
    m_valueLabel = new QLabel(QStringLiteral("0"), this);
    m_valueLabel->setObjectName(QStringLiteral("volumeValueLabel"));
    m_valueLabel->setStyleSheet(QStringLiteral("QLabel{font-size: 18px;}"));

    m_minusButton = new QPushButton(QStringLiteral("-"), this);
    m_minusButton->setObjectName(QStringLiteral("volumeReductionBut"));
    m_minusButton->setFixedSize(MinusSize);
    m_minusButton->setFocusPolicy(Qt::NoFocus);

    m_slider = new QSlider(Qt::Horizontal, this);
    m_slider->setObjectName(QStringLiteral("volumeSlider"));
    m_slider->setFixedSize(SliderSize);
    m_slider->setRange(Minimum, Maximum);
    m_slider->setSingleStep(SingleStep);
    m_slider->installEventFilter(this);

    m_settle = new QTimer(this);
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_settle, &QTimer::timeout, this, &CustomizeVolumeSlider::reportSettled);

    m_plusButton = new QPushButton(QStringLiteral("+"), this);
    m_plusButton->setObjectName(QStringLiteral("volumePlusBut"));
    m_plusButton->setFixedSize(PlusSize);
    m_plusButton->setFocusPolicy(Qt::NoFocus);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->addStretch();
    top->addWidget(m_valueLabel);
    top->addSpacing(LabelRightSpace);

    auto *bottom = new QHBoxLayout;
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(ControlSpacing);
    bottom->addWidget(m_minusButton);
    bottom->addWidget(m_slider);
    bottom->addWidget(m_plusButton);

    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(RowSpacing);
    rows->addLayout(top);
    rows->addLayout(bottom);

    connect(m_slider, &QSlider::valueChanged, this, &CustomizeVolumeSlider::sliderValueChanged);
    // Only the operator's input triggers actions; setValue() does not.
    connect(m_slider, &QSlider::actionTriggered, this, &CustomizeVolumeSlider::onSliderAction);
    connect(m_minusButton, &QPushButton::clicked, this, &CustomizeVolumeSlider::reduceVolume);
    connect(m_plusButton, &QPushButton::clicked, this, &CustomizeVolumeSlider::increaseVolume);
}

int CustomizeVolumeSlider::value() const
{
    return m_slider->value();
}

void CustomizeVolumeSlider::setValue(int value)
{
    m_settle->stop();
    m_slider->setValue(value);
}

void CustomizeVolumeSlider::onSliderAction()
{
    // A press (drag or groove click, with its auto-repeat) reports at its release.
    if (m_mouseDown)
        return;
    if (!m_settle->isActive())
        m_settleFrom = m_slider->value(); // the action's value is not applied yet
    m_settle->start();
}

void CustomizeVolumeSlider::reportSettled()
{
    // Wheeling against an end moves nothing: nothing to send.
    if (m_slider->value() != m_settleFrom)
        emit mouseButtonRelease(m_slider->value());
}

void CustomizeVolumeSlider::sliderValueChanged(int value)
{
    m_valueLabel->setText(QStringLiteral("%1").arg(value));
}

void CustomizeVolumeSlider::increaseVolume()
{
    m_slider->setValue(m_slider->value() + ButtonStep);
    emit sliderValueChange(m_slider->value());
}

void CustomizeVolumeSlider::reduceVolume()
{
    m_slider->setValue(m_slider->value() - ButtonStep);
    emit sliderValueChange(m_slider->value());
}

bool CustomizeVolumeSlider::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_slider)
        return QWidget::eventFilter(watched, event);
    const auto button = [event] { return static_cast<QMouseEvent *>(event)->button(); };
    if (event->type() == QEvent::MouseButtonPress && !m_mouseDown) {
        m_mouseDown = true;
        m_pressButton = button();
        m_pressValue = m_slider->value();
        // A wheel or key step still pending goes out with this release.
        if (m_settle->isActive()) {
            m_settle->stop();
            m_pressValue = m_settleFrom;
        }
    } else if (event->type() == QEvent::MouseButtonRelease && m_mouseDown && button() == m_pressButton) {
        m_mouseDown = false;
        // Presses and drags have already moved the slider to its final value.
        if (m_pressButton == Qt::LeftButton || m_slider->value() != m_pressValue)
            emit mouseButtonRelease(m_slider->value());
    }
    return QWidget::eventFilter(watched, event);
}
