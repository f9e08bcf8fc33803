#include "login/loginfiles.h"

#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/settingscatalogue.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace SC = SettingsCatalogue;

namespace LoginFiles {

namespace {
const QString kAdmin = QString::fromLatin1(SC::Defaults::AdminName);
const QString kUser = QString::fromLatin1(SC::Defaults::UserName);

// The value as stored, without the catalogue's fallback.
QString readRaw(const SC::Key &key)
{
    QSettings settings(SC::filePath(key.file), QSettings::IniFormat);
    return settings.value(QString::fromLatin1(key.key)).toString();
}
} // namespace

bool createDefaultFiles()
{
    const SC::DefaultsResult result = SC::createDefaultFiles();
    if (!result.ok)
        qWarning() << "Login: some settings folders or default files could not be created";
    return result.firstStart;
}

QString accountsFilePath()
{
    return SC::filePath(SC::File::LoginSystemConfig);
}

Accounts readAccounts()
{
    const QString path = accountsFilePath();
    const QFileInfo info(path);
    QSettings settings(path, QSettings::IniFormat);
    const auto value = [&settings](const SC::Key &key) { return settings.value(QString::fromLatin1(key.key)).toString(); };
    Accounts accounts;
    accounts.accountType = value(SC::Keys::AccountType);
    accounts.admin = {value(SC::Keys::AdminName), value(SC::Keys::AdminPassword)};
    accounts.user = {value(SC::Keys::UserName), value(SC::Keys::UserPassword)};
    accounts.readable = info.isFile() && info.isReadable() && settings.status() == QSettings::NoError
                        && (settings.contains(QString::fromLatin1(SC::Keys::AdminName.key))
                            || settings.contains(QString::fromLatin1(SC::Keys::UserName.key)));
    if (!accounts.readable)
        qWarning() << "accounts file missing, damaged or unreadable:" << path << "status" << settings.status();
    return accounts;
}

QString accountsUnreadableText()
{
    return QCoreApplication::translate("LoginFiles", "账号文件已损坏或无法读取：%1")
        .arg(QDir::toNativeSeparators(accountsFilePath()));
}

QString accountsUnwritableText()
{
    return QCoreApplication::translate("LoginFiles", "账号文件无法写入：%1")
        .arg(QDir::toNativeSeparators(accountsFilePath()));
}

QString storedPasswordOf(const QString &accountName)
{
    if (accountName == kAdmin)
        return readRaw(SC::Keys::AdminPassword);
    if (accountName == kUser)
        return readRaw(SC::Keys::UserPassword);
    return QString();
}

bool setAccountType(const QString &type)
{
    return SC::write(SC::Keys::AccountType, type);
}

bool writeAccount(const QString &accountName, const QString &plainPassword)
{
    const QString stored = CommonlyUsed::Encode_Password(plainPassword);
    if (accountName == kAdmin) {
        return SC::writeValues(SC::File::LoginSystemConfig,
                               {{QString::fromLatin1(SC::Keys::AdminName.key), accountName},
                                {QString::fromLatin1(SC::Keys::AdminPassword.key), stored}});
    }
    if (accountName == kUser) {
        return SC::writeValues(SC::File::LoginSystemConfig,
                               {{QString::fromLatin1(SC::Keys::UserName.key), accountName},
                                {QString::fromLatin1(SC::Keys::UserPassword.key), stored}});
    }
    return false;
}

QString rememberPassword()
{
    return readRaw(SC::Keys::RememberPassword);
}

void setRememberPassword(bool remember)
{
    SC::write(SC::Keys::RememberPassword, remember ? QStringLiteral("1") : QStringLiteral("0"));
}

QString connectionType()
{
    return readRaw(SC::Keys::ConnectionMode);
}

QString connectionTypeOrTcp()
{
    return SC::readString(SC::Keys::ConnectionMode);
}

int deviceTypeIndex()
{
    return SC::readInt(SC::Keys::DeviceType);
}

void setDeviceTypeIndex(int index)
{
    SC::write(SC::Keys::DeviceType, index);
}

QString serialPortName() { return readRaw(SC::Keys::SerialPortName); }
QString serialBaudRate() { return readRaw(SC::Keys::BaudRate); }
QString tcpDeviceIp() { return readRaw(SC::Keys::DeviceIp); }
QString tcpLocalIp() { return readRaw(SC::Keys::LocalIp); }
QString tcpPort() { return readRaw(SC::Keys::TcpPort); }

void setSerialChoice(const QString &portName, const QString &baudRate)
{
    SC::writeValues(SC::File::SerialPortConfig,
                    {{QString::fromLatin1(SC::Keys::SerialPortName.key), portName},
                     {QString::fromLatin1(SC::Keys::BaudRate.key), baudRate}});
    SC::write(SC::Keys::ConnectionMode, QString::fromLatin1(SC::Defaults::ModeSerialPort));
}

void setTcpChoice(const QString &deviceIp, const QString &localIp, const QString &port)
{
    SC::writeValues(SC::File::TcpConfig,
                    {{QString::fromLatin1(SC::Keys::DeviceIp.key), CommonlyUsed::Plain_IP_Address(deviceIp)},
                     {QString::fromLatin1(SC::Keys::LocalIp.key), CommonlyUsed::Plain_IP_Address(localIp)},
                                          {QString::fromLatin1(SC::Keys::TcpPort.key), port}});
    SC::write(SC::Keys::ConnectionMode, QString::fromLatin1(SC::Defaults::ModeTcp));
}

QString languageValue()
{
    return Platform::languageValue();
}

} // namespace LoginFiles
