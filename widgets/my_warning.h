#pragma once

#include <QWidget>

class QLabel;
class QSequentialAnimationGroup;

// The toast: a rounded message that slides in at the bottom right of its host
// window (or, when that would cover a button, at the nearest edge place that
// covers none), stays a moment and slides away again.
class My_Warning final : public QWidget
{
    Q_OBJECT
public:
    static constexpr int InitialWidth = 220;
    static constexpr int ToastHeight = 60;
    static constexpr int MinimumWidth = 190;
    static constexpr int MaximumWidth = 3000;
    static constexpr double WidthPerTextWidth = 1.5;
    static constexpr int SlideMs = 1000;
    static constexpr int RightMargin = 30;
    static constexpr int RiseHeight = 80;
    static constexpr int FontPixelSize = 18;

    // The two backgrounds callers pass.
    static QString successStyle() { return QStringLiteral("background-color: rgb(85, 170, 0);"); }
    static QString failureStyle() { return QStringLiteral("background-color: rgb(204, 0, 0);"); }

    // The toast becomes a child of parent (its host window).
    explicit My_Warning(QWidget *parent = nullptr);

    // Sets text and background, sizes the toast and slides it in and out
    // over its parent. A new message replaces one still showing.
    void showMessage(const QString &text, const QString &backgroundStyle);
    // The same on host's own toast, created on first use.
    static My_Warning *showMessage(QWidget *host, const QString &text, const QString &backgroundStyle);

    // Text and size only, without showing (showMessage calls it).
    void setMessage(const QString &text, const QString &backgroundStyle);
    QString message() const;
    QLabel *label() const { return m_label; }
    // Width the toast takes for text in the label's font.
    int widthForText(const QString &text) const;
    bool isAnimating() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QLabel *m_label = nullptr;
    QSequentialAnimationGroup *m_slide = nullptr;
};
