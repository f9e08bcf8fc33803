#pragma once

#include "link/transfer/transferfile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// What the pages tell the operator about a chosen file before it is sent and
// about the figures of the last transfer. Numbers are formatted here; the
// words around them are the pages'. Widget-free.
namespace FileTransfer {

struct FirmwareSummary
{
    qint64 fileBytes = 0;
    // All but the check block; 0 for a file shorter than the block.
    qint64 payloadBytes = 0;
    int packets = 0;
    // As checkFirmware() judges the file.
    Problem problem = Problem::Empty;
    // The check block's fields, read only from a file long enough to hold it.
    bool hasTrailer = false;
    bool magicMatches = false;
    std::optional<quint32> statedPayloadBytes; // big-endian, as the device reads it
    // The length field holds the payload size written little-endian: a
    // packing tool's byte order mistake rather than a damaged file.
    bool statedLittleEndian = false;
};
FirmwareSummary summarizeFirmware(const QByteArray &file);

constexpr int EdidBlockBytes = 128;
// Every EDID begins with this header.
constexpr char EdidHeader[] = "\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00";
constexpr int EdidHeaderBytes = 8;

// Why a file does not look like a standard EDID, in the order it is judged.
// Information only: the device stores whatever non-empty file it is sent.
enum class EdidIssue {
    None,
    Empty,
    NotWholeBlocks, // the size is not a multiple of 128
    BadHeader, // the first 8 bytes are not 00 FF FF FF FF FF FF 00
    BadChecksum, // a block's bytes do not sum to 0 modulo 256
};

struct EdidSummary
{
    qint64 fileBytes = 0;
    int wholeBlocks = 0;
    int extraBytes = 0; // beyond the whole blocks
    EdidIssue issue = EdidIssue::Empty;
    int badBlock = 0; // BadChecksum: the first such block, counted from 1
    bool standard() const { return issue == EdidIssue::None; }
};
EdidSummary summarizeEdid(const QByteArray &file);

// "1,048,652": thousands grouped with commas whatever the system's locale,
// so the figure reads the same in every language of the program.
QString groupedNumber(qint64 value);
// "1.00 MiB", "64.0 KiB", "512 KiB": three significant digits in the largest
// binary unit that keeps the figure at 1 or more; empty under 1 KiB, where
// the exact byte count says it all.
QString scaledBytes(qint64 bytes);
// Milliseconds as seconds with two decimals: 1234 -> "1.23".
QString secondsText(qint64 ms);
// The average rate of `bytes` in `ms`: "85.3 KiB/s", "1.20 MiB/s", "640 B/s";
// empty when either figure is not positive.
QString speedText(qint64 bytes, qint64 ms);

} // namespace FileTransfer
