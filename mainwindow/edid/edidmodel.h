#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The EDID page without widgets: the table from profile code to option box,
// the requests, the reading of the device's answer, the state of a pending
// set and the names of the four user slots.
namespace Edid {

inline constexpr int ProfileCount = 28;
inline constexpr int MaxInputs = 16;
inline constexpr int UserSlots = 4;
// Codes of the user slots 1..4.
inline constexpr int FirstUserCode = 9;
// Codes 13..28 copy the EDID of output 1..16.
inline constexpr int FirstCopyCode = 13;
// Longest slot name kept: a longer stored one is cut, the field takes no more.
inline constexpr int MaxSlotNameLength = 32;

// Option box N is "checkBox_HDMI1_N" (caption "lineEdit_HDMI1_N").
// Code 1..28 -> box number; 0 outside the table.
int boxForCode(int code);
// Box number 1..28 -> code; 0 outside the table.
int codeForBox(int box);
// The box numbers in code order (code 1 first): the order in which a set
// looks for the checked box.
const QVector<int> &boxesInCodeOrder();
// Box of user slot 1..4 (boxes 23..26); 0 outside.
int boxForUserSlot(int slot);
// Output copied by a code 13..28 (1..16); 0 for any other code.
int copiedOutput(int code);

QString queryRequest(int input);          // "(get,i.edid,%1)"
QString setRequest(int input, int code);  // "(edid,config,%1,%2)"

struct InputEdid
{
    int input = 0; // 1..16
    int code = 0;  // 1..28
};
// "in5edid9ok": the input number stands right before "edid" after "in" or
// "input"; the code runs from "edid" to "ok". Anything else: nothing.
std::optional<InputEdid> parseInputEdid(const QString &reply);
// Every such answer in the text, in order (answers run together when the
// device is quick); pieces with a number outside the table are skipped.
QVector<InputEdid> parseInputEdids(const QString &reply);

// A set waits for the device to confirm exactly what was sent.
class SetTracker
{
public:
    enum class Outcome {
        None,      // not an answer to the pending set: show it as a query answer
        Confirmed, // the device took the profile that was sent
        Refused,   // same input, another profile: the device kept its own
    };
    void sent(int input, int code);
    // A query or another input chosen: nothing is pending any more.
    void clear();
    bool pending() const { return m_input != 0; }
    // Ends the pending set when the answer is about its input.
    Outcome answer(const InputEdid &edid);

private:
    int m_input = 0;
    int m_code = 0;
};

// Names of the user slots 1..4 in "edidSetting.ini" (group "EDIDSET", keys
// "EDID1".."EDID4"). Names are trimmed of line breaks and cut to
// MaxSlotNameLength.
class SlotNames
{
public:
    // Reads the file; a missing file or key gives an empty name (the page
    // keeps its built-in caption).
    void load();
    QString name(int slot) const;
    // Stores one slot; false when the value did not reach the file.
    bool store(int slot, const QString &name);
    static QString cleaned(const QString &name);

private:
    QStringList m_names = QStringList{QString(), QString(), QString(), QString()};
};

} // namespace Edid
