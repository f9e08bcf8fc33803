#pragma once

#include <QString>
#include <QVector>

// What the signal switching page shows, worked out without widgets: the
// layout of each matrix size, the reading of routing and resolution answers,
// and the timing tables of the page.
namespace Switching {

inline constexpr int MaxPorts = 16;
inline constexpr int MinTablePieces = 2;

// Page layout of one matrix size.
struct ModelLayout
{
    QString model;   // the model laid out ("4x4" for an unknown text)
    int inputs = 4;  // input buttons shown
    int outputs = 4; // output tiles shown
    int rows = 2;    // tile grid
    int columns = 2;
};
// "16x16", "8x16", "8x9", "8x8", "4x4", "4x2"; any other text as "4x4".
ModelLayout layoutFor(const QString &model);

// Port counts read from the model text: inputs = the number before the first
// "x", outputs = the number of the (at most two) characters after it; 0 when
// not readable. Guards the route requests of a click.
int inputCount(const QString &model);
int outputCount(const QString &model);

struct Route
{
    int output = 0; // 1..16
    int input = 0;  // 1..16
};

// A routing answer: the whole table ("out1in1out2in3...ok") or one switch
// ("out5in3ok"), possibly led by "scenepollingdisable" "ok" when the route
// stopped the device's scene polling; the notice is cut out before reading.
// Numbers that do not convert count as 0 and their pieces are skipped.
struct RoutingAnswer
{
    bool pollingStopped = false;
    bool wholeTable = false;
    // A whole table whose piece count lies outside 2..16: nothing is applied
    // and the dispatch of the text ends.
    bool outOfRange = false;
    // The pieces with output and input both in 1..16, in answer order; a
    // single switch yields at most one.
    QVector<Route> routes;
};
RoutingAnswer parseRouting(const QString &reply);

struct InputResolution
{
    int input = 0;      // 1..16
    QString resolution; // never empty, never with the closing "ok"
    // All-inputs answer: the piece stood at position `input` (1-based), so
    // the port status label of that input may show it.
    bool atOwnPosition = true;
};
// "in3res1920x1080@60Hzok" (one input) or one "in<n>res<r>" per input ending
// in "ok" (all inputs). Each resolution ends at its "ok" and at 20
// characters; empty resolutions and ports outside 1..16 are skipped.
struct ResolutionAnswer
{
    bool allInputs = false;
    // All inputs with a piece count outside 2..16: nothing applied, the
    // dispatch ends.
    bool outOfRange = false;
    QVector<InputResolution> entries;
};
ResolutionAnswer parseInputResolutions(const QString &reply);

// ---- timing ------------------------------------------------------------------
inline constexpr int EnterPageDelayMs = 40;          // before the page's queries
inline constexpr int SwitchResolutionDelayMs = 100;  // after a click on a tile
inline constexpr int AllSwitchResolutionDelayMs = 1000; // after one-to-all

enum class LinkKind { Tcp, Serial };
// After an asynchronous whole-table answer while page 0 shows: TCP 300 ms
// (700 on "4x4"); serial 600 ms at <= 19200 baud, else 300 ms, +400 on
// "4x4"; both +300 on "8x8", +500 on "16x16".
int tableResolutionDelayMs(LinkKind link, int baudRate, const QString &model);
// After an asynchronous single-switch answer: 200 ms on "4x4", else 300 ms.
int singleResolutionDelayMs(const QString &model);

// ---- tiles --------------------------------------------------------------------
// Font size of an output tile by its height (13.5, 11.5 < 200, 10.5 < 150,
// 9.5 < 100, 7.5 < 65).
double tileFontSize(int height);

} // namespace Switching
