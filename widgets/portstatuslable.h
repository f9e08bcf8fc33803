#pragma once

#include <QLabel>
#include <QString>

// One port on the port status page: its name, whether a signal is connected
// and at what resolution, painted on a light blue rounded card (green text
// when connected, red when not). The font shrinks with the card's height.
class PortStatusLable final : public QLabel
{
    Q_OBJECT
public:
    explicit PortStatusLable(QWidget *parent = nullptr);

    bool connected() const { return m_connected; }
    // Also sets the status text: "OK" when connected, "NO" otherwise.
    void setConnected(bool connected);
    bool showResolution() const { return m_showResolution; }
    void setShowResolution(bool show);
    double fontSize() const { return m_fontSize; }
    QString portName() const { return m_portName; }
    // Shown on one line: line breaks are dropped.
    void setPortName(const QString &name);
    QString resolution() const { return m_resolution; }
    void setResolution(const QString &resolution);
    QString status() const { return m_status; }
    void setStatus(const QString &status);

    // The font size for a card of this height: 11.5, then 10.5 below 200,
    // 9.5 below 150, 8.5 below 100, 7.5 below 65.
    static double fontSizeForHeight(int height);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool m_connected = false;
    bool m_showResolution = true;
    double m_fontSize = 11.5;
    QString m_portName;
    QString m_resolution;
    QString m_status;
};
