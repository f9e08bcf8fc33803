#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

#include <optional>

// The CEC panel without widgets: what a row holds, how a stored command reads
// back into the row's fields and how the fields become a command, and the
// store in "cecSetConfig.ini" (arrays "CECTEXT"/"Text" and "CECTORDER"/"Order",
// one entry per row in row order).
namespace Cec {

inline constexpr int RowCount = 16;

// Caption of a row after "default": "Button 01" ... "Button 09", "Button 10" ... "Button 16".
QString defaultCaption(int row);

// A stored command "(cec,<type>,<fields>)" read back.
struct StoredCommand
{
    // 1 = type button off, 2 = on; nothing when the command has no type field.
    std::optional<int> type;
    // Everything after "(cec,<type>," up to the last ")".
    QString fields;
};
// Nothing for a malformed command: not "(cec," ... ")", a type other than
// 1 or 2, or fields that fieldsError() refuses.
std::optional<StoredCommand> parseStoredCommand(const QString &command);

// Why typed command fields cannot go into a command, or None. The fields are
// comma-separated items of printable ASCII without blanks, "(" or ")"; an
// empty text is allowed (the row sends nothing).
enum class FieldsError { None, Parenthesis, Blank, Control, NonAscii, EmptyItem };
FieldsError fieldsError(const QString &fields);

// "(cec,2,44,01,02)" from type button on and "44,01,02"; empty fields give an
// empty command. Only for fields that fieldsError() accepts.
QString buildCommand(bool typeTwo, const QString &fields);

struct Row
{
    QString caption; // empty: the built-in caption stays
    QString command; // empty: the button sends nothing
};

// The stored rows. At most RowCount entries are read; entries beyond are
// ignored, malformed commands are dropped (their row sends nothing).
class Store
{
public:
    // False when the file exists but cannot be read; a missing file gives
    // empty rows and counts as loaded.
    bool load();
    // Writes both arrays with RowCount entries; false when they did not reach the file.
    bool save(const QVector<Row> &rows);
    const QVector<Row> &rows() const { return m_rows; }
    // Malformed commands met by the last load (row numbers, 1-based).
    const QVector<int> &droppedRows() const { return m_dropped; }

private:
    QVector<Row> m_rows = QVector<Row>(RowCount);
    QVector<int> m_dropped;
};

} // namespace Cec
