#pragma once

#include "login/loginrules.h"

#include <QString>

// The login dialogs' view of the settings files: small named reads and writes
// on top of the settings catalogue.
namespace LoginFiles {

// Creates the folders and every missing default file; true on the very first
// start (no default-account marker yet), when the default account is shown as hint.
bool createDefaultFiles();

struct Accounts
{
    QString accountType;
    LoginRules::StoredAccount admin;
    LoginRules::StoredAccount user;
    // False (and logged) when the file is missing, cannot be opened or
    // parsed, or holds neither account: its values then mean nothing.
    bool readable = false;
};
Accounts readAccounts();
QString accountsFilePath();
// Operator messages naming the accounts file.
QString accountsUnreadableText();
QString accountsUnwritableText();
// Stored password of "admin" or "user"; empty for any other name.
QString storedPasswordOf(const QString &accountName);
// False when the type did not reach the disk.
bool setAccountType(const QString &type);
// Writes name and stored form of the password for "admin" or "user".
bool writeAccount(const QString &accountName, const QString &plainPassword);

QString rememberPassword();
void setRememberPassword(bool remember);

// Saved mode as written, empty when none was saved yet.
QString connectionType();
// Saved mode as the connection dialog reads it ("TCP" when none).
QString connectionTypeOrTcp();
int deviceTypeIndex();
void setDeviceTypeIndex(int index);

QString serialPortName();
QString serialBaudRate();
QString tcpDeviceIp();
QString tcpLocalIp();
QString tcpPort();
void setSerialChoice(const QString &portName, const QString &baudRate);
void setTcpChoice(const QString &deviceIp, const QString &localIp, const QString &port);

// Interface language value ("zh_CN", "en_US", "zh_TW").
QString languageValue();

} // namespace LoginFiles
