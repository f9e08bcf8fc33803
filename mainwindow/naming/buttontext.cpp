#include "buttontext.h"

namespace ButtonText {

QString escape(const QString &plain)
{
    QString text = plain;
    return text.replace(QLatin1Char('&'), QLatin1String("&&"));
}

QString unescape(const QString &display)
{
    QString text = display;
    return text.replace(QLatin1String("&&"), QLatin1String("&"));
}

QString withoutLineBreaks(const QString &text)
{
    QString plain = text;
    plain.remove(QLatin1Char('\r'));
    plain.remove(QLatin1Char('\n'));
    return plain;
}

QString wrapChannelName(const QString &plain, int restLength, int breakAfter)
{
    if (plain.size() <= breakAfter)
        return plain;
    return plain.left(breakAfter) + QLatin1Char('\n') + plain.mid(breakAfter, restLength);
}

QString wrapChannelNameWhole(const QString &plain)
{
    if (plain.size() <= InputBreakAfter)
        return plain;
    return plain.left(InputBreakAfter) + QLatin1Char('\n') + plain.mid(InputBreakAfter);
}

QString wrapSceneName(const QString &plain)
{
    QString wrapped;
    if (plain.size() <= SceneLineLength)
        wrapped = plain;
    else if (plain.size() <= 2 * SceneLineLength)
        wrapped = plain.left(SceneLineLength) + QLatin1Char('\n') + plain.mid(SceneLineLength);
    else
        wrapped = plain.left(SceneLineLength) + QLatin1Char('\n') + plain.mid(SceneLineLength, SceneLineLength)
            + QLatin1Char('\n') + plain.mid(2 * SceneLineLength);
    return wrapped.trimmed();
}
}
