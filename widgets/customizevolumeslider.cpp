#include "customizevolumeslider.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
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
    connect(m_minusButton, &QPushButton::clicked, this, &CustomizeVolumeSlider::reduceVolume);
    connect(m_plusButton, &QPushButton::clicked, this, &CustomizeVolumeSlider::increaseVolume);
}

int CustomizeVolumeSlider::value() const
{
    return m_slider->value();
}

void CustomizeVolumeSlider::setValue(int value)
{
    m_slider->setValue(value);
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
    if (watched == m_slider && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // Presses and drags have already moved the slider to its final value.
        emit mouseButtonRelease(m_slider->value());
    }
    return QWidget::eventFilter(watched, event);
}
