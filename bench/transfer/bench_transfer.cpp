// Prints the firmware transfer's streaming speed against the simulator:
//  1. a 4 MiB image over loopback TCP through the firmware page's upgrade
//     button, the main window shown on the About view with its console:
//     payload bytes per streaming time (first packet to the check code's
//     "pack"), next to a plain socket doing the same stop-and-wait exchange;
//  2. the original design that reads acknowledgements by 50 ms polling, on
//     100 packets, and how many times faster (1) is;
//  3. a 256 KiB image over the simulator's pty at 115200 baud, as a share of
//     the line rate, next to the protocol's own ceiling. The window is one per
//     process, so this part runs in a second process of this binary
//     ("--serial"); "--tcp" runs parts 1 and 2 alone.
// Every transfer is checked on the device's side: the simulator must have
// taken exactly the payload (length and SHA-1) and accepted its check code.
// A missed target prints FAIL; the exit code is 0 unless a run could not be
// made at all.
#include <QApplication>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QIODevice>
#include <QProcess>
#include <QRadioButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/bench_support.h"
#include "bench/bench_window.h"
#include "link/protocol/protocol.h"
#include "link/transfer/transferfile.h"
#include "link/transport/devicelink.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/transfer/transferrunner.h"
#include "tests/support/sim_process.h"

namespace {
constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
constexpr qint64 TcpPayloadBytes = 4 * MiB;
constexpr qint64 PolledPayloadBytes = 100 * KiB; // 100 packets
constexpr qint64 SerialPayloadBytes = 256 * KiB;
constexpr int SerialBaud = 115200;
constexpr int BitsPerByte = 10; // start, 8 data, stop
// Every packet is followed by at most "pack<n>\r\nok\r\n" coming back.
constexpr int LongestAckBytes = 14;

constexpr double TargetTcpMiBps = 10.0;
constexpr double TargetPollingRatio = 500.0;
constexpr double TargetLineShare = 95.0;

// The waits around the streaming are not what is measured; shortened, they
// only keep the run short.
constexpr int ReadyWaitMs = 100;
constexpr int SuccessWaitMs = 100;
constexpr int TransferTimeoutMs = 120000;
constexpr int SerialProcessTimeoutMs = 300000;
constexpr int RawTimeoutMs = 2000;
constexpr int ReadyAnswerTimeoutMs = 2000;

const QString FirmwareKind = QStringLiteral("mcu");
// The plain socket's transfer goes to this MCU target.
const QString RawTarget = QStringLiteral("1");
const char SerialArgument[] = "--serial";
const char TcpArgument[] = "--tcp";

// A whole firmware file: the payload in a pattern that differs from packet
// to packet (so that a lost, repeated or swapped packet changes the digest),
// then the check block with the payload's length.
QByteArray firmwareFile(qint64 payloadBytes)
{
    QByteArray file(int(payloadBytes + FileTransfer::TrailerBytes), '\0');
    char *data = file.data();
    for (qint64 i = 0; i < payloadBytes; ++i)
        data[i] = char((i * 131 + (i >> 10) * 7 + 3) & 0xff);
    char *trailer = data + payloadBytes;
    std::memcpy(trailer, FileTransfer::TrailerMagic, 4);
    for (int i = 4; i < FileTransfer::TrailerBytes; ++i)
        trailer[i] = char(0x40 + i);
    qToBigEndian<quint32>(quint32(payloadBytes), trailer + FileTransfer::TrailerLengthOffset);
    return file;
}

QByteArray payloadDigest(const QByteArray &file)
{
    return QCryptographicHash::hash(
        file.left(file.size() - FileTransfer::TrailerBytes), QCryptographicHash::Sha1)
        .toHex();
}

const char *verdict(bool met)
{
    return met ? "PASS" : "FAIL";
}

double mibPerSecond(qint64 bytes, double ms)
{
    return ms > 0 ? double(bytes) / double(MiB) / (ms / 1000.0) : 0.0;
}

// The device's record of the latest file it received must be this image,
// taken whole and accepted.
bool deviceTookImage(SimProcess &sim, const QString &target, const QByteArray &file, QString *why)
{
    const QMap<QString, QString> state = sim.state();
    const QString last = state.value(QStringLiteral("payloads"));
    const QString record = state.value(QStringLiteral("payload") + last);
    const QString expected = QStringLiteral("%1,%2,%3,%4,ok")
                                 .arg(FirmwareKind, target)
                                 .arg(file.size() - FileTransfer::TrailerBytes)
                                 .arg(QString::fromLatin1(payloadDigest(file)));
    if (record == expected)
        return true;
    *why = QStringLiteral("device recorded \"%1\", expected \"%2\"").arg(record, expected);
    return false;
}

// Where a packet's round trip goes, read off the link's own signals while
// the packets stream: the program's side from an acknowledgement becoming
// readable to the next packet leaving, the device's side (simulator and
// loopback or line) from a packet leaving to its acknowledgement.
class LinkTrace
{
public:
    // A turnaround this long means the stream stood still (on loopback).
    static constexpr qint64 StallNs = 1000000;

    void attach(QIODevice *device, TransferRunner *runner)
    {
        m_events.reserve(20000);
        // The runner starts to show the transfer right after the first packet.
        QObject::connect(runner, &TransferRunner::Send_TransferShown, &m_context,
            [this](TransferRunner::Kind, bool visible) {
                if (visible)
                    m_on = true;
            });
        QObject::connect(runner, &TransferRunner::Send_TransferFinished, &m_context, [this] {
            m_on = false;
            m_finishedNs = m_clock.nsecsElapsed();
        });
        QObject::connect(device, &QIODevice::readyRead, &m_context, [this] { note(Read); });
        QObject::connect(device, &QIODevice::bytesWritten, &m_context, [this] { note(Written); });
        m_clock.start();
    }

    void print(int successWaitMs) const
    {
        std::vector<double> program;
        std::vector<double> device;
        // An acknowledgement may come in pieces; the last piece before the
        // next packet is the one the program acted on.
        qint64 packetLeft = -1;
        qint64 lastRead = -1;
        for (const Event &e : m_events) {
            if (e.kind == Read) {
                lastRead = e.ns;
                continue;
            }
            if (packetLeft >= 0 && lastRead > packetLeft) {
                device.push_back(double(lastRead - packetLeft) / 1000.0);
                program.push_back(double(e.ns - lastRead) / 1000.0);
                packetLeft = e.ns;
            } else if (packetLeft < 0) {
                packetLeft = e.ns;
            }
        }
        if (packetLeft >= 0 && lastRead > packetLeft)
            device.push_back(double(lastRead - packetLeft) / 1000.0);
        if (program.empty() || device.empty()) {
            std::printf("  link trace: nothing recorded\n");
            return;
        }
        printSide("program side (ack read -> next packet left)", program);
        // A device turnaround far over the plain socket's also holds time in
        // which the program's event loop was busy and read the ack late.
        printSide("device side (packet left -> ack read)", device);
        if (lastRead >= 0 && m_finishedNs >= 0)
            std::printf("  last ack to the report: %.1f ms (success wait %d ms)\n",
                double(m_finishedNs - lastRead) / 1e6, successWaitMs);
    }

private:
    enum Kind { Read, Written };

    static void printSide(const char *title, const std::vector<double> &us)
    {
        double sum = 0;
        double stalled = 0;
        int stalls = 0;
        for (double each : us) {
            sum += each;
            if (each * 1000.0 >= double(StallNs)) {
                stalled += each;
                ++stalls;
            }
        }
        const Bench::Figures f = Bench::figures(us);
        std::printf("  %-44s median %8.1f us, p99 %8.1f us, sum %7.1f ms; %d over %lld ms: %.1f ms\n", title,
            f.median, f.p99, sum / 1000.0, stalls, static_cast<long long>(StallNs / 1000000),
            stalled / 1000.0);
    }
    struct Event
    {
        Kind kind;
        qint64 ns;
    };
    void note(Kind kind)
    {
        if (m_on)
            m_events.push_back({ kind, m_clock.nsecsElapsed() });
    }

    QObject m_context;
    QElapsedTimer m_clock;
    std::vector<Event> m_events;
    bool m_on = false;
    qint64 m_finishedNs = -1;
};

struct Upgrade
{
    bool ok = false;
    QString why;
    TransferRunner::Figures figures;
    qint64 wallMs = 0; // from the button to the report
    std::shared_ptr<LinkTrace> trace;
};

// The operator's way: the file in the page's field, MCU and the first target
// chosen, the upgrade button; then the runner's report and the device's record.
Upgrade upgrade(MainWindow *window, SimProcess &sim, const QString &path, const QByteArray &file)
{
    Upgrade result;
    FirmwarePage *page = window->firmwarePage();
    auto *mcu = page->findChild<QRadioButton *>(QStringLiteral("radioButton_MCU"));
    auto *targets = page->findChild<QComboBox *>(QStringLiteral("comboBox_FirmwareUpdate"));
    if (!mcu || !targets) {
        result.why = QStringLiteral("firmware page widgets not found");
        return result;
    }
    page->setFirmwareFile(path);
    mcu->setChecked(true);
    page->on_radioButton_MCU_clicked(true);
    if (targets->count() == 0) {
        result.why = QStringLiteral("no MCU target offered");
        return result;
    }
    targets->setCurrentIndex(0);
    const QString target = targets->currentText().trimmed();

    TransferRunner *runner = window->transferRunner();
    result.trace = std::make_shared<LinkTrace>();
    result.trace->attach(window->currentDevice(), runner);
    bool finished = false;
    bool succeeded = false;
    const QMetaObject::Connection report = QObject::connect(
        runner, &TransferRunner::Send_TransferFinished, runner, [&](TransferRunner::Kind kind, bool ok) {
            if (kind == TransferRunner::Kind::Firmware) {
                finished = true;
                succeeded = ok;
            }
        });
    QElapsedTimer clock;
    clock.start();
    page->on_pushButton_upgrade_clicked();
    while (!finished && clock.elapsed() < TransferTimeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    result.wallMs = clock.elapsed();
    QObject::disconnect(report);
    result.figures = runner->lastFigures();
    if (!finished) {
        result.why = QStringLiteral("no report within %1 ms").arg(TransferTimeoutMs);
        return result;
    }
    if (!succeeded || result.figures.outcome != FileTransfer::Outcome::Succeeded) {
        result.why
            = QStringLiteral("transfer reported failure (outcome %1)").arg(int(result.figures.outcome));
        return result;
    }
    if (result.figures.bytes != file.size() - FileTransfer::TrailerBytes || result.figures.streamingMs <= 0) {
        result.why = QStringLiteral("implausible figures: %1 bytes in %2 ms")
                         .arg(result.figures.bytes)
                         .arg(result.figures.streamingMs);
        return result;
    }
    result.ok = deviceTookImage(sim, target, file, &result.why);
    return result;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
}

// The same stop-and-wait exchange over a plain socket: what the simulator
// and loopback take without the program. Milliseconds from the first packet
// to the check code's acknowledgement, or a negative value on failure.
double rawStreamMs(quint16 port, const QByteArray &file)
{
    QTcpSocket socket;
    if (!Bench::connectRaw(socket, port))
        return -1;
    double us = 0;
    const QByteArray announce = QString::fromLatin1(Protocol::Command::UpdateMcu).arg(RawTarget).toLatin1();
    if (!Bench::rawRoundTrip(socket, announce, &us, ReadyAnswerTimeoutMs))
        return -1;
    const qint64 payload = file.size() - FileTransfer::TrailerBytes;
    QElapsedTimer clock;
    clock.start();
    for (qint64 offset = 0; offset < payload; offset += FileTransfer::PacketBytes) {
        const int size = int(qMin<qint64>(FileTransfer::PacketBytes, payload - offset));
        if (!Bench::rawRoundTrip(socket, file.mid(int(offset), size), &us, RawTimeoutMs))
            return -1;
    }
    if (!Bench::rawRoundTrip(socket, file.right(FileTransfer::TrailerBytes), &us, RawTimeoutMs))
        return -1;
    return double(clock.nsecsElapsed()) / 1e6;
}

void printUpgrade(const Upgrade &u, qint64 packets)
{
    std::printf("  payload %lld bytes (%lld packets + check code)\n", static_cast<long long>(u.figures.bytes),
        static_cast<long long>(packets));
    std::printf("  streaming %lld ms, whole transfer %lld ms, button to report %lld ms\n",
        static_cast<long long>(u.figures.streamingMs), static_cast<long long>(u.figures.elapsedMs),
        static_cast<long long>(u.wallMs));
    std::printf(
        "  per packet round trip: %.1f us\n", double(u.figures.streamingMs) * 1000.0 / double(packets + 1));
    u.trace->print(SuccessWaitMs);
}

// The console's line count, the queued lines included.
int consoleLines(MainWindow *window)
{
    return int(window->consolePlainText().count(QLatin1Char('\n'))) + 1;
}

// One batch of progress messages shaped like the transfer's, appended to the
// visible console and painted (the stream stands still meanwhile): how long
// it took and how many lines the console grew by.
double consoleBatchUs(MainWindow *window, int messages, int *added)
{
    QVector<MainWindow::ConsoleMessage> batch;
    batch.reserve(messages);
    const qint64 at = QDateTime::currentMSecsSinceEpoch();
    for (int i = 0; i < messages; ++i)
        batch.append({ FileTransfer::ConsoleReceived,
            QStringLiteral("Single length of Send = 1024 \nTotal length of Send = %1 \n"
                           "File Total length = 4194304\n")
                .arg((i + 1) * FileTransfer::PacketBytes),
            at });
    const int before = consoleLines(window);
    QElapsedTimer clock;
    clock.start();
    window->appendConsoleBatch(batch);
    QCoreApplication::processEvents();
    const double us = double(clock.nsecsElapsed()) / 1000.0;
    *added = consoleLines(window) - before;
    return us;
}

// Microseconds per console line, with room below the console's line bound
// and at the bound, where every batch also removes the oldest lines.
struct ConsoleCost
{
    double belowBoundUs = 0;
    double atBoundUs = 0;
};

ConsoleCost measureConsole(MainWindow *window)
{
    constexpr int Messages = 500;
    constexpr int Batches = 3;
    window->on_pushButton_ClearWindow_clicked();
    std::vector<double> below;
    int linesPerBatch = 0;
    for (int b = 0; b < Batches; ++b) {
        const double us = consoleBatchUs(window, Messages, &linesPerBatch);
        below.push_back(us / std::max(1, linesPerBatch));
    }
    int added = 0;
    while (consoleLines(window) < MainWindow::ConsoleMaxLines)
        consoleBatchUs(window, Messages, &added);
    std::vector<double> at;
    for (int b = 0; b < Batches; ++b)
        at.push_back(consoleBatchUs(window, Messages, &added) / std::max(1, linesPerBatch));
    return { Bench::figures(below).median, Bench::figures(at).median };
}

// The About view of the system information page: where the console is.
void showConsole(MainWindow *window)
{
    window->on_pushButton_systemInformation_clicked();
    window->on_pushButton_About_clicked();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < Bench::SettleAfterStartMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
}

int runTcp(const QTemporaryDir &files)
{
    SimProcess sim;
    if (!sim.start({ QStringLiteral("--model"), QStringLiteral("8x16") })) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    MainWindow *window = Bench::openWindow(sim.tcpPort());
    if (!window)
        return 1;
    showConsole(window);
    TransferRunner *runner = window->transferRunner();
    runner->firmwareTiming.readyWaitMs = ReadyWaitMs;
    runner->firmwareTiming.successWaitMs = SuccessWaitMs;

    // 1. 4 MiB, woken by every acknowledgement.
    const QByteArray big = firmwareFile(TcpPayloadBytes);
    const QString bigPath = files.filePath(QStringLiteral("firmware-4mib.bin"));
    if (!writeFile(bigPath, big)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(bigPath));
        return 1;
    }
    runner->pacing = TransferRunner::Pacing::WakeOnData;
    const qint64 bigPackets = TcpPayloadBytes / FileTransfer::PacketBytes;
    const Upgrade fast = upgrade(window, sim, bigPath, big);
    std::printf("1. firmware 4 MiB over loopback TCP, console shown, acknowledgements read as they come\n");
    if (!fast.ok) {
        std::printf("  failed: %s\n", qPrintable(fast.why));
        return 1;
    }
    printUpgrade(fast, bigPackets);
    const double fastMiBps = mibPerSecond(fast.figures.bytes, double(fast.figures.streamingMs));
    const bool consoleShown
        = window->consolePlainText().contains(QStringLiteral("pack%1").arg(bigPackets + 1));
    std::printf("  console shows the check code's acknowledgement: %s\n", consoleShown ? "yes" : "NO");
    const double rawMs = rawStreamMs(sim.tcpPort(), big);
    if (rawMs > 0) {
        QString why;
        const bool rawTaken = deviceTookImage(sim, RawTarget, big, &why);
        std::printf("  plain socket, same exchange: %.1f ms, %.1f MiB/s (%.1f us per packet)%s\n", rawMs,
            mibPerSecond(TcpPayloadBytes, rawMs), rawMs * 1000.0 / double(bigPackets + 1),
            rawTaken ? "" : qPrintable(QStringLiteral(", device: ") + why));
    } else {
        std::printf("  plain socket, same exchange: failed\n");
    }
    std::printf("  throughput %.2f MiB/s   target >= %.0f MiB/s: %s\n", fastMiBps, TargetTcpMiBps,
        verdict(fastMiBps >= TargetTcpMiBps && consoleShown));
    std::fflush(stdout);

    // 2. The 50 ms polling design on 100 packets.
    const QByteArray small = firmwareFile(PolledPayloadBytes);
    const QString smallPath = files.filePath(QStringLiteral("firmware-100kib.bin"));
    if (!writeFile(smallPath, small)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(smallPath));
        return 1;
    }
    runner->pacing = TransferRunner::Pacing::FixedPoll;
    // From an empty console, to count the lines a packet brings.
    window->on_pushButton_ClearWindow_clicked();
    const int linesBefore = consoleLines(window);
    const Upgrade polled = upgrade(window, sim, smallPath, small);
    const int smallPackets = int(PolledPayloadBytes / FileTransfer::PacketBytes);
    const double linesPerPacket = double(consoleLines(window) - linesBefore) / double(smallPackets + 1);
    runner->pacing = TransferRunner::Pacing::WakeOnData;
    std::printf("2. firmware 100 KiB over loopback TCP, acknowledgements polled every %d ms\n",
        runner->firmwareTiming.pollMs);
    if (!polled.ok) {
        std::printf("  failed: %s\n", qPrintable(polled.why));
        return 1;
    }
    printUpgrade(polled, smallPackets);
    const double polledMiBps = mibPerSecond(polled.figures.bytes, double(polled.figures.streamingMs));
    const double ratio = polledMiBps > 0 ? fastMiBps / polledMiBps : 0.0;
    std::printf("  throughput %.4f MiB/s (%.0f B/s)\n", polledMiBps, polledMiBps * double(MiB));
    std::printf("  ratio (1) / (2): %.0f   target >= %.0f: %s\n", ratio, TargetPollingRatio,
        verdict(ratio >= TargetPollingRatio));

    // Where (1)'s time goes besides the wire: the console's share of a packet.
    const ConsoleCost console = measureConsole(window);
    const double packetUs = double(fast.figures.streamingMs) * 1000.0 / double(bigPackets + 1);
    std::printf(
        "console while streaming: %.1f lines per packet; per line %.1f us below the bound of %d lines, "
        "%.1f us at it\n",
        linesPerPacket, console.belowBoundUs, MainWindow::ConsoleMaxLines, console.atBoundUs);
    std::printf(
        "  per packet of (1): %.1f us, of which console about %.1f us (below the bound) to %.1f us (at it); "
        "plain socket %.1f us\n",
        packetUs, linesPerPacket * console.belowBoundUs, linesPerPacket * console.atBoundUs,
        rawMs > 0 ? rawMs * 1000.0 / double(bigPackets + 1) : 0.0);
    std::fflush(stdout);
    return 0;
}

// Opens the window on the pty and applies the device's size, as
// Bench::openWindow does over TCP.
MainWindow *openSerialWindow(const QString &pty)
{
    MainWindow *window = MainWindow::getInstance();
    QObject::disconnect(window->deviceLink(), &DeviceLink::Send_HeartbeatDue, window, nullptr);
    window->resize(1366, 768);
    window->show();
    window->setPortname(pty);
    window->setMyBaud_Rate(QString::number(SerialBaud));
    if (!window->Open_Serial_Port(1) || window->connectionType != DeviceLink::SerialConnection) {
        std::fprintf(stderr, "could not open %s\n", qPrintable(pty));
        return nullptr;
    }
    QString linkAnswer;
    if (!window->sendDataDevice(QStringLiteral("(info,link)"), linkAnswer)) {
        std::fprintf(stderr, "no signal status over the serial line\n");
        return nullptr;
    }
    window->Data_Processing(linkAnswer);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < Bench::SettleAfterStartMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return window;
}

int runSerial(const QTemporaryDir &files)
{
    SimProcess sim;
    if (!sim.start({ QStringLiteral("--model"), QStringLiteral("8x16"), QStringLiteral("--pty"),
            sim.suggestedPtyPath(), QStringLiteral("--baud"), QString::number(SerialBaud) })) {
        std::fprintf(stderr, "simulator: %s\n", qPrintable(sim.errorText()));
        return 1;
    }
    MainWindow *window = openSerialWindow(sim.ptyPath());
    if (!window)
        return 1;
    showConsole(window);
    TransferRunner *runner = window->transferRunner();
    runner->firmwareTiming.readyWaitMs = ReadyWaitMs;
    runner->firmwareTiming.successWaitMs = SuccessWaitMs;
    runner->pacing = TransferRunner::Pacing::WakeOnData;

    const QByteArray file = firmwareFile(SerialPayloadBytes);
    const QString path = files.filePath(QStringLiteral("firmware-256kib.bin"));
    if (!writeFile(path, file)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return 1;
    }
    const Upgrade serial = upgrade(window, sim, path, file);
    std::printf("3. firmware 256 KiB over the simulator's pty at %d baud, console shown\n", SerialBaud);
    if (!serial.ok) {
        std::printf("  failed: %s\n", qPrintable(serial.why));
        return 1;
    }
    printUpgrade(serial, SerialPayloadBytes / FileTransfer::PacketBytes);
    const double lineBytesPerSecond = double(SerialBaud) / BitsPerByte;
    const double bytesPerSecond = double(serial.figures.bytes) * 1000.0 / double(serial.figures.streamingMs);
    const double share = 100.0 * bytesPerSecond / lineBytesPerSecond;
    const double ceiling = 100.0 * FileTransfer::PacketBytes / (FileTransfer::PacketBytes + LongestAckBytes);
    std::printf("  %.0f B/s = %.2f%% of the line rate %.0f B/s (protocol ceiling %d / %d = %.2f%%)\n",
        bytesPerSecond, share, lineBytesPerSecond, FileTransfer::PacketBytes,
        FileTransfer::PacketBytes + LongestAckBytes, ceiling);
    std::printf("  (a packet leaves once \"pack<n>\" is read, while the rest of its acknowledgement still\n"
                "  arrives on the line's other direction: the share can pass that ceiling)\n");
    std::printf(
        "  target >= %.0f%% of the line rate: %s\n", TargetLineShare, verdict(share >= TargetLineShare));
    std::fflush(stdout);
    return 0;
}

// The serial part in a fresh process of this binary, its output on ours.
int runSerialProcess()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), { QString::fromLatin1(SerialArgument) });
    if (!child.waitForStarted() || !child.waitForFinished(SerialProcessTimeoutMs)) {
        std::fprintf(stderr, "serial part did not finish: %s\n", qPrintable(child.errorString()));
        child.kill();
        child.waitForFinished();
        return 1;
    }
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : 1;
}
} // namespace

int main(int argc, char *argv[])
{
    Bench::prepareEnvironment(TRIVANE_SIM_PATH);
    QApplication app(argc, argv);
    const Bench::Session session(QtWarningMsg);
    QTemporaryDir files;
    if (!files.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }
    if (app.arguments().contains(QString::fromLatin1(SerialArgument)))
        return runSerial(files);
    const int tcp = runTcp(files);
    if (tcp != 0 || app.arguments().contains(QString::fromLatin1(TcpArgument)))
        return tcp;
    return runSerialProcess();
}
