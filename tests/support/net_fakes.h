#pragma once

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QSemaphore>
#include <QStringList>
#include <QThread>

// Stand-ins for network modules on loopback, each running its sockets on a
// thread of its own so that the blocking waits of the code under test can be
// answered.

// Answers every datagram on 127.0.0.1:<port()> with the configured replies,
// sent back to the sender in order. A stray datagram from 127.0.0.2 can be
// sent ahead of them.
class NetFakeDiscovery final : public QThread
{
    Q_OBJECT
public:
    NetFakeDiscovery();
    ~NetFakeDiscovery() override;

    quint16 port() const { return m_port; }
    void setReplies(const QList<QByteArray> &replies);
    void setStrayFirst(const QByteArray &stray);
    QList<QByteArray> received() const;

protected:
    void run() override;

private:
    mutable QMutex m_lock;
    QList<QByteArray> m_replies;
    QByteArray m_stray;
    QList<QByteArray> m_received;
    QSemaphore m_ready;
    quint16 m_port = 0;
};

// A module's command port: answers "(get,netcfg)" and "(set,netcfg,ip,mask,gw)"
// with "ip…\r\nmask…\r\ngateway…\r\nok\r\n" in two segments.
class NetFakeModule final : public QThread
{
    Q_OBJECT
public:
    NetFakeModule();
    ~NetFakeModule() override;

    quint16 port() const { return m_port; }
    void setSettings(const QString &ip, const QString &mask, const QString &gateway);
    // Off: a set is answered with the unchanged settings.
    void setAcceptSet(bool accept);
    // On: commands are taken and never answered.
    void setSilent(bool silent);
    QStringList commands() const;
    int connections() const;

protected:
    void run() override;

private:
    QByteArray answer(const QString &command);

    mutable QMutex m_lock;
    QString m_ip = QStringLiteral("192.168.1.50");
    QString m_mask = QStringLiteral("255.255.255.0");
    QString m_gateway = QStringLiteral("192.168.1.1");
    bool m_acceptSet = true;
    bool m_silent = false;
    QStringList m_commands;
    int m_connections = 0;
    QSemaphore m_ready;
    quint16 m_port = 0;
};

// A datagram in the module reply layout.
QByteArray netModuleReply(const QByteArray &mac, const QByteArray &ip, const QByteArray &name, quint8 version);
