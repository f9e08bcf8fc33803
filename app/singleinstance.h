#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <memory>

class QLocalServer;
class QLockFile;
class QWidget;

// One running copy per user, machine and data directory. A lock file in the
// data directory, held for the life of the process, decides who runs; a
// local socket only carries "Wake up!" from a later start to the running copy.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SingleInstance)
public:
    static constexpr int DefaultTimeoutMs = 5000;
    static constexpr char WakeUpMessage[] = "Wake up!";

    enum class Claim {
        Acquired,    // this copy runs; it holds the lock and listens
        HeldByOther, // a live copy holds the lock: hand it the message and end
        Unavailable, // the lock file cannot be made (e.g. read-only directory)
    };
    // Whether sendMessage waits for a listener that is not there yet (the
    // lock holder may still be starting) or gives up at once.
    enum class ListenerWait { No, UntilTimeout };

    // `key` separates unrelated programs; the identity adds the user, the
    // machine, the executable's path and the data directory, so copies with
    // their own data directory (tests, demos) do not meet.
    explicit SingleInstance(const QString &key = QStringLiteral("Trivane"), QObject *parent = nullptr);
    ~SingleInstance() override;

    QString serverName() const;
    // Lets a test reach a listener in another executable.
    void setServerName(const QString &name);
    QString lockFilePath() const;

    // Takes the lock (removing one whose owner is gone) and, when taken,
    // starts listening.
    Claim claim();
    bool ownsLock() const;
    // Stops listening and gives the lock up, e.g. before a fresh copy starts.
    void release();

    // True when a running copy received the message within the timeout.
    bool sendMessage(const QString &message, int timeoutMs = DefaultTimeoutMs,
                     ListenerWait wait = ListenerWait::No);
    // Starts listening. The lock holder takes the name over from whatever a
    // dead copy left; without the lock a name another copy answers on fails.
    bool listen();
    bool isListening() const;
    // Closes the listener.
    void stop();

    // The window brought to the front (restored, raised, activated) when a
    // message arrives; a modal dialog open at that moment is raised after it,
    // since that dialog is the one that takes input. Defined in
    // singleinstance_gui.cpp (tv_app_gui).
    void setActivationWindow(QWidget *window);
    QWidget *activationWindow() const;

signals:
    void messageReceived(const QString &message);

private:
    bool tryLock();
    void onNewConnection();
    void activateWindow();

    QString m_serverName;
    QString m_lockPath;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer *m_server = nullptr;
    QPointer<QObject> m_activationWindow;
    bool m_activationConnected = false;
};

// Log-out: releases the lock, stops the listener and starts `program` (the
// running executable when empty) detached with no arguments. On failure the
// lock and the listener are taken back and false returned, so the caller can
// show an error and stay.
bool restartApplication(SingleInstance *guard, const QString &program = QString());
