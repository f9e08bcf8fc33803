#pragma once

#include <QString>
#include <QVector>

#include <optional>

// The video wall (splicer group 1) without widgets: its size and the check
// of a size, the output bound to each screen, the commands the page sends and
// the reading of the device's wall answers.
namespace Wall {

inline constexpr int Group = 1;
// Screens allowed before the device has told its size.
inline constexpr int DefaultMaxScreens = 8;
inline constexpr int DefaultRows = 2;
inline constexpr int DefaultColumns = 4;
// Bezel values at or above this are not shown.
inline constexpr int BorderLimit = 100;
inline constexpr int MaxPorts = 16;
// "(set,splicerenable,1)" follows the positions this much later on "4x4".
inline constexpr int EnableDelayMs = 600;
inline constexpr int EnterPageDelayMs = 40;

// Outputs of a model text: the (at most two) digits after "x"; an unknown
// text counts as "4x4".
int maxScreensFor(const QString &model);

enum class SizeCheck {
    Ok,
    // Rows or columns outside 1..max, or their product above max: the red
    // "拼接行列总数不能超过" toast.
    TooLarge,
};
// Rows and columns are each checked against 1..maxScreens before they are
// multiplied, so no product can overflow.
SizeCheck checkSize(int rows, int columns, int maxScreens);

struct Screen
{
    int row = 1;    // 1-based
    int column = 1; // 1-based
    int port = 0;   // bound output, 0 = none
    int input = 0;  // input last shown on it, 0 = none

    // "%1,%2": row, column.
    QString position() const;
};

// The wall's screens row by row. Every output is bound to at most one screen.
class Layout
{
public:
    Layout(); // 2 x 4, unbound
    // Rows and columns are held to 1..MaxPorts each; callers check the size
    // with checkSize() first, this only keeps a bad size from allocating.
    Layout(int rows, int columns);

    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    int count() const { return m_screens.size(); }
    // index 0..count()-1 (screenIndex - 1); out-of-range indices are ignored
    // by the setters and give a default Screen.
    Screen screen(int index) const;
    const QVector<Screen> &screens() const { return m_screens; }

    // Binds `port` (1..MaxPorts) to screen `index`; the first other screen
    // that held it loses it. Returns that screen's index, or -1. Port 0
    // unbinds the screen.
    int bind(int index, int port);
    // The screen at (row, column), or -1.
    int indexAt(int row, int column) const;
    // Screens bound to `port`, in screen order (at most one); none for port 0.
    QVector<int> screensBoundTo(int port) const;
    bool anyBound() const;
    // Every screen loses its binding and its input.
    void clear();
    void setInput(int index, int input);

private:
    int m_rows = DefaultRows;
    int m_columns = DefaultColumns;
    QVector<Screen> m_screens;
};

// Text size of a screen tile by its height in pixels (smaller tiles, smaller
// text): 13.5/35 from 200 up, down to 4.5/17 below 20.
struct TextMetrics
{
    double fontSize = 13.5;
    int lineSpacing = 35;
};
TextMetrics textMetricsFor(int height);

// ---- commands -----------------------------------------------------------------
QString sizeCommand(int rows, int columns);          // "(set,splicermode,1,r,c)"
QString borderCommand(int vertical, int horizontal); // "(set,splicerbord,1,v,h)"
// One "(set,splicerpos,1,port,row,col)" per bound screen, in screen order,
// concatenated; empty when nothing is bound.
QString positionsCommand(const Layout &layout);
// The chosen input to every bound screen: "(sw,in,p1,p2,...)", or on "4x4"
// "(set,splicersrc,1,in)". Empty when the input is not 1..MaxPorts or no
// screen is bound (also on "4x4": an unbound wall has nothing to show).
QString switchCommand(const Layout &layout, int input, const QString &model);

// ---- answers (compact text, as the dispatcher hands it on) ------------------
struct ModeAnswer
{
    int group = 0;
    int rows = 0;    // 1 when the device reports "0x0"
    int columns = 0;
};
// "splicermodegroup1is2x4ok". Nothing when a field does not convert or only
// one of rows and columns is 0. The size itself is not checked here.
std::optional<ModeAnswer> parseMode(const QString &text);

struct BorderAnswer
{
    int first = 0;  // between "h" and "v": the vertical spacing box
    int second = 0; // between "v" and "ok": the horizontal spacing box
};
// "splicerbordersetgroup1h10v20ok". Nothing when a value does not convert or
// is negative; values of BorderLimit and above are returned (the page logs
// and ignores them).
std::optional<BorderAnswer> parseBorder(const QString &text);

// "splicergroup1source2ok": the input between "source" and "ok" (or the end),
// when it is 1..MaxPorts.
std::optional<int> parseSource(const QString &text);

struct PositionRecord
{
    int group = 0;
    int port = 0;
    int row = 0;    // the record's x
    int column = 0; // the record's y
};
// "splicerposition" then "group:1,port:2,x:1,y:1;" records up to the closing
// "ok". Each value is the text after the last ":" of its field. Empty records,
// records with fewer than four fields and values that do not convert are
// skipped; the caller checks ranges against its layout.
QVector<PositionRecord> parsePositions(const QString &text);

} // namespace Wall
