#include "link/transfer/transferfile.h"

#include "link/protocol/protocol.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace FileTransfer {

namespace {

constexpr int ReadChunkBytes = 64 * 1024;
constexpr int MagicBytes = 4;
constexpr int LengthFieldBytes = 4;

quint32 bigEndian32(const QByteArray &bytes, int at)
{
    quint32 value = 0;
    for (int i = 0; i < LengthFieldBytes; ++i)
        value = (value << 8) | quint8(bytes.at(at + i));
    return value;
}

} // namespace

FileRead readFile(const QString &path)
{
    FileRead result;
    if (path.isEmpty()) {
        result.problem = Problem::NoPath;
        return result;
    }
    const QFileInfo info(path);
    // A directory, a pipe or a device is no file to send; a pipe would also
    // block the read.
    if (!info.exists() || !info.isFile()) {
        result.problem = Problem::Missing;
        return result;
    }
    if (info.size() > MaxFileBytes) {
        result.problem = Problem::Unreadable;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.problem = Problem::Unreadable;
        return result;
    }
    // In chunks, never past MaxFileBytes + 1: the size read above may be stale
    // when the file grows while it is read.
    QByteArray bytes;
    bytes.reserve(int(info.size()));
    char chunk[ReadChunkBytes];
    for (;;) {
        const qint64 want = std::min<qint64>(ReadChunkBytes, MaxFileBytes + 1 - bytes.size());
        const qint64 got = file.read(chunk, want);
        if (got < 0) {
            result.problem = Problem::Unreadable;
            return result;
        }
        if (got == 0)
            break;
        bytes.append(chunk, int(got));
        if (bytes.size() > MaxFileBytes) {
            result.problem = Problem::Unreadable;
            return result;
        }
    }
    if (bytes.isEmpty()) {
        result.problem = Problem::Empty;
        return result;
    }
    result.bytes = bytes;
    return result;
}

Problem checkFirmware(const QByteArray &file)
{
    if (file.isEmpty())
        return Problem::Empty;
    if (file.size() < TrailerBytes)
        return Problem::BadTrailer;
    const int trailer = file.size() - TrailerBytes;
    if (file.mid(trailer, MagicBytes) != QByteArray(TrailerMagic, MagicBytes))
        return Problem::BadTrailer;
    if (qint64(bigEndian32(file, trailer + TrailerLengthOffset)) != qint64(trailer))
        return Problem::BadTrailer;
    if (trailer == 0)
        return Problem::EmptyPayload;
    return Problem::None;
}

std::optional<FirmwareImage> FirmwareImage::fromFile(const QByteArray &file)
{
    if (checkFirmware(file) != Problem::None)
        return std::nullopt;
    return FirmwareImage(file);
}

QByteArray FirmwareImage::payload(qint64 offset, int size) const
{
    const qint64 payloadBytes = isNull() ? 0 : payloadSize();
    if (offset < 0 || size <= 0 || offset >= payloadBytes)
        return {};
    return m_file.mid(int(offset), int(std::min<qint64>(size, payloadBytes - offset)));
}

QByteArray FirmwareImage::checkCode() const
{
    return isNull() ? QByteArray() : m_file.right(TrailerBytes);
}

int PacketPlan::count() const
{
    if (total <= 0 || packetBytes <= 0)
        return 0;
    return int((total + packetBytes - 1) / packetBytes);
}

qint64 PacketPlan::offset(int index) const
{
    return qint64(index) * packetBytes;
}

int PacketPlan::size(int index) const
{
    if (index < 0 || index >= count())
        return 0;
    return int(std::min<qint64>(packetBytes, total - offset(index)));
}

int progressPercent(qint64 sent, qint64 total)
{
    if (total <= 0)
        return 0;
    // total ÷ 100 is 0 here: one step instead of a division by zero.
    if (total < 100)
        return sent >= total ? 100 : 0;
    const qint64 onePercent = total / 100;
    // The integer divisor rounds down, so e.g. 199 bytes would pass 100.
    return int(std::clamp<qint64>(sent / onePercent, 0, 100));
}

QString normalised(const QString &text)
{
    return Protocol::compact(text);
}

std::optional<QString> confirmedEdidSlot(const QString &text)
{
    const QLatin1String edid("edid");
    const int updated = text.lastIndexOf(QLatin1String("updated"));
    // lastIndexOf counts a negative start from the end: no "edid" fits then.
    if (updated < edid.size())
        return std::nullopt;
    const int start = text.lastIndexOf(edid, updated - edid.size());
    if (start < 0)
        return std::nullopt;
    const int from = start + edid.size();
    return text.mid(from, updated - from);
}

} // namespace FileTransfer
