// Stand-in for a second copy of the program in the process tests:
//   instance <key>  start like the program: take the lock and listen, or hand
//                   "Wake up!" to the holder ("delivered", or "held" when it
//                   does not answer) and end
//   send <name>     only hand "Wake up!" to the server of that name; exit 0 when delivered
//   crash <signal>  install the crash handler and raise the signal
#include "app/crashhandler.h"
#include "app/singleinstance.h"

#include <QCoreApplication>
#include <QTextStream>

#include <csignal>

namespace {

void say(const QString &text)
{
    QTextStream out(stdout);
    out << text << '\n';
    out.flush();
}

constexpr int UsageExit = 2;
constexpr int ListenFailedExit = 3;
constexpr int NotDeliveredExit = 4;
constexpr int LockUnavailableExit = 5;

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return UsageExit;
    const QString mode = args.at(1);
    const QString wakeUp = QString::fromLatin1(SingleInstance::WakeUpMessage);

    if (mode == QLatin1String("crash")) {
        CrashHandler::install();
        const QString name = args.at(2);
        const int sig = name == QLatin1String("SIGABRT") ? SIGABRT : name == QLatin1String("SIGFPE") ? SIGFPE : SIGSEGV;
        std::raise(sig);
        return 0;
    }

    SingleInstance guard(args.at(2));
    if (mode == QLatin1String("send")) {
        guard.setServerName(args.at(2));
        return guard.sendMessage(wakeUp) ? 0 : NotDeliveredExit;
    }
    if (mode != QLatin1String("instance"))
        return UsageExit;
    switch (guard.claim()) {
    case SingleInstance::Claim::HeldByOther:
        say(guard.sendMessage(wakeUp, SingleInstance::DefaultTimeoutMs, SingleInstance::ListenerWait::UntilTimeout)
                ? QStringLiteral("delivered")
                : QStringLiteral("held"));
        return 0;
    case SingleInstance::Claim::Unavailable:
        say(QStringLiteral("lock-unavailable"));
        return LockUnavailableExit;
    case SingleInstance::Claim::Acquired:
        break;
    }
    if (!guard.isListening()) {
        say(QStringLiteral("listen-failed"));
        return ListenFailedExit;
    }
    QObject::connect(&guard, &SingleInstance::messageReceived, &app,
                     [](const QString &message) { say(QStringLiteral("message:") + message); });
    say(QStringLiteral("listening"));
    return app.exec();
}
