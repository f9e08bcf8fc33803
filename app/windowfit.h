#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Placing the main window on the screen's available area.
struct WindowFit
{
    QSize minimumSize;
    QRect geometry;
};

// Shrinks a window that does not fit (lowering its minimum size as far as
// needed, height first, then width) and centres it on `available`. A window
// that fits keeps its size.
WindowFit fitWindowToArea(const QSize &size, const QSize &minimumSize, const QRect &available);

// Applies fitWindowToArea to the window with the primary screen's available
// area. Defined in windowfit_gui.cpp (tv_app_gui).
void fitAndCentreOnPrimaryScreen(QWidget *window);
