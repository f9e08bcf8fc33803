#pragma once

#include <QFlags>
#include <QFrame>
#include <QPoint>
#include <QRect>

class QLabel;
class QPushButton;

// The 40-pixel title bar of every frameless window: icon, title, the
// log-out / toolbar / stay-on-top buttons and minimise / maximise / close.
// It moves its window when dragged and can restore it from maximised.
class TitleBar final : public QFrame
{
    Q_OBJECT
public:
    static constexpr int BarHeight = 40;
    static constexpr int ButtonSize = 35;
    static constexpr int IconSize = 30;
    static constexpr int ButtonIconSize = 20;
    // Width of the resize bands at the window's left and right edges.
    static constexpr int LeftBand = 3;
    static constexpr int RightBand = 10;

    enum Button {
        LogoutButton = 0x01,
        ToolbarButton = 0x02,
        TopButton = 0x04,
        MinButton = 0x08,
        MaxButton = 0x10,
        CloseButton = 0x20,
        AllButtons = 0x3f,
    };
    Q_DECLARE_FLAGS(Buttons, Button)

    // Edge of the window under the pointer (same numbering as the main window).
    enum Edge { EdgeBottom = 0, EdgeLeft = 1, EdgeRight = 2, EdgeBottomLeft = 3, EdgeBottomRight = 4, EdgeNone = 5 };

    // The bar sits at the top of parent's window and follows parent's width.
    explicit TitleBar(QWidget *parent);

    void setTitleIcon(const QPixmap &icon);
    void setTitleContent(const QString &title);
    QString titleContent() const;
    void setResizable(bool resizable) { m_resizable = resizable; }
    bool isResizable() const { return m_resizable; }
    void setDoubleClickMaximize(bool enabled) { m_doubleClickMaximize = enabled; }
    bool doubleClickMaximize() const { return m_doubleClickMaximize; }
    // Shows only the given buttons (all by default).
    void setButtons(Buttons buttons);
    QPushButton *button(Button which) const;

    int topState() const { return m_topState; }          // 0 normal, 1 on top
    int toolbarState() const { return m_toolbarState; }  // 1 shown, 0 hidden
    // True when the window fills the available area of its screen.
    bool isWindowMaximized() const;
    // Normal geometry kept for restoring from maximised.
    QRect savedNormalGeometry() const { return m_normalGeometry; }

signals:
    void send_close(QString mesg, int type);
    void send_FullScreenFalg(bool mFullScreenFalg);
    void send_showToolbar();
    void send_cancellation(QString mesg, int type);

public slots:
    void showcancellation();
    void showToolbar();
    void showTop();
    void showMax();
    void showMin();
    void showClose();
    void set_ChildWindowColor(int R, int G, int B);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool event(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QPushButton *makeButton(const QString &objectName, const QString &icon, const QString &tip);
    QRect availableArea() const;
    void setMaxButtonRestores(bool restores);
    void retranslateToolTips();
    Edge edgeAt(const QPoint &localPos) const;
    void updateCursor(const QPoint &localPos);
    void resizeByEdge(const QPoint &globalPos);

    QWidget *m_window = nullptr;
    QLabel *m_iconLabel = nullptr;
    QLabel *m_titleLabel = nullptr;
    QPushButton *m_logoutButton = nullptr;
    QPushButton *m_toolbarButton = nullptr;
    QPushButton *m_topButton = nullptr;
    QPushButton *m_minButton = nullptr;
    QPushButton *m_maxButton = nullptr;
    QPushButton *m_closeButton = nullptr;

    bool m_resizable = false;
    bool m_doubleClickMaximize = false;
    int m_topState = 0;
    int m_toolbarState = 1;
    QRect m_normalGeometry;
    QPoint m_dragOffset;
    double m_pressFractionX = 0.5;
    bool m_pressed = false;
    Edge m_edge = EdgeNone;
    QRect m_pressGeometry;
    QPoint m_pressGlobal;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TitleBar::Buttons)
