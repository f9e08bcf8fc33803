#pragma once

#include <QRect>
#include <QString>
#include <QVector>

#include <array>
#include <optional>

// The multi-view splitter without widgets: groups of four inputs, the sixteen
// split modes with their windows, the commands and the reading of answers.
namespace Partition {

inline constexpr int Groups = 4;
inline constexpr int InputsPerGroup = 4;
inline constexpr int Modes = 16;   // 0 = no split, 1..15 split modes
inline constexpr int Windows = 4;  // A..D
inline constexpr int None = -1;

// Groups whose inputs the model has: inputs / 4 rounded up, 1..4 (an unknown
// model counts as "4x4").
int groupsFor(const QString &model);

// Position inside its group of the input behind a list button: its number
// modulo 4, 0 read as 4 ("..._8" -> 4, "..._9" -> 1). None for numbers < 1.
int inputPosition(int listNumber);
// Absolute input of position 1..4 in group 1..4; None outside.
int absoluteInput(int group, int position);

// Windows a mode shows: 0 none; 1 and 4..7 two (A, B); 2 three; 3 and 8..15
// four. 0 for modes outside 0..15.
int windowCount(int mode);
// Pixel size of the window labels of a tile.
double fontSizeFor(int mode);
// Window rectangles of a tile whose right and bottom coordinates are `right`
// and `bottom` (inclusive), windowCount(mode) of them (one for mode 0: the
// whole tile).
QVector<QRect> windowRects(int mode, int right, int bottom);
// The rectangle window A's label is centred in: its window, or for modes
// 12..15 a strip of A along the edge it shares with the other windows.
QRect labelRectA(int mode, const QRect &windowA);

// ---- commands -----------------------------------------------------------------
QString modeQuery(int group);                    // "(get,splitmode,g)"
QString windowQuery(int group);                  // "(get,splitavsw,g)"
QString modeCommand(int group, int mode);        // "(set,splitmode,g,m)"
QString windowCommand(int group, int position, int window); // "(set,splitavsw,g,p,w)", window 1..4

// ---- answers (compact text) ---------------------------------------------------
struct ModeAnswer
{
    int group = 0; // 1..4
    int mode = 0;  // 0..15
};
// "group1splittermodeis3ok": group between "group" and "splitter", mode
// between "is" and "ok". Nothing for a group outside 1..4 or a mode outside
// 0..15.
std::optional<ModeAnswer> parseMode(const QString &text);

struct WindowsAnswer
{
    int group = 0;                       // 1..4
    std::array<int, Windows> positions{}; // in-group input of A..D, 0 = unreadable
};
// "group1splittervideoABCD1234ok": the four characters after "ABCD". Nothing
// for a group outside 1..4 or fewer than four characters; a character that is
// not 1..4 gives 0 for its window.
std::optional<WindowsAnswer> parseWindows(const QString &text);

// What the page keeps per group; the view shows the current group's.
struct GroupState
{
    int mode = None;                       // None until the device told
    std::array<int, Windows> positions{};  // 0 = unknown
};

} // namespace Partition
