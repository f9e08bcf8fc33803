#pragma once

// Files for the transfer tests: pattern bytes, firmware images with their
// 76-byte trailer, and the hash the simulator reports of what it received.
#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <QtEndian>

#include "link/transfer/transferfile.h"

namespace TransferFiles {

inline QByteArray pattern(int size, int seed = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + seed * 7 + i / 251) & 0xff);
    return bytes;
}

// Payload of `payload` pattern bytes and a trailer stating its length.
inline QByteArray firmware(int payload, bool littleEndianLength = false)
{
    QByteArray trailer(FileTransfer::TrailerBytes, char(0x11));
    trailer.replace(0, 4, FileTransfer::TrailerMagic);
    if (littleEndianLength)
        qToLittleEndian<quint32>(quint32(payload), trailer.data() + FileTransfer::TrailerLengthOffset);
    else
        qToBigEndian<quint32>(quint32(payload), trailer.data() + FileTransfer::TrailerLengthOffset);
    return pattern(payload, payload) + trailer;
}

inline QString sha1(const QByteArray &bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex());
}

} // namespace TransferFiles
