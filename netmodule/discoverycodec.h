#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

// One network module's answer to the search datagram, as decoded. Fields a
// short datagram does not reach stay empty or partial; only the presence of
// the module address is checked (`valid`).
struct DiscoveryReply
{
    QByteArray flag;          // first 16 bytes, only logged
    int command = -1;         // byte 16, only logged; -1 when missing
    QStringList macBytes;     // up to six upper-case hexadecimal pairs
    QString ip;               // up to four decimal numbers joined by "."
    QString name;             // zero bytes removed, control bytes named
    int version = -1;         // -1 when the datagram does not reach it
    bool complete = false;    // every field was inside the datagram
    // The datagram holds the whole module address. A reply without one names
    // no module and would match every other such reply as a duplicate.
    bool valid = false;

    // "AA: BB: CC: DD: EE: FF" for a full address, fewer groups when cut short.
    QString macText() const;
    // The version in decimal, or empty when it is missing.
    QString versionText() const;
};
Q_DECLARE_METATYPE(DiscoveryReply)

// The CH9121 search datagram and the decoding of its replies.
namespace DiscoveryCodec {

inline constexpr int FlagSize = 16;
inline constexpr int CommandOffset = 16;
inline constexpr int MacOffset = 17;
inline constexpr int MacSize = 6;
inline constexpr int DataLengthOffset = 29;
inline constexpr int IpOffset = 30;
inline constexpr int IpSize = 4;
inline constexpr int NameOffset = IpOffset + IpSize;
// Shortest reply that still carries the module address.
inline constexpr int MinValidReplySize = NameOffset;
inline constexpr int SearchRequestSize = 17;

// "CH9121_CFG_FLAG", 0x00, 0x04 as hexadecimal text, as the channel sends it.
QString searchRequestHex();
QByteArray searchRequest();

DiscoveryReply decodeReply(const QByteArray &datagram);
// The channel hands replies over as hexadecimal text.
DiscoveryReply decodeReplyHex(const QString &hexText);

} // namespace DiscoveryCodec
