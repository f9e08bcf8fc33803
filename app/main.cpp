#include "app/crashhandler.h"
#include "app/singleinstance.h"
#include "app/stmsglogger.h"
#include "app/theme_gui.h"
#include "app/windowfit.h"
#include "login/login_interface.h"
#include "mainwindow/mainwindow.h"

#include "resources/trivaneresources.h"

#include <QApplication>
#include <QDebug>
#include <QTime>

#include <cstdlib>

namespace {

constexpr int StartupLogLevel = 3;
constexpr int LogKeepDays = 30;

// Login, then the main window with the chosen connection. Returns the
// process's exit code.
int runSession(QApplication &app, SingleInstance &guard)
{
    Login_Interface *login = Login_Interface::getInstance();
    CrashHandler::install();
    guard.setActivationWindow(login);

    if (login->exec() != QDialog::Accepted) {
        login->close();
        QCoreApplication::exit(0);
        return 0;
    }

    MainWindow *window = MainWindow::getInstance();
    window->setSingleInstanceGuard(&guard);
    guard.setActivationWindow(window);

    const QString mode = login->getConnection_Mode();
    if (mode == QLatin1String("SerialPort")) {
        window->loadLanguage();
        window->setPortname(login->getPortname());
        window->setMyBaud_Rate(login->getMyBaud_Rate());
        window->Open_Serial_Port(1);
    } else if (mode == QLatin1String("TCP")) {
        window->loadLanguage();
        window->setIP_Address(login->getIP_Address());
        window->setLocalIPAddress(login->getLocalIPAddress());
        window->setPort_Number(login->getPort_Number());
        window->Connect_TCP_Server();
    } else {
        qWarning() << "unknown connection mode" << mode << "- the main window opens without a link";
    }

    fitAndCentreOnPrimaryScreen(window);
    window->show();
    // The link check starts once the link is open and the pages are laid out;
    // its first answer tells the model.
    if (mode == QLatin1String("SerialPort") || mode == QLatin1String("TCP"))
        window->startHeartbeat();

    CrashHandler::install();
    login->deleteLater();
    const int code = app.exec();
    delete window;
    return code;
}

} // namespace

int main(int argc, char *argv[])
{
    CrashHandler::install();

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    QApplication app(argc, argv);
    // Placeholders in a muted colour of their own (a style sheet cannot).
    Theme::applyPalette();

    // The lock decides who runs; the message only brings the running copy to
    // the front. A copy that holds the lock but does not answer (busy, or
    // stopped) still runs, so this start ends either way.
    const QString wakeUp = QString::fromLatin1(SingleInstance::WakeUpMessage);
    SingleInstance guard;
    const SingleInstance::Claim claim = guard.claim();
    if (claim == SingleInstance::Claim::HeldByOther) {
        guard.sendMessage(wakeUp, SingleInstance::DefaultTimeoutMs, SingleInstance::ListenerWait::UntilTimeout);
        return 0;
    }
    bool listening = guard.isListening();
    if (claim == SingleInstance::Claim::Unavailable) {
        // Without a lock file the listener's name is all that is left to decide.
        if (guard.sendMessage(wakeUp, SingleInstance::DefaultTimeoutMs))
            return 0;
        listening = guard.listen();
    }

    STMsgLogger::st_logger.setLogLevel(StartupLogLevel);
    STMsgLogger::installMessageHandler();
    if (claim == SingleInstance::Claim::Unavailable)
        qWarning() << "single-instance lock file cannot be made:" << guard.lockFilePath();
    if (!listening)
        qWarning() << "single-instance listener not active: a second start cannot bring this copy to the front";
    STMsgLogger::st_logger.clearLogs(LogKeepDays);

    std::srand(uint(QTime(0, 0).secsTo(QTime::currentTime())));
    Trivane::initResources();

    return runSession(app, guard);
}
