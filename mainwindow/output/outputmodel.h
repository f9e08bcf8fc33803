#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// What the output setting page shows, worked out without widgets: the
// resolution and format tables, the requests of the page and the reading of
// the device's answers about outputs. Every parser returns a value or
// nothing; a malformed answer never yields half a value.
namespace Output {

inline constexpr int MaxOutputs = 16;
inline constexpr int MinLevel = 0;   // brightness, contrast
inline constexpr int MaxLevel = 100;
inline constexpr int MinTablePieces = 2;

// Device type index (CommonlyUsed::ver_minor): 0 Orvex, 1 Orvex-L, 2 Orvex-Q, 3 Orvex-T.
inline constexpr int DeviceTypeOrvexQ = 2;
inline constexpr int DeviceTypeOrvexT = 3;

// ---- tables -------------------------------------------------------------------

// Resolution texts in combo order; the command value is the position + 1.
// Entries 14 and 15 (4K at 60 Hz) exist on Orvex-T only.
QStringList resolutions(int deviceType);
// Command value (1-based) of a resolution text offered for this device type.
std::optional<int> resolutionValue(const QString &text, int deviceType);

enum class Format { Hdmi = 0, Dvi = 1 };
// "HDMI", "DVI": combo order = command value.
QStringList formatNames();

// Orvex-Q and Orvex-T switch external audio; the others have none.
bool hasExternalAudio(int deviceType);

// Output buttons shown for a model: 16 for "8x16"/"16x16", 9, 8, 4, 2 for
// "8x9", "8x8", "4x4", "4x2"; an unknown text is laid out as "4x4".
int outputsShown(const QString &model);

// ---- object names -------------------------------------------------------------
// Each widget carries its output number in its object name; 1..16 or nothing.

// "comboBox_resolution_ratio_3" -> 3 (the text after the last "_").
std::optional<int> numberAfterLastUnderscore(const QString &objectName);
// "comboBox_HDMI3_Signal_format" -> 3 (between "HDMI" and "_Signal").
std::optional<int> formatComboOutput(const QString &objectName);
// "OutputBrightnessWidget3" / "OutputContrastRatioWidget3" / "pushButtonAudioSwitch3" /
// "toolButton_HDMI3" -> 3 (the digits after `prefix`, nothing else after them).
std::optional<int> numberAfter(const QString &objectName, QLatin1String prefix);

// ---- requests -------------------------------------------------------------------
// An output outside 1..16 or a value outside its range gives an empty text:
// there is nothing to send.

// The queries of one output: resolution, format, brightness, contrast, and
// external audio where the device type has it.
QStringList outputQueries(int output, int deviceType);
QString resolutionRequest(int output, int value); // "(set,o.res,%1,%2)"
QString formatRequest(int output, Format format);  // "(set,o.format,%1,%2)"
QString brightnessRequest(int output, int value);  // "(set,brightness,%1,%2)"
QString contrastRequest(int output, int value);    // "(set,contrast,%1,%2)"
QString audioRequest(int output, bool on);          // "(set,ext.audio,%1,1|0)"

// ---- answers --------------------------------------------------------------------

struct LevelAnswer
{
    int output = 0; // 1..16
    int value = 0;  // 0..100
};
// "output3brightness75ok"; output outside 1..16 or value outside 0..100: nothing.
std::optional<LevelAnswer> parseBrightness(const QString &reply);
// "output3contrast40ok".
std::optional<LevelAnswer> parseContrast(const QString &reply);

struct AudioAnswer
{
    int output = 0;
    bool on = false;
};
// "output3externalaudioonok" / "...offok".
std::optional<AudioAnswer> parseExternalAudio(const QString &reply);

struct OutputResolution
{
    int output = 0;     // 1..16
    QString resolution; // never empty, never with the closing "ok"
};
// "out3res1920x1080@60Hzok" (one output) or one "out<n>res<r>" per output
// ending in "ok" (all outputs). Every resolution ends at its "ok". Other
// answers run together with it (routing, signal status, "output..." answers)
// are passed over. A resolution that is not in the table is still returned.
struct ResolutionAnswer
{
    bool allOutputs = false;
    // All outputs with a piece count outside 2..16: nothing is applied and
    // the dispatch of the text ends.
    bool outOfRange = false;
    // One output: at most one entry. All outputs: the pieces whose port
    // equals their position, in order.
    QVector<OutputResolution> entries;
};
ResolutionAnswer parseOutputResolutions(const QString &reply);

struct FormatAnswer
{
    int output = 0;
    Format format = Format::Hdmi;
};
// "outputhdmi3formatisDVIok": output between "outputhdmi" and "formatis",
// format between "formatis" and "ok" (DVI looked for before HDMI).
std::optional<FormatAnswer> parseFormat(const QString &reply);

// "output3enabledhdcpok": the output whose DVI was refused.
std::optional<int> parseHdcpRefusal(const QString &reply);

} // namespace Output
