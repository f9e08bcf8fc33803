#pragma once

#include <QHostAddress>
#include <QObject>
#include <QStringList>

class QTcpServer;
class SimDevice;
class SimDiscovery;
class SimServer;

// Loopback text port through which tests drive the simulator: one command per
// line, answered by zero or more data lines and then "OK" or "ERR <reason>".
// The commands are listed in tools/sim/README.md.
class SimControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimControl)
public:
    static constexpr int MaxLineBytes = 4096;

    SimControl(SimDevice *device, SimServer *server, SimDiscovery *discovery, QObject *parent = nullptr);

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const;

    // Runs one command; the data lines go to output. Empty result = OK.
    QString execute(const QString &line, QStringList *output);

private:
    QString fault(const QStringList &words);
    QString set(const QStringList &words, const QString &line);
    // The per-port settings: ores, signal, audio, edid, level.
    QString setPort(const QStringList &words);
    // wall, split, splitwindows.
    QString setWallOrSplit(const QStringList &words);
    QString discovery(const QStringList &words, const QString &line);
    QString panel(const QStringList &words);

    SimDevice *m_device;
    SimServer *m_server;
    SimDiscovery *m_discovery;
    QTcpServer *m_tcp = nullptr;
};
