#include "mainwindow/output/outputmodel.h"

#include "link/protocol/protocol.h"
#include "mainwindow/switching/switchingmodel.h"

#include <iterator>

namespace Output {

namespace {

const QLatin1String OutputKey("output");
const QLatin1String BrightnessKey("brightness");
const QLatin1String ContrastKey("contrast");
const QLatin1String ExternalKey("external");
const QLatin1String AudioKey("audio");
const QLatin1String OutKey("out");
const QLatin1String PutKey("put"); // "out" + "put" is the word "output", not a resolution answer
const QLatin1String ResKey("res");
const QLatin1String OkKey("ok");
const QLatin1String FormatOutputKey("outputhdmi");
const QLatin1String FormatIsKey("formatis");
const QLatin1String HdcpKey("enabledhdcp");
const QLatin1String HdmiKey("HDMI");
const QLatin1String HdmiLowerKey("hdmi");
const QLatin1String DviKey("DVI");
const QLatin1String DviLowerKey("dvi");
const QLatin1String AudioOn("on");
const QLatin1String AudioOff("off");

// The resolutions every device type offers, then the two 4K@60 modes of Orvex-T.
constexpr int CommonResolutions = 13;
constexpr const char *ResolutionTexts[] = {
    "1920x1200@60Hz", "1920x1080@60Hz", "1280x720@60Hz", "1360x768@60Hz", "1280x1024@60Hz",
    "1024x768@60Hz", "1600x1200@60Hz", "1440x900@60Hz", "1600x900@60Hz", "1280x720@50Hz",
    "1920x1080@50Hz", "3840x2160@30Hz", "4096x2160@30Hz", "3840x2160@60Hz", "4096x2160@60Hz",
};

// More pieces than this at "out" means one entry per output.
constexpr int SingleAnswerPieces = 2;
// A resolution shown on a card is cut here so that a garbled answer cannot
// stretch the port status page.
constexpr int MaxResolutionLength = 20;
// "100" is the longest number any of these answers holds.
constexpr int MaxNumberDigits = 3;

bool isOutput(int number)
{
    return number >= 1 && number <= MaxOutputs;
}

// A number made of decimal digits only; "", "3x", "-1", "+5" are none.
std::optional<int> strictNumber(const std::optional<QString> &text)
{
    if (!text || text->isEmpty() || text->size() > MaxNumberDigits)
        return std::nullopt;
    for (const QChar c : *text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return text->toInt();
}

std::optional<int> outputNumber(const std::optional<QString> &text)
{
    const auto number = strictNumber(text);
    if (!number || !isOutput(*number))
        return std::nullopt;
    return number;
}

// "output" n <key> value "ok". The output is read from the "output" closest
// before the key, so an earlier answer run together with this one does not
// spoil it.
std::optional<LevelAnswer> parseLevel(const QString &reply, QLatin1String key)
{
    const int at = reply.indexOf(key);
    if (at < 0)
        return std::nullopt;
    const auto output = outputNumber(Protocol::valueBefore(reply, OutputKey, key));
    const auto value = strictNumber(Protocol::valueBetween(reply, key, OkKey, at));
    if (!output || !value || *value < MinLevel || *value > MaxLevel)
        return std::nullopt;
    return LevelAnswer { *output, *value };
}

// The part of the text that is the output resolution answer: from an "out"
// that is not the word "output" to the first "ok" after it, the first such
// part that holds "res". A routing or signal status answer in front of it
// (both hold "out") is passed over.
std::optional<QString> resolutionSegment(const QString &reply)
{
    int from = 0;
    while (true) {
        const int at = reply.indexOf(OutKey, from);
        if (at < 0)
            return std::nullopt;
        from = at + OutKey.size();
        if (reply.midRef(from).startsWith(PutKey))
            continue;
        const int ok = reply.indexOf(OkKey, from);
        const int end = ok < 0 ? reply.size() : ok + OkKey.size();
        const QString segment = reply.mid(at, end - at);
        if (segment.contains(ResKey))
            return segment;
        from = end;
    }
}

// The resolution of one piece: up to its own "ok" (the all-outputs answer
// closes with one "ok" after the last piece).
QString resolutionText(const QString &afterRes)
{
    const int ok = afterRes.indexOf(OkKey);
    return (ok < 0 ? afterRes : afterRes.left(ok)).left(MaxResolutionLength);
}

} // namespace

QStringList resolutions(int deviceType)
{
    QStringList texts;
    const int count = deviceType == DeviceTypeOrvexT ? int(std::size(ResolutionTexts)) : CommonResolutions;
    for (int i = 0; i < count; ++i)
        texts << QString::fromLatin1(ResolutionTexts[i]);
    return texts;
}

std::optional<int> resolutionValue(const QString &text, int deviceType)
{
    const int index = resolutions(deviceType).indexOf(text);
    if (index < 0)
        return std::nullopt;
    return index + 1;
}

QStringList formatNames()
{
    return { QStringLiteral("HDMI"), QStringLiteral("DVI") };
}

bool hasExternalAudio(int deviceType)
{
    return deviceType == DeviceTypeOrvexQ || deviceType == DeviceTypeOrvexT;
}

int outputsShown(const QString &model)
{
    return Switching::layoutFor(model).outputs;
}

std::optional<int> numberAfterLastUnderscore(const QString &objectName)
{
    const int at = objectName.lastIndexOf(QLatin1Char('_'));
    if (at < 0)
        return std::nullopt;
    return outputNumber(objectName.mid(at + 1));
}

std::optional<int> formatComboOutput(const QString &objectName)
{
    return outputNumber(Protocol::valueBetween(objectName, QLatin1String("HDMI"), QLatin1String("_Signal")));
}

std::optional<int> numberAfter(const QString &objectName, QLatin1String prefix)
{
    return outputNumber(Protocol::valueAfter(objectName, prefix));
}

QStringList outputQueries(int output, int deviceType)
{
    if (!isOutput(output))
        return {};
    QStringList queries {
        Protocol::build(Protocol::Command::GetOutputResolution, { output }),
        Protocol::build(Protocol::Command::GetOutputFormat, { output }),
        Protocol::build(Protocol::Command::GetBrightness, { output }),
        Protocol::build(Protocol::Command::GetContrast, { output }),
    };
    if (hasExternalAudio(deviceType))
        queries << Protocol::build(Protocol::Command::GetExternalAudio, { output });
    return queries;
}

QString resolutionRequest(int output, int value)
{
    if (!isOutput(output) || value < 1 || value > int(std::size(ResolutionTexts)))
        return {};
    return Protocol::build(Protocol::Command::SetOutputResolution, { output, value });
}

QString formatRequest(int output, Format format)
{
    if (!isOutput(output))
        return {};
    return Protocol::build(Protocol::Command::SetOutputFormat, { output, static_cast<int>(format) });
}

QString brightnessRequest(int output, int value)
{
    if (!isOutput(output) || value < MinLevel || value > MaxLevel)
        return {};
    return Protocol::build(Protocol::Command::SetBrightness, { output, value });
}

QString contrastRequest(int output, int value)
{
    if (!isOutput(output) || value < MinLevel || value > MaxLevel)
        return {};
    return Protocol::build(Protocol::Command::SetContrast, { output, value });
}

QString audioRequest(int output, bool on)
{
    if (!isOutput(output))
        return {};
    return Protocol::build(Protocol::Command::SetExternalAudio, { output, on ? 1 : 0 });
}

std::optional<LevelAnswer> parseBrightness(const QString &reply)
{
    return parseLevel(reply, BrightnessKey);
}

std::optional<LevelAnswer> parseContrast(const QString &reply)
{
    return parseLevel(reply, ContrastKey);
}

std::optional<AudioAnswer> parseExternalAudio(const QString &reply)
{
    const int external = reply.indexOf(ExternalKey);
    if (external < 0)
        return std::nullopt;
    const auto output = outputNumber(Protocol::valueBefore(reply, OutputKey, ExternalKey));
    const auto state = Protocol::valueBetween(reply, AudioKey, OkKey, external);
    if (!output || !state)
        return std::nullopt;
    if (*state == AudioOn)
        return AudioAnswer { *output, true };
    if (*state == AudioOff)
        return AudioAnswer { *output, false };
    return std::nullopt;
}

ResolutionAnswer parseOutputResolutions(const QString &reply)
{
    ResolutionAnswer answer;
    const auto segment = resolutionSegment(reply);
    if (!segment)
        return answer;

    if (segment->split(OutKey).size() <= SingleAnswerPieces) {
        const auto output = outputNumber(Protocol::valueBetweenLast(*segment, OutKey, ResKey));
        const auto value = Protocol::valueBetweenLast(*segment, ResKey, OkKey);
        if (!output || !value)
            return answer;
        const QString resolution = value->left(MaxResolutionLength);
        if (!resolution.isEmpty())
            answer.entries.append(OutputResolution { *output, resolution });
        return answer;
    }

    answer.allOutputs = true;
    const QStringList pieces = segment->split(OutKey, Qt::SkipEmptyParts);
    if (pieces.size() < MinTablePieces || pieces.size() > MaxOutputs) {
        answer.outOfRange = true;
        return answer;
    }
    for (int i = 0; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        const auto port = outputNumber(Protocol::textBefore(piece, ResKey));
        const auto afterRes = Protocol::valueAfter(piece, ResKey);
        // A piece out of its position belongs to no card.
        if (!port || !afterRes || *port != i + 1)
            continue;
        const QString resolution = resolutionText(*afterRes);
        if (!resolution.isEmpty())
            answer.entries.append(OutputResolution { *port, resolution });
    }
    return answer;
}

std::optional<FormatAnswer> parseFormat(const QString &reply)
{
    const int is = reply.indexOf(FormatIsKey);
    if (is < 0)
        return std::nullopt;
    const auto output = outputNumber(Protocol::valueBefore(reply, FormatOutputKey, FormatIsKey));
    const auto value = Protocol::valueBetween(reply, FormatIsKey, OkKey, is);
    if (!output || !value)
        return std::nullopt;
    if (value->contains(DviKey) || value->contains(DviLowerKey))
        return FormatAnswer { *output, Format::Dvi };
    if (value->contains(HdmiKey) || value->contains(HdmiLowerKey))
        return FormatAnswer { *output, Format::Hdmi };
    return std::nullopt;
}

std::optional<int> parseHdcpRefusal(const QString &reply)
{
    if (!reply.contains(HdcpKey))
        return std::nullopt;
    return outputNumber(Protocol::valueBefore(reply, OutputKey, HdcpKey));
}

} // namespace Output
