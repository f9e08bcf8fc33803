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

QByteArray packetAccepted(int packet)
{
    static const QByteArray head
        = PacketAccepted.left(PacketAccepted.indexOf(QLatin1String("%1"))).toLatin1();
    static const QByteArray tail = LineEnd + Ok.toLatin1() + LineEnd;
    QByteArray out;
    out.reserve(head.size() + 11 + tail.size());
    out += head;
    out += QByteArray::number(packet);
    out += tail;
    return out;
}

} // namespace SimAnswers
