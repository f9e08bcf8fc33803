#include "mainwindow/edid/edidmodel.h"

#include "app/settingscatalogue.h"
#include "link/protocol/protocol.h"

#include <QDebug>
#include <QRegularExpression>

#include <array>

namespace Edid {

namespace {

// Box number of each code, code 1 first. Built-in resolutions keep the boxes
// 1..6, the two 4K profiles came later and got boxes 27 and 28, the user
// slots sit on 23..26 and the copies of outputs 1..16 on 7..22.
constexpr std::array<int, ProfileCount> BoxOfCode = {
    1, 2, 3, 4, 5, 6, // codes 1..6
    27, 28, // codes 7, 8
    23, 24, 25, 26, // codes 9..12
    7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, // codes 13..28
};

// A number as the device writes it; 0 when it does not convert or lies
// outside 1..`max`.
int numberIn(const QString &digits, int max)
{
    bool ok = false;
    const int value = digits.toInt(&ok, 10);
    return ok && value >= 1 && value <= max ? value : 0;
}

} // namespace

int boxForCode(int code)
{
    return code >= 1 && code <= ProfileCount ? BoxOfCode[std::size_t(code - 1)] : 0;
}

int codeForBox(int box)
{
    for (int code = 1; code <= ProfileCount; ++code) {
        if (BoxOfCode[std::size_t(code - 1)] == box)
            return code;
    }
    return 0;
}

const QVector<int> &boxesInCodeOrder()
{
    static const QVector<int> boxes(BoxOfCode.cbegin(), BoxOfCode.cend());
    return boxes;
}

int boxForUserSlot(int slot)
{
    return slot >= 1 && slot <= UserSlots ? boxForCode(FirstUserCode + slot - 1) : 0;
}

int copiedOutput(int code)
{
    return code >= FirstCopyCode && code <= ProfileCount ? code - FirstCopyCode + 1 : 0;
}

QString queryRequest(int input)
{
    return Protocol::build(Protocol::Command::GetInputEdid, { input });
}

QString setRequest(int input, int code)
{
    return Protocol::build(Protocol::Command::ConfigEdid, { input, code });
}

QVector<InputEdid> parseInputEdids(const QString &reply)
{
    // The input number must stand right between "in"/"input" and "edid", and
    // the code right between "edid" and "ok" (or the end): a routing answer
    // run together in front ("out1in2okin5edid9ok") or an EDID store
    // confirmation ("edid1updatedok") cannot lend a number.
    static const QRegularExpression answer(QStringLiteral("in(?:put)?([0-9]+)edid([0-9]+)(?=ok|\\z)"));
    QVector<InputEdid> found;
    QRegularExpressionMatchIterator it = answer.globalMatch(reply);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        const int input = numberIn(match.captured(1), MaxInputs);
        const int code = numberIn(match.captured(2), ProfileCount);
        if (input && code)
            found.append(InputEdid { input, code });
    }
    return found;
}

std::optional<InputEdid> parseInputEdid(const QString &reply)
{
    const QVector<InputEdid> found = parseInputEdids(reply);
    if (found.isEmpty())
        return std::nullopt;
    return found.first();
}

// ---- SetTracker ------------------------------------------------------------

void SetTracker::sent(int input, int code)
{
    m_input = input;
    m_code = code;
}

void SetTracker::clear()
{
    m_input = 0;
    m_code = 0;
}

SetTracker::Outcome SetTracker::answer(const InputEdid &edid)
{
    // Another input's answer (a query of another client, the front panel)
    // says nothing about this set, which keeps waiting.
    if (!pending() || edid.input != m_input)
        return Outcome::None;
    const bool taken = edid.code == m_code;
    clear();
    return taken ? Outcome::Confirmed : Outcome::Refused;
}

// ---- SlotNames ---------------------------------------------------------------

void SlotNames::load()
{
    for (int slot = 1; slot <= UserSlots; ++slot)
        m_names[slot - 1] = cleaned(SettingsCatalogue::readEdidName(slot));
}

QString SlotNames::name(int slot) const
{
    return slot >= 1 && slot <= UserSlots ? m_names.at(slot - 1) : QString();
}

bool SlotNames::store(int slot, const QString &name)
{
    if (slot < 1 || slot > UserSlots)
        return false;
    const QString value = cleaned(name);
    if (!SettingsCatalogue::writeEdidName(slot, value)) {
        qWarning() << "EDID slot name" << slot << "not stored in" << SettingsCatalogue::edidSettingsPath();
        return false;
    }
    m_names[slot - 1] = value;
    return true;
}

QString SlotNames::cleaned(const QString &name)
{
    QString text = name;
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    text.remove(QChar(QChar::LineSeparator));
    text.remove(QChar(QChar::ParagraphSeparator));
    text = text.trimmed();
    if (text.size() > MaxSlotNameLength) {
        int length = MaxSlotNameLength;
        // Never keep half of a character outside the basic plane.
        if (text.at(length - 1).isHighSurrogate())
            --length;
        text.truncate(length);
        text = text.trimmed();
    }
    return text;
}

} // namespace Edid
