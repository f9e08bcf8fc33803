#include "app/platform.h"

#include <QWidget>

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
    if (bool(window->windowFlags() & Qt::WindowStaysOnTopHint) == on)
        return;
    // Changing the flags hides a shown window: show it again.
    const bool wasVisible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (wasVisible)
        window->show();
#endif
}
