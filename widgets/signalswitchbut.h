#pragma once

#include <QFont>
#include <QPushButton>
#include <QString>

// Output tile of the signal switching page: shows the input routed to the
// output, that input's resolution and the output's name, and asks for a route
// to this output when the operator clicks it. Blue while a display is
// connected to the output, green under the mouse.
class SignalSwitchBut final : public QPushButton
{
    Q_OBJECT
public:
    explicit SignalSwitchBut(QWidget *parent = nullptr);

    bool outputConnected() const { return m_outputConnected; }
    void setOutputConnected(bool connected);
    bool hovered() const { return m_hovered; }
    // Named apart from QAbstractButton's pressed() signal.
    bool isPressed() const { return m_pressed; }
    double fontSize() const { return m_fontSize; }

    int routedInput() const { return m_routedInput; } // 0 = none yet
    void setRoutedInput(int input) { m_routedInput = input; }
    int outputNumber() const { return m_outputNumber; } // 1-based
    void setOutputNumber(int number);

    QString inputName() const { return m_inputName; }
    void setInputName(const QString &name);
    QString resolution() const { return m_resolution; }
    void setResolution(const QString &resolution);
    QString outputName() const { return m_outputName; }
    void setOutputName(const QString &name);

    // The three lines the tile paints, as shown.
    QString inputLine() const { return m_inputLine; }
    QString resolutionLine() const { return m_resolutionLine; }
    QString outputLine() const { return m_outputLine; }

signals:
    // A left click on the tile: route the selected input to this output.
    void changeInputSource(int outputNumber);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The painted lines and font are built when their inputs change, so a
    // repaint only draws.
    void updateLines();
    void updatePaintFont();
    // Where the resolution line starts: lower by one step per extra line the
    // wrapped input name takes.
    void updateResolutionTop();

    bool m_outputConnected = false;
    bool m_hovered = false;
    bool m_pressed = false;
    double m_fontSize = 13.5;
    int m_routedInput = 0;
    int m_outputNumber = 1;
    QString m_inputName;
    QString m_resolution;
    QString m_outputName;

    QString m_inputLine;
    QString m_resolutionLine;
    QString m_outputLine;
    QFont m_paintFont;
    int m_resolutionTop = 0;
};
