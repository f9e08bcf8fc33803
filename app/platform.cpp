#include "app/platform.h"

#include "app/commonlyused.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QTranslator>

#include <memory>

namespace Platform {

namespace {

QString g_storeOverride;
std::unique_ptr<QTranslator> g_translator;
QString g_qtTranslationDirOverride;
std::unique_ptr<QTranslator> g_qtTranslator;
QString g_qtTranslationName; // of g_qtTranslator

std::unique_ptr<QSettings> openLanguageStore()
{
    if (!g_storeOverride.isEmpty())
        return std::make_unique<QSettings>(g_storeOverride, QSettings::IniFormat);
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(QString::fromUtf8(LanguageRegistryKey), QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromUtf8(LanguageOrganisation),
                                       QString::fromUtf8(LanguageApplication));
#endif
}

} // namespace

QString languageValue()
{
    const auto store = openLanguageStore();
    return store->value(QString::fromUtf8(LanguageValueName), QString::fromUtf8(LanguageMissingValue)).toString();
}

bool setLanguageValue(const QString &value)
{
    const auto store = openLanguageStore();
    store->setValue(QString::fromUtf8(LanguageValueName), value);
    store->sync();
    if (store->status() != QSettings::NoError) {
        qWarning() << "language not stored:" << store->fileName() << store->status();
        return false;
    }
    return true;
}

QString languageValueForIndex(int index)
{
    switch (index) {
    case SimplifiedChinese:
        return QStringLiteral("zh_CN");
    case English:
        return QStringLiteral("en_US");
    case TraditionalChinese:
        return QStringLiteral("zh_TW");
    default:
        return QString();
    }
}

void setLanguageStoreOverride(const QString &iniFilePath)
{
    g_storeOverride = iniFilePath;
}

LanguageChoice languageForValue(const QString &value, int deviceTypeIndex)
{
    LanguageChoice choice;
    const QLocale::Country country = QLocale(value.trimmed()).country();
    if (country == QLocale::China) {
        choice.index = SimplifiedChinese;
    } else if (country == QLocale::Taiwan) {
        choice.index = TraditionalChinese;
        choice.translationFile = QString::fromUtf8(TranslationTraditional);
    } else {
        choice.index = English;
        choice.translationFile = QString::fromUtf8(deviceTypeIndex == DeviceTypeOrvexT ? TranslationEnglishOrvexT
                                                                                       : TranslationEnglish);
    }
    return choice;
}

namespace {

bool applyOwnTranslation(const LanguageChoice &choice)
{
    if (g_translator) {
        QCoreApplication::removeTranslator(g_translator.get());
        g_translator.reset();
    }
    if (choice.translationFile.isEmpty()) {
        CommonlyUsed::setLanguageIndex(choice.index);
        return true;
    }
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(choice.translationFile)) {
        qWarning() << "cannot load translation" << choice.translationFile;
        CommonlyUsed::setLanguageIndex(SimplifiedChinese);
        return false;
    }
    QCoreApplication::installTranslator(translator.get());
    g_translator = std::move(translator);
    CommonlyUsed::setLanguageIndex(choice.index);
    return true;
}

} // namespace

bool applyLanguage(const LanguageChoice &choice)
{
    const bool loaded = applyOwnTranslation(choice);
    applyQtTranslation(CommonlyUsed::getLanguageIndex());
    return loaded;
}

QString qtTranslationForIndex(int languageIndex)
{
    switch (languageIndex) {
    case SimplifiedChinese:
        return QString::fromLatin1(QtTranslationSimplified);
    case TraditionalChinese:
        return QString::fromLatin1(QtTranslationTraditional);
    default:
        return QString();
    }
}

bool applyQtTranslation(int languageIndex)
{
    const QString name = qtTranslationForIndex(languageIndex);
    if (g_qtTranslator && name == g_qtTranslationName)
        return true; // already in force: spare the widgets another language change
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator.get());
        g_qtTranslator.reset();
        g_qtTranslationName.clear();
    }
    if (name.isEmpty())
        return true;
    const QStringList dirs = g_qtTranslationDirOverride.isEmpty()
                                 ? QStringList{QLibraryInfo::location(QLibraryInfo::TranslationsPath),
                                               QCoreApplication::applicationDirPath() + QStringLiteral("/translations")}
                                 : QStringList{g_qtTranslationDirOverride};
    auto translator = std::make_unique<QTranslator>();
    for (const QString &dir : dirs) {
        if (translator->load(name, dir)) {
            QCoreApplication::installTranslator(translator.get());
            g_qtTranslator = std::move(translator);
            g_qtTranslationName = name;
            return true;
        }
    }
    qWarning() << "Qt translation" << name << "not found in" << dirs << "- Qt's dialogs stay in English";
    return false;
}

void setQtTranslationDirOverride(const QString &dir)
{
    g_qtTranslationDirOverride = dir;
}

bool applyStoredLanguage(int deviceTypeIndex)
{
    const QString value = languageValue();
    qDebug() << "Language =" << value;
    return applyLanguage(languageForValue(value, deviceTypeIndex));
}

} // namespace Platform
