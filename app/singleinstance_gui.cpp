#include "app/singleinstance.h"

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

void SingleInstance::activateWindow()
{
    QWidget *window = activationWindow();
    if (!window)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}
