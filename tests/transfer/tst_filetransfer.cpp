#include "link/transfer/filetransfer.h"

#include <QCryptographicHash>
#include <QtTest>

using namespace FileTransfer;

Q_DECLARE_METATYPE(FileTransfer::Outcome)

namespace {

class FakePort final : public TransferPort
{
public:
    bool write(const QByteArray &bytes) override
    {
        if (attempts++ == failAt)
            return false;
        writes << bytes;
        if (holdWrites)
            queued += bytes.size();
        return true;
    }
    qint64 bytesToWrite() const override { return queued; }
    void console(int, const QString &message) override { lines << message; }
    void progress(int percent) override { percents << percent; }

    int failAt = -1; // the write attempt that the link refuses
    bool holdWrites = false; // written bytes wait in the queue until the test takes them
    qint64 queued = 0;
    int attempts = 0;
    QVector<QByteArray> writes;
    QStringList lines;
    QVector<int> percents;
};

QByteArray firmwareFile(int payloadBytes)
{
    QByteArray file;
    for (int i = 0; i < payloadBytes; ++i)
        file += char(i * 13 + 5);
    QByteArray trailer(TrailerBytes, '\x11');
    trailer.replace(0, 4, QByteArray("ZQLD"));
    for (int i = 0; i < 4; ++i)
        trailer[TrailerLengthOffset + i] = char((quint32(payloadBytes) >> (8 * (3 - i))) & 0xff);
    return file + trailer;
}

FirmwareImage image(int payloadBytes)
{
    return *FirmwareImage::fromFile(firmwareFile(payloadBytes));
}

// The owner's clock: tick() at every due time up to `until`.
template <typename Transfer> void runUntil(Transfer &transfer, qint64 until)
{
    for (int guard = 0; guard < 100000; ++guard) {
        const qint64 due = transfer.nextDueMs();
        if (due < 0 || due > until)
            return;
        transfer.tick(due);
    }
    QFAIL("the transfer never stops asking for ticks");
}

const QString Ack = QStringLiteral("pack\r\n");
constexpr qint64 FirstPacketAt = 1000; // started at 0, the ready wait passed
constexpr int EdidBytes = 2048;

} // namespace

class tst_FileTransfer final : public QObject
{
    Q_OBJECT
private slots:
    void firmwareRun_data();
    void firmwareRun();
    void firmwareAcknowledgement_data();
    void firmwareAcknowledgement();
    void firmwareBounds_data();
    void firmwareBounds();
    void firmwareFailures_data();
    void firmwareFailures();
    void edidBackToBack();
    void edidConfirmation_data();
    void edidConfirmation();
    void edidInterrupted_data();
    void edidInterrupted();
};

void tst_FileTransfer::firmwareRun_data()
{
    QTest::addColumn<int>("payloadBytes");
    QTest::newRow("under 100 bytes") << 40;
    QTest::newRow("1100-byte file") << 1024;
    QTest::newRow("three packets") << 3000;
}

void tst_FileTransfer::firmwareRun()
{
    QFETCH(int, payloadBytes);
    FakePort port;
    FirmwareTransfer transfer(port, image(payloadBytes));
    transfer.start(0);
    transfer.tick(FirstPacketAt - 1);
    QVERIFY(port.writes.isEmpty());
    runUntil(transfer, FirstPacketAt);

    const int packets = (payloadBytes + PacketBytes - 1) / PacketBytes;
    QStringList expectedLines;
    qint64 now = FirstPacketAt;
    qint64 sent = 0;
    for (int i = 0; i < packets; ++i) {
        QCOMPARE(port.writes.size(), i + 1);
        QCOMPARE(transfer.phase(), FirmwareTransfer::Phase::Packet);
        now += 30;
        transfer.received(Ack, now);
        sent += port.writes.at(i).size();
        expectedLines
            << QStringLiteral("\nSerialPortData = pack\n")
            << QStringLiteral(
                   "Single length of Send = %1 \nTotal length of Send = %2 \nFile Total length = %3\n")
                   .arg(port.writes.at(i).size())
                   .arg(sent)
                   .arg(payloadBytes);
    }
    QCOMPARE(transfer.phase(), FirmwareTransfer::Phase::CheckCode);
    QCOMPARE(port.writes.size(), packets + 1);
    QCOMPARE(port.writes.last().size(), TrailerBytes);
    now += 30;
    transfer.received(Ack, now);
    expectedLines << QStringLiteral("\nCheck code data length = 76")
                  << QStringLiteral("\nSerialPortData = pack");
    QCOMPARE(port.lines, expectedLines);

    // Every byte of the file exactly once, in order, each packet in one write.
    QByteArray wire;
    for (const QByteArray &w : qAsConst(port.writes)) {
        QVERIFY(w.size() <= PacketBytes);
        wire += w;
    }
    QCOMPARE(QCryptographicHash::hash(wire, QCryptographicHash::Sha256),
        QCryptographicHash::hash(firmwareFile(payloadBytes), QCryptographicHash::Sha256));
    QCOMPARE(transfer.packetsAcknowledged(), packets);
    QCOMPARE(transfer.sent(), qint64(payloadBytes));

    QVERIFY(!port.percents.isEmpty());
    QCOMPARE(port.percents.last(), 100);
    for (int i = 1; i < port.percents.size(); ++i)
        QVERIFY(port.percents.at(i) > port.percents.at(i - 1));

    // Reported only after the success wait.
    transfer.tick(now + 699);
    QCOMPARE(transfer.outcome(), Outcome::Running);
    transfer.tick(now + 700);
    QCOMPARE(transfer.outcome(), Outcome::Succeeded);
    QVERIFY(transfer.finished());
    QCOMPARE(transfer.streamingMs(), now - FirstPacketAt);
    QCOMPARE(transfer.elapsedMs(), now + 700 - FirstPacketAt);
    QCOMPARE(transfer.nextDueMs(), qint64(-1));
}

void tst_FileTransfer::firmwareAcknowledgement_data()
{
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<bool>("acknowledged");
    QTest::newRow("whole") << QStringList { "pack\r\n" } << true;
    QTest::newRow("split pa|ck") << QStringList { "pa", "ck\r\n" } << true;
    QTest::newRow("split over a line break") << QStringList { "pa\r\n", "ck" } << true;
    QTest::newRow("one letter a read") << QStringList { "p", "a", "c", "k" } << true;
    QTest::newRow("noise first") << QStringList { "pac", "ok\r\n", "pack" } << true;
    QTest::newRow("no pack") << QStringList { "pac", "ok\r\n", "kcap" } << false;
}

void tst_FileTransfer::firmwareAcknowledgement()
{
    QFETCH(QStringList, chunks);
    QFETCH(bool, acknowledged);
    FakePort port;
    FirmwareTransfer transfer(port, image(2000));
    transfer.start(0);
    runUntil(transfer, FirstPacketAt);
    for (int i = 0; i < chunks.size(); ++i) {
        QCOMPARE(transfer.packetsAcknowledged(), 0);
        transfer.received(chunks.at(i), FirstPacketAt + 10 * (i + 1));
    }
    QCOMPARE(transfer.packetsAcknowledged(), acknowledged ? 1 : 0);
    QCOMPARE(port.writes.size(), acknowledged ? 2 : 1);
    QCOMPARE(transfer.outcome(), Outcome::Running);
}

void tst_FileTransfer::firmwareBounds_data()
{
    QTest::addColumn<int>("acks");
    QTest::addColumn<qint64>("boundMs");
    QTest::newRow("first packet") << 0 << qint64(2000);
    QTest::newRow("second packet") << 1 << qint64(2000);
    QTest::newRow("check code") << 2 << qint64(1500);
}

void tst_FileTransfer::firmwareBounds()
{
    QFETCH(int, acks);
    QFETCH(qint64, boundMs);
    FakePort port;
    FirmwareTransfer transfer(port, image(2000));
    transfer.start(0);
    // A "pack" before the first packet acknowledges nothing.
    transfer.received(Ack, FirstPacketAt - 500);
    runUntil(transfer, FirstPacketAt);
    qint64 lastWrite = FirstPacketAt;
    for (int i = 0; i < acks; ++i) {
        lastWrite += 100;
        transfer.received(Ack, lastWrite);
    }
    QCOMPARE(port.writes.size(), acks + 1);
    QCOMPARE(transfer.nextDueMs(), lastWrite + boundMs);
    transfer.tick(lastWrite + boundMs - 1);
    QCOMPARE(transfer.outcome(), Outcome::Running);
    transfer.tick(lastWrite + boundMs);
    QCOMPARE(transfer.outcome(), Outcome::NoAcknowledgement);
    // Nothing counts any more, and nothing more is sent.
    transfer.received(Ack, lastWrite + boundMs + 10);
    QCOMPARE(transfer.packetsAcknowledged(), acks);
    QCOMPARE(port.writes.size(), acks + 1);
    QVERIFY(port.percents.isEmpty() || port.percents.last() < 100);
}

void tst_FileTransfer::firmwareFailures_data()
{
    QTest::addColumn<int>("acks");
    QTest::addColumn<int>("failAt");
    QTest::addColumn<QString>("event");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("err on a packet") << 1 << -1 << "err\r\n" << Outcome::DeviceRefused;
    QTest::newRow("err on the check code") << 2 << -1 << "err 3\r\n" << Outcome::DeviceRefused;
    QTest::newRow("device name holding err") << 1 << -1 << "errand\r\n" << Outcome::Running;
    QTest::newRow("link lost on a packet") << 1 << -1 << "lost" << Outcome::LinkLost;
    QTest::newRow("link lost after the check code") << 3 << -1 << "lost" << Outcome::Succeeded;
    QTest::newRow("first write refused") << 0 << 0 << "" << Outcome::WriteFailed;
    QTest::newRow("second packet refused") << 1 << 1 << "" << Outcome::WriteFailed;
    QTest::newRow("check code refused") << 2 << 2 << "" << Outcome::WriteFailed;
}

void tst_FileTransfer::firmwareFailures()
{
    QFETCH(int, acks);
    QFETCH(int, failAt);
    QFETCH(QString, event);
    QFETCH(Outcome, outcome);
    FakePort port;
    port.failAt = failAt;
    FirmwareTransfer transfer(port, image(2000));
    transfer.start(0);
    runUntil(transfer, FirstPacketAt);
    qint64 now = FirstPacketAt;
    for (int i = 0; i < acks && !transfer.finished(); ++i)
        transfer.received(Ack, now += 50);
    const int written = port.writes.size();
    now += 50;
    if (event == QLatin1String("lost"))
        transfer.linkLost(now);
    else if (!event.isEmpty())
        transfer.received(event, now);
    QCOMPARE(transfer.outcome(), outcome);
    QCOMPARE(port.writes.size(), written);
    if (outcome == Outcome::Running)
        return;
    QVERIFY(transfer.finished());
    QCOMPARE(transfer.nextDueMs(), qint64(-1));
    if (failAt < 0)
        QCOMPARE(transfer.elapsedMs(), now - FirstPacketAt);
    if (outcome == Outcome::DeviceRefused)
        QVERIFY(port.lines.last().contains(QLatin1String("err")));
}

void tst_FileTransfer::edidBackToBack()
{
    FakePort port;
    port.holdWrites = true;
    EdidTransfer transfer(port, QByteArray(2500, 'e'), QStringLiteral("1"), 0);
    transfer.start(0);
    runUntil(transfer, FirstPacketAt);
    QCOMPARE(port.writes.size(), 1);

    // The next packet waits until the link has taken the previous one.
    transfer.tick(FirstPacketAt + 10);
    transfer.written(FirstPacketAt + 15);
    QCOMPARE(port.writes.size(), 1);
    QCOMPARE(transfer.nextDueMs(), qint64(FirstPacketAt + 25));
    port.queued = 0;
    transfer.written(FirstPacketAt + 20);
    QCOMPARE(port.writes.size(), 2);
    port.queued = 0;
    transfer.tick(FirstPacketAt + 30);
    QCOMPARE(port.writes.size(), 3);
    QCOMPARE(port.writes.at(2).size(), 2500 - 2 * PacketBytes);
    QCOMPARE(transfer.phase(), EdidTransfer::Phase::Writing);

    // The waits count from when the last byte left, not from the last write.
    const qint64 drained = FirstPacketAt + 400;
    transfer.written(drained - 1);
    QCOMPARE(transfer.drainedAtMs(), qint64(-1));
    port.queued = 0;
    transfer.written(drained);
    QCOMPARE(transfer.drainedAtMs(), drained);
    QCOMPARE(transfer.phase(), EdidTransfer::Phase::Confirming);
    QCOMPARE(port.percents, (QVector<int> { 0, 40, 81, 100 }));
    QCOMPARE(transfer.nextDueMs(), drained + 500);
    QCOMPARE(transfer.confirmDeadlineMs(), drained + 2000);

    transfer.received(QStringLiteral("edid1updatedok\r\n"), drained + 100);
    runUntil(transfer, drained + 699);
    QCOMPARE(transfer.outcome(), Outcome::Succeeded);
    QCOMPARE(transfer.elapsedMs(), drained + 500 - FirstPacketAt);
    QCOMPARE(transfer.phase(), EdidTransfer::Phase::Finishing);
    runUntil(transfer, drained + 700);
    QVERIFY(transfer.finished());
    QCOMPARE(QByteArray(port.writes.at(0) + port.writes.at(1) + port.writes.at(2)), QByteArray(2500, 'e'));
}

void tst_FileTransfer::edidConfirmation_data()
{
    // Times relative to the drain, which comes at the first packet here: the
    // fake link takes every byte at once.
    QTest::addColumn<int>("baud");
    QTest::addColumn<QList<int>>("at");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<qint64>("decidedAt");
    QTest::addColumn<QString>("confirmedSlot");
    const QList<int> none;
    QTest::newRow("early answer checked at 500")
        << 0 << QList<int> { 100 } << QStringList { "edid2updatedok\r\n" } << Outcome::Succeeded
        << qint64(500) << "";
    QTest::newRow("two lines") << 0 << QList<int> { 600, 650 } << QStringList { "edid2updated\r\n", "ok\r\n" }
                               << Outcome::Succeeded << qint64(650) << "";
    QTest::newRow("wrong slot") << 0 << QList<int> { 100 } << QStringList { "edid3updatedok\r\n" }
                                << Outcome::WrongSlot << qint64(500) << "3";
    QTest::newRow("said before the first packet")
        << 0 << QList<int> { -500 } << QStringList { "edid2updatedok\r\n" } << Outcome::Unconfirmed
        << qint64(2000) << "";
    QTest::newRow("unconfirmed over TCP")
        << 0 << none << QStringList() << Outcome::Unconfirmed << qint64(2000) << "";
    // 2048 bytes at 9600 baud: 2133.3 ms still on the line.
    QTest::newRow("unconfirmed at 9600 baud")
        << 9600 << none << QStringList() << Outcome::Unconfirmed << qint64(4134) << "";
    QTest::newRow("confirmed within the line time")
        << 9600 << QList<int> { 4100 } << QStringList { "edid2updatedok" } << Outcome::Succeeded
        << qint64(4100) << "";
    QTest::newRow("too late") << 0 << QList<int> { 2001 } << QStringList { "edid2updatedok" }
                              << Outcome::Unconfirmed << qint64(2000) << "";
    QTest::newRow("err at once") << 0 << QList<int> { 100 } << QStringList { "err\r\n" }
                                 << Outcome::DeviceRefused << qint64(100) << "";
}

void tst_FileTransfer::edidConfirmation()
{
    QFETCH(int, baud);
    QFETCH(QList<int>, at);
    QFETCH(QStringList, texts);
    QFETCH(Outcome, outcome);
    QFETCH(qint64, decidedAt);
    QFETCH(QString, confirmedSlot);
    FakePort port;
    EdidTransfer transfer(port, QByteArray(EdidBytes, 'e'), QStringLiteral("2"), baud);
    transfer.start(0);
    for (int i = 0; i < at.size(); ++i) {
        runUntil(transfer, FirstPacketAt + at.at(i) - 1);
        transfer.received(texts.at(i), FirstPacketAt + at.at(i));
    }
    runUntil(transfer, FirstPacketAt + 10000);
    QCOMPARE(transfer.drainedAtMs(), FirstPacketAt);
    QVERIFY(transfer.finished());
    QCOMPARE(transfer.outcome(), outcome);
    QCOMPARE(transfer.elapsedMs(), decidedAt);
    QCOMPARE(transfer.confirmedSlot(), confirmedSlot);
    QCOMPARE(port.writes.size(), 2);
}

void tst_FileTransfer::edidInterrupted_data()
{
    QTest::addColumn<bool>("drain");
    QTest::addColumn<QString>("event");
    QTest::addColumn<Outcome>("outcome");
    QTest::newRow("err while writing") << false << "err\r\n" << Outcome::DeviceRefused;
    QTest::newRow("link lost while writing") << false << "lost" << Outcome::LinkLost;
    QTest::newRow("link lost while confirming") << true << "lost" << Outcome::LinkLost;
    QTest::newRow("write refused") << false << "refuse" << Outcome::WriteFailed;
}

void tst_FileTransfer::edidInterrupted()
{
    QFETCH(bool, drain);
    QFETCH(QString, event);
    QFETCH(Outcome, outcome);
    FakePort port;
    port.holdWrites = true;
    EdidTransfer transfer(port, QByteArray(EdidBytes, 'e'), QStringLiteral("1"), 0);
    transfer.start(0);
    runUntil(transfer, FirstPacketAt);
    port.queued = 0;
    if (drain) {
        transfer.written(FirstPacketAt + 10);
        port.queued = 0;
        transfer.written(FirstPacketAt + 20);
        QCOMPARE(transfer.phase(), EdidTransfer::Phase::Confirming);
    }
    const qint64 now = FirstPacketAt + 50;
    if (event == QLatin1String("lost")) {
        transfer.linkLost(now);
    } else if (event == QLatin1String("refuse")) {
        port.failAt = port.attempts;
        transfer.written(now);
    } else {
        transfer.received(event, now);
    }
    QVERIFY(transfer.finished());
    QCOMPARE(transfer.outcome(), outcome);
    QCOMPARE(transfer.elapsedMs(), now - FirstPacketAt);
    QCOMPARE(transfer.nextDueMs(), qint64(-1));
    const int writes = port.writes.size();
    port.queued = 0;
    transfer.written(now + 10);
    transfer.tick(now + 10000);
    QCOMPARE(port.writes.size(), writes);
    QCOMPARE(port.percents.contains(100), drain);
}

QTEST_GUILESS_MAIN(tst_FileTransfer)
#include "tst_filetransfer.moc"
