#include "mainwindow/wall/wallmodel.h"

#include "link/protocol/protocol.h"
#include "mainwindow/switching/switchingmodel.h"

#include <QStringList>

namespace Wall {

namespace {

const QLatin1String ModeKey("splicermodegroup");
const QLatin1String BorderKey("splicerbordersetgroup");
const QLatin1String SourceGroupKey("splicergroup");
const QLatin1String PositionKey("splicerposition");
const QLatin1String IsKey("is");
const QLatin1String SourceKey("source");
const QLatin1String OkKey("ok");
const QLatin1String HKey("h");
const QLatin1String VKey("v");
const QLatin1String SizeSeparator("x");

const QString Model4x4 = QStringLiteral("4x4");

// An int holds every number of this many digits.
constexpr int MaxDigits = 9;
constexpr int PositionFields = 4;

struct TextStep
{
    int below;
    TextMetrics metrics;
};
// Checked in order; the last one that matches wins.
constexpr TextStep TextSteps[] = {
    { 200, { 12.5, 33 } },
    { 180, { 11.5, 31 } },
    { 150, { 10.5, 29 } },
    { 130, { 9.5, 27 } },
    { 100, { 8.5, 25 } },
    { 80, { 7.5, 23 } },
    { 60, { 6.5, 21 } },
    { 40, { 5.5, 19 } },
    { 20, { 4.5, 17 } },
};

bool isPort(int number)
{
    return number >= 1 && number <= MaxPorts;
}

// Decimal digits only: "", "-1", "+2", "2ok" and overlong numbers are none,
// so a garbled answer cannot pass for 0 or wrap around.
std::optional<int> strictNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > MaxDigits)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return text.toInt();
}

std::optional<int> strictNumber(const std::optional<QString> &text)
{
    return text ? strictNumber(*text) : std::nullopt;
}

// Where the answer introduced by `key` starts reading, or -1. Every value is
// read from there on, so an earlier answer in the same text (a partition
// answer also says "group" and "is") cannot lend it a value.
int answerStart(const QString &text, QLatin1String key)
{
    const int at = text.indexOf(key);
    return at < 0 ? -1 : at + key.size();
}

// The value between `open` and `close` searched from `from`, and the
// position right after the value (where `close` starts, or the end).
std::optional<QString> valueFrom(const QString &text, QLatin1String open, QLatin1String close, int *from)
{
    const int at = text.indexOf(open, *from);
    if (at < 0)
        return std::nullopt;
    const int start = at + open.size();
    const int end = text.indexOf(close, start);
    *from = end < 0 ? text.size() : end;
    return text.mid(start, *from - start);
}

} // namespace

int maxScreensFor(const QString &model)
{
    return Switching::layoutFor(model).outputs;
}

SizeCheck checkSize(int rows, int columns, int maxScreens)
{
    if (rows < 1 || rows > maxScreens || columns < 1 || columns > maxScreens)
        return SizeCheck::TooLarge;
    return qint64(rows) * columns <= maxScreens ? SizeCheck::Ok : SizeCheck::TooLarge;
}

QString Screen::position() const
{
    return QStringLiteral("%1,%2").arg(row).arg(column);
}

Layout::Layout()
    : Layout(DefaultRows, DefaultColumns)
{
}

Layout::Layout(int rows, int columns)
    : m_rows(qBound(1, rows, MaxPorts))
    , m_columns(qBound(1, columns, MaxPorts))
{
    m_screens.reserve(m_rows * m_columns);
    for (int r = 1; r <= m_rows; ++r) {
        for (int c = 1; c <= m_columns; ++c) {
            Screen screen;
            screen.row = r;
            screen.column = c;
            m_screens.append(screen);
        }
    }
}

Screen Layout::screen(int index) const
{
    return m_screens.value(index);
}

int Layout::bind(int index, int port)
{
    if (index < 0 || index >= m_screens.size() || port < 0 || port > MaxPorts)
        return -1;
    int loser = -1;
    if (port != 0) {
        for (int i = 0; i < m_screens.size(); ++i) {
            if (i != index && m_screens[i].port == port) {
                m_screens[i].port = 0;
                loser = i;
                break;
            }
        }
    }
    m_screens[index].port = port;
    return loser;
}

int Layout::indexAt(int row, int column) const
{
    if (row < 1 || row > m_rows || column < 1 || column > m_columns)
        return -1;
    return (row - 1) * m_columns + (column - 1);
}

QVector<int> Layout::screensBoundTo(int port) const
{
    QVector<int> indices;
    if (!isPort(port))
        return indices;
    for (int i = 0; i < m_screens.size(); ++i) {
        if (m_screens[i].port == port)
            indices.append(i);
    }
    return indices;
}

bool Layout::anyBound() const
{
    for (const Screen &screen : m_screens) {
        if (screen.port != 0)
            return true;
    }
    return false;
}

void Layout::clear()
{
    for (Screen &screen : m_screens) {
        screen.port = 0;
        screen.input = 0;
    }
}

void Layout::setInput(int index, int input)
{
    if (index < 0 || index >= m_screens.size() || input < 0 || input > MaxPorts)
        return;
    m_screens[index].input = input;
}

TextMetrics textMetricsFor(int height)
{
    TextMetrics metrics;
    for (const TextStep &step : TextSteps) {
        if (height < step.below)
            metrics = step.metrics;
    }
    return metrics;
}

// ---- commands -----------------------------------------------------------------

QString sizeCommand(int rows, int columns)
{
    return QString::fromLatin1(Protocol::Command::SetSplicerMode).arg(rows).arg(columns);
}

QString borderCommand(int vertical, int horizontal)
{
    return QString::fromLatin1(Protocol::Command::SetSplicerBorder).arg(vertical).arg(horizontal);
}

QString positionsCommand(const Layout &layout)
{
    QString command;
    for (const Screen &screen : layout.screens()) {
        if (screen.port != 0)
            command += QString::fromLatin1(Protocol::Command::SetSplicerPosition)
                           .arg(screen.port)
                           .arg(screen.position());
    }
    return command;
}

QString switchCommand(const Layout &layout, int input, const QString &model)
{
    if (!isPort(input) || !layout.anyBound())
        return {};
    // The 4x4 device takes one wall source instead of a route; without a
    // bound screen there is no wall for it to feed.
    if (model == Model4x4)
        return QString::fromLatin1(Protocol::Command::SetSplicerSource).arg(Group).arg(input);
    QString command = QStringLiteral("(sw,%1").arg(input);
    for (const Screen &screen : layout.screens()) {
        if (screen.port != 0)
            command += QStringLiteral(",%1").arg(screen.port);
    }
    return command + QLatin1Char(')');
}

// ---- answers --------------------------------------------------------------------

std::optional<ModeAnswer> parseMode(const QString &text)
{
    int from = 0;
    const auto group = strictNumber(valueFrom(text, ModeKey, IsKey, &from));
    const auto mode = valueFrom(text, IsKey, OkKey, &from);
    if (!group || !mode)
        return std::nullopt;
    const int cross = mode->indexOf(SizeSeparator);
    if (cross < 0)
        return std::nullopt;
    const auto rows = strictNumber(mode->left(cross));
    const auto columns = strictNumber(mode->mid(cross + SizeSeparator.size()));
    if (!rows || !columns || (*rows == 0) != (*columns == 0))
        return std::nullopt;
    // "0x0" is the device's word for a wall of one screen.
    if (*rows == 0)
        return ModeAnswer { *group, 1, 1 };
    return ModeAnswer { *group, *rows, *columns };
}

std::optional<BorderAnswer> parseBorder(const QString &text)
{
    int from = answerStart(text, BorderKey);
    if (from < 0)
        return std::nullopt;
    const auto first = strictNumber(valueFrom(text, HKey, VKey, &from));
    const auto second = strictNumber(valueFrom(text, VKey, OkKey, &from));
    if (!first || !second)
        return std::nullopt;
    return BorderAnswer { *first, *second };
}

std::optional<int> parseSource(const QString &text)
{
    int from = 0;
    if (!strictNumber(valueFrom(text, SourceGroupKey, SourceKey, &from)))
        return std::nullopt;
    const auto input = strictNumber(valueFrom(text, SourceKey, OkKey, &from));
    if (!input || !isPort(*input))
        return std::nullopt;
    return input;
}

QVector<PositionRecord> parsePositions(const QString &text)
{
    QVector<PositionRecord> records;
    const int from = answerStart(text, PositionKey);
    if (from < 0)
        return records;
    const int end = text.indexOf(OkKey, from);
    const QString body = text.mid(from, end < 0 ? -1 : end - from);
    for (const QString &record : body.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList fields = record.split(QLatin1Char(','));
        if (fields.size() < PositionFields)
            continue;
        std::optional<int> values[PositionFields];
        bool complete = true;
        for (int i = 0; i < PositionFields; ++i) {
            values[i] = strictNumber(fields[i].mid(fields[i].lastIndexOf(QLatin1Char(':')) + 1));
            complete = complete && values[i];
        }
        if (complete)
            records.append(PositionRecord { *values[0], *values[1], *values[2], *values[3] });
    }
    return records;
}

} // namespace Wall
