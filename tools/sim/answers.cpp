#include "tools/sim/answers.h"

namespace SimAnswers {

static const QByteArray LineEnd = QByteArrayLiteral("\r\n");

QByteArray lines(const QStringList &textLines)
{
    QByteArray out;
    for (const QString &line : textLines)
        out += line.toLatin1() + LineEnd;
    return out;
}

QByteArray linesOk(const QStringList &textLines)
{
    return lines(textLines) + Ok.toLatin1() + LineEnd;
}

QByteArray error()
{
    return Error.toLatin1() + LineEnd;
}

} // namespace SimAnswers
