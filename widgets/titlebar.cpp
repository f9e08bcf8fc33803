#include "titlebar.h"

#include "app/platform.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>

namespace {
constexpr char ButtonStyle[] =
    "QPushButton{background-color:transparent;border:none;}"
    "QPushButton:hover{padding-left:6px;padding-top:6px;}";
constexpr char FrameStyle[] = "QFrame{background-color:rgb(%1,%2,%3);outline: none;border:none;}";
constexpr int DefaultColour = 255;
constexpr int OuterSpace = 5;
constexpr int IconTitleSpace = 10;
// Size a window falls back to when it is dragged out of a maximised state
// that it never had a normal size for.
constexpr double FallbackNormalFraction = 2.0 / 3.0;
}

TitleBar::TitleBar(QWidget *parent) : QFrame(parent), m_window(parent ? parent->window() : nullptr)
{
    setObjectName(QStringLiteral("TitleBar"));
    setFixedHeight(BarHeight);
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, true);
    setAttribute(Qt::WA_StyledBackground, true);
    set_ChildWindowColor(DefaultColour, DefaultColour, DefaultColour);

    m_iconLabel = new QLabel(this);
    m_iconLabel->setObjectName(QStringLiteral("label_TitleIcon"));
    m_iconLabel->setFixedSize(IconSize, IconSize);
    m_iconLabel->setScaledContents(true);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("label_TitleContent"));
    m_titleLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_titleLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_titleLabel->setStyleSheet(QStringLiteral("QLabel{background-color:transparent;color:rgb(0,0,0);}"));

    m_logoutButton = makeButton(QStringLiteral("pushButton_Logout"), QStringLiteral("://image/注销登录1.png"), tr("注销系统"));
    m_toolbarButton = makeButton(QStringLiteral("pushButton_Toolbar"), QStringLiteral("://image/Show_toolbar.png"), tr("显示工具栏"));
    m_topButton = makeButton(QStringLiteral("pushButton_Top"), QStringLiteral("://image/cancelTop.png"), tr("取消置顶"));
    m_minButton = makeButton(QStringLiteral("pushButton_Min"), QStringLiteral("://image/min.png"), tr("最小化"));
    m_maxButton = makeButton(QStringLiteral("pushButton_Max"), QStringLiteral("://image/max.png"), tr("最大化"));
    m_closeButton = makeButton(QStringLiteral("pushButton_Close"), QStringLiteral("://image/close.png"), tr("关闭"));
    m_closeButton->setShortcut(QKeySequence(QStringLiteral("Ctrl+w")));

    connect(m_logoutButton, &QPushButton::clicked, this, &TitleBar::showcancellation);
    connect(m_toolbarButton, &QPushButton::clicked, this, &TitleBar::showToolbar);
    connect(m_topButton, &QPushButton::clicked, this, &TitleBar::showTop);
    connect(m_minButton, &QPushButton::clicked, this, &TitleBar::showMin);
    connect(m_maxButton, &QPushButton::clicked, this, &TitleBar::showMax);
    connect(m_closeButton, &QPushButton::clicked, this, &TitleBar::showClose);

    auto *layout = new QHBoxLayout(this);
    layout->addSpacing(OuterSpace);
    layout->addWidget(m_iconLabel);
    layout->addSpacing(IconTitleSpace);
    layout->addWidget(m_titleLabel);
    layout->addWidget(m_logoutButton);
    layout->addWidget(m_toolbarButton);
    layout->addWidget(m_topButton);
    layout->addSpacing(OuterSpace);
    layout->addWidget(m_minButton);
    layout->addWidget(m_maxButton);
    layout->addWidget(m_closeButton);
    layout->setSpacing(0);
    layout->setContentsMargins(OuterSpace, 0, OuterSpace, 0);

    if (parent) {
        move(0, 0);
        resize(parent->width(), BarHeight);
        parent->installEventFilter(this);
        m_titleLabel->setText(parent->windowTitle());
        if (!parent->windowIcon().isNull())
            m_iconLabel->setPixmap(parent->windowIcon().pixmap(IconSize, IconSize));
    }
}

namespace {
// The path is kept on the button so that the icon in force can be told.
void setButtonIcon(QPushButton *button, const QString &path)
{
    button->setIcon(QIcon(path));
    button->setProperty("iconPath", path);
}
}

QPushButton *TitleBar::makeButton(const QString &objectName, const QString &icon, const QString &tip)
{
    auto *button = new QPushButton(this);
    button->setObjectName(objectName);
    button->setFixedSize(ButtonSize, ButtonSize);
    setButtonIcon(button, icon);
    button->setIconSize(QSize(ButtonIconSize, ButtonIconSize));
    button->setToolTip(tip);
    button->setFocusPolicy(Qt::NoFocus);
    button->setCursor(Qt::ArrowCursor);
    button->setStyleSheet(QLatin1String(ButtonStyle));
    return button;
}

void TitleBar::setTitleIcon(const QPixmap &icon)
{
    if (icon.isNull()) {
        m_iconLabel->clear();
        return;
    }
    m_iconLabel->setPixmap(icon.scaled(IconSize * devicePixelRatioF(), IconSize * devicePixelRatioF(),
                                       Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void TitleBar::setTitleContent(const QString &title)
{
    m_titleLabel->setText(title);
}

QString TitleBar::titleContent() const
{
    return m_titleLabel->text();
}

void TitleBar::setButtons(Buttons buttons)
{
    m_logoutButton->setVisible(buttons.testFlag(LogoutButton));
    m_toolbarButton->setVisible(buttons.testFlag(ToolbarButton));
    m_topButton->setVisible(buttons.testFlag(TopButton));
    m_minButton->setVisible(buttons.testFlag(MinButton));
    m_maxButton->setVisible(buttons.testFlag(MaxButton));
    m_closeButton->setVisible(buttons.testFlag(CloseButton));
}

QPushButton *TitleBar::button(Button which) const
{
    switch (which) {
    case LogoutButton: return m_logoutButton;
    case ToolbarButton: return m_toolbarButton;
    case TopButton: return m_topButton;
    case MinButton: return m_minButton;
    case MaxButton: return m_maxButton;
    case CloseButton: return m_closeButton;
    case AllButtons: break;
    }
    return nullptr;
}

void TitleBar::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslateToolTips();
    QFrame::changeEvent(event);
}

// The tips name the state each toggle is in, so they are rebuilt from it.
void TitleBar::retranslateToolTips()
{
    m_logoutButton->setToolTip(tr("注销系统"));
    m_toolbarButton->setToolTip(m_toolbarState == 1 ? tr("显示工具栏") : tr("隐藏工具栏"));
    m_topButton->setToolTip(m_topState == 1 ? tr("置顶") : tr("取消置顶"));
    m_minButton->setToolTip(tr("最小化"));
    m_maxButton->setToolTip(isWindowMaximized() ? tr("还原") : tr("最大化"));
    m_closeButton->setToolTip(tr("关闭"));
}

void TitleBar::showcancellation()
{
    emit send_cancellation(tr("您确定注销系统吗？"), 0);
}

void TitleBar::showToolbar()
{
    if (m_toolbarState == 1) {
        m_toolbarState = 0;
        setButtonIcon(m_toolbarButton, QStringLiteral("://image/Hide_toolbar.png"));
        m_toolbarButton->setToolTip(tr("隐藏工具栏"));
    } else {
        m_toolbarState = 1;
        setButtonIcon(m_toolbarButton, QStringLiteral("://image/Show_toolbar.png"));
        m_toolbarButton->setToolTip(tr("显示工具栏"));
    }
    emit send_showToolbar();
}

void TitleBar::showTop()
{
    // The icon shows the state the window is in, not the action.
    if (m_topState == 0) {
        Platform::setTopmost(m_window, true);
        setButtonIcon(m_topButton, QStringLiteral("://image/Top.png"));
        m_topButton->setToolTip(tr("置顶"));
        m_topState = 1;
    } else {
        Platform::setTopmost(m_window, false);
        setButtonIcon(m_topButton, QStringLiteral("://image/cancelTop.png"));
        m_topButton->setToolTip(tr("取消置顶"));
        m_topState = 0;
    }
}

QRect TitleBar::availableArea() const
{
    QScreen *screen = m_window ? m_window->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

bool TitleBar::isWindowMaximized() const
{
    return m_window && m_window->geometry() == availableArea();
}

void TitleBar::setMaxButtonRestores(bool restores)
{
    setButtonIcon(m_maxButton, restores ? QStringLiteral("://image/normal.png") : QStringLiteral("://image/max.png"));
    m_maxButton->setToolTip(restores ? tr("还原") : tr("最大化"));
}

void TitleBar::showMax()
{
    if (!m_window)
        return;
    if (isWindowMaximized()) {
        if (m_normalGeometry.isValid())
            m_window->setGeometry(m_normalGeometry);
        setMaxButtonRestores(false);
        emit send_FullScreenFalg(false);
    } else {
        m_normalGeometry = m_window->geometry();
        m_window->setGeometry(availableArea());
        setMaxButtonRestores(true);
        emit send_FullScreenFalg(true);
    }
}

void TitleBar::showMin()
{
    if (m_window)
        m_window->showMinimized();
}

void TitleBar::showClose()
{
    emit send_close(tr("您确定退出系统吗？"), 1);
}

void TitleBar::set_ChildWindowColor(int R, int G, int B)
{
    setStyleSheet(QString::fromLatin1(FrameStyle).arg(R).arg(G).arg(B));
}

bool TitleBar::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        auto *host = static_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Resize:
            resize(host->width(), BarHeight);
            break;
        case QEvent::WindowTitleChange:
            m_titleLabel->setText(host->windowTitle());
            break;
        case QEvent::WindowIconChange:
            setTitleIcon(host->windowIcon().pixmap(IconSize, IconSize));
            break;
        default:
            break;
        }
    }
    return QFrame::eventFilter(watched, event);
}

bool TitleBar::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        if (!m_pressed)
            updateCursor(static_cast<QHoverEvent *>(event)->pos());
        break;
    case QEvent::HoverLeave:
        if (!m_pressed)
            unsetCursor();
        break;
    default:
        break;
    }
    return QFrame::event(event);
}

TitleBar::Edge TitleBar::edgeAt(const QPoint &localPos) const
{
    if (!m_resizable || isWindowMaximized())
        return EdgeNone;
    if (localPos.x() < LeftBand)
        return EdgeLeft;
    if (localPos.x() >= width() - RightBand)
        return EdgeRight;
    return EdgeNone;
}

void TitleBar::updateCursor(const QPoint &localPos)
{
    if (!m_resizable || isWindowMaximized()) {
        unsetCursor();
        return;
    }
    if (edgeAt(localPos) == EdgeNone)
        setCursor(Qt::ArrowCursor);
    else
        setCursor(Qt::SizeHorCursor);
}

void TitleBar::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_window) {
        QFrame::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragOffset = event->globalPos() - m_window->pos();
    m_pressFractionX = width() > 0 ? double(event->pos().x()) / width() : 0.5;
    m_pressGeometry = m_window->geometry();
    m_pressGlobal = event->globalPos();
    m_edge = edgeAt(event->pos());
    if (m_edge != EdgeNone)
        grabMouse();
    event->accept();
}

void TitleBar::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton) || !m_window) {
        if (!m_pressed)
            updateCursor(event->pos());
        QFrame::mouseMoveEvent(event);
        return;
    }
    if (m_edge != EdgeNone) {
        resizeByEdge(event->globalPos());
        return;
    }

    const QRect area = availableArea();
    if (isWindowMaximized()) {
        // Restore under the pointer: it keeps its relative x in the bar.
        QRect normal = m_normalGeometry;
        if (!normal.isValid())
            normal = QRect(QPoint(), area.size() * FallbackNormalFraction);
        const int left = event->globalPos().x() - int(m_pressFractionX * normal.width());
        m_window->setGeometry(left, area.top(), normal.width(), normal.height());
        m_dragOffset.setX(event->globalPos().x() - left);
        setMaxButtonRestores(false);
        emit send_FullScreenFalg(false);
    }

    QPoint target = event->globalPos() - m_dragOffset;
    target.setY(qMin(target.y(), area.bottom() + 1 - m_window->height()));
    target.setY(qMax(target.y(), area.top()));
    m_window->move(target);
}

void TitleBar::resizeByEdge(const QPoint &globalPos)
{
    const int dx = globalPos.x() - m_pressGlobal.x();
    QRect geometry = m_pressGeometry;
    if (m_edge == EdgeRight) {
        geometry.setWidth(qMax(m_window->minimumWidth(), m_pressGeometry.width() + dx));
    } else if (m_edge == EdgeLeft) {
        const int width = m_pressGeometry.width() - dx;
        if (width <= m_window->minimumWidth())
            return;
        geometry.setLeft(m_pressGeometry.left() + dx);
    }
    m_window->setGeometry(geometry);
}

void TitleBar::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    m_edge = EdgeNone;
    releaseMouse();
    setCursor(Qt::ArrowCursor);
    QFrame::mouseReleaseEvent(event);
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (m_doubleClickMaximize && event->button() == Qt::LeftButton && event->pos().x() >= 0
        && event->pos().x() <= width() && event->pos().y() >= 1 && event->pos().y() < BarHeight) {
        showMax();
        return;
    }
    QFrame::mouseDoubleClickEvent(event);
}
