#pragma once

#include <QString>

// What a log line keeps of a text that may be megabytes long (a chattering
// device): the first `maxChars` characters and, when cut, the full length.
namespace LogPreview {
constexpr int DefaultChars = 512;

inline QString cut(const QString &text, int maxChars = DefaultChars)
{
    if (text.size() <= maxChars)
        return text;
    return text.left(maxChars) + QStringLiteral("… [%1 chars]").arg(text.size());
}
} // namespace LogPreview
