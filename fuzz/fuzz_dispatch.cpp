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
#include "mainwindow/scenes/scenemodel.h"
#include "mainwindow/subtitle/subtitlemodel.h"
#include "mainwindow/switching/switchingmodel.h"
#include "mainwindow/system/systemmodel.h"
#include "tests/support/dispatch_nullsink.h"

#include <QCoreApplication>

#include <cstddef>
#include <cstdint>

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
