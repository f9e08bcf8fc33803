#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Every settings file, group, key and default in one place. Files live in
// "ConfigurationFile/LoginSystem/" below the application directory; every
// access opens the file, reads or writes, and closes it again, so each reader
// sees what the last writer stored.
namespace SettingsCatalogue {

// Directories below the application directory, created by createDefaultFiles().
inline constexpr char ConfigurationDir[] = "ConfigurationFile";
inline constexpr char LoginSystemDir[] = "ConfigurationFile/LoginSystem";
inline constexpr char QssDir[] = "ConfigurationFile/QSS";
inline constexpr char ImageDir[] = "image";
inline constexpr char QssOverrideFile[] = "ConfigurationFile/QSS/Login.qss";
inline constexpr char TrayIconOverrideFile[] = "image/trayIcon.png";

// File names in ConfigurationFile/LoginSystem.
namespace File {
inline constexpr char ConnectType[] = "connect_type.ini";
inline constexpr char SerialPortConfig[] = "Serial_portConfig.ini";
inline constexpr char TcpConfig[] = "TCPConfig.ini";
inline constexpr char LoginSystemConfig[] = "LoginSystemConfig.ini";
inline constexpr char RememberPassword[] = "ISRememberPassword.ini";
inline constexpr char DefaultAccount[] = "DefaultAccount.ini";
inline constexpr char EquipmentChannels[] = "equipment_channels.ini";
inline constexpr char SignalSwitching[] = "SignalSwitching.ini";
inline constexpr char UpgradeFilePath[] = "UpgradeFilePath.ini";
inline constexpr char CecSetConfig[] = "cecSetConfig.ini";
inline constexpr char EdidSetting[] = "edidSetting.ini";
} // namespace File

// One value: its file, its "group/key" and what a missing value reads as
// (nullptr: an invalid QVariant, i.e. empty text).
struct Key
{
    const char *file;
    const char *key;
    const char *fallback;
};

namespace Keys {
inline constexpr Key ConnectionMode{File::ConnectType, "connect_type/Type", "TCP"};
inline constexpr Key DeviceType{File::ConnectType, "deviceType/Type", "0"};
inline constexpr Key SerialPortName{File::SerialPortConfig, "Serial_port_information/SerialPortname", nullptr};
inline constexpr Key BaudRate{File::SerialPortConfig, "Serial_port_information/Baud_Rate", nullptr};
inline constexpr Key DeviceIp{File::TcpConfig, "TCP_information/MyIP", nullptr};
inline constexpr Key LocalIp{File::TcpConfig, "TCP_information/LocalIP", nullptr};
inline constexpr Key TcpPort{File::TcpConfig, "TCP_information/MyPort", nullptr};
inline constexpr Key ModuleMac{File::TcpConfig, "TCP_information/ModeMac", nullptr};
inline constexpr Key AccountType{File::LoginSystemConfig, "Account_type/type", nullptr};
inline constexpr Key AdminName{File::LoginSystemConfig, "AdminLoginInformation/AdminName", nullptr};
inline constexpr Key AdminPassword{File::LoginSystemConfig, "AdminLoginInformation/Password", nullptr};
inline constexpr Key UserName{File::LoginSystemConfig, "UserLoginInformation/UserName", nullptr};
inline constexpr Key UserPassword{File::LoginSystemConfig, "UserLoginInformation/Password", nullptr};
inline constexpr Key RememberPassword{File::RememberPassword, "ISRememberPassword/RememberPassword", "0"};
inline constexpr Key DefaultAccountShown{File::DefaultAccount, "DefaultAccount/Account", "0"};
inline constexpr Key EquipmentChannels{File::EquipmentChannels, "Equipment_Channels/Number", "4x2"};
inline constexpr Key UpgradeFilePath{File::UpgradeFilePath, "UpgradeFilePath/Path", nullptr};
inline constexpr Key EdidUpgradeFilePath{File::UpgradeFilePath, "EDID_UpgradeFilePath/EDID_Path", nullptr};
} // namespace Keys

// Values written into a new file.
namespace Defaults {
inline constexpr char AccountType[] = "Admin";
inline constexpr char AdminName[] = "admin";
inline constexpr char AdminPassword[] = "739204"; // stored encoded
inline constexpr char UserName[] = "user";
inline constexpr char UserPassword[] = "847"; // stored encoded
inline constexpr int RememberPassword = 0;
inline constexpr char DefaultAccount[] = "0";
inline constexpr char AccountAdmin[] = "Admin";
inline constexpr char AccountUser[] = "User";
inline constexpr char ModeSerialPort[] = "SerialPort";
inline constexpr char ModeTcp[] = "TCP";
// Written when the device reports a factory reset.
inline constexpr char FactoryBaudRate[] = "115200";
inline constexpr char FactoryDeviceIp[] = "192.168.0.178";
} // namespace Defaults

// Channel, scene and EDID names.
namespace Names {
inline constexpr char InputKey[] = "toolButton_HDMI/toolButton_value%1";
inline constexpr char OutputKey[] = "pushButton_OutPutHDMI/OutPutHDMI_value%1";
inline constexpr char SceneKey[] = "pushButton_scene/pushButton_scene_value%1";
inline constexpr char EdidGroup[] = "EDIDSET";
inline constexpr char EdidKey[] = "EDID%1"; // 1 to 4
inline constexpr int EdidSlots = 4;
} // namespace Names

// CEC page arrays in cecSetConfig.ini.
namespace Cec {
inline constexpr char TextArray[] = "CECTEXT";
inline constexpr char TextKey[] = "Text";
inline constexpr char OrderArray[] = "CECTORDER";
inline constexpr char OrderKey[] = "Order";
} // namespace Cec

// Full paths below the application directory.
QString appPath(const char *relative);
QString loginSystemDir();
QString filePath(const char *fileName);
bool fileExists(const char *fileName);

// Reads a value; a missing key, file or unreadable file gives the key's fallback.
QVariant read(const Key &key);
QString readString(const Key &key);
int readInt(const Key &key);
// Like readString, but an empty stored value also gives the fallback
// ("Equipment_Channels/Number").
QString readNonEmptyString(const Key &key);

// Writes and flushes; false when the value did not reach the disk.
bool write(const Key &key, const QVariant &value);
// Several values of one file in one go.
bool writeValues(const char *fileName, const QList<QPair<QString, QVariant>> &values);

// Array form: "<array>/size" and "<array>/<n>/<key>" with n from 1.
// Reads at most `maxEntries`, whatever "size" the file claims; a value that an
// unquoted "," split into a list (a file edited by hand) is joined again.
// `readable` (when given) turns false for a file that exists but cannot be read.
QStringList readArray(const char *fileName, const char *array, const char *key, int maxEntries,
                      bool *readable = nullptr);
bool writeArray(const char *fileName, const char *array, const char *key, const QStringList &values);

// What createDefaultFiles() found and did.
struct DefaultsResult
{
    // "DefaultAccount.ini" was missing: show the default account as hint.
    bool firstStart = false;
    // Every directory and file that had to be made was made.
    bool ok = true;
};
// Creates the folders and the missing default files, in this order: the four
// folders, DefaultAccount.ini, LoginSystemConfig.ini, ISRememberPassword.ini.
// Ends with restrictPasswordFiles().
DefaultsResult createDefaultFiles();

// The accounts file (and copies of it set aside when damaged) readable and
// writable by the owner only; every write of the accounts file keeps it so.
void restrictPasswordFiles();

// Names stored in SignalSwitching.ini, index from 0.
enum class NameKind { Input, Output, Scene };
QString nameKey(NameKind kind, int index);
// `count` entries; a missing name is empty text.
QStringList loadNames(NameKind kind, int count);
bool saveNames(NameKind kind, const QStringList &names);
// Inputs and outputs always; scenes only when `scenes` is given.
bool saveAllNames(const QStringList &inputs, const QStringList &outputs, const QStringList *scenes = nullptr);

// EDID slot names (slot 1 to 4) in edidSetting.ini below the application
// directory. An older program kept the file below the working directory: when
// the application directory has none, that copy is taken over once.
QString edidSettingsPath();
QString readEdidName(int slot);
bool writeEdidName(int slot, const QString &name);

// Factory reset: baud rate 115200 and device address 192.168.0.178; the local
// address, port and module MAC rewritten with the values held now.
bool writeFactoryResetValues(const QString &localIp, const QString &port, const QString &moduleMac);

} // namespace SettingsCatalogue
