// Feeds arbitrary device bytes through the receive path's text handling and
// the reply dispatcher. Built as a libFuzzer target with clang, and linked
// with fuzz_driver.cpp as a bounded noise test otherwise.
#include "link/dispatch/replydispatcher.h"
#include "link/protocol/protocol.h"
#include "link/transfer/filetransfer.h"
#include "link/transfer/transferfile.h"
#include "mainwindow/cec/cecmodel.h"
#include "mainwindow/edid/edidmodel.h"
#include "mainwindow/output/outputmodel.h"
#include "mainwindow/partition/partitionmodel.h"
#include "mainwindow/scenes/scenemodel.h"
#include "mainwindow/subtitle/subtitlemodel.h"
#include "mainwindow/switching/switchingmodel.h"
#include "mainwindow/system/systemmodel.h"
#include "mainwindow/wall/wallmodel.h"
#include "tests/support/dispatch_nullsink.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Answers synchronous requests with the input itself, so the wake-up
// sequence dispatches noise too.
class EchoSink final : public NullDispatchSink
{
public:
    QString echo;
    bool sendRequestSync(const QString &, QString &answer, QString &raw) override
    {
        answer = Protocol::compact(echo);
        raw = echo;
        return true;
    }
    QList<LocalAddress> localAddresses() const override { return {{QStringLiteral("127.0.0.1"), 8}}; }
    bool netcfgSetting() const override { return netcfg; }
    void setNetcfgSetting(bool on) override { netcfg = on; }
    bool netcfg = false;
};

// A link that takes every write at once and shows nothing.
class QuietPort final : public FileTransfer::TransferPort
{
public:
    bool write(const QByteArray &) override { return true; }
    qint64 bytesToWrite() const override { return 0; }
    void console(int, const QString &) override {}
    void progress(int) override {}
};

// The device's noise during both transfers, in every phase they wait in,
// and the same bytes taken as a firmware file.
void feedTransfers(const QByteArray &bytes, const QString &raw)
{
    (void)FileTransfer::checkFirmware(bytes);
    (void)FileTransfer::confirmedEdidSlot(Protocol::compact(raw));
    (void)FileTransfer::FirmwareImage::fromFile(bytes);
    QuietPort port;
    const QByteArray file(FileTransfer::PacketBytes + 100, 'x');
    QByteArray trailer(FileTransfer::TrailerBytes, '\0');
    trailer.replace(0, 4, FileTransfer::TrailerMagic);
    trailer[FileTransfer::TrailerLengthOffset + 2] = char(file.size() >> 8);
    trailer[FileTransfer::TrailerLengthOffset + 3] = char(file.size() & 0xff);
    if (auto image = FileTransfer::FirmwareImage::fromFile(file + trailer)) {
        FileTransfer::FirmwareTransfer firmware(port, *image);
        firmware.start(0);
        firmware.tick(firmware.nextDueMs());
        for (int i = 0; i < 4 && !firmware.finished(); ++i) {
            firmware.received(raw, 2000 + i);
            firmware.tick(2000 + i);
        }
    }
    FileTransfer::EdidTransfer edid(port, file, QStringLiteral("2"), 9600);
    edid.start(0);
    edid.tick(edid.nextDueMs());
    edid.received(raw, 1500);
    edid.tick(1600);
    edid.received(raw, 1700);
    edid.tick(edid.nextDueMs());
}

// A broken promise of a parser is a fault even when nothing crashes.
void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Big enough for every window of every split mode to be non-empty.
constexpr int RoomyTile = 48;

// The wall answers as the splicing page reads them, and the walls it would
// build from them.
void feedWall(const QString &text)
{
    if (const auto mode = Wall::parseMode(text)) {
        require(mode->rows >= 1 && mode->columns >= 1, "wall size below 1x1");
        for (const int max : { Wall::DefaultMaxScreens, Wall::MaxPorts }) {
            if (Wall::checkSize(mode->rows, mode->columns, max) != Wall::SizeCheck::Ok)
                continue;
            require(qint64(mode->rows) * mode->columns <= max, "accepted wall larger than allowed");
            const Wall::Layout layout(mode->rows, mode->columns);
            require(layout.count() == mode->rows * mode->columns, "wall screen count");
            const Wall::Screen last = layout.screen(layout.count() - 1);
            require(last.row == mode->rows && last.column == mode->columns, "last screen position");
            require(layout.indexAt(last.row, last.column) == layout.count() - 1, "screen index");
        }
    }
    if (const auto border = Wall::parseBorder(text))
        require(border->first >= 0 && border->second >= 0, "negative bezel");
    if (const auto source = Wall::parseSource(text))
        require(*source >= 1 && *source <= Wall::MaxPorts, "wall source out of range");

    // Bound the way the page binds: each record through the one bind routine.
    Wall::Layout layout;
    for (const Wall::PositionRecord &record : Wall::parsePositions(text)) {
        require(record.group >= 0 && record.port >= 0 && record.row >= 0 && record.column >= 0,
                "negative position field");
        const int index = layout.indexAt(record.row, record.column);
        if (index >= 0 && record.port >= 1 && record.port <= Wall::MaxPorts)
            layout.bind(index, record.port);
    }
    for (int port = 1; port <= Wall::MaxPorts; ++port)
        require(layout.screensBoundTo(port).size() <= 1, "port bound to two screens");
    (void)Wall::positionsCommand(layout);
}

// The partition answers, and the preview of the mode they name at a tile
// size taken from the input.
void feedPartition(const QString &text, int right, int bottom)
{
    if (const auto mode = Partition::parseMode(text)) {
        require(mode->group >= 1 && mode->group <= Partition::Groups, "partition group out of range");
        require(mode->mode >= 0 && mode->mode < Partition::Modes, "split mode out of range");
        const QVector<QRect> rects = Partition::windowRects(mode->mode, right, bottom);
        require(rects.size() == qMax(1, Partition::windowCount(mode->mode)), "window count");
        const QRect tile(QPoint(0, 0), QPoint(right, bottom));
        for (const QRect &window : rects) {
            require(window.isEmpty() || tile.contains(window), "window outside its tile");
            require(!window.isEmpty() || right < RoomyTile || bottom < RoomyTile, "empty window in a roomy tile");
        }
        if (!rects.isEmpty())
            (void)Partition::labelRectA(mode->mode, rects.first());
    }
    if (const auto windows = Partition::parseWindows(text)) {
        require(windows->group >= 1 && windows->group <= Partition::Groups, "window group out of range");
        for (const int position : windows->positions) {
            require(position >= 0 && position <= Partition::InputsPerGroup, "window input out of range");
            if (position != 0) {
                const int input = Partition::absoluteInput(windows->group, position);
                require(input >= 1 && input <= Partition::Groups * Partition::InputsPerGroup, "absolute input");
            }
        }
    }
}

// Tile sizes from the input's length, small and negative ones included.
constexpr int TileSpread = 700;
constexpr int TileOffset = 8;

void feedPages(const QString &text, size_t size)
{
    feedWall(text);
    feedPartition(text, int(size % TileSpread) - TileOffset, int((size * 31) % TileSpread) - TileOffset);
}

struct Harness
{
    EchoSink sink;
    ReplyDispatcher dispatcher{sink};

    Harness()
    {
        DispatchTimings zero;
        zero.factoryResetMs = zero.wakeUpDelay4x4Ms = zero.wakeUpDelayMs = zero.networkReconnectMs = 0;
        zero.wakeUpResolutionGapMs = 0;
        dispatcher.setTimings(zero);
        // The pages' parsers read their branches, and the scene branches edit
        // the working copy the way the scene block does.
        dispatcher.setBranchHandler(Protocol::Answer::ScenePollingDisable, [](ReplyDispatcher::BranchCall &c) {
            c.work.remove(QStringLiteral("scenepollingdisableok"));
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::ScenePollingList, [](ReplyDispatcher::BranchCall &c) {
            if (const auto list = Scenes::pollingList(c.work))
                c.work.remove(list->begin, list->length);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::SceneReady, [](ReplyDispatcher::BranchCall &c) {
            (void)Scenes::storedScenes(c.work);
            (void)Scenes::sceneCheck(c.work);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::ScenePollingTime, [](ReplyDispatcher::BranchCall &c) {
            (void)Scenes::pollingInterval(c.work);
            (void)Scenes::pollingCalledScene(c.work);
            (void)Scenes::savedScene(c.work);
            (void)Scenes::calledScene(c.work);
            (void)Scenes::deletedScene(c.work);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::Routing, [](ReplyDispatcher::BranchCall &c) {
            return Switching::parseRouting(c.work).outOfRange ? ReplyDispatcher::Flow::End
                                                              : ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::InputResolution, [](ReplyDispatcher::BranchCall &c) {
            return Switching::parseInputResolutions(c.work).outOfRange ? ReplyDispatcher::Flow::End
                                                                       : ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::Brightness, [](ReplyDispatcher::BranchCall &c) {
            (void)Output::parseBrightness(c.work);
            (void)Output::parseContrast(c.work);
            (void)Output::parseExternalAudio(c.work);
            (void)Output::parseFormat(c.work);
            (void)Output::parseHdcpRefusal(c.work);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::OutputResolution, [](ReplyDispatcher::BranchCall &c) {
            return Output::parseOutputResolutions(c.work).outOfRange ? ReplyDispatcher::Flow::End
                                                                     : ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::InputEdid, [](ReplyDispatcher::BranchCall &c) {
            (void)Edid::parseInputEdids(c.work);
            // Stored CEC commands are operator text; the same bytes make a fair test of their reader.
            if (const auto command = Cec::parseStoredCommand(c.raw.isEmpty() ? c.work : c.raw))
                (void)Cec::buildCommand(command->type.value_or(1) == 2, command->fields);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::InputBaudRate, [](ReplyDispatcher::BranchCall &c) {
            (void)System::parseBaudAnswer(c.work, System::SerialPort::Input);
            (void)System::parseBaudAnswer(c.work, System::SerialPort::Output);
            (void)System::parseNetworkAnswer(c.work);
            // Device names are operator text; the same bytes test their check.
            (void)System::checkDeviceName(c.raw.isEmpty() ? c.work : c.raw);
            return ReplyDispatcher::Flow::Continue;
        });
        dispatcher.setBranchHandler(Protocol::Answer::Osd, [](ReplyDispatcher::BranchCall &c) {
            (void)Subtitle::parseAnswer(c.work, c.raw);
            (void)Subtitle::checkText(Subtitle::wireText(c.raw.isEmpty() ? c.work : c.raw));
            return ReplyDispatcher::Flow::Continue;
        });
        // The wall and partition branches read what the dispatcher hands them.
        for (const auto answer : { Protocol::Answer::SplicerMode, Protocol::Answer::SplicerBorder,
                                   Protocol::Answer::SplicerPosition, Protocol::Answer::SplicerSource,
                                   Protocol::Answer::SplitMode, Protocol::Answer::SplitVideo }) {
            dispatcher.setBranchHandler(answer, [](ReplyDispatcher::BranchCall &c) {
                feedPages(c.work, size_t(c.work.size()));
                return ReplyDispatcher::Flow::Continue;
            });
        }
        dispatcher.setBranchHandler(Protocol::Answer::FirmwareReady, [](ReplyDispatcher::BranchCall &c) {
            return c.work.size() % 2 ? ReplyDispatcher::Flow::End : ReplyDispatcher::Flow::Continue;
        });
    }
};

Harness &harness()
{
    static int argc = 1;
    static char name[] = "fuzz_dispatch";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static Harness h;
    return h;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Harness &h = harness();
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const QString raw = Protocol::decode(bytes);
    const QString text = Protocol::compact(raw);

    // The first byte picks the flags the answer meets.
    const unsigned char mode = size ? data[0] : 0;
    h.dispatcher.state().wakePending = mode & 1;
    h.dispatcher.state().modelApplied = mode & 2;
    h.sink.netcfg = mode & 4;
    h.sink.model = (mode & 8) ? QStringLiteral("16x16") : QStringLiteral("4x4");
    h.sink.echo = raw;

    feedTransfers(bytes, raw);
    feedPages(text, size);
    feedPages(QString::fromLatin1(bytes), size);
    (void)Protocol::isErrorReply(raw);
    (void)Protocol::hasLineEndingOk(raw);
    (void)Protocol::answerEnd(QLatin1String(Protocol::Command::InfoDevice), raw);
    (void)Protocol::answerEnd(QLatin1String(Protocol::Command::GetSwitch), raw);
    h.dispatcher.dispatch(text, raw);
    h.dispatcher.dispatch(QString::fromLatin1(bytes), QString());
    // Let the delayed steps (wake-up, reconnects) run on the same noise.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    return 0;
}
