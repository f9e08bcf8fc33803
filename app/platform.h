#pragma once

#include <QString>

class QWidget;

// What differs between Windows and the other systems: where the interface
// language is kept, and how a window is pinned on top.
namespace Platform {

inline constexpr char LanguageValueName[] = "Language";
// Windows: HKEY_CURRENT_USER\Software\Trivane. Elsewhere the per-user native
// settings of organisation and application "Trivane" (on Linux
// $XDG_CONFIG_HOME/Trivane/Trivane.conf).
inline constexpr char LanguageRegistryKey[] = "HKEY_CURRENT_USER\\Software\\Trivane";
inline constexpr char LanguageOrganisation[] = "Trivane";
inline constexpr char LanguageApplication[] = "Trivane";
// What a missing value reads as.
inline constexpr char LanguageMissingValue[] = "zh_TW";

inline constexpr char TranslationEnglish[] = ":/qm/Trivane.qm";
inline constexpr char TranslationEnglishOrvexT[] = ":/qm/Orvex_T.qm";
inline constexpr char TranslationTraditional[] = ":/qm/zh_TW.qm";
inline constexpr int DeviceTypeOrvexT = 3;

enum LanguageIndex { SimplifiedChinese = 0, English = 1, TraditionalChinese = 2 };

// The stored "Language" value; "zh_TW" when there is none.
QString languageValue();
// Stores the value; false when it did not reach the store.
bool setLanguageValue(const QString &value);
// "zh_CN", "en_US", "zh_TW" for the indices 0, 1, 2 (the language list order);
// empty for any other index.
QString languageValueForIndex(int index);

// Tests keep the value in an INI file of their own instead of the user's
// store; an empty path returns to the real store.
void setLanguageStoreOverride(const QString &iniFilePath);

struct LanguageChoice
{
    int index = SimplifiedChinese;
    QString translationFile; // empty: the source texts, no translator
};
// Chosen by the country of the locale the value names: China -> source texts,
// Taiwan -> Traditional Chinese, anything else -> English (the Orvex-T wording
// for device type 3).
LanguageChoice languageForValue(const QString &value, int deviceTypeIndex);

// Installs the translation (replacing the one installed before) and records
// the index in CommonlyUsed; Qt's own texts follow the language in force
// (applyQtTranslation). False when the translation could not be loaded; the
// source texts are then in force.
bool applyLanguage(const LanguageChoice &choice);

// Qt's own texts (file dialogs, context menus of text fields) come from the
// translations installed with Qt: "qtbase_zh_CN" for Simplified Chinese,
// "qtbase_zh_TW" for Traditional Chinese, none (Qt's English) otherwise.
inline constexpr char QtTranslationSimplified[] = "qtbase_zh_CN";
inline constexpr char QtTranslationTraditional[] = "qtbase_zh_TW";
QString qtTranslationForIndex(int languageIndex);
// Replaces the Qt translation installed before with the one of the language.
// Looks in Qt's translations directory, then in "translations" next to the
// executable (where a Windows deployment puts them). A missing file is
// logged and false returned; Qt's English texts are then in force.
bool applyQtTranslation(int languageIndex);
// Tests look for Qt's translations in this directory only; empty returns to
// the usual places.
void setQtTranslationDirOverride(const QString &dir);
// applyLanguage(languageForValue(languageValue(), deviceTypeIndex)).
bool applyStoredLanguage(int deviceTypeIndex);

// Keeps the window above all others, or releases it.
void setTopmost(QWidget *window, bool on);
bool isTopmost(const QWidget *window);

} // namespace Platform
