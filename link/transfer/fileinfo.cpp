#include "link/transfer/fileinfo.h"

#include <QtEndian>

namespace FileTransfer {

namespace {

constexpr int MagicBytes = 4;
constexpr qint64 Kibi = 1024;
const char *const Units[] = { "B", "KiB", "MiB", "GiB" };
constexpr int UnitCount = int(sizeof(Units) / sizeof(Units[0]));

// Three significant digits; a figure that would round up to 1024 moves to
// the next unit instead ("1.00 MiB", not "1024 KiB").
QString scaled(double value, const char *suffix)
{
    int unit = 0;
    while (value >= Kibi - 0.5 && unit + 1 < UnitCount) {
        value /= Kibi;
        ++unit;
    }
    if (unit == 0)
        return groupedNumber(qRound64(value)) + QLatin1Char(' ') + QLatin1String(Units[0])
            + QLatin1String(suffix);
    const int decimals = value < 9.995 ? 2 : value < 99.95 ? 1 : 0;
    return QString::number(value, 'f', decimals) + QLatin1Char(' ') + QLatin1String(Units[unit])
        + QLatin1String(suffix);
}

} // namespace

FirmwareSummary summarizeFirmware(const QByteArray &file)
{
    FirmwareSummary summary;
    summary.fileBytes = file.size();
    summary.problem = checkFirmware(file);
    if (file.size() < TrailerBytes)
        return summary;
    const int trailer = file.size() - TrailerBytes;
    summary.payloadBytes = trailer;
    summary.packets = PacketPlan { trailer }.count();
    summary.hasTrailer = true;
    summary.magicMatches = file.mid(trailer, MagicBytes) == QByteArray(TrailerMagic, MagicBytes);
    const auto *field = reinterpret_cast<const uchar *>(file.constData() + trailer + TrailerLengthOffset);
    summary.statedPayloadBytes = qFromBigEndian<quint32>(field);
    const quint32 littleEndian = qFromLittleEndian<quint32>(field);
    // A symmetric value (0, for one) reads the same both ways: no mistake then.
    summary.statedLittleEndian
        = littleEndian != *summary.statedPayloadBytes && qint64(littleEndian) == trailer;
    return summary;
}

EdidSummary summarizeEdid(const QByteArray &file)
{
    EdidSummary summary;
    summary.fileBytes = file.size();
    summary.wholeBlocks = file.size() / EdidBlockBytes;
    summary.extraBytes = file.size() % EdidBlockBytes;
    if (file.isEmpty())
        return summary;
    if (summary.extraBytes != 0) {
        summary.issue = EdidIssue::NotWholeBlocks;
        return summary;
    }
    if (!file.startsWith(QByteArray(EdidHeader, EdidHeaderBytes))) {
        summary.issue = EdidIssue::BadHeader;
        return summary;
    }
    for (int block = 0; block < summary.wholeBlocks; ++block) {
        quint8 sum = 0;
        for (int i = 0; i < EdidBlockBytes; ++i)
            sum = quint8(sum + quint8(file.at(block * EdidBlockBytes + i)));
        if (sum != 0) {
            summary.issue = EdidIssue::BadChecksum;
            summary.badBlock = block + 1;
            return summary;
        }
    }
    summary.issue = EdidIssue::None;
    return summary;
}

QString groupedNumber(qint64 value)
{
    QString digits = QString::number(value);
    const bool negative = digits.startsWith(QLatin1Char('-'));
    if (negative)
        digits.remove(0, 1);
    QString grouped;
    grouped.reserve(digits.size() + digits.size() / 3 + 1);
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            grouped += QLatin1Char(',');
        grouped += digits.at(i);
    }
    return negative ? QLatin1Char('-') + grouped : grouped;
}

QString scaledBytes(qint64 bytes)
{
    if (bytes < Kibi)
        return QString();
    return scaled(double(bytes), "");
}

QString secondsText(qint64 ms)
{
    return QString::number(double(ms) / 1000.0, 'f', 2);
}

QString speedText(qint64 bytes, qint64 ms)
{
    if (bytes <= 0 || ms <= 0)
        return QString();
    return scaled(double(bytes) * 1000.0 / double(ms), "/s");
}

} // namespace FileTransfer
