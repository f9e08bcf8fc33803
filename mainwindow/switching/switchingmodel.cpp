#include "mainwindow/switching/switchingmodel.h"

#include "link/protocol/protocol.h"

#include <QStringList>

namespace Switching {

namespace {

const QLatin1String In("in");
const QLatin1String Out("out");
const QLatin1String Ok("ok");
const QLatin1String Res("res");
const QLatin1String PollingStopped("scenepollingdisable");
const QLatin1String PollingStoppedOk("scenepollingdisableok");

const QString Model4x4 = QStringLiteral("4x4");
const QString Model8x8 = QStringLiteral("8x8");
const QString Model16x16 = QStringLiteral("16x16");

constexpr int MaxResolutionLength = 20;
constexpr int MaxOutputDigits = 2;

// More than this many pieces at "out" (or "in") means one entry per port.
constexpr int SingleAnswerPieces = 2;

constexpr int TcpTableDelayMs = 300;
constexpr int TcpTableDelay4x4Ms = 700;
constexpr int SlowSerialTableDelayMs = 600;
constexpr int FastSerialTableDelayMs = 300;
constexpr int SlowSerialMaxBaud = 19200;
constexpr int Serial4x4ExtraMs = 400;
constexpr int Extra8x8Ms = 300;
constexpr int Extra16x16Ms = 500;
constexpr int SingleDelay4x4Ms = 200;
constexpr int SingleDelayMs = 300;

constexpr double FontDefault = 13.5;
struct FontStep
{
    int below;
    double size;
};
// Checked in order; the last one that matches wins.
constexpr FontStep FontSteps[] = { { 200, 11.5 }, { 150, 10.5 }, { 100, 9.5 }, { 65, 7.5 } };

bool isPort(int number)
{
    return number >= 1 && number <= MaxPorts;
}

bool tableSizeFits(int pieces)
{
    return pieces >= MinTablePieces && pieces <= MaxPorts;
}

// The resolution text of one answer part: up to its own "ok", at most 20
// characters, so a closing "ok" or a following answer never shows on a tile.
QString resolutionText(const QString &afterRes)
{
    const int ok = afterRes.indexOf(Ok);
    return (ok < 0 ? afterRes : afterRes.left(ok)).left(MaxResolutionLength);
}

} // namespace

ModelLayout layoutFor(const QString &model)
{
    static const ModelLayout Layouts[] = {
        { QStringLiteral("16x16"), 16, 16, 4, 4 },
        { QStringLiteral("8x16"), 8, 16, 4, 4 },
        { QStringLiteral("8x9"), 8, 9, 3, 3 },
        { QStringLiteral("8x8"), 8, 8, 2, 4 },
        { QStringLiteral("4x4"), 4, 4, 2, 2 },
        { QStringLiteral("4x2"), 4, 2, 1, 2 },
    };
    for (const ModelLayout &layout : Layouts) {
        if (layout.model == model)
            return layout;
    }
    return ModelLayout { Model4x4, 4, 4, 2, 2 };
}

int inputCount(const QString &model)
{
    return Protocol::toNumber(Protocol::textBefore(model, QLatin1String("x")));
}

int outputCount(const QString &model)
{
    const auto after = Protocol::valueAfter(model, QLatin1String("x"));
    return after ? Protocol::toNumber(after->left(MaxOutputDigits)) : 0;
}

RoutingAnswer parseRouting(const QString &reply)
{
    RoutingAnswer answer;
    QString text = reply;
    if (text.contains(PollingStopped)) {
        answer.pollingStopped = true;
        text.remove(PollingStoppedOk);
        // A notice cut off before its "ok" would still hold an "in" ("polling").
        text.remove(PollingStopped);
    }

    if (text.split(Out).size() > SingleAnswerPieces) {
        answer.wholeTable = true;
        QString table = text;
        table.replace(Ok, Out);
        const QStringList pieces = table.split(Out, Qt::SkipEmptyParts);
        if (!tableSizeFits(pieces.size())) {
            answer.outOfRange = true;
            return answer;
        }
        for (const QString &piece : pieces) {
            const Route route { Protocol::toNumber(Protocol::textBefore(piece, In)),
                Protocol::toNumber(Protocol::valueAfter(piece, In)) };
            if (isPort(route.output) && isPort(route.input))
                answer.routes.append(route);
        }
        return answer;
    }

    const Route route { Protocol::toNumber(Protocol::valueBetweenLast(text, Out, In)),
        Protocol::toNumber(Protocol::valueBetweenLast(text, In, Ok)) };
    if (isPort(route.output) && isPort(route.input))
        answer.routes.append(route);
    return answer;
}

ResolutionAnswer parseInputResolutions(const QString &reply)
{
    ResolutionAnswer answer;
    if (reply.split(In).size() <= SingleAnswerPieces) {
        const int input = Protocol::toNumber(Protocol::valueBetweenLast(reply, In, Res));
        const auto value = Protocol::valueBetweenLast(reply, Res, Ok);
        if (!value || !isPort(input))
            return answer;
        const QString resolution = value->left(MaxResolutionLength);
        if (!resolution.isEmpty())
            answer.entries.append(InputResolution { input, resolution, true });
        return answer;
    }

    answer.allInputs = true;
    const QStringList pieces = reply.split(In, Qt::SkipEmptyParts);
    if (!tableSizeFits(pieces.size())) {
        answer.outOfRange = true;
        return answer;
    }
    for (int i = 0; i < pieces.size(); ++i) {
        const QString &piece = pieces.at(i);
        const int port = Protocol::toNumber(Protocol::textBefore(piece, Res));
        const auto afterRes = Protocol::valueAfter(piece, Res);
        if (!afterRes || !isPort(port))
            continue;
        const QString resolution = resolutionText(*afterRes);
        if (!resolution.isEmpty())
            answer.entries.append(InputResolution { port, resolution, port == i + 1 });
    }
    return answer;
}

int tableResolutionDelayMs(LinkKind link, int baudRate, const QString &model)
{
    int delay = 0;
    if (link == LinkKind::Tcp)
        delay = model == Model4x4 ? TcpTableDelay4x4Ms : TcpTableDelayMs;
    else
        delay = (baudRate <= SlowSerialMaxBaud ? SlowSerialTableDelayMs : FastSerialTableDelayMs)
            + (model == Model4x4 ? Serial4x4ExtraMs : 0);
    if (model == Model8x8)
        delay += Extra8x8Ms;
    else if (model == Model16x16)
        delay += Extra16x16Ms;
    return delay;
}

int singleResolutionDelayMs(const QString &model)
{
    return model == Model4x4 ? SingleDelay4x4Ms : SingleDelayMs;
}

double tileFontSize(int height)
{
    double size = FontDefault;
    for (const FontStep &step : FontSteps) {
        if (height < step.below)
            size = step.size;
    }
    return size;
}

} // namespace Switching
