#include "mainwindow/cec/cecmodel.h"

#include "app/settingscatalogue.h"
#include "link/protocol/protocol.h"

#include <QDebug>

namespace Cec {

namespace {

const QLatin1String CommandOpen("(cec,");
constexpr QChar CommandClose(QLatin1Char(')'));
constexpr QChar Separator(QLatin1Char(','));

QString storePath()
{
    return SettingsCatalogue::filePath(SettingsCatalogue::File::CecSetConfig);
}

} // namespace

QString defaultCaption(int row)
{
    return row < 10 ? QStringLiteral("Button 0%1").arg(row) : QStringLiteral("Button %1").arg(row);
}

FieldsError fieldsError(const QString &fields)
{
    for (const QChar ch : fields) {
        const ushort code = ch.unicode();
        if (code < 0x20 || code == 0x7F)
            return FieldsError::Control;
        if (code > 0x7F)
            return FieldsError::NonAscii;
        if (ch == QLatin1Char(' '))
            return FieldsError::Blank;
        if (ch == QLatin1Char('(') || ch == CommandClose)
            return FieldsError::Parenthesis;
    }
    if (fields.isEmpty())
        return FieldsError::None;
    // ",," or a comma at either end would send an empty byte the device
    // reads as a different command.
    const QVector<QStringRef> items = fields.splitRef(Separator);
    for (const QStringRef &item : items) {
        if (item.isEmpty())
            return FieldsError::EmptyItem;
    }
    return FieldsError::None;
}

QString buildCommand(bool typeTwo, const QString &fields)
{
    if (fields.isEmpty() || fieldsError(fields) != FieldsError::None)
        return QString();
    return Protocol::build(Protocol::Command::Cec, { typeTwo ? 2 : 1, fields });
}

std::optional<StoredCommand> parseStoredCommand(const QString &command)
{
    if (!command.startsWith(CommandOpen) || !command.endsWith(CommandClose))
        return std::nullopt;
    // Everything between "(cec," and the final ")"; a ")" inside is refused
    // below, so nothing after a first command can ride along.
    const QString inner = command.mid(CommandOpen.size(), command.size() - CommandOpen.size() - 1);
    StoredCommand stored;
    if (inner.isEmpty())
        return stored; // "(cec,)": no type to show
    const int comma = inner.indexOf(Separator);
    const QString type = comma < 0 ? inner : inner.left(comma);
    if (type == QLatin1String("1"))
        stored.type = 1;
    else if (type == QLatin1String("2"))
        stored.type = 2;
    else
        return std::nullopt;
    if (comma < 0)
        return stored;
    stored.fields = inner.mid(comma + 1);
    // "(cec,1,)" carries an empty item, which fieldsError() passes only as a
    // whole empty text.
    if (stored.fields.isEmpty() || fieldsError(stored.fields) != FieldsError::None)
        return std::nullopt;
    return stored;
}

bool Store::load()
{
    m_rows = QVector<Row>(RowCount);
    m_dropped.clear();
    bool readable = true;
    const QStringList texts = SettingsCatalogue::readArray(SettingsCatalogue::File::CecSetConfig,
        SettingsCatalogue::Cec::TextArray, SettingsCatalogue::Cec::TextKey, RowCount, &readable);
    if (!readable)
        return false;
    const QStringList orders = SettingsCatalogue::readArray(SettingsCatalogue::File::CecSetConfig,
        SettingsCatalogue::Cec::OrderArray, SettingsCatalogue::Cec::OrderKey, RowCount);
    for (int i = 0; i < texts.size(); ++i)
        m_rows[i].caption = texts.at(i);
    for (int i = 0; i < orders.size(); ++i) {
        const QString &order = orders.at(i);
        if (order.isEmpty())
            continue;
        if (!parseStoredCommand(order)) {
            // Never sent: it could carry a second command after the first.
            qWarning() << "CEC row" << i + 1 << "holds a malformed command, ignored";
            m_dropped << i + 1;
            continue;
        }
        m_rows[i].command = order;
    }
    return true;
}

bool Store::save(const QVector<Row> &rows)
{
    QStringList texts;
    QStringList orders;
    for (int i = 0; i < RowCount; ++i) {
        const Row row = rows.value(i);
        texts << row.caption;
        orders << row.command;
    }
    const bool textsStored = SettingsCatalogue::writeArray(SettingsCatalogue::File::CecSetConfig,
        SettingsCatalogue::Cec::TextArray, SettingsCatalogue::Cec::TextKey, texts);
    const bool ordersStored = SettingsCatalogue::writeArray(SettingsCatalogue::File::CecSetConfig,
        SettingsCatalogue::Cec::OrderArray, SettingsCatalogue::Cec::OrderKey, orders);
    if (!textsStored || !ordersStored) {
        qWarning() << "CEC settings not stored:" << storePath();
        return false;
    }
    m_rows = QVector<Row>(RowCount);
    for (int i = 0; i < RowCount; ++i)
        m_rows[i] = rows.value(i);
    return true;
}

} // namespace Cec
