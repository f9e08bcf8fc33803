#include "link/protocol/protocol.h"

#include <QRegularExpression>

#include <QTextCodec>
#include <QtGlobal>

namespace Protocol {

namespace {

constexpr int MaxPlaceholder = 9;
constexpr char WireCodec[] = "GB2312";

QTextCodec *wireCodec()
{
    static QTextCodec *const codec = QTextCodec::codecForName(WireCodec);
    return codec;
}

// Single pass over the template: "%N" (N = 1..9) is replaced by argument N.
// Fails when a placeholder has no argument or an argument is never used.
QString fill(const QString &templ, const QList<Arg> &args)
{
    QString out;
    out.reserve(templ.size() + 16);
    QVector<bool> used(args.size(), false);
    for (int i = 0; i < templ.size(); ++i) {
        const QChar c = templ.at(i);
        if (c == QLatin1Char('%') && i + 1 < templ.size() && templ.at(i + 1).isDigit()) {
            const int n = templ.at(i + 1).digitValue();
            if (n < 1 || n > MaxPlaceholder || n > args.size())
                return QString();
            out += args.at(n - 1).text();
            used[n - 1] = true;
            ++i;
            continue;
        }
        out += c;
    }
    for (bool u : used) {
        if (!u)
            return QString();
    }
    return out;
}

bool hasPlaceholder(const QString &text)
{
    for (int i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('%') && text.at(i + 1).isDigit())
            return true;
    }
    return false;
}

} // namespace

QString build(const char *templ, std::initializer_list<Arg> args)
{
    return build(QString::fromLatin1(templ), QList<Arg>(args));
}

QString build(const QString &templ, const QList<Arg> &args)
{
    if (hasPlaceholder(templ) == false && !args.isEmpty())
        return QString();
    const QString request = fill(templ, args);
    if (request.isEmpty())
        return QString();
    // The template decides the shape; arguments are taken literally, so only
    // the frame is checked here.
    if (!request.startsWith(QLatin1Char('(')) || !request.endsWith(QLatin1Char(')')))
        return QString();
    for (const QChar c : request) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull())
            return QString();
    }
    return request;
}

QString buildSceneList(const QList<int> &scenes)
{
    QString request = QStringLiteral("(scene,list");
    // "(scene,list)" is no list the device understands: an empty polling list
    // is sent as the single item 0.
    if (scenes.isEmpty())
        request += QLatin1String(",0");
    for (int scene : scenes)
        request += QLatin1Char(',') + QString::number(scene);
    request += QLatin1Char(')');
    return request;
}

bool isWellFormedRequest(const QString &request)
{
    if (request.size() < 2 || !request.startsWith(QLatin1Char('(')) || !request.endsWith(QLatin1Char(')')))
        return false;
    for (const QChar c : request) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull())
            return false;
    }
    return !hasPlaceholder(request);
}

bool allowedInStandby(const QString &request)
{
    static const char *const allowed[] = {Command::WakeUp,       Command::FactoryReset,  Command::InfoLink,
                                          Command::GetInputBaud, Command::GetOutputBaud, Command::InfoDevice};
    for (const char *a : allowed) {
        if (request == QLatin1String(a))
            return true;
    }
    return false;
}

bool isHeartbeatSwitch(const QString &request)
{
    return request == QLatin1String(Command::OpenHeartbeat) || request == QLatin1String(Command::CloseHeartbeat);
}

QByteArray encode(const QString &text)
{
    QTextCodec *codec = wireCodec();
    return codec ? codec->fromUnicode(text) : text.toLatin1();
}

QString decode(const QByteArray &bytes)
{
    QTextCodec *codec = wireCodec();
    return codec ? codec->toUnicode(bytes) : QString::fromLatin1(bytes);
}

bool isErrorReply(const QString &rawText)
{
    const QLatin1String err("err");
    int start = 0;
    while (start <= rawText.size()) {
        int end = start;
        while (end < rawText.size() && rawText.at(end) != QLatin1Char('\r') && rawText.at(end) != QLatin1Char('\n'))
            ++end;
        const QStringView line = QStringView(rawText).mid(start, end - start).trimmed();
        // "err", possibly with a code after it, but not a word that only
        // begins with the letters ("errand").
        if (line.startsWith(err) && (line.size() == err.size() || !line.at(err.size()).isLetter()))
            return true;
        start = end + 1;
    }
    return false;
}

bool hasLineEndingOk(const QString &rawText)
{
    int at = rawText.indexOf(QLatin1String("ok"));
    while (at >= 0) {
        const int after = at + 2;
        if (after >= rawText.size() || rawText.at(after) == QLatin1Char('\r') || rawText.at(after) == QLatin1Char('\n'))
            return true;
        at = rawText.indexOf(QLatin1String("ok"), after);
    }
    return false;
}

AnswerEnd answerEnd(const QString &request, const QString &rawText)
{
    if (isErrorReply(rawText))
        return AnswerEnd::Error;
    int from = 0;
    if (request == QLatin1String(Command::InfoDevice)) {
        const int system = rawText.indexOf(QLatin1String("system"));
        const int lock = system < 0 ? -1 : rawText.indexOf(QLatin1String("lock"), system + 6);
        if (lock < 0)
            return AnswerEnd::Incomplete;
        from = lock + 4;
    }
    for (int at = rawText.indexOf(QLatin1String("ok"), from); at >= 0;
         at = rawText.indexOf(QLatin1String("ok"), at + 2)) {
        int after = at + 2;
        while (after < rawText.size() && (rawText.at(after) == QLatin1Char(' ') || rawText.at(after) == QLatin1Char('\t')))
            ++after;
        if (after == rawText.size())
            return AnswerEnd::CompleteIfQuiet;
        const QChar c = rawText.at(after);
        if (c == QLatin1Char('\n'))
            return AnswerEnd::Complete;
        if (c == QLatin1Char('\r'))
            // Its "\n" may still be on the way; taken with the answer, it
            // does not turn up later as a reply of its own.
            return after + 1 < rawText.size() ? AnswerEnd::Complete : AnswerEnd::CompleteIfQuiet;
    }
    return AnswerEnd::Incomplete;
}

QString compact(const QString &rawText)
{
    QString out;
    out.reserve(rawText.size());
    for (const QChar c : rawText) {
        if (c != QLatin1Char(' ') && c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            out += c;
    }
    return out;
}

// ---- Answer keywords -----------------------------------------------------------

const QVector<AnswerTest> &answerTable()
{
    using L = QLatin1String;
    static const QVector<AnswerTest> table = {
        {Answer::FactoryReset, TestKind::StartsWith, L("factoryreset"), L(), L(), "factory reset"},
        {Answer::SystemOff, TestKind::StartsWith, L("systemoff"), L(), L(), "standby"},
        {Answer::SystemOn, TestKind::StartsWith, L("systemon"), L(), L(), "wake-up"},
        {Answer::Lock, TestKind::StartsWith, L("lock"), L(), L(), "keys locked"},
        {Answer::Unlock, TestKind::StartsWith, L("unlock"), L(), L(), "keys unlocked"},
        {Answer::Brightness, TestKind::Contains, L("output"), L("brightness"), L(), "brightness"},
        {Answer::Contrast, TestKind::Contains, L("output"), L("contrast"), L(), "contrast"},
        {Answer::ExternalAudio, TestKind::Contains, L("external"), L("audio"), L(), "external audio"},
        {Answer::SplicerMode, TestKind::Contains, L("splicermodegroup"), L(), L(), "wall layout"},
        {Answer::SplicerOk, TestKind::Contains, L("splicerok"), L(), L(), "wall set"},
        {Answer::SplicerClear, TestKind::Contains, L("splicercleargroup"), L(), L(), "wall cleared"},
        {Answer::SplicerBorder, TestKind::Contains, L("splicerbordersetgroup"), L(), L(), "bezel"},
        {Answer::SplicerPosition, TestKind::Contains, L("splicerposition"), L(), L(), "wall positions"},
        {Answer::SignalStatus, TestKind::Contains, L("ch"), L("in"), L(), "signal status"}, // and "out", in order
        {Answer::ScenePollingEnable, TestKind::Contains, L("scenepollingenable"), L(), L(), "polling runs"},
        {Answer::ScenePollingDisable, TestKind::Contains, L("scenepollingdisable"), L(), L(), "polling stopped"},
        {Answer::ScenePollingTime, TestKind::Contains, L("scenepollingtime"), L(), L(), "polling interval"},
        {Answer::ScenePollingList, TestKind::Contains, L("scenepollinglist"), L(), L(), "polling list"},
        {Answer::ScenePollingCalled, TestKind::Contains, L("scenepolling"), L("called"), L(), "polling recall"},
        {Answer::SceneReady, TestKind::Contains, L("scene"), L("ready"), L(), "scene status"},
        {Answer::SceneSaved, TestKind::Contains, L("scene"), L("saved"), L(), "scene saved"},
        {Answer::SceneCalled, TestKind::ContainsAndLacks, L("scene"), L("called"), L("scenepolling"), "scene recalled"},
        {Answer::SceneDeleted, TestKind::Contains, L("scene"), L("deleted"), L(), "scene deleted"},
        {Answer::DeviceInfo, TestKind::Contains, L("system"), L("lock"), L(), "device information"},
        {Answer::InputBaudRate, TestKind::Contains, L("inbaudrate"), L(), L(), "input baud rate"},
        {Answer::OutputBaudRate, TestKind::Contains, L("outbaudrate"), L(), L(), "output baud rate"},
        {Answer::FirmwareReady, TestKind::Contains, L("pleasechooseupdatefile"), L(), L(), "firmware transfer"},
        {Answer::EdidReady, TestKind::Contains, L("pleasesendedidfile"), L(), L(), "EDID transfer"},
        {Answer::EdidStored, TestKind::Contains, L("edid"), L("updatedok"), L(), "EDID stored"},
        {Answer::Routing, TestKind::ContainsAndLacks, L("out"), L("in"), L("ch"), "routing"},
        {Answer::SplicerSource, TestKind::Contains, L("splicergroup"), L("source"), L(), "wall source"},
        {Answer::InputResolution, TestKind::Contains, L("in"), L("res"), L(), "input resolutions"},
        {Answer::OutputResolution, TestKind::Contains, L("out"), L("res"), L(), "output resolutions"},
        {Answer::ControlCardVersion, TestKind::Contains, L("mcuctrl"), L(), L(), "control-card version"},
        {Answer::BoardVersions, TestKind::Contains, L("mcurx"), L(), L(), "board versions"},
        {Answer::InputEdid, TestKind::Contains, L("in"), L("edid"), L(), "input EDID"},
        {Answer::HdcpBlocksDvi, TestKind::Contains, L("output"), L("enabledhdcp"), L(), "HDCP blocks DVI"},
        {Answer::OutputFormat, TestKind::Contains, L("hdmi"), L("format"), L(), "output format"},
        {Answer::ProductName, TestKind::Contains, L("productname"), L(), L(), "device name stored"},
        {Answer::NetworkSettings, TestKind::Contains, L("gateway"), L("mask"), L(), "network settings"},
        {Answer::Osd, TestKind::Contains, L("input"), L("osd"), L(), "subtitle"},
        {Answer::SplitMode, TestKind::Contains, L("group"), L("splittermode"), L(), "partition mode"},
        {Answer::SplitVideo, TestKind::Contains, L("group"), L("splittervideo"), L(), "window inputs"},
    };
    Q_ASSERT(table.size() == AnswerCount);
    return table;
}

const AnswerTest &answerTest(Answer answer)
{
    return answerTable().at(static_cast<int>(answer) - 1);
}

bool matches(const QString &text, const AnswerTest &test)
{
    switch (test.kind) {
    case TestKind::StartsWith: {
        // A heartbeat's signal-status answer that arrived in the same quiet
        // period may stand in front of the confirmation.
        int from = 0;
        for (auto status = findSignalStatus(text); status && status->begin == from; status = findSignalStatus(text, from))
            from = status->end;
        return QStringView(text).mid(from).startsWith(test.first);
    }
    case TestKind::Contains:
        if (test.answer == Answer::SignalStatus)
            return findSignalStatus(text).has_value();
        return text.contains(test.first) && (test.second.isEmpty() || text.contains(test.second));
    case TestKind::ContainsAndLacks:
        return text.contains(test.first) && text.contains(test.second) && !text.contains(test.lacks);
    }
    return false;
}

// ---- Value cutting ---------------------------------------------------------------

std::optional<QString> valueBetween(const QString &text, QLatin1String open, QLatin1String close, int from)
{
    if (from < 0 || from > text.size())
        return std::nullopt;
    const int at = text.indexOf(open, from);
    if (at < 0)
        return std::nullopt;
    const int start = at + open.size();
    const int end = text.indexOf(close, start);
    return end < 0 ? text.mid(start) : text.mid(start, end - start);
}

std::optional<QString> valueBefore(const QString &text, QLatin1String open, QLatin1String close)
{
    const int end = text.indexOf(close);
    if (end < 0)
        return valueBetween(text, open, close);
    const int at = end >= open.size() ? text.lastIndexOf(open, end - open.size()) : -1;
    if (at < 0)
        return valueBetween(text, open, close);
    const int start = at + open.size();
    return text.mid(start, end - start);
}

std::optional<QString> valueBetweenLast(const QString &text, QLatin1String open, QLatin1String close)
{
    const int at = text.lastIndexOf(open);
    if (at < 0)
        return std::nullopt;
    return valueBetween(text, open, close, at);
}

std::optional<QString> valueAfter(const QString &text, QLatin1String open)
{
    const int at = text.indexOf(open);
    if (at < 0)
        return std::nullopt;
    return text.mid(at + open.size());
}

std::optional<QString> textBefore(const QString &text, QLatin1String key)
{
    const int at = text.indexOf(key);
    if (at < 0)
        return std::nullopt;
    return text.left(at);
}

int toNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : 0;
}

int toNumber(const std::optional<QString> &text)
{
    return text ? toNumber(*text) : 0;
}

// ---- Status strings --------------------------------------------------------------

QVector<bool> parsePortStatus(const QString &value)
{
    QVector<bool> ports;
    for (const QChar c : value) {
        if (c == QLatin1Char('Y') || c == QLatin1Char('y'))
            ports.append(true);
        else if (c == QLatin1Char('N') || c == QLatin1Char('n'))
            ports.append(false);
        // Any other character is no port; it can only shorten the count.
        if (ports.size() > MaxPorts + 1)
            break;
    }
    return ports;
}

bool SignalStatus::countsInRange() const
{
    return inputs.size() >= MinPorts && inputs.size() <= MaxPorts && outputs.size() >= MinPorts
           && outputs.size() <= MaxPorts;
}

std::optional<SignalStatus> findSignalStatus(const QString &text, int from)
{
    // Both values must be runs of Y/N: free text that happens to hold the
    // keywords in order ("Church in Southbrook") is no status.
    static const QRegularExpression core(QStringLiteral("in([YyNn]+)out([YyNn]+)ok"));
    const QLatin1String ch("ch");
    if (from < 0 || from > text.size())
        return std::nullopt;
    QRegularExpressionMatchIterator it = core.globalMatch(text, from);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const int inAt = m.capturedStart();
        // The nearest "ch" before it: an earlier reply in the same text may
        // hold "ch" too ("pleasechoose...").
        const int chAt = inAt >= ch.size() ? text.lastIndexOf(ch, inAt - ch.size()) : -1;
        if (chAt < from)
            continue;
        SignalStatus status;
        status.begin = chAt;
        status.end = m.capturedEnd();
        status.channel = text.mid(chAt + ch.size(), inAt - chAt - ch.size());
        status.inputs = parsePortStatus(m.captured(1));
        status.outputs = parsePortStatus(m.captured(2));
        return status;
    }
    return std::nullopt;
}

QString withoutSignalStatus(const QString &text)
{
    QString out;
    int pos = 0;
    while (auto status = findSignalStatus(text, pos)) {
        out += text.midRef(pos, status->begin - pos);
        pos = status->end;
    }
    out += text.midRef(pos);
    return out;
}

bool isGb2312Text(const QString &text)
{
    static QTextCodec *const codec = QTextCodec::codecForName("GB2312");
    if (!codec)
        return false;
    for (const uint character : text.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
        const QByteArray bytes = codec->fromUnicode(one.constData(), one.size(), &state);
        if (state.invalidChars > 0)
            return false;
        if (bytes.size() == 1) {
            if (uchar(bytes.at(0)) >= 0x80)
                return false;
            continue;
        }
        if (bytes.size() != 2)
            return false;
        // Lead 0xA1..0xF7 without the user rows 0xAA..0xAF, trail 0xA1..0xFE.
        const uchar lead = uchar(bytes.at(0));
        const uchar trail = uchar(bytes.at(1));
        const bool userRow = lead >= 0xAA && lead <= 0xAF;
        if (lead < 0xA1 || lead > 0xF7 || userRow || trail < 0xA1 || trail > 0xFE)
            return false;
    }
    return true;
}

std::optional<Span> findSubtitleAnswer(const QString &text)
{
    // The text may hold anything but a comma (the program sends commas
    // full-width and the device refuses a sixth field).
    static const QRegularExpression frame(QStringLiteral(
        "input\\d{1,2}osd:[^,]*,pos:[^,]*,color:[^,]*,string:[^,]*,ok"));
    const QRegularExpressionMatch m = frame.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return Span{m.capturedStart(), m.capturedEnd()};
}

std::optional<Span> findDeviceInfoAnswer(const QString &text)
{
    static const QRegularExpression frame(QStringLiteral("system(?:on|off)(?:un)?lockok"));
    const QRegularExpressionMatch m = frame.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    return Span{m.capturedStart(), m.capturedEnd()};
}

QString modelText(int inputs, int outputs)
{
    return QStringLiteral("%1x%2").arg(inputs).arg(outputs);
}

} // namespace Protocol
