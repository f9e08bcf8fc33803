#include "app/windowfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void fitAndCentreOnPrimaryScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!window || !screen)
        return;
    const WindowFit fit = fitWindowToArea(window->size(), window->minimumSize(), screen->availableGeometry());
    window->setMinimumSize(fit.minimumSize);
    window->setGeometry(fit.geometry);
}
