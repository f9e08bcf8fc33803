#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

class QAction;

// One screen of the video wall: its number, the input it shows and the
// output bound to it. A right click offers the outputs to bind (the menu is
// built when it pops up, from portNames()); a left click on a bound screen
// asks for the chosen input on the wall.
class ScreenWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit ScreenWidget(QWidget *parent = nullptr);
    ~ScreenWidget() override;

    // Display names of outputs 1..n, asked each time the menu pops up.
    using PortNames = std::function<QStringList()>;
    void setPortNames(PortNames names) { m_portNames = std::move(names); }
    // Whether a left click may ask for the wall (an input is chosen).
    using InputChosen = std::function<bool()>;
    void setInputChosen(InputChosen chosen) { m_inputChosen = std::move(chosen); }

    bool outputConnected() const { return m_outputConnected; }
    void setOutputConnected(bool connected);
    int outPortParam() const { return m_outPortParam; }
    void setOutPortParam(int port);
    QString screenIndex() const { return m_screenIndex; }
    // The number painted on the screen, four digits.
    QString screenNumber() const;
    void setScreenIndex(const QString &index);
    QString outputName() const { return m_outputName; }
    void setOutputName(const QString &name);
    QString inputName() const { return m_inputName; }
    void setInputName(const QString &name);
    QString position() const { return m_position; }
    void setPosition(const QString &position);
    double fontSize() const { return m_fontSize; }
    int lineSpacing() const { return m_lineSpacing; }
    bool isHovered() const { return m_hovered; }

public slots:
    // An action of the port menu: its data is the output number.
    void selectOutputPort(QAction *action);

signals:
    void switchInputSource(int outNumber);
    void removeDuplicateMap(ScreenWidget *pSc, int outNumber);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    PortNames m_portNames;
    InputChosen m_inputChosen;
    bool m_outputConnected = false;
    bool m_hovered = false;
    bool m_pressed = false;
    double m_fontSize = 13.5;
    int m_lineSpacing = 35;
    int m_outPortParam = 0;
    QString m_screenIndex;
    QString m_outputName;
    QString m_inputName;
    QString m_position;
};
