#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The on-screen subtitle of one input, without widgets: reading the device's
// answer, the value codes of the dialog and the building of the set request.
namespace Subtitle {

inline constexpr int MaxTextCharacters = 15;

// The settings as the device reports them, as text.
struct Settings
{
    int port = 0;                            // from "input<n>osd"
    QString status = QStringLiteral("disable"); // "enable" / "disable"
    QString position = QStringLiteral("1");     // "1".."4"
    QString colour = QStringLiteral("red");     // "white", "red", "green", "blue", "black"
    QString text;
};

// "white", "red", "green", "blue", "black": colour code = index + 1.
const QStringList &colourNames();
// 1..5 for a colour name; nothing for any other text.
std::optional<int> colourCode(const QString &name);
// "QLineEdit{color: <name>;}" for the code 1..5; empty otherwise.
QString colourStyle(int code);
// 1 for "enable", 0 for "disable"; nothing otherwise.
std::optional<int> statusCode(const QString &status);
// 1..4 for "1".."4"; nothing otherwise.
std::optional<int> positionCode(const QString &position);

// The first subtitle answer in `work` (the text without blanks):
// "input<n>osd:<status>,pos:<position>,color:<colour>,string:<text>,ok".
// Nothing when a field or the closing ",ok" is missing. The values are taken
// as they stand (an unknown colour is kept for the caller to ignore). `raw`,
// the same answer as received, gives the text with its blanks ("Room 1")
// when it holds the answer; otherwise the text comes from `work`.
std::optional<Settings> parseAnswer(const QString &work, const QString &raw = QString());

enum class TextCheck { Ok, TooLong, NotEncodable };
// The text as it may go on the wire: trimmed; ")", "(" and "," replaced by
// their full-width forms so that they cannot end or split the request.
QString wireText(const QString &text);
// Checks the wire text: at most MaxTextCharacters characters, every one
// encodable in GB2312.
TextCheck checkText(const QString &wireText);

// "(set,osd,%1,%2,%3,%4,%5)".
QString setRequest(int port, int status, int position, int colour, const QString &wireText);
// "(get,osd,%1)".
QString getRequest(int port);

} // namespace Subtitle
