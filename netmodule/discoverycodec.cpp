#include "netmodule/discoverycodec.h"

#include "app/commonlyused.h"

namespace {

constexpr char SearchFlag[] = "CH9121_CFG_FLAG";
constexpr char SearchCommand = 0x04;
constexpr int MinDataLength = DiscoveryCodec::IpSize; // the length covers the address

// The bytes [offset, offset + count) that lie inside the datagram.
QByteArray slice(const QByteArray &bytes, int offset, int count)
{
    if (offset >= bytes.size() || count <= 0)
        return {};
    return bytes.mid(offset, qMin(count, bytes.size() - offset));
}

} // namespace

QString DiscoveryReply::macText() const
{
    return macBytes.join(QStringLiteral(": "));
}

QString DiscoveryReply::versionText() const
{
    return version < 0 ? QString() : QString::number(version);
}

namespace DiscoveryCodec {

QByteArray searchRequest()
{
    QByteArray bytes(SearchFlag);
    bytes.append('\0');
    bytes.append(SearchCommand);
    return bytes;
}

QString searchRequestHex()
{
    return QString::fromLatin1(searchRequest().toHex());
}

DiscoveryReply decodeReply(const QByteArray &datagram)
{
    DiscoveryReply reply;
    reply.flag = slice(datagram, 0, FlagSize);
    if (datagram.size() > CommandOffset)
        reply.command = quint8(datagram.at(CommandOffset));

    for (char byte : slice(datagram, MacOffset, MacSize))
        reply.macBytes << QStringLiteral("%1").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();

    QStringList ipParts;
    for (char byte : slice(datagram, IpOffset, IpSize))
        ipParts << QString::number(quint8(byte));
    reply.ip = ipParts.join(QLatin1Char('.'));
    reply.valid = datagram.size() >= MinValidReplySize;

    if (datagram.size() <= DataLengthOffset)
        return reply;
    const int dataLength = quint8(datagram.at(DataLengthOffset));
    // A length below the address size describes no layout we can place a
    // name or version in; a length past the end leaves what is there.
    if (dataLength < MinDataLength)
        return reply;

    QByteArray name = slice(datagram, NameOffset, dataLength - IpSize);
    name.replace('\0', QByteArray());
    reply.name = CommonlyUsed::ByteArray_To_AsciiString(name);

    const int versionOffset = IpOffset + dataLength;
    if (versionOffset < datagram.size()) {
        reply.version = quint8(datagram.at(versionOffset));
        reply.complete = true;
    }
    return reply;
}

DiscoveryReply decodeReplyHex(const QString &hexText)
{
    return decodeReply(QByteArray::fromHex(hexText.toLatin1()));
}

} // namespace DiscoveryCodec
