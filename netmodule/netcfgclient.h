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
// The waits block the caller, as the dialogs using it expect.
class NetcfgClient final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(NetcfgClient)
public:
    static constexpr int ConnectWaitMs = 3000;
    static constexpr int ReplyWaitMs = 3000;

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

private:
    bool exchange(const QString &moduleIp, const QString &command, QString &collected);

    QTcpSocket *m_socket = nullptr;
    quint16 m_port = 0;
    int m_connectWaitMs = ConnectWaitMs;
    int m_replyWaitMs = ReplyWaitMs;
};
