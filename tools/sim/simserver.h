#pragma once

#include "tools/sim/simlink.h"

#include <QHostAddress>
#include <QObject>
#include <QPointer>
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

    explicit SimServer(SimDevice *device, QObject *parent = nullptr);

    bool listenTcp(const QHostAddress &address, quint16 port, QString *error);
    quint16 tcpPort() const;
    QHostAddress tcpAddress() const;
    // A path is needed the first time only; later calls reopen the same link.
    bool openPty(const QString &path, QString *error);
    void closePty();
    bool hasPty() const { return m_pty != nullptr; }
    QString ptyPath() const;

    SimFaults &faults() { return m_faults; }
    // Closes every TCP connection at once.
    int dropClients();
    int clientCount() const;
    // Unsolicited bytes to every connection; raw skips the fault pipeline.
    void sendAll(const QByteArray &bytes, bool raw);
    // A device that never pauses: one line every intervalMs, 0 stops it.
    void setChatter(int intervalMs);
    const QStringList &history() const { return m_history; }
    void clearHistory() { m_history.clear(); }

private:
    void addLink(SimLink *link);

    SimDevice *m_device;
    SimFaults m_faults;
    QTcpServer *m_tcp = nullptr;
    QList<QPointer<TcpLink>> m_clients;
    QString m_ptyPath;
    PtyLink *m_pty = nullptr;
    QTimer m_chatter;
    int m_chatterCount = 0;
    QStringList m_history;
};
