#include "mainwindow/partition/partitionmodel.h"

#include "link/protocol/protocol.h"
#include "mainwindow/switching/switchingmodel.h"

#include <QPoint>

namespace Partition {

namespace {

const QLatin1String GroupKey("group");
const QLatin1String ModeKey("splittermode");
const QLatin1String VideoKey("splittervideo");
const QLatin1String IsKey("is");
const QLatin1String OkKey("ok");
const QLatin1String WindowsKey("ABCD");

// "15" is the longest number these answers hold; a longer run is noise.
constexpr int MaxNumberDigits = 2;

constexpr double NoSplitFontSize = 35;
constexpr double TwoWindowFontSize = 18;
constexpr double DefaultFontSize = 24;

// Modes 1 and 2 leave this much blank above and below their windows.
constexpr int SideBySideMargin = 20;
// Picture-in-picture windows keep this distance from the tile's frame.
constexpr int InsetMargin = 6;

bool isGroup(int group)
{
    return group >= 1 && group <= Groups;
}

bool isPosition(int position)
{
    return position >= 1 && position <= InputsPerGroup;
}

// Decimal digits only; "", "-1", "3x", "+2" and long runs are none.
std::optional<int> strictNumber(const QString &text)
{
    if (text.isEmpty() || text.size() > MaxNumberDigits)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return text.toInt();
}

// The group of the answer whose keyword starts at `keyAt`: the number after
// the last "group" before it, so an earlier answer run together with this one
// (a wall answer also says "group") does not lend its number.
std::optional<int> groupBefore(const QString &text, int keyAt)
{
    if (keyAt < GroupKey.size())
        return std::nullopt;
    const int at = text.lastIndexOf(GroupKey, keyAt - GroupKey.size());
    if (at < 0)
        return std::nullopt;
    const int start = at + GroupKey.size();
    const auto group = strictNumber(text.mid(start, keyAt - start));
    if (!group || !isGroup(*group))
        return std::nullopt;
    return group;
}

int windowDigit(QChar c)
{
    const int value = c.digitValue();
    return isPosition(value) ? value : 0;
}

// The window spanning (left, top)..(right, bottom) inclusive, cut to the
// tile; empty when the tile is too small to hold it.
QRect window(const QRect &tile, int left, int top, int right, int bottom)
{
    if (right < left || bottom < top)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom)).intersected(tile);
}

} // namespace

int groupsFor(const QString &model)
{
    const int inputs = Switching::layoutFor(model).inputs;
    return qBound(1, (inputs + InputsPerGroup - 1) / InputsPerGroup, Groups);
}

int inputPosition(int listNumber)
{
    if (listNumber < 1)
        return None;
    const int position = listNumber % InputsPerGroup;
    return position == 0 ? InputsPerGroup : position;
}

int absoluteInput(int group, int position)
{
    if (!isGroup(group) || !isPosition(position))
        return None;
    return position + InputsPerGroup * (group - 1);
}

int windowCount(int mode)
{
    switch (mode) {
    case 0:
        return 0;
    case 1:
    case 4:
    case 5:
    case 6:
    case 7:
        return 2;
    case 2:
        return 3;
    default:
        return mode >= 3 && mode < Modes ? 4 : 0;
    }
}

double fontSizeFor(int mode)
{
    if (mode == 0)
        return NoSplitFontSize;
    if (mode == 1 || mode == 2)
        return TwoWindowFontSize;
    return DefaultFontSize;
}

QVector<QRect> windowRects(int mode, int right, int bottom)
{
    const int W = right;
    const int H = bottom;
    const QRect tile = W < 0 || H < 0 ? QRect() : QRect(QPoint(0, 0), QPoint(W, H));
    const auto at = [&tile](int l, int t, int r, int b) { return window(tile, l, t, r, b); };
    const int m = InsetMargin;

    switch (mode) {
    case 0:
        return { tile };
    case 1:
        return { at(0, SideBySideMargin, W / 2 - 1, H - SideBySideMargin),
                 at(W / 2, SideBySideMargin, W, H - SideBySideMargin) };
    case 2:
        return { at(0, 0, W / 2 - 1, H / 2), at(W / 2, 0, W, H / 2), at(W / 4, H / 2 + 1, 3 * W / 4, H) };
    case 3:
        return { at(0, 0, W / 2 - 1, H / 2 - 1), at(W / 2, 0, W, H / 2 - 1),
                 at(0, H / 2, W / 2 - 1, H), at(W / 2, H / 2, W, H) };
    case 4:
        return { tile, at(m, m, W / 4, H / 3) };
    case 5:
        return { tile, at(m, 2 * H / 3, W / 4, H - m) };
    case 6:
        return { tile, at(3 * W / 4, m, W - m, H / 3) };
    case 7:
        return { tile, at(3 * W / 4, 2 * H / 3, W - m, H - m) };
    case 8:
    case 9: {
        // A column of three picture-in-picture windows, each a quarter wide,
        // over the full-size window A, with a small gap between them.
        const int left = mode == 8 ? m : W - W / 4;
        const int columnRight = mode == 8 ? W / 4 : W - m;
        const int gap = m / 2;
        return { tile, at(left, m, columnRight, H / 3 - gap), at(left, H / 3 + gap, columnRight, 2 * H / 3 - gap),
                 at(left, 2 * H / 3 + gap, columnRight, H - m) };
    }
    case 10: // A the left two thirds, B..D stacked in the right third
        return { at(0, 0, 2 * W / 3 - 1, H), at(2 * W / 3, 0, W, H / 3 - 1), at(2 * W / 3, H / 3, W, 2 * H / 3 - 1),
                 at(2 * W / 3, 2 * H / 3, W, H) };
    case 11: // the mirror of 10
        return { at(W / 3, 0, W, H), at(0, 0, W / 3 - 1, H / 3 - 1), at(0, H / 3, W / 3 - 1, 2 * H / 3 - 1),
                 at(0, 2 * H / 3, W / 3 - 1, H) };
    // 12..15: A is a band of one third along one side and B..D share the
    // rest as three wide stripes; A's label sits on its inner edge, where the
    // neighbours' own labels are a third of the tile away.
    case 12: // A along the left, B..D rows on the right
        return { at(0, 0, W / 3 - 1, H), at(W / 3, 0, W, H / 3 - 1), at(W / 3, H / 3, W, 2 * H / 3 - 1),
                 at(W / 3, 2 * H / 3, W, H) };
    case 13: // A along the right, B..D rows on the left
        return { at(2 * W / 3, 0, W, H), at(0, 0, 2 * W / 3 - 1, H / 3 - 1), at(0, H / 3, 2 * W / 3 - 1, 2 * H / 3 - 1),
                 at(0, 2 * H / 3, 2 * W / 3 - 1, H) };
    case 14: // A along the top, B..D columns below
        return { at(0, 0, W, H / 3 - 1), at(0, H / 3, W / 3 - 1, H), at(W / 3, H / 3, 2 * W / 3 - 1, H),
                 at(2 * W / 3, H / 3, W, H) };
    case 15: // A along the bottom, B..D columns above
        return { at(0, 2 * H / 3, W, H), at(0, 0, W / 3 - 1, 2 * H / 3 - 1), at(W / 3, 0, 2 * W / 3 - 1, 2 * H / 3 - 1),
                 at(2 * W / 3, 0, W, 2 * H / 3 - 1) };
    default:
        return {};
    }
}

QRect labelRectA(int mode, const QRect &windowA)
{
    // In modes 12..15 A is a band beside the others: its letter moves to the
    // edge it shares with them, but stays inside A so it never straddles
    // the line between windows.
    QRect label = windowA;
    if (windowA.isEmpty())
        return label;
    const int band = qRound(2 * fontSizeFor(mode));
    switch (mode) {
    case 12:
        label.setLeft(qMax(windowA.left(), windowA.right() - band + 1));
        break;
    case 13:
        label.setRight(qMin(windowA.right(), windowA.left() + band - 1));
        break;
    case 14:
        label.setTop(qMax(windowA.top(), windowA.bottom() - band + 1));
        break;
    case 15:
        label.setBottom(qMin(windowA.bottom(), windowA.top() + band - 1));
        break;
    default:
        break;
    }
    return label;
}

// ---- commands -----------------------------------------------------------------

QString modeQuery(int group)
{
    return Protocol::build(Protocol::Command::GetSplitMode, { group });
}

QString windowQuery(int group)
{
    return Protocol::build(Protocol::Command::GetSplitAvSwitch, { group });
}

QString modeCommand(int group, int mode)
{
    return Protocol::build(Protocol::Command::SetSplitMode, { group, mode });
}

QString windowCommand(int group, int position, int window)
{
    return Protocol::build(Protocol::Command::SetSplitAvSwitch, { group, position, window });
}

// ---- answers ------------------------------------------------------------------

std::optional<ModeAnswer> parseMode(const QString &text)
{
    const int key = text.indexOf(ModeKey);
    if (key < 0)
        return std::nullopt;
    const auto group = groupBefore(text, key);
    const auto value = Protocol::valueBetween(text, IsKey, OkKey, key + ModeKey.size());
    if (!group || !value)
        return std::nullopt;
    const auto mode = strictNumber(*value);
    if (!mode || *mode >= Modes)
        return std::nullopt;
    return ModeAnswer { *group, *mode };
}

std::optional<WindowsAnswer> parseWindows(const QString &text)
{
    const int key = text.indexOf(VideoKey);
    if (key < 0)
        return std::nullopt;
    const auto group = groupBefore(text, key);
    const int letters = text.indexOf(WindowsKey, key + VideoKey.size());
    if (!group || letters < 0)
        return std::nullopt;
    const QString digits = text.mid(letters + WindowsKey.size(), Windows);
    if (digits.size() < Windows)
        return std::nullopt;
    WindowsAnswer answer;
    answer.group = *group;
    for (int i = 0; i < Windows; ++i)
        answer.positions[i] = windowDigit(digits.at(i));
    return answer;
}

} // namespace Partition
