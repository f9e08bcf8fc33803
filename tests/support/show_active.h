#pragma once

// Shows a window and makes it the active window, as a window manager would.
// A bare X server (or the offscreen platform) never activates a window, so Qt
// is told directly once the window is on screen; keys and focus then behave
// as on a desktop.
#include <QApplication>
#include <QTest>
#include <QWidget>

inline bool showActive(QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    if (QApplication::activeWindow() != &window)
        QApplication::setActiveWindow(&window);
    return QApplication::activeWindow() == &window;
}
