#pragma once

#include <QByteArray>
#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <initializer_list>
#include <optional>

// The device's text protocol in one place: the request templates, request
// building, the wire codec, the answer keyword table, value cutting and the
// per-port status strings. Pure functions only; nothing here touches a port.
namespace Protocol {

// Request templates. Placeholders %1, %2 ... are filled by build().
namespace Command {
inline constexpr char GetSwitch[] = "(get,sw)";
inline constexpr char SwitchOne[] = "(sw,%1,%2)";
inline constexpr char SwitchAll[] = "(sw,%1,a)";
inline constexpr char GetInputResolution[] = "(get,i.res,%1)";
inline constexpr char GetOutputResolution[] = "(get,o.res,%1)";
inline constexpr char SetOutputResolution[] = "(set,o.res,%1,%2)";
inline constexpr char GetOutputFormat[] = "(get,o.format,%1)";
inline constexpr char SetOutputFormat[] = "(set,o.format,%1,%2)";
inline constexpr char GetBrightness[] = "(get,brightness,%1)";
inline constexpr char SetBrightness[] = "(set,brightness,%1,%2)";
inline constexpr char GetContrast[] = "(get,contrast,%1)";
inline constexpr char SetContrast[] = "(set,contrast,%1,%2)";
inline constexpr char GetExternalAudio[] = "(get,ext.audio,%1)";
inline constexpr char SetExternalAudio[] = "(set,ext.audio,%1,%2)";
inline constexpr char GetInputEdid[] = "(get,i.edid,%1)";
inline constexpr char ConfigEdid[] = "(edid,config,%1,%2)";
inline constexpr char SetEdidExample[] = "(set,edid,1,1)";
inline constexpr char Cec[] = "(cec,%1,%2)";
inline constexpr char GetSplicerMode[] = "(get,splicermode,1)";
inline constexpr char SetSplicerMode[] = "(set,splicermode,1,%1,%2)";
inline constexpr char GetSplicerPosition[] = "(get,splicerpos,1)";
inline constexpr char SetSplicerPosition[] = "(set,splicerpos,1,%1,%2)";
inline constexpr char GetSplicerBorder[] = "(get,splicerbord,1)";
inline constexpr char SetSplicerBorder[] = "(set,splicerbord,1,%1,%2)"; // %1 vertical, %2 horizontal
inline constexpr char SplicerClear[] = "(set,splicerclear,1)";
inline constexpr char SplicerEnable[] = "(set,splicerenable,1)";
inline constexpr char SetSplicerSource[] = "(set,splicersrc,%1,%2)";
inline constexpr char GetSplitMode[] = "(get,splitmode,%1)";        // %1 group 1..4
inline constexpr char SetSplitMode[] = "(set,splitmode,%1,%2)";
inline constexpr char GetSplitAvSwitch[] = "(get,splitavsw,%1)";    // %1 group 1..4
inline constexpr char SetSplitAvSwitch[] = "(set,splitavsw,%1,%2,%3)"; // group, input, window 1..4
inline constexpr char SceneSave[] = "(scene,save,%1)";
inline constexpr char SceneCall[] = "(scene,call,%1)";
inline constexpr char SceneDelete[] = "(scene,del,%1)";
inline constexpr char SceneStatus[] = "(scene,sta,%1)";             // "0" = all scenes
inline constexpr char SceneListStatus[] = "(scene,liststa)";
inline constexpr char SceneGetTime[] = "(scene,gettime)";
inline constexpr char SceneSetTime[] = "(scene,time,%1)";
inline constexpr char ScenePollingStart[] = "(scene,polling,1)";
inline constexpr char ScenePollingStop[] = "(scene,polling,0)";
inline constexpr char ScenePollingStatus[] = "(scene,pollsta)";
inline constexpr char InfoDevice[] = "(info,dev)";
inline constexpr char InfoLink[] = "(info,link)";
inline constexpr char Version[] = "(ver)";
inline constexpr char RenameProduct[] = "(rename,product,%1)";
inline constexpr char GetInputBaud[] = "(get,i.baud)";
inline constexpr char SetInputBaud[] = "(set,i.baud,%1)";
inline constexpr char GetOutputBaud[] = "(get,o.baud)";
inline constexpr char SetOutputBaud[] = "(set,o.baud,%1)";
inline constexpr char BaudBanner[] = "(cer)";
inline constexpr char GetNetConfig[] = "(get,netcfg)";
inline constexpr char SetNetConfig[] = "(set,netcfg,%1,%2,%3)";
inline constexpr char Standby[] = "(standby)";
inline constexpr char WakeUp[] = "(wakeup)";
inline constexpr char KeyLock[] = "(lock,1)";
inline constexpr char KeyUnlock[] = "(lock,0)";
inline constexpr char FactoryReset[] = "(reset)";
inline constexpr char UpdateMcu[] = "(update,mcu,%1)";
inline constexpr char UpdateFpga[] = "(update,fpga,%1)";
inline constexpr char UpdateEdid[] = "(update,edid,%1)";
inline constexpr char SetOsd[] = "(set,osd,%1,%2,%3,%4,%5)";
inline constexpr char GetOsd[] = "(get,osd,%1)";
// Console-only texts: they drive the heartbeat timer and are never sent.
inline constexpr char OpenHeartbeat[] = "(open,heartbeat)";
inline constexpr char CloseHeartbeat[] = "(close,heartbeat)";
} // namespace Command

// One argument of a request: a decimal integer or a text taken literally.
class Arg
{
public:
    Arg(int value) : m_text(QString::number(value)) {}
    Arg(const QString &text) : m_text(text) {}
    Arg(const char *text) : m_text(QString::fromLatin1(text)) {}
    const QString &text() const { return m_text; }

private:
    QString m_text;
};

// Fills the placeholders %1..%9 of a template in one pass (argument text is
// never scanned again, so a device name holding "%2" stays literal). Returns
// an empty text when the template needs more arguments than given, leaves an
// argument unused, or the result is not one parenthesised command with
// nothing after its ")".
QString build(const char *templ, std::initializer_list<Arg> args = {});
QString build(const QString &templ, const QList<Arg> &args);
// "(scene,list,1,2,3)": the polling list in order.
QString buildSceneList(const QList<int> &scenes);
// True for "(" ... ")" with no line break, NUL or trailing byte after ")"
// and no unfilled placeholder.
bool isWellFormedRequest(const QString &request);

// The commands a device in standby still accepts.
bool allowedInStandby(const QString &request);
// Console-only heartbeat switches.
bool isHeartbeatSwitch(const QString &request);

// Wire codec: GB2312 both ways, so a Chinese device name survives the trip.
QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// A received line that reads "err" and nothing else (the device's
// rejection). Free text ("Merry Christmas", a device named "errand office"
// or "Terrace") is not an error. The one rule for every road an answer takes.
bool isErrorReply(const QString &rawText);
// An "ok" that ends a line of the raw text: the end of a synchronous answer.
// A device name such as "Bookshop" does not end it.
bool hasLineEndingOk(const QString &rawText);

// Where a synchronous answer stands, judged from what has arrived so far.
enum class AnswerEnd {
    Incomplete,      // keep reading
    Complete,        // the last line of the answer has arrived, line break included
    CompleteIfQuiet, // "ok" ends the text without (all of) its line break: done
                     // unless more follows at once
    Error,           // the device rejected the request
};
// `request` matters for "(info,dev)": its answer starts with the free-text
// device name, which may itself end in "ok" ("Notebook"), so only the
// "system" ... "lock" ... "ok" part ends it.
AnswerEnd answerEnd(const QString &request, const QString &rawText);
// The text the dispatcher sees: every blank and line break removed.
QString compact(const QString &rawText);

// Whether every character of `text` reaches the device as itself: ASCII, or
// a character of GB2312 (Qt's "GB2312" codec is really GBK, which also writes
// traditional characters and the euro sign the device's font does not hold).
bool isGb2312Text(const QString &text);

// ---- Answer keywords -------------------------------------------------------

enum class TestKind { StartsWith, Contains, ContainsAndLacks };

// The 43 answer tests in the order the dispatcher runs them.
enum class Answer {
    FactoryReset = 1, SystemOff, SystemOn, Lock, Unlock,
    Brightness, Contrast, ExternalAudio,
    SplicerMode, SplicerOk, SplicerClear, SplicerBorder, SplicerPosition,
    SignalStatus,
    ScenePollingEnable, ScenePollingDisable, ScenePollingTime, ScenePollingList, ScenePollingCalled,
    SceneReady, SceneSaved, SceneCalled, SceneDeleted,
    DeviceInfo, InputBaudRate, OutputBaudRate,
    FirmwareReady, EdidReady, EdidStored,
    Routing, SplicerSource, InputResolution, OutputResolution,
    ControlCardVersion, BoardVersions,
    InputEdid, HdcpBlocksDvi, OutputFormat,
    ProductName, NetworkSettings,
    Osd, SplitMode, SplitVideo,
};
inline constexpr int AnswerCount = 43;

struct AnswerTest
{
    Answer answer;
    TestKind kind;
    QLatin1String first;
    QLatin1String second; // empty when only one keyword
    QLatin1String lacks;  // empty unless kind is ContainsAndLacks
    const char *name;     // for the log
};

// The table, index 0 = answer 1.
const AnswerTest &answerTest(Answer answer);
const QVector<AnswerTest> &answerTable();
bool matches(const QString &text, const AnswerTest &test);
inline bool matches(const QString &text, Answer answer) { return matches(text, answerTest(answer)); }

// ---- Value cutting ---------------------------------------------------------
// The value is the text after the first `open` up to the first `close` that
// follows it (never a `close` that lies before `open`). No `open`: no value,
// and the caller leaves its widget alone. No `close` after `open`: the rest
// of the text.

std::optional<QString> valueBetween(const QString &text, QLatin1String open, QLatin1String close, int from = 0);
// Uses the last `open` before the first `close`: for answers whose opening
// keyword is short and may occur in an earlier answer ("ip" in a name).
std::optional<QString> valueBefore(const QString &text, QLatin1String open, QLatin1String close);
// The last `open` and the first `close` after it.
std::optional<QString> valueBetweenLast(const QString &text, QLatin1String open, QLatin1String close);
// Everything after the first `open`.
std::optional<QString> valueAfter(const QString &text, QLatin1String open);
// Everything before the first `key`; no `key`: no value.
std::optional<QString> textBefore(const QString &text, QLatin1String key);
// Base-10 conversion; anything that does not convert (also an overflow) is 0.
int toNumber(const QString &text);
int toNumber(const std::optional<QString> &text);

// ---- Status strings --------------------------------------------------------

// One entry per "Y"/"y"/"N"/"n" character in order; other characters are
// skipped. true = signal present.
QVector<bool> parsePortStatus(const QString &value);

// The signal-status answer: "ch" channel "in" inputs "out" outputs "ok",
// recognised only when the four keywords come in this order and both values
// are runs of Y/N (a device name such as "Church in Southbrook" is none).
struct SignalStatus
{
    int begin = 0;  // position of its "ch" in the text
    int end = 0;    // one past its "ok"
    QString channel;
    QVector<bool> inputs;
    QVector<bool> outputs;
    // Port counts a device can have (MinPorts..MaxPorts each).
    bool countsInRange() const;
};
std::optional<SignalStatus> findSignalStatus(const QString &text, int from = 0);
// The text with every signal-status answer cut out.
QString withoutSignalStatus(const QString &text);

// Answers that carry the operator's free text, found by their fixed frame so
// that the text cannot pass for another answer's keywords. Positions in the
// compact text: begin, and one past the answer's end.
struct Span
{
    int begin = 0;
    int end = 0;
};
// "input<n>osd:" ... ",pos:" ... ",color:" ... ",string:" <text> ",ok".
std::optional<Span> findSubtitleAnswer(const QString &text);
// The fixed part of the device-information answer, "system" "on"|"off"
// "lock"|"unlock" "ok"; its name comes in front of it and has no frame of its
// own (the dispatcher finds it with the received text's line breaks).
std::optional<Span> findDeviceInfoAnswer(const QString &text);

inline constexpr int MinPorts = 2;
inline constexpr int MaxPorts = 16;
// The first good signal-status answer fixes the model as inputs "x" outputs.
QString modelText(int inputs, int outputs);

// ---- Toast looks ----------------------------------------------------------
inline constexpr char SuccessStyle[] = "background-color: rgb(85, 170, 0);";
inline constexpr char FailureStyle[] = "background-color: rgb(204, 0, 0);";

} // namespace Protocol
