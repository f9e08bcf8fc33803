#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Firmware and EDID files as the device takes them: the checks a file passes
// before anything is announced, the packets it is cut into, and the readings
// of the device's answers during a transfer. Widget-free.
namespace FileTransfer {

constexpr int PacketBytes = 1024;
// A firmware file ends in a check block: "ZQLD", 8 bytes the device reads,
// the payload length (unsigned 32-bit big-endian) and 60 more bytes.
constexpr int TrailerBytes = 76;
constexpr int TrailerLengthOffset = 12;
constexpr char TrailerMagic[] = "ZQLD"; // 0x5A514C44
// Larger files are not read: no image of this device comes near it, and a
// disk image chosen by mistake must not take the computer's memory.
constexpr qint64 MaxFileBytes = 64LL * 1024 * 1024;

// Why a chosen file is not sent, in the order the checks run.
enum class Problem {
    None,
    NoPath,       // nothing chosen: "请选择升级文件" / "请导入EDID文件！"
    Missing,      // "升级文件不存在！"
    Unreadable,   // "文件读取失败！" (also a file over MaxFileBytes)
    Empty,        // "文件内容为空！"
    BadTrailer,   // "文件校验失败！" (also a file shorter than the trailer)
    EmptyPayload, // "升级文件内容为空！"
};

struct FileRead
{
    Problem problem = Problem::None;
    QByteArray bytes;
};
// Reads the whole file at `path` (already trimmed): NoPath, Missing,
// Unreadable, Empty or None with the bytes.
FileRead readFile(const QString &path);

// The firmware checks over the file's bytes, in order: Empty, BadTrailer
// (no trailer field is read from a file shorter than the trailer),
// EmptyPayload; None when the file may be sent.
Problem checkFirmware(const QByteArray &file);

// A firmware file that passed checkFirmware, kept whole: the transfer sends
// from offsets, so a failed attempt leaves nothing half-consumed.
class FirmwareImage
{
public:
    FirmwareImage() = default;
    // Only a file that passes checkFirmware.
    static std::optional<FirmwareImage> fromFile(const QByteArray &file);

    qint64 payloadSize() const { return m_file.size() - TrailerBytes; }
    // Payload bytes [offset, offset + size).
    QByteArray payload(qint64 offset, int size) const;
    // The trailer, sent after the payload as the check code.
    QByteArray checkCode() const;
    const QByteArray &file() const { return m_file; }
    bool isNull() const { return m_file.isEmpty(); }

private:
    explicit FirmwareImage(QByteArray file) : m_file(std::move(file)) {}
    QByteArray m_file;
};

// The packets of a payload: packet i starts at i * PacketBytes; the last one
// is shorter when the size is not a multiple.
struct PacketPlan
{
    qint64 total = 0;
    int packetBytes = PacketBytes;

    int count() const;
    qint64 offset(int index) const;
    int size(int index) const;
};

// The progress bar's value once `sent` of `total` bytes are out: sent ÷
// (total ÷ 100), at most 100. A payload under 100 bytes is one step: 0 until
// all of it is sent, then 100.
int progressPercent(qint64 sent, qint64 total);

// The device's text as the dispatcher reads it: no blanks, no line breaks, so
// "pa" + "ck" and "edid1updated\r\nok\r\n" read as the dispatcher reads them.
QString normalised(const QString &text);

// The slot an EDID confirmation names: the text between the last "edid"
// before the last "updated" and that "updated" ("edid3updatedok" -> "3").
// Nothing when the text holds no such pair.
std::optional<QString> confirmedEdidSlot(const QString &text);

} // namespace FileTransfer
