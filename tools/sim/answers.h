#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Every text the simulated matrix sends, written once. The device answers in
// lines ended by CR LF; an answer that completes normally ends with the line
// "ok". Templates take QString-style %1, %2 ... arguments.
//
// Forms (after the receiver has removed CR LF pairs and blanks):
//   routing            out5in3ok, out1in1out2in1...ok
//   signal status      ch8x16inYYNNYYNNoutYYYY...ok
//   input resolution   in1res1920x1080@60Hzok   (all inputs: one line per input)
//   output resolution  out1res1920x1080@60Hzok
//   device information <name>systemonunlockok
//   network            ip192.168.0.178mask255.255.255.0gateway192.168.0.1ok
//   wall size          splicermodegroup1is2x4ok
//   wall positions     splicerpositiongroup:1,port:2,x:1,y:1;group:1,port:3,x:1,y:2;ok
//   wall bezel         splicerbordersetgroup1h10v20ok
//   wall source        splicergroup1source2ok
//   wall cleared / set splicercleargroup1ok, splicerok
//   partition          group1splittermodeis3ok, group1splittervideoABCD1234ok
namespace SimAnswers {

// Single lines; the caller joins them with lines() or lines() + the ok line.
inline const QString RouteLine = QStringLiteral("out%1in%2");
inline const QString SignalChannel = QStringLiteral("ch%1x%2");
inline const QString SignalInputs = QStringLiteral("in%1");
inline const QString SignalOutputs = QStringLiteral("out%1");
inline const QString InputResolution = QStringLiteral("in%1res%2");
inline const QString OutputResolution = QStringLiteral("out%1res%2");
inline const QString OutputFormat = QStringLiteral("outputhdmi%1formatis%2");
inline const QString OutputHdcpBlocksDvi = QStringLiteral("output%1enabledhdcp");
inline const QString OutputBrightness = QStringLiteral("output%1brightness%2");
inline const QString OutputContrast = QStringLiteral("output%1contrast%2");
inline const QString OutputExternalAudio = QStringLiteral("output%1externalaudio%2");
inline const QString AudioOn = QStringLiteral("on");
inline const QString AudioOff = QStringLiteral("off");
inline const QString InputEdid = QStringLiteral("in%1edid%2");
inline const QString CecSent = QStringLiteral("cec,%1");
inline const QString WallMode = QStringLiteral("splicermodegroup%1is%2x%3");
inline const QString WallPositionsHead = QStringLiteral("splicerposition");
inline const QString WallPositionRecord = QStringLiteral("group:%1,port:%2,x:%3,y:%4;");
inline const QString WallBorder = QStringLiteral("splicerbordersetgroup%1h%2v%3");
inline const QString WallCleared = QStringLiteral("splicercleargroup%1");
// Ends in "ok" itself: the wall has been set.
inline const QString WallSet = QStringLiteral("splicerok");
// Followed by the ok line like every other answer.
inline const QString WallSource = QStringLiteral("splicergroup%1source%2");
inline const QString SplitMode = QStringLiteral("group%1splittermodeis%2");
inline const QString SplitVideo = QStringLiteral("group%1splittervideoABCD%2%3%4%5");
inline const QString SceneSaved = QStringLiteral("scene%1saved");
inline const QString SceneCalled = QStringLiteral("scene%1called");
inline const QString SceneDeleted = QStringLiteral("scene%1deleted");
inline const QString SceneState = QStringLiteral("scene%1is%2ready");
inline const QString SceneStored = QStringLiteral("be");
inline const QString SceneEmpty = QStringLiteral("not");
inline const QString PollingList = QStringLiteral("scenepollinglist%1");
inline const QString PollingListEmpty = QStringLiteral("scenepollinglistempty");
inline const QString PollingTime = QStringLiteral("scenepollingtime%1s");
inline const QString PollingEnabled = QStringLiteral("scenepollingenable");
inline const QString PollingDisabled = QStringLiteral("scenepollingdisable");
inline const QString PollingCalled = QStringLiteral("scenepolling%1called");
inline const QString SystemOn = QStringLiteral("systemon");
inline const QString SystemOff = QStringLiteral("systemoff");
inline const QString KeysLocked = QStringLiteral("lock");
inline const QString KeysUnlocked = QStringLiteral("unlock");
inline const QString FactoryReset = QStringLiteral("factoryreset");
inline const QString VersionControl = QStringLiteral("mcuctrl%1");
inline const QString VersionReceiver = QStringLiteral("mcurx%1");
inline const QString VersionTransmitter = QStringLiteral("mcutx%1");
inline const QString ProductName = QStringLiteral("productname");
inline const QString InBaud = QStringLiteral("inbaudrate%1");
inline const QString OutBaud = QStringLiteral("outbaudrate%1");
inline const QString BaudBanner = QStringLiteral("Baudrate:%1");
inline const QString NetAddress = QStringLiteral("ip%1");
inline const QString NetMask = QStringLiteral("mask%1");
inline const QString NetGateway = QStringLiteral("gateway%1");
inline const QString ReadyForFirmware = QStringLiteral("pleasechooseupdatefile");
inline const QString ReadyForEdid = QStringLiteral("pleasesendedidfile");
inline const QString PacketAccepted = QStringLiteral("pack%1");
// Ends in "ok" itself.
inline const QString EdidStored = QStringLiteral("edid%1updatedok");
// The same confirmation as two lines: this one, then the "ok" line.
inline const QString EdidUpdated = QStringLiteral("edid%1updated");
// One line ending in ",ok": the subtitle settings of a port.
inline const QString Subtitle = QStringLiteral("input%1osd:%2,pos:%3,color:%4,string:");
inline const QString SubtitleEnd = QStringLiteral(",ok");
inline const QString SubtitleOn = QStringLiteral("enable");
inline const QString SubtitleOff = QStringLiteral("disable");
inline const QString Ok = QStringLiteral("ok");
inline const QString Error = QStringLiteral("err");
// Unsolicited output of a device that never pauses.
inline const QString ChatterLine = QStringLiteral("boot:selftest %1");

inline const QStringList SubtitleColours = { QStringLiteral("white"), QStringLiteral("red"),
    QStringLiteral("green"), QStringLiteral("blue"), QStringLiteral("black") };

// Output resolutions by their 1-based command value; 14 and 15 exist on Orvex-T only.
inline const QStringList OutputResolutions = { QStringLiteral("1920x1200@60Hz"),
    QStringLiteral("1920x1080@60Hz"), QStringLiteral("1280x720@60Hz"), QStringLiteral("1360x768@60Hz"),
    QStringLiteral("1280x1024@60Hz"), QStringLiteral("1024x768@60Hz"), QStringLiteral("1600x1200@60Hz"),
    QStringLiteral("1440x900@60Hz"), QStringLiteral("1600x900@60Hz"), QStringLiteral("1280x720@50Hz"),
    QStringLiteral("1920x1080@50Hz"), QStringLiteral("3840x2160@30Hz"), QStringLiteral("4096x2160@30Hz"),
    QStringLiteral("3840x2160@60Hz"), QStringLiteral("4096x2160@60Hz") };
inline const QString InputSignalResolution = QStringLiteral("1920x1080@60Hz");
inline const QString NoSignalResolution = QStringLiteral("0x0@0Hz");

// Lines joined with CR LF, each ended by CR LF, as Latin-1 bytes.
QByteArray lines(const QStringList &textLines);
// The same followed by the "ok" line.
QByteArray linesOk(const QStringList &textLines);
// A malformed or refused request.
QByteArray error();
// "pack<n>" and the ok line, built without text conversion: it answers every
// firmware packet.
QByteArray packetAccepted(int packet);

} // namespace SimAnswers
