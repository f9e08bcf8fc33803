#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>

class QUdpSocket;

// The network module's discovery responder: answers the search datagram
// "CH9121_CFG_FLAG" 00 04 with one reply per configured module, sent back to
// the sender's address and port.
//
// Reply layout (offsets in bytes):
//   0  16  "CH9121_CFG_FLAG" and a zero byte
//   16  1  command 0x84 (search answer)
//   17  6  module MAC
//   23  6  zero (not interpreted)
//   29  1  data length L = 4 + name bytes
//   30  4  module IPv4 address
//   34 L-4 module name (padded with zero bytes when pad is set)
//   30+L 1 module version
class SimDiscovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SimDiscovery)
public:
    static constexpr int FlagBytes = 16;
    static constexpr int MacBytes = 6;
    static constexpr int SkippedBytes = 6;
    static constexpr int AddressBytes = 4;
    static constexpr int MaxNameBytes = 251;
    static constexpr char SearchCommand = 0x04;
    static constexpr char SearchAnswer = char(0x84);

    struct Module
    {
        QByteArray mac; // 6 bytes
        QString ip;
        QByteArray name;
        int version = 0;
        int pad = 0; // name field width, zero-padded
        QByteArray raw; // when set, sent instead of a built reply
        bool followsDevice = false;
    };

    explicit SimDiscovery(QObject *parent = nullptr);

    bool listen(const QHostAddress &address, quint16 port, QString *error);
    quint16 port() const;

    // "mac=84:C2:E4:01:02:03 ip=127.0.0.1 name=CH9121 version=5 pad=0"
    // (fields separated by blanks or commas); false with a reason otherwise.
    static bool parseModule(const QString &text, Module *module, QString *error);
    static QByteArray reply(const Module &module);
    static QByteArray searchRequest();

    void addModule(const Module &module) { m_modules << module; }
    void clearModules() { m_modules.clear(); }
    void setDuplicates(bool on) { m_duplicates = on; }
    void setDeviceAddress(const QString &ip);
    QStringList stateLines() const;

private:
    void readPending();

    QUdpSocket *m_socket = nullptr;
    QList<Module> m_modules;
    bool m_duplicates = false;
    int m_searches = 0;
    int m_ignored = 0;
};
