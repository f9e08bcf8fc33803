#include "app/crashhandler.h"
#include "app/singleinstance.h"
#include "app/stmsglogger.h"

#include "resources/trivaneresources.h"

#include <QApplication>
#include <QDebug>
#include <QTime>

#include <cstdlib>

namespace {

constexpr int StartupLogLevel = 3;
constexpr int LogKeepDays = 30;

// Steps 8-14 (login dialog, main window, link, fit and centre with
// fitAndCentreOnPrimaryScreen(), event loop) go here once the login dialog and
// the main window exist. Returns the process's exit code.
int runSession(QApplication &app, SingleInstance &guard)
{
    Q_UNUSED(app)
    Q_UNUSED(guard)
    CrashHandler::install();
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    CrashHandler::install();

    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps);
    QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::PassThrough);

    QApplication app(argc, argv);

    SingleInstance guard;
    if (guard.sendMessage(QString::fromLatin1(SingleInstance::WakeUpMessage), SingleInstance::DefaultTimeoutMs))
        return 0;
    const bool listening = guard.listen();

    STMsgLogger::st_logger.setLogLevel(StartupLogLevel);
    STMsgLogger::installMessageHandler();
    if (!listening)
        qWarning() << "single-instance guard not active: a second start will not find this copy";
    STMsgLogger::st_logger.clearLogs(LogKeepDays);

    std::srand(uint(QTime(0, 0).secsTo(QTime::currentTime())));
    Trivane::initResources();

    return runSession(app, guard);
}
