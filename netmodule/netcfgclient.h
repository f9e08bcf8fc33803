#pragma once

#include <QObject>
#include <QString>

class QTcpSocket;

// A module's address settings as the device reports or takes them.
struct NetworkSettings
{
    QString ip;
    QString mask;
    QString gateway;
};

// Reads and changes the device's address settings with "(get,netcfg)" and
// "(set,netcfg,ip,mask,gateway)" over a short TCP exchange with the module.
// The caller waits for the result, but events keep being processed meanwhile
// so that its window stays responsive; one exchange runs at a time.
class NetcfgClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(NetcfgClient)
public:
    static constexpr int ConnectWaitMs = 3000;
    // For the whole answer, counted from the moment the connection stands.
    static constexpr int ReplyWaitMs = 3000;
    // An answer is a few dozen bytes; anything this long without "ok" is not one.
    static constexpr int MaxAnswerBytes = 4096;

    enum class Failure { None, Busy, NotConnected, TimedOut, TooLong, Closed, Cancelled };

    explicit NetcfgClient(QObject *parent = nullptr);

    bool readSettings(const QString &moduleIp, NetworkSettings &answered);
    bool changeSettings(const QString &moduleIp, const NetworkSettings &wanted, NetworkSettings &answered);

    // Cuts ip, mask and gateway out of the collected answer; false unless it
    // holds "ok".
    static bool parseAnswer(const QString &collected, NetworkSettings &settings);
    static QString setCommand(const NetworkSettings &wanted);

    // The module's TCP port defaults to the lab settings (4001).
    quint16 port() const { return m_port; }
    void setPort(quint16 port) { m_port = port; }
    void setWaits(int connectMs, int replyMs);

    bool isBusy() const { return m_busy; }
    // Ends a running exchange at once; it then reports Failure::Cancelled.
    void cancel();
    // Why the last exchange failed (None after a success).
    Failure lastFailure() const { return m_lastFailure; }

signals:
    void cancelRequested();

private:
    bool exchange(const QString &moduleIp, const QString &command, QString &collected);
    bool connectTo(const QString &moduleIp);
    bool collectAnswer(const QString &moduleIp, QString &collected);
    // Processes events until the socket reports something, a cancel comes
    // or `ms` have passed.
    void waitForSocket(int ms);
    bool fail(Failure failure, const QString &reason);

    QTcpSocket *m_socket = nullptr;
    quint16 m_port = 0;
    int m_connectWaitMs = ConnectWaitMs;
    int m_replyWaitMs = ReplyWaitMs;
    bool m_busy = false;
    bool m_cancelled = false;
    Failure m_lastFailure = Failure::None;
};
