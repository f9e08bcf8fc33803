#include "mainwindow/naming/namestore.h"

#include "app/settingscatalogue.h"
#include "mainwindow/naming/buttontext.h"
#include "mainwindow/scenes/scenemodel.h"

#include <QDebug>
#include <QFileInfo>
#include <QSettings>

namespace {

constexpr int LanguageCount = 3;

SettingsCatalogue::NameKind catalogueKind(NameStore::Kind kind)
{
    switch (kind) {
    case NameStore::Input:
        return SettingsCatalogue::NameKind::Input;
    case NameStore::Output:
        return SettingsCatalogue::NameKind::Output;
    case NameStore::Scene:
        break;
    }
    return SettingsCatalogue::NameKind::Scene;
}

// At most `length` characters, never half of a surrogate pair.
QString cut(const QString &text, int length)
{
    if (text.size() <= length)
        return text;
    int end = length;
    if (end > 0 && text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end);
}

QString withoutBlanks(QString text)
{
    return text.remove(QLatin1Char(' '));
}

// A value QSettings read as a list: an unquoted "," in a file edited by hand.
QString valueText(const QVariant &value)
{
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

} // namespace

NameStore::NameStore(QObject *parent) : QObject(parent)
{
    m_inputs = QVector<QString>(ChannelCount).toList();
    m_outputs = QVector<QString>(ChannelCount).toList();
    m_scenes = QVector<QString>(SceneCount).toList();
}

int NameStore::count(Kind kind)
{
    return kind == Scene ? SceneCount : ChannelCount;
}

QString NameStore::defaultName(Kind kind, int number, int language)
{
    if (kind == Scene)
        return Scenes::defaultSceneName(number, language);
    return QStringLiteral("HDMI-%1").arg(number);
}

QString NameStore::name(Kind kind, int number) const
{
    if (number < 1 || number > count(kind))
        return QString();
    const QString &stored = list(kind).at(number - 1);
    return stored.isEmpty() ? defaultName(kind, number, m_language) : stored;
}

QStringList NameStore::names(Kind kind) const
{
    QStringList shown;
    for (int number = 1; number <= count(kind); ++number)
        shown << name(kind, number);
    return shown;
}

bool NameStore::hasName(Kind kind, int number) const
{
    return number >= 1 && number <= count(kind) && !list(kind).at(number - 1).isEmpty();
}

void NameStore::setName(Kind kind, int number, const QString &plain)
{
    if (number < 1 || number > count(kind))
        return;
    const QString before = name(kind, number);
    list(kind)[number - 1] = normalised(kind, number, plain);
    if (name(kind, number) != before)
        emit nameChanged(kind, number);
}

void NameStore::resetAll(Kind kind)
{
    for (int number = 1; number <= count(kind); ++number)
        setName(kind, number, QString());
}

QString NameStore::display(Kind kind, int number) const
{
    const QString plain = name(kind, number);
    return ButtonText::escape(kind == Scene ? ButtonText::wrapSceneName(plain)
                                            : ButtonText::wrapChannelName(plain));
}

void NameStore::setLanguage(int language)
{
    if (language == m_language)
        return;
    const QStringList before = names(Scene);
    m_language = language;
    for (int number = 1; number <= SceneCount; ++number) {
        if (name(Scene, number) != before.at(number - 1))
            emit nameChanged(Scene, number);
    }
}

bool NameStore::load()
{
    for (auto &written : m_written)
        written.reset();
    const QString path = SettingsCatalogue::filePath(SettingsCatalogue::File::SignalSwitching);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        for (Kind kind : {Input, Output, Scene})
            resetAll(kind);
        m_loaded = true;
        return true;
    }
    // Whatever is there belongs to the operator: a file that cannot be read
    // whole is never replaced by what little was understood of it.
    if (!info.isFile() || !info.isReadable()) {
        qWarning() << "channel names not readable:" << path;
        m_loaded = false;
        return false;
    }
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        qWarning() << "channel names not readable:" << path << "status" << settings.status();
        m_loaded = false;
        return false;
    }
    for (Kind kind : {Input, Output, Scene}) {
        for (int number = 1; number <= count(kind); ++number) {
            const QString key = SettingsCatalogue::nameKey(catalogueKind(kind), number - 1);
            const QString stored = valueText(settings.value(key));
            setName(kind, number, ButtonText::unescape(ButtonText::withoutLineBreaks(stored)));
        }
    }
    m_loaded = true;
    return true;
}

bool NameStore::save(Kind kind)
{
    return write({kind});
}

bool NameStore::saveAll(bool withScenes)
{
    return withScenes ? write({Input, Output, Scene}) : write({Input, Output});
}

bool NameStore::write(std::initializer_list<Kind> kinds)
{
    if (!m_loaded)
        return false;
    // Kinds whose names already stand in the file are not written again:
    // the switching page stores the names every time it is entered.
    QList<QPair<QString, QVariant>> values;
    QList<QPair<Kind, QStringList>> changed;
    for (Kind kind : kinds) {
        QStringList texts;
        for (int number = 1; number <= count(kind); ++number)
            texts << storedText(kind, number);
        if (m_written[kind] && *m_written[kind] == texts)
            continue;
        for (int number = 1; number <= count(kind); ++number)
            values.append({SettingsCatalogue::nameKey(catalogueKind(kind), number - 1), texts.at(number - 1)});
        changed.append({kind, texts});
    }
    if (values.isEmpty())
        return true;
    if (!SettingsCatalogue::writeValues(SettingsCatalogue::File::SignalSwitching, values))
        return false;
    for (const auto &entry : qAsConst(changed))
        m_written[entry.first] = entry.second;
    return true;
}

QString NameStore::storedText(Kind kind, int number) const
{
    // An entry without a name is written empty, which every reader of the
    // file takes as "keep the built-in text": a default then still follows
    // the language.
    if (!hasName(kind, number))
        return QString();
    const QString &plain = list(kind).at(number - 1);
    return ButtonText::escape(kind == Scene ? ButtonText::wrapSceneName(plain)
                                            : ButtonText::wrapChannelNameWhole(plain));
}

QString NameStore::normalised(Kind kind, int number, const QString &plain)
{
    const QString text = cut(ButtonText::withoutLineBreaks(plain).trimmed(), MaxStoredLength).trimmed();
    if (isDefaultText(kind, number, text))
        return QString();
    return text;
}

bool NameStore::isDefaultText(Kind kind, int number, const QString &plain)
{
    if (plain.isEmpty())
        return true;
    if (kind != Scene)
        return plain == defaultName(kind, number, 0);
    // Older files hold the default of whichever language was in force, some
    // with a blank before the number ("场景 5").
    const QString bare = withoutBlanks(plain);
    for (int language = 0; language < LanguageCount; ++language) {
        if (bare == withoutBlanks(defaultName(kind, number, language)))
            return true;
    }
    return false;
}

QStringList &NameStore::list(Kind kind)
{
    switch (kind) {
    case Input:
        return m_inputs;
    case Output:
        return m_outputs;
    case Scene:
        break;
    }
    return m_scenes;
}

const QStringList &NameStore::list(Kind kind) const
{
    return const_cast<NameStore *>(this)->list(kind);
}
