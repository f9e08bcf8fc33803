#pragma once

#include <QWidget>

class QLabel;
class QTimer;
class QPushButton;
class QSlider;

// Brightness / contrast control: the value above a slider with minus and
// plus buttons. Dragging only updates the value; releasing the slider or
// clicking minus / plus reports the value so that one command is sent.
// Steps made with the wheel or the keyboard are reported once, as a release,
// when no further step has followed for SettleMs.
class CustomizeVolumeSlider final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Minimum = 0;
    static constexpr int Maximum = 100;
    static constexpr int SingleStep = 10;
    static constexpr int ButtonStep = 1;
    static constexpr int SettleMs = 300;

    explicit CustomizeVolumeSlider(QWidget *parent = nullptr);

    int value() const;
    // Shows a value read from the device; reports nothing (and drops a
    // pending wheel or key report, which the device's value overrides).
    void setValue(int value);
    QSlider *slider() const { return m_slider; }
    QLabel *valueLabel() const { return m_valueLabel; }

signals:
    void mouseButtonRelease(int value);
    void sliderValueChange(int value);

public slots:
    void sliderValueChanged(int value);
    void increaseVolume();
    void reduceVolume();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onSliderAction();
    void reportSettled();

    QLabel *m_valueLabel = nullptr;
    QSlider *m_slider = nullptr;
    QPushButton *m_minusButton = nullptr;
    QPushButton *m_plusButton = nullptr;
    QTimer *m_settle = nullptr;
    int m_settleFrom = 0;      // the value before the first pending step
    bool m_mouseDown = false;  // a press on the slider is reported at its release
    Qt::MouseButton m_pressButton = Qt::NoButton;
    int m_pressValue = 0;
};
