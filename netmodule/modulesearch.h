#pragma once

#include "netmodule/discoverycodec.h"

#include <QObject>
#include <QString>

// Finds network modules without any window: sends the search datagram over
// the shared UDP channel and reports each decoded reply, in arrival order,
// duplicates included.
class ModuleSearch final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(ModuleSearch)
public:
    // Starts listening to the shared channel at once.
    explicit ModuleSearch(QObject *parent = nullptr);

    // Binds the shared channel to one local IPv4 address (false, and logged,
    // when the address cannot be bound).
    static bool bindChannel(const QString &localAddress);
    // Sends the search datagram to the discovery destination in asynchronous
    // mode. False when the channel is unbound or the datagram could not be
    // sent; nothing is sent then.
    static bool sendSearchRequest();

    // Same as sendSearchRequest, for callers holding an object.
    bool search() { return sendSearchRequest(); }

    // Off while another window (the search dialog) owns the replies.
    void setListening(bool listening);
    bool isListening() const { return m_listening; }

signals:
    void Send_ModuleFound(const DiscoveryReply &reply);

private:
    void Get_ReceiveData(const QString &receiveData);

    bool m_listening = false;
};
