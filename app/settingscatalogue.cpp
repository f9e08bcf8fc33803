#include "app/settingscatalogue.h"

#include "app/commonlyused.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>

#include <functional>

namespace SettingsCatalogue {

namespace {

QVariant fallbackOf(const Key &key)
{
    return key.fallback ? QVariant(QString::fromUtf8(key.fallback)) : QVariant();
}

// Flushes and tells whether the values reached the disk: QSettings keeps
// failures to itself unless asked.
bool commit(QSettings &settings)
{
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qWarning() << "settings not stored:" << settings.fileName() << "status" << settings.status();
        return false;
    }
    return true;
}

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// Files that hold the (merely shifted) account passwords.
bool holdsPasswords(const QString &path)
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(filePath(File::LoginSystemConfig)).absoluteFilePath();
}

void restrictToOwner(const QString &path)
{
    if (QFileInfo(path).permissions() & ~(OwnerOnly | QFileDevice::ReadUser | QFileDevice::WriteUser)) {
        if (!QFile::setPermissions(path, OwnerOnly))
            qWarning() << "cannot restrict the permissions of" << path;
    }
}

// QSettings replaces the file through a temporary copy that keeps the mode of
// the file it replaces; a new password file is therefore made owner-only
// before anything is written into it. True when the empty file was made here.
bool prepareOwnerOnly(const QString &path)
{
    bool created = false;
    if (!QFileInfo::exists(path)) {
        QFile file(path);
        created = file.open(QIODevice::WriteOnly);
    }
    restrictToOwner(path);
    return created;
}

// QSettings waits without a bound for its "<file>.lock", and takes a lock
// that names no owner for stale only after 30 s; one left behind by a crash
// would hold up the next write that long. False when the lock can be neither
// cleared nor waited for.
bool releaseAbandonedLock(const QString &path)
{
    const QString lockPath = path + QStringLiteral(".lock");
    const QFileInfo info(lockPath);
    if (!info.exists() && !info.isSymLink())
        return true;
    QLockFile lock(lockPath);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application)) {
        // QLockFile writes its owner right after creating the file.
        if (!info.isFile() || !QFile::remove(lockPath)) {
            qWarning() << "settings lock without owner cannot be removed:" << lockPath;
            return false;
        }
        qWarning() << "removed settings lock without owner:" << lockPath;
        return true;
    }
    // Takes over and drops a lock whose owner has died; a living owner is
    // waited for by QSettings as usual.
    if (lock.tryLock(0)) {
        qWarning() << "removed settings lock of ended process" << pid << ":" << lockPath;
        lock.unlock();
    }
    return true;
}

bool ensureParent(const QString &path)
{
    const QString parent = QFileInfo(path).absolutePath();
    if (QDir().mkpath(parent))
        return true;
    qWarning() << "cannot create settings folder" << parent;
    return false;
}

// Applies the changes and flushes them. QSettings will not overwrite a file
// it could not parse: the damaged file is then kept aside for inspection and a
// fresh one written with everything that could still be read plus the change,
// so the operator's value is stored.
bool store(const QString &path, const std::function<void(QSettings &)> &apply)
{
    if (!ensureParent(path) || !releaseAbandonedLock(path))
        return false;
    const bool secret = holdsPasswords(path);
    const bool created = secret && prepareOwnerOnly(path);
    QVariantMap everything;
    {
        QSettings settings(path, QSettings::IniFormat);
        apply(settings);
        settings.sync();
        if (settings.status() == QSettings::NoError) {
            if (secret)
                restrictToOwner(path);
            return true;
        }
        if (settings.status() != QSettings::FormatError) {
            qWarning() << "settings not stored:" << path << "status" << settings.status();
            // An empty accounts file would stop the defaults from being written.
            if (created && QFileInfo(path).size() == 0)
                QFile::remove(path);
            return false;
        }
        for (const QString &key : settings.allKeys()) {
            if (!key.isEmpty())
                everything.insert(key, settings.value(key));
        }
    }
    const QString aside = path + QStringLiteral(".corrupt-")
                          + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
    QFile::remove(aside);
    if (!QFile::rename(path, aside)) {
        qWarning() << "settings file cannot be parsed nor set aside:" << path;
        return false;
    }
    qWarning() << "settings file could not be parsed, kept as" << aside << "and written anew";
    if (secret) {
        restrictToOwner(aside);
        prepareOwnerOnly(path);
    }
    QSettings fresh(path, QSettings::IniFormat);
    for (auto it = everything.cbegin(); it != everything.cend(); ++it)
        fresh.setValue(it.key(), it.value());
    const bool stored = commit(fresh);
    if (secret)
        restrictToOwner(path);
    return stored;
}

bool writeToPath(const QString &path, const QList<QPair<QString, QVariant>> &values)
{
    return store(path, [&values](QSettings &settings) {
        for (const auto &entry : values)
            settings.setValue(entry.first, entry.second);
    });
}

QString legacyEdidPath()
{
    return QDir::current().absoluteFilePath(QString::fromUtf8(LoginSystemDir) + QLatin1Char('/')
                                            + QString::fromUtf8(File::EdidSetting));
}

QString edidKey(int slot)
{
    return QString::fromUtf8(Names::EdidGroup) + QLatin1Char('/') + QString::fromUtf8(Names::EdidKey).arg(slot);
}

} // namespace

QString appPath(const char *relative)
{
    return CommonlyUsed::applicationDir() + QLatin1Char('/') + QString::fromUtf8(relative);
}

QString loginSystemDir()
{
    return appPath(LoginSystemDir);
}

QString filePath(const char *fileName)
{
    return loginSystemDir() + QLatin1Char('/') + QString::fromUtf8(fileName);
}

bool fileExists(const char *fileName)
{
    return QFileInfo(filePath(fileName)).isFile();
}

QVariant read(const Key &key)
{
    QSettings settings(filePath(key.file), QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        qWarning() << "settings file unreadable, using defaults:" << settings.fileName();
    return settings.value(QString::fromUtf8(key.key), fallbackOf(key));
}

QString readString(const Key &key)
{
    return read(key).toString();
}

int readInt(const Key &key)
{
    bool ok = false;
    const int value = read(key).toInt(&ok);
    return ok ? value : fallbackOf(key).toInt();
}

QString readNonEmptyString(const Key &key)
{
    const QString value = readString(key);
    return value.isEmpty() ? fallbackOf(key).toString() : value;
}

bool write(const Key &key, const QVariant &value)
{
    return writeValues(key.file, {{QString::fromUtf8(key.key), value}});
}

bool writeValues(const char *fileName, const QList<QPair<QString, QVariant>> &values)
{
    return writeToPath(filePath(fileName), values);
}

QStringList readArray(const char *fileName, const char *array, const char *key, int maxEntries, bool *readable)
{
    const QString path = filePath(fileName);
    const QFileInfo info(path);
    QSettings settings(path, QSettings::IniFormat);
    const bool ok = !info.exists() || (info.isFile() && info.isReadable() && settings.status() == QSettings::NoError);
    if (readable)
        *readable = ok;
    if (!ok) {
        qWarning() << "cannot read" << path;
        return {};
    }
    const int count = qBound(0, settings.beginReadArray(QString::fromUtf8(array)), maxEntries);
    QStringList values;
    values.reserve(count);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const QVariant value = settings.value(QString::fromUtf8(key));
        values << (value.type() == QVariant::StringList ? value.toStringList().join(QLatin1Char(','))
                                                        : value.toString());
    }
    settings.endArray();
    return values;
}

bool writeArray(const char *fileName, const char *array, const char *key, const QStringList &values)
{
    return store(filePath(fileName), [&](QSettings &settings) {
        settings.remove(QString::fromUtf8(array)); // no stale entries past the new size
        settings.beginWriteArray(QString::fromUtf8(array), values.size());
        for (int i = 0; i < values.size(); ++i) {
            settings.setArrayIndex(i);
            settings.setValue(QString::fromUtf8(key), values.at(i));
        }
        settings.endArray();
    });
}

DefaultsResult createDefaultFiles()
{
    DefaultsResult result;
    for (const char *dir : {ConfigurationDir, LoginSystemDir, QssDir, ImageDir}) {
        if (!QDir().mkpath(appPath(dir))) {
            qWarning() << "cannot create folder" << appPath(dir);
            result.ok = false;
        }
    }
    if (!fileExists(File::DefaultAccount)) {
        result.firstStart = true;
        result.ok &= write(Keys::DefaultAccountShown, QString::fromUtf8(Defaults::DefaultAccount));
    }
    if (!fileExists(File::LoginSystemConfig)) {
        result.ok &= writeValues(
            File::LoginSystemConfig,
            {{QString::fromUtf8(Keys::AccountType.key), QString::fromUtf8(Defaults::AccountType)},
             {QString::fromUtf8(Keys::AdminName.key), QString::fromUtf8(Defaults::AdminName)},
             {QString::fromUtf8(Keys::AdminPassword.key),
              CommonlyUsed::Encode_Password(QString::fromUtf8(Defaults::AdminPassword))},
             {QString::fromUtf8(Keys::UserName.key), QString::fromUtf8(Defaults::UserName)},
             {QString::fromUtf8(Keys::UserPassword.key),
              CommonlyUsed::Encode_Password(QString::fromUtf8(Defaults::UserPassword))}});
    }
    if (!fileExists(File::RememberPassword))
        result.ok &= write(Keys::RememberPassword, Defaults::RememberPassword);
    restrictPasswordFiles();
    return result;
}

void restrictPasswordFiles()
{
    const QString accounts = filePath(File::LoginSystemConfig);
    QStringList files{accounts};
    // Copies of a damaged accounts file hold the passwords as well.
    const QFileInfo info(accounts);
    for (const QString &aside : info.dir().entryList({info.fileName() + QStringLiteral(".corrupt-*")}, QDir::Files))
        files << info.dir().filePath(aside);
    for (const QString &file : qAsConst(files)) {
        if (QFileInfo(file).isFile())
            restrictToOwner(file);
    }
}

QString nameKey(NameKind kind, int index)
{
    const char *pattern = kind == NameKind::Input ? Names::InputKey
                          : kind == NameKind::Output ? Names::OutputKey
                                                     : Names::SceneKey;
    return QString::fromUtf8(pattern).arg(index);
}

QStringList loadNames(NameKind kind, int count)
{
    QSettings settings(filePath(File::SignalSwitching), QSettings::IniFormat);
    QStringList names;
    for (int i = 0; i < count; ++i)
        names << settings.value(nameKey(kind, i)).toString();
    return names;
}

bool saveNames(NameKind kind, const QStringList &names)
{
    QList<QPair<QString, QVariant>> values;
    for (int i = 0; i < names.size(); ++i)
        values.append({nameKey(kind, i), names.at(i)});
    return writeValues(File::SignalSwitching, values);
}

bool saveAllNames(const QStringList &inputs, const QStringList &outputs, const QStringList *scenes)
{
    QList<QPair<QString, QVariant>> values;
    for (int i = 0; i < inputs.size(); ++i)
        values.append({nameKey(NameKind::Input, i), inputs.at(i)});
    for (int i = 0; i < outputs.size(); ++i)
        values.append({nameKey(NameKind::Output, i), outputs.at(i)});
    if (scenes) {
        for (int i = 0; i < scenes->size(); ++i)
            values.append({nameKey(NameKind::Scene, i), scenes->at(i)});
    }
    return writeValues(File::SignalSwitching, values);
}

QString edidSettingsPath()
{
    return filePath(File::EdidSetting);
}

namespace {

// The file to read EDID names from: the application directory's, taken over
// from the working directory when only an older copy lies there.
QString edidReadPath()
{
    const QString path = edidSettingsPath();
    if (QFileInfo(path).isFile())
        return path;
    const QString legacy = legacyEdidPath();
    if (!QFileInfo(legacy).isFile() || QFileInfo(legacy).canonicalFilePath() == QFileInfo(path).canonicalFilePath())
        return path;
    if (ensureParent(path) && QFile::copy(legacy, path)) {
        qDebug() << "EDID names taken over from" << legacy;
        return path;
    }
    qWarning() << "cannot copy" << legacy << "to" << path << "; reading the old copy";
    return legacy;
}

} // namespace

QString readEdidName(int slot)
{
    QSettings settings(edidReadPath(), QSettings::IniFormat);
    return settings.value(edidKey(slot)).toString();
}

bool writeEdidName(int slot, const QString &name)
{
    edidReadPath(); // keep the other slots of an older copy
    return writeToPath(edidSettingsPath(), {{edidKey(slot), name}});
}

bool writeFactoryResetValues(const QString &localIp, const QString &port, const QString &moduleMac)
{
    const bool serial = write(Keys::BaudRate, QString::fromUtf8(Defaults::FactoryBaudRate));
    const bool tcp = writeValues(File::TcpConfig,
                                 {{QString::fromUtf8(Keys::DeviceIp.key), QString::fromUtf8(Defaults::FactoryDeviceIp)},
                                  {QString::fromUtf8(Keys::LocalIp.key), localIp},
                                  {QString::fromUtf8(Keys::TcpPort.key), port},
                                  {QString::fromUtf8(Keys::ModuleMac.key), moduleMac}});
    return serial && tcp;
}

} // namespace SettingsCatalogue
