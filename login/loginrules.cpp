#include "login/loginrules.h"

#include "app/commonlyused.h"

#include <QSet>

namespace LoginRules {

namespace {
const QString kAdminName = QStringLiteral("admin");
const QString kUserName = QStringLiteral("user");
constexpr int kThirdOctetIndex = 2;
} // namespace

QString passwordPattern()
{
    return QStringLiteral("^[A-Za-z0-9`~!@#$%^&*_+=<>(),.-]+$");
}

QRegularExpression passwordExpression()
{
    return QRegularExpression(passwordPattern());
}

bool isAllowedPassword(const QString &text)
{
    static const QRegularExpression expression = passwordExpression();
    return expression.match(text).hasMatch();
}

LoginCheck checkLogin(const QString &typedName, const QString &typedPassword,
                      const StoredAccount &admin, const StoredAccount &user)
{
    StoredAccount stored;
    if (typedName == kUserName)
        stored = user;
    else if (typedName == kAdminName)
        stored = admin;

    if (typedName.isEmpty())
        return LoginCheck::EmptyName;
    if (typedPassword.isEmpty())
        return LoginCheck::EmptyPassword;
    if (typedName != stored.name)
        return LoginCheck::WrongName;
    if (CommonlyUsed::Encode_Password(typedPassword) != stored.storedPassword)
        return LoginCheck::WrongPassword;
    return LoginCheck::Ok;
}

QString accountTypeFor(const QString &typedName)
{
    return typedName == kUserName ? QStringLiteral("User") : QStringLiteral("Admin");
}

PasswordChangeCheck checkPasswordChange(const QString &oldPassword, const QString &newPassword,
                                        const QString &confirmPassword, const QString &storedOld)
{
    if (oldPassword.isEmpty())
        return PasswordChangeCheck::OldEmpty;
    if (newPassword.isEmpty())
        return PasswordChangeCheck::NewEmpty;
    if (confirmPassword.isEmpty())
        return PasswordChangeCheck::ConfirmEmpty;
    // An account without a stored password can never be confirmed.
    if (storedOld.isEmpty() || CommonlyUsed::Encode_Password(oldPassword) != storedOld)
        return PasswordChangeCheck::OldWrong;
    if (newPassword == oldPassword)
        return PasswordChangeCheck::SameAsOld;
    if (confirmPassword != newPassword)
        return PasswordChangeCheck::ConfirmMismatch;
    return PasswordChangeCheck::Ok;
}

int thirdOctet(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() <= kThirdOctetIndex)
        return 0;
    bool ok = false;
    const int value = parts.at(kThirdOctetIndex).trimmed().toInt(&ok, 10);
    return ok ? value : 0;
}

bool sameThirdOctet(const QString &deviceIp, const QString &localIp)
{
    return thirdOctet(deviceIp) == thirdOctet(localIp);
}

bool hasDuplicates(const QStringList &items)
{
    QSet<QString> seen;
    for (const QString &item : items) {
        if (seen.contains(item))
            return true;
        seen.insert(item);
    }
    return false;
}

TcpChoiceCheck checkTcpChoice(const QStringList &deviceList, const QString &deviceIp,
                              const QString &localIp)
{
    if (hasDuplicates(deviceList))
        return TcpChoiceCheck::Duplicate;
    if (deviceIp.trimmed().isEmpty())
        return TcpChoiceCheck::EmptyDevice;
    if (!sameThirdOctet(deviceIp, localIp))
        return TcpChoiceCheck::DifferentSegment;
    return TcpChoiceCheck::Ok;
}

QString portNameOf(const QString &entry)
{
    const int blank = entry.indexOf(QLatin1Char(' '));
    return blank < 0 ? entry : entry.left(blank);
}

QStringList portEntries(const QList<PortDescription> &ports)
{
    QStringList entries;
    for (const PortDescription &port : ports) {
        if (!port.description.isEmpty())
            entries << port.name + QLatin1Char(' ') + port.description;
    }
    return entries;
}

bool RevealRule::textChanged(const QString &text, bool byOperator)
{
    if (text.isEmpty()) {
        m_prefilled = false;
        return false;
    }
    return byOperator && !m_prefilled;
}

} // namespace LoginRules
