#include "link/transfer/fileinfo.h"

#include <QtTest>

using namespace FileTransfer;

Q_DECLARE_METATYPE(FileTransfer::Problem)
Q_DECLARE_METATYPE(FileTransfer::EdidIssue)

namespace {

enum class Length { BigEndian, LittleEndian };

QByteArray firmware(int payloadBytes, Length length = Length::BigEndian, const char *magic = "ZQLD")
{
    QByteArray file(payloadBytes, '\x11');
    QByteArray trailer(TrailerBytes, '\0');
    trailer.replace(0, 4, QByteArray(magic, 4));
    auto *field = reinterpret_cast<uchar *>(trailer.data() + TrailerLengthOffset);
    if (length == Length::BigEndian)
        qToBigEndian<quint32>(quint32(payloadBytes), field);
    else
        qToLittleEndian<quint32>(quint32(payloadBytes), field);
    return file + trailer;
}

// `blocks` blocks with the standard header, each closed by its checksum byte.
QByteArray edid(int blocks)
{
    QByteArray bytes;
    for (int block = 0; block < blocks; ++block) {
        QByteArray data(EdidBlockBytes, '\0');
        for (int i = 0; i < EdidBlockBytes - 1; ++i)
            data[i] = char(block * 31 + i * 7);
        if (block == 0)
            data.replace(0, EdidHeaderBytes, QByteArray(EdidHeader, EdidHeaderBytes));
        quint8 sum = 0;
        for (int i = 0; i < EdidBlockBytes - 1; ++i)
            sum = quint8(sum + quint8(data.at(i)));
        data[EdidBlockBytes - 1] = char(quint8(256 - sum));
        bytes += data;
    }
    return bytes;
}

} // namespace

class tst_FileInfo final : public QObject
{
    Q_OBJECT
private slots:
    void firmware_data();
    void firmware();
    void edid_data();
    void edid();
    void figures_data();
    void figures();
};

void tst_FileInfo::firmware_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Problem>("problem");
    QTest::addColumn<qint64>("payload");
    QTest::addColumn<int>("packets");
    QTest::addColumn<qint64>("stated"); // -1: no check block to read
    QTest::addColumn<bool>("magic");
    QTest::addColumn<bool>("littleEndian");

    QTest::newRow("good, 1100 bytes")
        << ::firmware(1024) << Problem::None << qint64(1024) << 1 << qint64(1024) << true << false;
    QTest::newRow("one byte past a packet")
        << ::firmware(1025) << Problem::None << qint64(1025) << 2 << qint64(1025) << true << false;
    QTest::newRow("length little-endian") << ::firmware(1024, Length::LittleEndian) << Problem::BadTrailer
                                          << qint64(1024) << 1 << qint64(0x00040000) << true << true;
    QTest::newRow("wrong magic") << ::firmware(300, Length::BigEndian, "ZQLE") << Problem::BadTrailer
                                 << qint64(300) << 1 << qint64(300) << false << false;
    QTest::newRow("check block alone")
        << ::firmware(0) << Problem::EmptyPayload << qint64(0) << 0 << qint64(0) << true << false;
    QTest::newRow("shorter than the check block")
        << ::firmware(0).left(TrailerBytes - 1) << Problem::BadTrailer << qint64(0) << 0 << qint64(-1)
        << false << false;
    QTest::newRow("empty") << QByteArray() << Problem::Empty << qint64(0) << 0 << qint64(-1) << false
                           << false;
}

void tst_FileInfo::firmware()
{
    QFETCH(QByteArray, file);
    QFETCH(Problem, problem);
    QFETCH(qint64, payload);
    QFETCH(int, packets);
    QFETCH(qint64, stated);
    QFETCH(bool, magic);
    QFETCH(bool, littleEndian);

    const FirmwareSummary summary = summarizeFirmware(file);
    QCOMPARE(summary.fileBytes, qint64(file.size()));
    QCOMPARE(summary.problem, problem);
    QCOMPARE(summary.payloadBytes, payload);
    QCOMPARE(summary.packets, packets);
    QCOMPARE(summary.hasTrailer, stated >= 0);
    QCOMPARE(summary.statedPayloadBytes.has_value(), stated >= 0);
    if (stated >= 0)
        QCOMPARE(qint64(*summary.statedPayloadBytes), stated);
    QCOMPARE(summary.magicMatches, magic);
    QCOMPARE(summary.statedLittleEndian, littleEndian);
}

void tst_FileInfo::edid_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<EdidIssue>("issue");
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("extra");
    QTest::addColumn<int>("badBlock");

    QByteArray secondBroken = ::edid(2);
    secondBroken[200] = char(secondBroken.at(200) + 1);
    QByteArray firstBroken = ::edid(2);
    firstBroken[127] = char(firstBroken.at(127) ^ 0x40);
    QByteArray header = ::edid(1);
    header[7] = '\x01';

    QTest::newRow("standard, 256 bytes") << ::edid(2) << EdidIssue::None << 2 << 0 << 0;
    QTest::newRow("standard, one block") << ::edid(1) << EdidIssue::None << 1 << 0 << 0;
    QTest::newRow("checksum of block 2") << secondBroken << EdidIssue::BadChecksum << 2 << 0 << 2;
    QTest::newRow("checksum of block 1") << firstBroken << EdidIssue::BadChecksum << 2 << 0 << 1;
    QTest::newRow("header") << header << EdidIssue::BadHeader << 1 << 0 << 0;
    QTest::newRow("odd size") << ::edid(2).left(200) << EdidIssue::NotWholeBlocks << 1 << 72 << 0;
    QTest::newRow("under one block") << ::edid(1).left(100) << EdidIssue::NotWholeBlocks << 0 << 100 << 0;
    QTest::newRow("empty") << QByteArray() << EdidIssue::Empty << 0 << 0 << 0;
}

void tst_FileInfo::edid()
{
    QFETCH(QByteArray, file);
    QFETCH(EdidIssue, issue);
    QFETCH(int, blocks);
    QFETCH(int, extra);
    QFETCH(int, badBlock);

    const EdidSummary summary = summarizeEdid(file);
    QCOMPARE(summary.fileBytes, qint64(file.size()));
    QCOMPARE(summary.issue, issue);
    QCOMPARE(summary.standard(), issue == EdidIssue::None);
    QCOMPARE(summary.wholeBlocks, blocks);
    QCOMPARE(summary.extraBytes, extra);
    QCOMPARE(summary.badBlock, badBlock);
}

void tst_FileInfo::figures_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<qint64>("ms");
    QTest::addColumn<QString>("grouped");
    QTest::addColumn<QString>("scaled");
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("speed");

    QTest::newRow("firmware of 1 MiB and a trailer") << qint64(1048652) << qint64(12340) << "1,048,652"
                                                     << "1.00 MiB"
                                                     << "12.34"
                                                     << "83.0 KiB/s";
    QTest::newRow("EDID") << qint64(256) << qint64(400) << "256"
                          << ""
                          << "0.40"
                          << "640 B/s";
    QTest::newRow("exactly 1 KiB") << qint64(1024) << qint64(1000) << "1,024"
                                   << "1.00 KiB"
                                   << "1.00"
                                   << "1.00 KiB/s";
    QTest::newRow("just under 1 MiB rounds up a unit") << qint64(1048575) << qint64(500) << "1,048,575"
                                                       << "1.00 MiB"
                                                       << "0.50"
                                                       << "2.00 MiB/s";
    QTest::newRow("tens") << qint64(65536) << qint64(1) << "65,536"
                          << "64.0 KiB"
                          << "0.00"
                          << "62.5 MiB/s";
    QTest::newRow("hundreds") << qint64(524288) << qint64(1000) << "524,288"
                              << "512 KiB"
                              << "1.00"
                              << "512 KiB/s";
    QTest::newRow("nothing timed") << qint64(999) << qint64(0) << "999"
                                   << ""
                                   << "0.00"
                                   << "";
    QTest::newRow("nothing sent") << qint64(0) << qint64(700) << "0"
                                  << ""
                                  << "0.70"
                                  << "";
}

void tst_FileInfo::figures()
{
    QFETCH(qint64, bytes);
    QFETCH(qint64, ms);
    QFETCH(QString, grouped);
    QFETCH(QString, scaled);
    QFETCH(QString, seconds);
    QFETCH(QString, speed);

    QCOMPARE(groupedNumber(bytes), grouped);
    QCOMPARE(groupedNumber(-bytes), bytes ? QLatin1Char('-') + grouped : grouped);
    QCOMPARE(scaledBytes(bytes), scaled);
    QCOMPARE(secondsText(ms), seconds);
    QCOMPARE(speedText(bytes, ms), speed);
}

QTEST_GUILESS_MAIN(tst_FileInfo)
#include "tst_fileinfo.moc"
