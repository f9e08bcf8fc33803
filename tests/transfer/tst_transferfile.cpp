#include "link/transfer/transferfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace FileTransfer;

Q_DECLARE_METATYPE(FileTransfer::Problem)

namespace {

enum class LengthField { Right, LittleEndian, OffByOne };

// A firmware file: `payloadBytes` of data, then the 76-byte check block.
QByteArray firmware(int payloadBytes, LengthField length = LengthField::Right, const char *magic = "ZQLD")
{
    QByteArray file;
    for (int i = 0; i < payloadBytes; ++i)
        file += char(i * 7 + 3);
    QByteArray trailer(TrailerBytes, '\x5a');
    trailer.replace(0, 4, QByteArray(magic, 4));
    quint32 value = quint32(payloadBytes) + (length == LengthField::OffByOne ? 1 : 0);
    for (int i = 0; i < 4; ++i) {
        const int shift = length == LengthField::LittleEndian ? 8 * i : 8 * (3 - i);
        trailer[TrailerLengthOffset + i] = char((value >> shift) & 0xff);
    }
    return file + trailer;
}

} // namespace

class tst_TransferFile final : public QObject
{
    Q_OBJECT
private slots:
    void checkFirmware_data();
    void checkFirmware();
    void packetPlan_data();
    void packetPlan();
    void progress_data();
    void progress();
    void edidSlot_data();
    void edidSlot();
    void readFile_data();
    void readFile();
};

void tst_TransferFile::checkFirmware_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("empty") << QByteArray() << Problem::Empty;
    QTest::newRow("75 bytes, no whole trailer") << firmware(0).mid(1) << Problem::BadTrailer;
    QTest::newRow("75 bytes of magic") << QByteArray("ZQLD").leftJustified(75, '\0') << Problem::BadTrailer;
    QTest::newRow("trailer alone, length 0") << firmware(0) << Problem::EmptyPayload;
    QTest::newRow("1100 bytes") << firmware(1024) << Problem::None;
    QTest::newRow("one payload byte") << firmware(1) << Problem::None;
    QTest::newRow("little-endian length") << firmware(1024, LengthField::LittleEndian) << Problem::BadTrailer;
    QTest::newRow("length off by one") << firmware(1024, LengthField::OffByOne) << Problem::BadTrailer;
    QTest::newRow("trailer alone claims a byte") << firmware(0, LengthField::OffByOne) << Problem::BadTrailer;
    QTest::newRow("wrong magic") << firmware(1024, LengthField::Right, "ZQLE") << Problem::BadTrailer;
}

void tst_TransferFile::checkFirmware()
{
    QFETCH(QByteArray, file);
    QFETCH(Problem, problem);
    QCOMPARE(FileTransfer::checkFirmware(file), problem);

    const std::optional<FirmwareImage> image = FirmwareImage::fromFile(file);
    QCOMPARE(image.has_value(), problem == Problem::None);
    if (image) {
        QCOMPARE(image->payloadSize(), qint64(file.size() - TrailerBytes));
        QCOMPARE(image->payload(0, PacketBytes) + image->checkCode(), file);
        QCOMPARE(image->checkCode(), file.right(TrailerBytes));
        QVERIFY(image->payload(image->payloadSize(), PacketBytes).isEmpty());
    }
}

void tst_TransferFile::packetPlan_data()
{
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("lastSize");
    QTest::newRow("nothing") << qint64(0) << 0 << 0;
    QTest::newRow("one byte") << qint64(1) << 1 << 1;
    QTest::newRow("one whole packet") << qint64(1024) << 1 << 1024;
    QTest::newRow("one byte over") << qint64(1025) << 2 << 1;
    QTest::newRow("three packets") << qint64(3000) << 3 << 952;
}

void tst_TransferFile::packetPlan()
{
    QFETCH(qint64, total);
    QFETCH(int, count);
    QFETCH(int, lastSize);
    PacketPlan plan;
    plan.total = total;
    QCOMPARE(plan.count(), count);
    qint64 covered = 0;
    for (int i = 0; i < plan.count(); ++i) {
        QCOMPARE(plan.offset(i), covered);
        covered += plan.size(i);
    }
    QCOMPARE(covered, total);
    if (count > 0)
        QCOMPARE(plan.size(count - 1), lastSize);
    QCOMPARE(plan.size(count), 0);
}

void tst_TransferFile::progress_data()
{
    QTest::addColumn<qint64>("sent");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("percent");
    QTest::newRow("nothing to send") << qint64(0) << qint64(0) << 0;
    QTest::newRow("small, under way") << qint64(50) << qint64(99) << 0;
    QTest::newRow("small, all sent") << qint64(99) << qint64(99) << 100;
    QTest::newRow("start") << qint64(0) << qint64(3000) << 0;
    QTest::newRow("one packet of three") << qint64(1024) << qint64(3000) << 34;
    QTest::newRow("exactly 100 bytes") << qint64(100) << qint64(100) << 100;
    QTest::newRow("199 bytes, rounded divisor") << qint64(150) << qint64(199) << 100;
    QTest::newRow("199 bytes, all sent") << qint64(199) << qint64(199) << 100;
}

void tst_TransferFile::progress()
{
    QFETCH(qint64, sent);
    QFETCH(qint64, total);
    QFETCH(int, percent);
    QCOMPARE(progressPercent(sent, total), percent);
}

void tst_TransferFile::edidSlot_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("slot");
    QTest::newRow("plain") << "edid3updatedok" << true << "3";
    QTest::newRow("over two lines") << "edid1updated\r\nok\r\n" << true << "1";
    QTest::newRow("last edid before updated") << "edid12edid2updatedok" << true << "2";
    QTest::newRow("last updated wins") << "edid1updatedokedid4updatedok" << true << "4";
    QTest::newRow("nothing between") << "edidupdatedok" << true << "";
    QTest::newRow("edid after updated") << "updatedokedid1" << false << "";
    QTest::newRow("no updated") << "edid1ok" << false << "";
    QTest::newRow("garbage") << "\x01pack err" << false << "";
}

void tst_TransferFile::edidSlot()
{
    QFETCH(QString, text);
    QFETCH(bool, found);
    QFETCH(QString, slot);
    const std::optional<QString> confirmed = confirmedEdidSlot(normalised(text));
    QCOMPARE(confirmed.has_value(), found);
    if (found)
        QCOMPARE(*confirmed, slot);
}

void tst_TransferFile::readFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<Problem>("problem");
    QTest::newRow("no path") << "none" << Problem::NoPath;
    QTest::newRow("missing") << "missing" << Problem::Missing;
    QTest::newRow("directory") << "directory" << Problem::Missing;
    QTest::newRow("empty") << "empty" << Problem::Empty;
    QTest::newRow("firmware") << "firmware" << Problem::None;
    QTest::newRow("largest taken") << "largest" << Problem::None;
    QTest::newRow("one byte too large") << "toolarge" << Problem::Unreadable;
    QTest::newRow("no read permission") << "unreadable" << Problem::Unreadable;
}

void tst_TransferFile::readFile()
{
    QFETCH(QString, kind);
    QFETCH(Problem, problem);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = dir.filePath(QStringLiteral("image.bin"));
    QByteArray content;
    if (kind == QLatin1String("none")) {
        path.clear();
    } else if (kind == QLatin1String("directory")) {
        path = dir.path();
    } else if (kind != QLatin1String("missing")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        if (kind == QLatin1String("firmware") || kind == QLatin1String("unreadable"))
            content = firmware(3000);
        QCOMPARE(file.write(content), qint64(content.size()));
        // Sparse: no disk space is spent on the large ones.
        if (kind == QLatin1String("largest"))
            QVERIFY(file.resize(MaxFileBytes));
        if (kind == QLatin1String("toolarge"))
            QVERIFY(file.resize(MaxFileBytes + 1));
        file.close();
        if (kind == QLatin1String("unreadable")) {
            if (::geteuid() == 0)
                QSKIP("root reads a file without read permission");
            QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
        }
    }

    const FileRead read = FileTransfer::readFile(path);
    QCOMPARE(read.problem, problem);
    if (kind == QLatin1String("largest"))
        QCOMPARE(read.bytes.size(), int(MaxFileBytes));
    else
        QCOMPARE(read.bytes, problem == Problem::None ? content : QByteArray());
}

QTEST_GUILESS_MAIN(tst_TransferFile)
#include "tst_transferfile.moc"
