#pragma once

#include <QFont>
#include <QLabel>
#include <QString>
#include <QStringList>
#include <QVector>

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
    void changeEvent(QEvent *event) override;

private:
    // Where the lines of the card go at one font size.
    struct Arrangement
    {
        struct Line
        {
            QString text;
            int top = 0; // top of the text
        };
        QFont font;
        QVector<Line> lines;
        int width = 0;  // widest line when not broken
        int bottom = 0; // height the lines need
        bool fits = true; // every line within the width
    };
    // Name, status line and, when shown, resolution line.
    QStringList texts(const QString &status, const QString &resolution) const;
    // The same lines for a default name, status "OK" and the widest resolution.
    QStringList referenceTexts() const;
    QFont paintFont(int pixelSize) const;
    // `wrap`: status and resolution may take two lines each; `nameInTwo`: so may the name.
    Arrangement arrange(const QStringList &lines, int pixelSize, int width, bool wrap, bool nameInTwo) const;
    // The largest text up to the size the height asks for that fits the card.
    Arrangement arrangeFor(const QSize &size) const;

    bool m_connected = false;
    bool m_showResolution = true;
    double m_fontSize = 11.5;
    QString m_portName;
    QString m_resolution;
    QString m_status;
};
