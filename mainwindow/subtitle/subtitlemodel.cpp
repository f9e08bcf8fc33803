#include "mainwindow/subtitle/subtitlemodel.h"

#include "link/protocol/protocol.h"

#include <QRegularExpression>
#include <QVector>

namespace Subtitle {

namespace {
constexpr char StatusOn[] = "enable";
constexpr char StatusOff[] = "disable";
constexpr int PositionCount = 4;
constexpr char TextKey[] = "string:";
constexpr char AnswerEnd[] = ",ok";

bool isBlank(QChar c)
{
    // The blanks Protocol::compact() removes.
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

// The text of the compact answer `answer` as `raw` holds it: blanks inside
// kept, blanks at either end dropped. Nothing when raw does not hold the
// answer.
std::optional<QString> textFromRaw(const QString &answer, int textBegin, int textEnd, const QString &raw)
{
    if (raw.isEmpty())
        return std::nullopt;
    QString compacted;
    QVector<int> rawIndex; // position in raw of each compact character
    compacted.reserve(raw.size());
    rawIndex.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (isBlank(raw.at(i)))
            continue;
        compacted += raw.at(i);
        rawIndex.append(i);
    }
    const int at = compacted.indexOf(answer);
    if (at < 0)
        return std::nullopt;
    if (textEnd <= textBegin)
        return QString();
    const int first = rawIndex.at(at + textBegin);
    const int last = rawIndex.at(at + textEnd - 1);
    return raw.mid(first, last - first + 1);
}
} // namespace

const QStringList &colourNames()
{
    static const QStringList names = { QStringLiteral("white"), QStringLiteral("red"),
        QStringLiteral("green"), QStringLiteral("blue"), QStringLiteral("black") };
    return names;
}

std::optional<int> colourCode(const QString &name)
{
    const int index = colourNames().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return index + 1;
}

QString colourStyle(int code)
{
    if (code < 1 || code > colourNames().size())
        return QString();
    return QStringLiteral("QLineEdit{color: %1;}").arg(colourNames().at(code - 1));
}

std::optional<int> statusCode(const QString &status)
{
    if (status == QLatin1String(StatusOn))
        return 1;
    if (status == QLatin1String(StatusOff))
        return 0;
    return std::nullopt;
}

std::optional<int> positionCode(const QString &position)
{
    // Exactly one digit: "01" or "+1" are not what the device writes.
    if (position.size() != 1)
        return std::nullopt;
    const int value = position.at(0).digitValue();
    if (value < 1 || value > PositionCount)
        return std::nullopt;
    return value;
}

std::optional<Settings> parseAnswer(const QString &work, const QString &raw)
{
    static const QRegularExpression frame(
        QStringLiteral("input(\\d{1,2})osd:([^,]*),pos:([^,]*),color:([^,]*),string:([^,]*),ok"));
    const QRegularExpressionMatch m = frame.match(work);
    if (!m.hasMatch())
        return std::nullopt;
    const int port = m.captured(1).toInt();
    if (port < 1 || port > Protocol::MaxPorts)
        return std::nullopt;

    Settings settings;
    settings.port = port;
    settings.status = m.captured(2);
    settings.position = m.captured(3);
    settings.colour = m.captured(4);
    settings.text = m.captured(5);

    // The compact text lost the operator's blanks ("Room 1"); the text as
    // received still has them.
    const QString answer = m.captured(0);
    const int textBegin = answer.indexOf(QLatin1String(TextKey)) + int(qstrlen(TextKey));
    const int textEnd = answer.size() - int(qstrlen(AnswerEnd));
    if (const auto withBlanks = textFromRaw(answer, textBegin, textEnd, raw))
        settings.text = *withBlanks;
    return settings;
}

QString wireText(const QString &text)
{
    QString out = text.trimmed();
    // Each would end or split the request on the device.
    out.replace(QLatin1Char(')'), QChar(0xFF09));
    out.replace(QLatin1Char('('), QChar(0xFF08));
    out.replace(QLatin1Char(','), QChar(0xFF0C));
    return out;
}

TextCheck checkText(const QString &wireText)
{
    if (wireText.toUcs4().size() > MaxTextCharacters)
        return TextCheck::TooLong;
    for (const QChar c : wireText) {
        // Control characters would reach the device's line parser.
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return TextCheck::NotEncodable;
    }
    return Protocol::isGb2312Text(wireText) ? TextCheck::Ok : TextCheck::NotEncodable;
}

QString setRequest(int port, int status, int position, int colour, const QString &wireText)
{
    return Protocol::build(Protocol::Command::SetOsd, { port, status, position, colour, wireText });
}

QString getRequest(int port)
{
    return Protocol::build(Protocol::Command::GetOsd, { port });
}

} // namespace Subtitle
