#pragma once

#include <QRect>
#include <QVector>
#include <QWidget>

// A preview tile of one split mode: the mode's windows A..D drawn in the
// tile's proportions. A click asks for the mode (modifySelectedStatus).
class PartitionModeWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit PartitionModeWidget(int mode, QWidget *parent = nullptr);

    int mode() const { return m_mode; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isHovered() const { return m_hovered; }
    double fontSize() const { return m_fontSize; }
    // The windows as last laid out (one for mode 0).
    const QVector<QRect> &windowRects() const { return m_windows; }

signals:
    void modifySelectedStatus();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void layoutWindows();

    int m_mode = 0;
    bool m_selected = false;
    bool m_hovered = false;
    bool m_pressed = false;
    double m_fontSize = 24;
    QVector<QRect> m_windows;
};
