#pragma once

// A left click in the middle of a widget, delivered at once (for programs
// without QtTest: the demo and the benchmarks).
#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

inline void sendLeftClick(QWidget *widget)
{
    const QPoint centre = widget->rect().center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, widget->mapToGlobal(centre), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}
