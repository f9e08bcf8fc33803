#include "app/platform.h"

#include <QWidget>
#include <QWindow>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

void Platform::setTopmost(QWidget *window, bool on)
{
    if (!window)
        return;
#ifdef Q_OS_WIN
    SetWindowPos(reinterpret_cast<HWND>(window->winId()), on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
#else
    if (isTopmost(window) == on)
        return;
    QWindow *handle = window->windowHandle();
    if (handle && window->isVisible()) {
        // QWidget::setWindowFlags() would hide the shown window, and hiding a
        // dialog inside exec() ends it as rejected: change the native
        // window's flags in place instead.
        Qt::WindowFlags flags = handle->flags();
        flags.setFlag(Qt::WindowStaysOnTopHint, on);
        handle->setFlags(flags);
        return;
    }
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
#endif
}

bool Platform::isTopmost(const QWidget *window)
{
    if (!window)
        return false;
#ifdef Q_OS_WIN
    const auto style = GetWindowLongPtr(reinterpret_cast<HWND>(window->winId()), GWL_EXSTYLE);
    return (style & WS_EX_TOPMOST) != 0;
#else
    if (const QWindow *handle = window->windowHandle())
        return handle->flags() & Qt::WindowStaysOnTopHint;
    return window->windowFlags() & Qt::WindowStaysOnTopHint;
#endif
}
