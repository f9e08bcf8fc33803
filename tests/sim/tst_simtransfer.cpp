// File transfers on the simulated device: line pacing on the pty, the
// transfer faults as the program sees them on the wire, and what state
// reports about the files received.
#include "tests/support/sim_process.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QSerialPort>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

#include <memory>

namespace {

constexpr int AnswerTimeoutMs = 3000;
constexpr int NoAnswerMs = 300;
constexpr int PacketBytes = 1024;
constexpr int TrailerBytes = 76;
constexpr int FileQuietMs = 60;
constexpr double BitsPerByte = 10.0;
// What a busy machine may add to a paced exchange.
constexpr double LateMs = 15;

// Reads up to the end of one answer ("ok" or "err" line); empty when nothing
// came within timeoutMs.
QByteArray readAnswer(QIODevice &port, int timeoutMs = AnswerTimeoutMs)
{
    QByteArray answer;
    QElapsedTimer clock;
    clock.start();
    while (!answer.endsWith("ok\r\n") && !answer.endsWith("err\r\n") && clock.elapsed() < timeoutMs) {
        if (port.bytesAvailable() || port.waitForReadyRead(int(qMax<qint64>(1, timeoutMs - clock.elapsed()))))
            answer += port.readAll();
    }
    return answer;
}

QByteArray sha1Hex(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray pattern(int size, int seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(i * 31 + seed);
    return bytes;
}

// The 76-byte check code of a payload; lengthDelta spoils its length field.
QByteArray checkCode(const QByteArray &payload, int lengthDelta = 0)
{
    QByteArray code = "ZQLD" + QByteArray(8, '\0') + QByteArray(4, '\0') + pattern(TrailerBytes - 16, 5);
    qToBigEndian<quint32>(quint32(payload.size() + lengthDelta), code.data() + 12);
    return code;
}

// The device's end of a connection: TCP, or the pty at a rate.
std::unique_ptr<QIODevice> openPort(SimProcess &sim, bool pty, int baud = QSerialPort::Baud115200)
{
    if (pty) {
        auto serial = std::make_unique<QSerialPort>(sim.ptyPath());
        serial->setBaudRate(baud);
        if (!serial->open(QIODevice::ReadWrite))
            return nullptr;
        return serial;
    }
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, sim.tcpPort());
    if (!socket->waitForConnected(AnswerTimeoutMs))
        return nullptr;
    return socket;
}

QStringList simArguments(SimProcess &sim, bool pty, int baud = 115200)
{
    QStringList arguments { QStringLiteral("--model"), QStringLiteral("8x16") };
    if (pty)
        arguments << QStringLiteral("--pty") << sim.suggestedPtyPath() << QStringLiteral("--baud")
                  << QString::number(baud);
    return arguments;
}

} // namespace

class TestSimTransfer final : public QObject
{
    Q_OBJECT

private slots:
    void answerTakesLineTime_data();
    void answerTakesLineTime();
    void firmwareStreamsAtLineRate();
    void firmwareFaults_data();
    void firmwareFaults();
    void slowDeviceAndReboot();
    void checkCodeNeedsNoQuiet();
    void edidUpload_data();
    void edidUpload();
    void heartbeatDoesNotKeepReceiving_data();
    void heartbeatDoesNotKeepReceiving();
};

void TestSimTransfer::answerTakesLineTime_data()
{
    QTest::addColumn<int>("baud");
    // "(get,sw)" on 8x16: 8 bytes in; 16 routing lines and "ok", 162 bytes out.
    QTest::newRow("9600") << 9600;
    QTest::newRow("115200") << 115200;
}

// Request and answer both take their bytes' time on the line.
void TestSimTransfer::answerTakesLineTime()
{
    QFETCH(int, baud);
    SimProcess sim;
    QVERIFY2(sim.start(simArguments(sim, true, baud)), qPrintable(sim.errorText()));
    auto port = openPort(sim, true, baud);
    QVERIFY(port);
    const QByteArray request = "(get,sw)";
    QElapsedTimer clock;
    clock.start();
    port->write(request);
    const QByteArray answer = readAnswer(*port);
    const double elapsedMs = clock.nsecsElapsed() / 1e6;
    QVERIFY2(answer.startsWith("out1in1\r\n") && answer.endsWith("ok\r\n"), answer.constData());
    const double lineMs = (request.size() + answer.size()) * BitsPerByte * 1000 / baud;
    // Each direction may hand its bytes on up to half a millisecond early.
    QVERIFY2(elapsedMs >= lineMs - 1 && elapsedMs <= lineMs * 1.03 + LateMs,
        qPrintable(QStringLiteral("%1 ms for %2 ms of line time").arg(elapsedMs).arg(lineMs)));
}

// 4 KiB written at once reach the device byte by byte: each packet is
// answered when its last byte is in, the fourth after 356 ms.
void TestSimTransfer::firmwareStreamsAtLineRate()
{
    SimProcess sim;
    QVERIFY2(sim.start(simArguments(sim, true)), qPrintable(sim.errorText()));
    auto port = openPort(sim, true);
    QVERIFY(port);
    port->write("(update,mcu,1)");
    QCOMPARE(readAnswer(*port), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    QElapsedTimer clock;
    clock.start();
    port->write(pattern(4 * PacketBytes, 1));
    QVector<double> ackMs;
    QByteArray received;
    while (ackMs.size() < 4 && clock.elapsed() < AnswerTimeoutMs) {
        if (!port->waitForReadyRead(AnswerTimeoutMs))
            break;
        received += port->readAll();
        while (received.count("ok\r\n") > ackMs.size())
            ackMs << clock.nsecsElapsed() / 1e6;
    }
    QCOMPARE(received, QByteArray("pack1\r\nok\r\npack2\r\nok\r\npack3\r\nok\r\npack4\r\nok\r\n"));
    // Never early; late only by what a busy machine adds.
    const double packetMs = PacketBytes * BitsPerByte * 1000 / 115200;
    for (int i = 0; i < 4; ++i) {
        const double expected = (i + 1) * packetMs + 11 * BitsPerByte * 1000 / 115200;
        QVERIFY2(ackMs[i] >= expected - 1 && ackMs[i] <= expected * 1.03 + LateMs,
            qPrintable(
                QStringLiteral("pack%1 after %2 ms, expected %3").arg(i + 1).arg(ackMs[i]).arg(expected)));
    }
}

void TestSimTransfer::firmwareFaults_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<QString>("fault");
    // What is written in turn: p1 ... p3 the packets, cc the check code, bad
    // a check code with a wrong length; and the answer to each ("" = none,
    // "closed" = the device closed the connection).
    QTest::addColumn<QStringList>("writes");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QString>("result");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<QString>("checkcode");

    const QStringList all { "p1", "p2", "p3", "cc" };
    const QString p1 = "pack1\r\nok\r\n", p2 = "pack2\r\nok\r\n", p3 = "pack3\r\nok\r\n",
                  p4 = "pack4\r\nok\r\n";
    const QString err = "err\r\n";
    QTest::newRow("good transfer") << false << "" << all << QStringList { p1, p2, p3, p4 } << "ok" << 2348
                                   << "ok";
    QTest::newRow("wrong length field") << false << "" << QStringList { "p1", "p2", "p3", "bad" }
                                        << QStringList { p1, p2, p3, err } << "bad" << 2348 << "bad";
    QTest::newRow("acknowledgement lost")
        << false << "ackdrop 2" << all << QStringList { p1, "", p3, p4 } << "ok" << 2348 << "ok";
    QTest::newRow("packet refused") << false << "packerr 2" << QStringList { "p1", "p2" }
                                    << QStringList { p1, err } << "err" << 1024 << "none";
    QTest::newRow("check code refused")
        << true << "packerr 4" << all << QStringList { p1, p2, p3, err } << "err" << 2348 << "none";
    QTest::newRow("dropped over TCP") << false << "dropafter 2" << QStringList { "p1", "p2", "p3" }
                                      << QStringList { p1, p2, "closed" } << "dropped" << 2048 << "none";
    QTest::newRow("silent on the pty")
        << true << "dropafter 2" << all << QStringList { p1, p2, "", "" } << "dropped" << 2048 << "none";
    QTest::newRow("program stops sending")
        << false << "" << QStringList { "p1" } << QStringList { p1 } << "timeout" << 1024 << "none";
}

void TestSimTransfer::firmwareFaults()
{
    QFETCH(bool, pty);
    QFETCH(QString, fault);
    QFETCH(QStringList, writes);
    QFETCH(QStringList, answers);
    QFETCH(QString, result);
    QFETCH(int, bytes);
    QFETCH(QString, checkcode);
    SimProcess sim;
    QVERIFY2(sim.start(simArguments(sim, pty)), qPrintable(sim.errorText()));
    bool ok = false;
    sim.command(QStringLiteral("set receivetimeout 500"), &ok);
    QVERIFY(ok);
    if (!fault.isEmpty())
        QVERIFY(sim.fault(fault));
    const QByteArray payload = pattern(2 * PacketBytes + 300, 3);
    const QMap<QString, QByteArray> pieces { { "p1", payload.left(PacketBytes) },
        { "p2", payload.mid(PacketBytes, PacketBytes) }, { "p3", payload.mid(2 * PacketBytes) },
        { "cc", checkCode(payload) }, { "bad", checkCode(payload, 1) } };

    auto port = openPort(sim, pty);
    QVERIFY(port);
    port->write("(update,fpga,2)");
    QCOMPARE(readAnswer(*port), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    for (int i = 0; i < writes.size(); ++i) {
        port->write(pieces.value(writes[i]));
        if (answers[i] == QLatin1String("closed")) {
            auto *socket = qobject_cast<QTcpSocket *>(port.get());
            QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QAbstractSocket::UnconnectedState, AnswerTimeoutMs);
            QCOMPARE(socket->readAll(), QByteArray());
        } else {
            QCOMPARE(readAnswer(*port, answers[i].isEmpty() ? NoAnswerMs : AnswerTimeoutMs),
                answers[i].toLatin1());
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(sim.state().value("receiving"), QStringLiteral("none"), AnswerTimeoutMs);
    const auto state = sim.state();
    QCOMPARE(state.value("payloads"), QStringLiteral("1"));
    QCOMPARE(state.value("payload1"),
        QStringLiteral("fpga,2,%1,%2,%3")
            .arg(bytes)
            .arg(QString::fromLatin1(sha1Hex(payload.left(bytes))), result));
    QCOMPARE(state.value("checkcode"), checkcode);
    // Requests are understood again, on the same line or a new connection.
    if (auto *socket = qobject_cast<QTcpSocket *>(port.get());
        socket && socket->state() != QAbstractSocket::ConnectedState)
        port = openPort(sim, pty);
    port->readAll();
    port->write("(sw,1,1)");
    QCOMPARE(readAnswer(*port), QByteArray("out1in1\r\nok\r\n"));
}

// Each packet is answered after the processing delay; after a good check
// code the device restarts: connections close and requests go unheard.
void TestSimTransfer::slowDeviceAndReboot()
{
    constexpr int PacketDelayMs = 250;
    constexpr int RebootMs = 1200;
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    QVERIFY(sim.fault(QStringLiteral("packetdelay %1").arg(PacketDelayMs)));
    QVERIFY(sim.fault(QStringLiteral("reboot %1").arg(RebootMs)));
    auto port = openPort(sim, false);
    QVERIFY(port);
    port->write("(update,mcu,1)");
    QCOMPARE(readAnswer(*port), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    const QByteArray payload = pattern(PacketBytes, 9);
    QElapsedTimer clock;
    for (const QByteArray &piece : { payload, checkCode(payload) }) {
        clock.start();
        port->write(piece);
        QVERIFY(readAnswer(*port).startsWith("pack"));
        QVERIFY2(clock.elapsed() >= PacketDelayMs - 5, qPrintable(QString::number(clock.elapsed())));
    }
    auto *socket = static_cast<QTcpSocket *>(port.get());
    QTRY_COMPARE_WITH_TIMEOUT(socket->state(), QAbstractSocket::UnconnectedState, AnswerTimeoutMs);
    QCOMPARE(sim.state().value("rebooting"), QStringLiteral("1"));
    auto again = openPort(sim, false);
    QVERIFY(again);
    again->write("(sw,1,1)");
    QCOMPARE(readAnswer(*again, NoAnswerMs), QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(
        sim.state().value("rebooting"), QStringLiteral("0"), RebootMs + AnswerTimeoutMs);
    again->write("(sw,1,1)");
    QCOMPARE(readAnswer(*again), QByteArray("out1in1\r\nok\r\n"));
    // The restarting device never heard the first one.
    QCOMPARE(sim.history().count(QStringLiteral("(sw,1,1)")), 1);
}

// A short packet is complete only after the line was quiet; a well-formed
// check code is answered at once.
void TestSimTransfer::checkCodeNeedsNoQuiet()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    auto port = openPort(sim, false);
    QVERIFY(port);
    port->write("(update,mcu,1)");
    QCOMPARE(readAnswer(*port), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    const QByteArray payload = pattern(300, 4);
    QElapsedTimer clock;
    clock.start();
    port->write(payload);
    QCOMPARE(readAnswer(*port), QByteArray("pack1\r\nok\r\n"));
    QVERIFY2(clock.elapsed() >= FileQuietMs - 5, qPrintable(QString::number(clock.elapsed())));
    clock.start();
    port->write(checkCode(payload));
    QCOMPARE(readAnswer(*port), QByteArray("pack2\r\nok\r\n"));
    QVERIFY2(clock.elapsed() < FileQuietMs / 2, qPrintable(QString::number(clock.elapsed())));
}

void TestSimTransfer::edidUpload_data()
{
    QTest::addColumn<bool>("pty");
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("size");
    QTest::addColumn<QList<QByteArray>>("writes"); // the confirmation as the device writes it

    QTest::newRow("stored") << false << QStringList() << 2 << 256
                            << QList<QByteArray> { "edid2updatedok\r\n" };
    // Packets back to back, more than the device buffers, stay one file.
    QTest::newRow("five packets on the pty")
        << true << QStringList() << 3 << 5000 << QList<QByteArray> { "edid3updatedok\r\n" };
    QTest::newRow("another slot confirmed")
        << false << QStringList { "edidslot 3" } << 1 << 128 << QList<QByteArray> { "edid3updatedok\r\n" };
    QTest::newRow("confirmation in two writes") << false << QStringList { "edidsplit on" } << 4 << 256
                                                << QList<QByteArray> { "edid4updated\r\n", "ok\r\n" };
}

void TestSimTransfer::edidUpload()
{
    QFETCH(bool, pty);
    QFETCH(QStringList, faults);
    QFETCH(int, slot);
    QFETCH(int, size);
    QFETCH(QList<QByteArray>, writes);
    SimProcess sim;
    QVERIFY2(sim.start(simArguments(sim, pty)), qPrintable(sim.errorText()));
    for (const QString &fault : qAsConst(faults))
        QVERIFY(sim.fault(fault));
    auto port = openPort(sim, pty);
    QVERIFY(port);
    port->write(QStringLiteral("(update,edid,%1)").arg(slot).toLatin1());
    QCOMPARE(readAnswer(*port), QByteArray("pleasesendedidfile\r\nok\r\n"));
    const QByteArray edid = pattern(size, 8);
    for (int at = 0; at < size; at += PacketBytes)
        port->write(edid.mid(at, PacketBytes));

    QByteArray confirmation;
    QElapsedTimer clock;
    qint64 firstMs = -1;
    qint64 lastMs = -1;
    while (confirmation.size() < writes.join().size() && port->waitForReadyRead(AnswerTimeoutMs)) {
        lastMs = clock.isValid() ? clock.elapsed() : 0;
        if (!clock.isValid())
            clock.start();
        firstMs = firstMs < 0 ? lastMs : firstMs;
        confirmation += port->readAll();
    }
    QCOMPARE(confirmation, writes.join());
    if (writes.size() > 1)
        QVERIFY2(lastMs - firstMs >= 40, qPrintable(QString::number(lastMs - firstMs)));

    const auto state = sim.state();
    const QString hash = QString::fromLatin1(sha1Hex(edid));
    QCOMPARE(state.value("payload1"), QStringLiteral("edid,%1,%2,%3,ok").arg(slot).arg(size).arg(hash));
    QCOMPARE(
        state.value(QStringLiteral("edidslot%1").arg(slot)), QStringLiteral("%1,%2").arg(size).arg(hash));
    QCOMPARE(state.value("customedid"), QStringLiteral("%1:%2").arg(slot).arg(size));
    QCOMPARE(state.value("receiving"), QStringLiteral("none"));
}

void TestSimTransfer::heartbeatDoesNotKeepReceiving_data()
{
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("keepsReceiving");
    QTest::newRow("heartbeat") << QByteArray("(get,sw)") << false;
    QTest::newRow("file bytes") << QByteArray("\x01(get,sw)") << true;
}

// Written 400 ms into an 800 ms receive time-out: a heartbeat-shaped chunk is
// taken as data but does not move the end; at 1000 ms a request is
// understood only if it did not.
void TestSimTransfer::heartbeatDoesNotKeepReceiving()
{
    constexpr int ReceiveTimeoutMs = 800;
    QFETCH(QByteArray, chunk);
    QFETCH(bool, keepsReceiving);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.errorText()));
    bool ok = false;
    sim.command(QStringLiteral("set receivetimeout %1").arg(ReceiveTimeoutMs), &ok);
    QVERIFY(ok);
    auto port = openPort(sim, false);
    QVERIFY(port);
    port->write("(update,mcu,1)");
    QCOMPARE(readAnswer(*port), QByteArray("pleasechooseupdatefile\r\nok\r\n"));
    QElapsedTimer clock;
    clock.start();
    port->write(pattern(PacketBytes, 2));
    QCOMPARE(readAnswer(*port), QByteArray("pack1\r\nok\r\n"));
    QTest::qWait(int(ReceiveTimeoutMs / 2 - clock.elapsed()));
    port->write(chunk);
    QCOMPARE(readAnswer(*port), QByteArray("pack2\r\nok\r\n"));
    QTest::qWait(int(ReceiveTimeoutMs * 5 / 4 - clock.elapsed()));
    port->write("(sw,1,1)");
    QCOMPARE(
        readAnswer(*port), keepsReceiving ? QByteArray("pack3\r\nok\r\n") : QByteArray("out1in1\r\nok\r\n"));
    if (!keepsReceiving)
        QCOMPARE(sim.state().value("payload1").section(QLatin1Char(','), -1), QStringLiteral("timeout"));
}

QTEST_GUILESS_MAIN(TestSimTransfer)
#include "tst_simtransfer.moc"
