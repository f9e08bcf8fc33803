#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QLocalServer;
class QWidget;

// One running copy per user and executable. The first copy listens on a local
// socket; a later copy hands it a message ("Wake up!") and ends.
class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SingleInstance)
public:
    static constexpr int DefaultTimeoutMs = 5000;
    static constexpr char WakeUpMessage[] = "Wake up!";

    // `key` separates unrelated programs; the server name adds the user and
    // the executable's path, so two builds of the program do not meet.
    explicit SingleInstance(const QString &key = QStringLiteral("Trivane"), QObject *parent = nullptr);
    ~SingleInstance() override;

    static QString serverNameFor(const QString &key, const QString &userName, const QString &executablePath);
    QString serverName() const;
    // Lets a test reach a listener in another executable.
    void setServerName(const QString &name);

    // True when a running copy received the message within the timeout.
    bool sendMessage(const QString &message, int timeoutMs = DefaultTimeoutMs);
    // Starts listening. A socket left behind by a copy that died (nobody
    // answers on it) is removed first. False when another copy answers or the
    // socket cannot be made.
    bool listen();
    bool isListening() const;
    // Closes the listener, e.g. before a fresh copy is started on log-out.
    void stop();

    // The window brought to the front (restored, raised, activated) when a
    // message arrives. Defined in singleinstance_gui.cpp (tv_app_gui).
    void setActivationWindow(QWidget *window);
    QWidget *activationWindow() const;

signals:
    void messageReceived(const QString &message);

private:
    void onNewConnection();
    void activateWindow();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    QPointer<QObject> m_activationWindow;
    bool m_activationConnected = false;
};

// Log-out: stops the listener and starts `program` (the running executable
// when empty) detached with no arguments. On failure the listener is resumed
// and false returned, so the caller can show an error and stay.
bool restartApplication(SingleInstance *guard, const QString &program = QString());
