#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

// Widget-free rules of the login, connection and user dialogs, kept apart so
// that they can be checked without building a window.
namespace LoginRules {

// Characters a password may hold. "-" stands last in the class so that it is a
// literal and not a range.
QString passwordPattern();
QRegularExpression passwordExpression();
bool isAllowedPassword(const QString &text);

// An account as it lies in the accounts file: name and stored (encoded) password.
struct StoredAccount
{
    QString name;
    QString storedPassword;
};

enum class LoginCheck {
    Ok,
    EmptyName,
    EmptyPassword,
    WrongName,
    WrongPassword,
};

// Checks a typed name and plain password against the two accounts, in the
// order the operator is told about them; only the first failure counts.
LoginCheck checkLogin(const QString &typedName, const QString &typedPassword,
                      const StoredAccount &admin, const StoredAccount &user);
// "Admin" or "User" for a typed name that passed checkLogin.
QString accountTypeFor(const QString &typedName);

enum class PasswordChangeCheck {
    Ok,
    OldEmpty,
    NewEmpty,
    ConfirmEmpty,
    OldWrong,
    SameAsOld,
    ConfirmMismatch,
};

PasswordChangeCheck checkPasswordChange(const QString &oldPassword, const QString &newPassword,
                                        const QString &confirmPassword, const QString &storedOld);

// Third dotted number of an address as a number; an absent, empty or
// non-numeric part counts as 0, and "001" equals "1".
int thirdOctet(const QString &address);
bool sameThirdOctet(const QString &deviceIp, const QString &localIp);

enum class TcpChoiceCheck {
    Ok,
    Duplicate,
    EmptyDevice,
    DifferentSegment,
};

// Duplicate list entries first, then an empty device address, then the
// same-segment rule.
TcpChoiceCheck checkTcpChoice(const QStringList &deviceList, const QString &deviceIp,
                              const QString &localIp);
bool hasDuplicates(const QStringList &items);

// Serial port entries are "name description"; the name is the text up to the
// first blank (the whole text when there is none).
QString portNameOf(const QString &entry);

struct PortDescription
{
    QString name;
    QString description;
};
// Combo entries for the ports that carry a description, in the given order.
QStringList portEntries(const QList<PortDescription> &ports);

// Decides which password text changes may be shown in clear: never the
// remembered password that was filled in at start, and never a text set by the
// program, only what the operator types into a field that holds no prefilled
// password. Emptying a prefilled field hands it over to the operator.
class RevealRule
{
public:
    void setPrefilled(bool prefilled) { m_prefilled = prefilled; }
    bool isPrefilled() const { return m_prefilled; }
    // Returns whether this change is to be revealed.
    bool textChanged(const QString &text, bool byOperator);

private:
    bool m_prefilled = false;
};

} // namespace LoginRules
