#include "app/singleinstance.h"

#include <QApplication>
#include <QWidget>

void SingleInstance::setActivationWindow(QWidget *window)
{
    m_activationWindow = window;
    if (!m_activationConnected) {
        connect(this, &SingleInstance::messageReceived, this, &SingleInstance::activateWindow);
        m_activationConnected = true;
    }
}

QWidget *SingleInstance::activationWindow() const
{
    return qobject_cast<QWidget *>(m_activationWindow.data());
}

namespace {

void bringToFront(QWidget *window)
{
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void SingleInstance::activateWindow()
{
    QWidget *window = activationWindow();
    if (window)
        bringToFront(window);
    // A modal dialog over it (connection settings, module search) is the one
    // that takes input: it goes on top, not behind the window it blocks.
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != window)
        bringToFront(modal);
}
