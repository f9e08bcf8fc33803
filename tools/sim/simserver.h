#pragma once

#include "tools/sim/simlink.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QRandomGenerator>
#include <QStringList>
#include <QTimer>

class QTcpServer;

// The device's two ports: the TCP port of its network module and its RS-232
// line (a pty), both talking to one SimDevice under one set of faults.
class SimServer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimServer)
public:
    static constexpr int MaxHistory = 10000;
    static constexpr int FloodTickMs = 10;
    // A peer that does not read keeps at most this much queued; the rest of
    // the flood is skipped for it, as a UART would lose it.
    static constexpr qint64 MaxFloodBacklog = 8 * 1024 * 1024;
    // How often a module restart checks whether the answers have gone out.
    static constexpr int RestartCheckMs = 10;

    explicit SimServer(SimDevice *device, QObject *parent = nullptr);

    bool listenTcp(const QHostAddress &address, quint16 port, QString *error);
    quint16 tcpPort() const;
    QHostAddress tcpAddress() const;
    // The network module restarts with this address: a loopback address other
    // than the current one takes the listener (same port) once the pending
    // answers are written, closing every connection; others leave it alone,
    // since nothing but loopback is ever bound.
    void restartModule(const QString &ip);
    // listen=<address>:<port>, empty without a TCP port
    QString listenState() const;
    // A path is needed the first time only; later calls reopen the same link.
    bool openPty(const QString &path, QString *error);
    void closePty();
    bool hasPty() const { return m_pty != nullptr; }
    QString ptyPath() const;

    SimFaults &faults() { return m_faults; }
    // Closes every TCP connection at once.
    int dropClients();
    // Closes every TCP connection once the answers queued on it have left.
    void closeClientsAfterOutput();
    int clientCount() const;
    // Unsolicited bytes to every connection; raw skips the fault pipeline.
    void sendAll(const QByteArray &bytes, bool raw);
    // A device that never pauses: one line every intervalMs, 0 stops it.
    void setChatter(int intervalMs);
    // Random bytes at this rate to every TCP connection, 0 stops them.
    void setFlood(int bytesPerSecond);
    // flood=<rate>, floodsent=<bytes>, floodskipped=<bytes>
    QStringList floodState() const;
    const QStringList &history() const { return m_history; }
    void clearHistory() { m_history.clear(); }

private:
    void addLink(SimLink *link);
    QTcpServer *openListener(const QHostAddress &address, quint16 port, QString *error);
    void moveListener();
    bool clientsHaveQueuedOutput() const;
    void closeClients();

    SimDevice *m_device;
    SimFaults m_faults;
    QTcpServer *m_tcp = nullptr;
    QList<QPointer<TcpLink>> m_clients;
    QHostAddress m_moveTo;
    QTimer m_moveTimer;
    QTimer m_closeTimer;
    QString m_ptyPath;
    PtyLink *m_pty = nullptr;
    QTimer m_chatter;
    int m_chatterCount = 0;
    QTimer m_flood;
    QElapsedTimer m_floodClock;
    int m_floodRate = 0;
    qint64 m_floodDue = 0;
    qint64 m_floodSent = 0;
    qint64 m_floodSkipped = 0;
    // Seeded: the same flood on every run.
    QRandomGenerator m_floodRandom { 0x7e1a5eedu };
    void floodTick();
    QStringList m_history;
};
