#include "app/commonlyused.h"
#include "login/loginrules.h"

#include <QtTest>

using namespace LoginRules;

class tst_LoginRules : public QObject
{
    Q_OBJECT

private slots:
    void passwordCharacters_data();
    void passwordCharacters();
    void loginOrder_data();
    void loginOrder();
    void passwordChange_data();
    void passwordChange();
    void tcpChoice_data();
    void tcpChoice();
    void portEntries();
    void revealRule();
};

void tst_LoginRules::passwordCharacters_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("default admin") << "739204" << true;
    QTest::newRow("every symbol") << "`~!@#$%^&*_-+=<>(),." << true;
    QTest::newRow("dash alone") << "-" << true;
    QTest::newRow("letters") << "abcXYZ" << true;
    QTest::newRow("blank") << "ab c" << false;
    QTest::newRow("bracket") << "[" << false;
    QTest::newRow("range between _ and +") << "ab]" << false;
    QTest::newRow("backslash") << "a\\b" << false;
    QTest::newRow("colon") << "a:b" << false;
    QTest::newRow("chinese") << QString::fromUtf8("密码") << false;
    QTest::newRow("empty") << "" << false;
}

void tst_LoginRules::passwordCharacters()
{
    QFETCH(QString, text);
    QFETCH(bool, allowed);
    QVERIFY(passwordExpression().isValid());
    QCOMPARE(isAllowedPassword(text), allowed);
}

void tst_LoginRules::loginOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("expected");
    QTest::newRow("admin ok") << "admin" << "739204" << int(LoginCheck::Ok);
    QTest::newRow("user ok") << "user" << "847" << int(LoginCheck::Ok);
    QTest::newRow("empty name wins over empty password") << "" << "" << int(LoginCheck::EmptyName);
    QTest::newRow("empty password") << "admin" << "" << int(LoginCheck::EmptyPassword);
    QTest::newRow("capital A") << "Admin" << "739204" << int(LoginCheck::WrongName);
    QTest::newRow("unknown name") << "root" << "x" << int(LoginCheck::WrongName);
    QTest::newRow("other account's password") << "admin" << "847" << int(LoginCheck::WrongPassword);
}

void tst_LoginRules::loginOrder()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(int, expected);
    const StoredAccount admin{QStringLiteral("admin"), CommonlyUsed::Encode_Password(QStringLiteral("739204"))};
    const StoredAccount user{QStringLiteral("user"), CommonlyUsed::Encode_Password(QStringLiteral("847"))};
    QCOMPARE(int(checkLogin(name, password, admin, user)), expected);
}

void tst_LoginRules::passwordChange_data()
{
    QTest::addColumn<QString>("oldPw");
    QTest::addColumn<QString>("newPw");
    QTest::addColumn<QString>("confirmPw");
    QTest::addColumn<int>("expected");
    QTest::newRow("ok") << "739204" << "ab~" << "ab~" << int(PasswordChangeCheck::Ok);
    QTest::newRow("old empty") << "" << "" << "" << int(PasswordChangeCheck::OldEmpty);
    QTest::newRow("new empty") << "739204" << "" << "x" << int(PasswordChangeCheck::NewEmpty);
    QTest::newRow("confirm empty") << "739204" << "x" << "" << int(PasswordChangeCheck::ConfirmEmpty);
    QTest::newRow("old wrong") << "111" << "x" << "x" << int(PasswordChangeCheck::OldWrong);
    // Same as old is refused before the confirmation is looked at.
    QTest::newRow("same as old") << "739204" << "739204" << "zzz" << int(PasswordChangeCheck::SameAsOld);
    QTest::newRow("mismatch") << "739204" << "abc" << "abd" << int(PasswordChangeCheck::ConfirmMismatch);
}

void tst_LoginRules::passwordChange()
{
    QFETCH(QString, oldPw);
    QFETCH(QString, newPw);
    QFETCH(QString, confirmPw);
    QFETCH(int, expected);
    const QString stored = CommonlyUsed::Encode_Password(QStringLiteral("739204"));
    QCOMPARE(int(checkPasswordChange(oldPw, newPw, confirmPw, stored)), expected);
    // An unknown account has no stored password: the old one can never match.
    if (expected == int(PasswordChangeCheck::Ok))
        QCOMPARE(int(checkPasswordChange(oldPw, newPw, confirmPw, QString())), int(PasswordChangeCheck::OldWrong));
}

void tst_LoginRules::tcpChoice_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("local");
    QTest::addColumn<int>("expected");
    QTest::newRow("third numbers equal, others differ")
        << QStringList{"192.168.1.10"} << "192.168.1.10" << "10.0.1.5" << int(TcpChoiceCheck::Ok);
    QTest::newRow("third numbers differ")
        << QStringList{"192.168.0.178"} << "192.168.0.178" << "192.168.1.20" << int(TcpChoiceCheck::DifferentSegment);
    QTest::newRow("leading zeros compare as numbers")
        << QStringList{"192.168.001.50"} << "192.168.001.50" << "192.168.1.7" << int(TcpChoiceCheck::Ok);
    QTest::newRow("10 is not 1")
        << QStringList{"192.168.10.5"} << "192.168.10.5" << "192.168.1.7" << int(TcpChoiceCheck::DifferentSegment);
    QTest::newRow("duplicate wins")
        << QStringList{"192.168.0.5", "192.168.0.5"} << "192.168.0.5" << "192.168.9.1" << int(TcpChoiceCheck::Duplicate);
    QTest::newRow("empty lists refused")
        << QStringList{} << "" << "" << int(TcpChoiceCheck::EmptyDevice);
    QTest::newRow("loopback") << QStringList{"127.0.0.1"} << "127.0.0.1" << "127.0.0.1" << int(TcpChoiceCheck::Ok);
}

void tst_LoginRules::tcpChoice()
{
    QFETCH(QStringList, list);
    QFETCH(QString, device);
    QFETCH(QString, local);
    QFETCH(int, expected);
    QCOMPARE(int(checkTcpChoice(list, device, local)), expected);
}

void tst_LoginRules::portEntries()
{
    const QStringList entries = LoginRules::portEntries(
        {{"ttyS0", "Serial"}, {"ttyUSB0", ""}, {"COM3", "USB Serial Port"}});
    QCOMPARE(entries, (QStringList{"ttyS0 Serial", "COM3 USB Serial Port"}));
    QCOMPARE(portNameOf(entries.last()), QStringLiteral("COM3"));
    QCOMPARE(portNameOf(QStringLiteral("/dev/pts/4")), QStringLiteral("/dev/pts/4"));
}

void tst_LoginRules::revealRule()
{
    RevealRule rule;
    rule.setPrefilled(true);
    QVERIFY(!rule.textChanged("739204", false)); // filled in at start
    QVERIFY(!rule.textChanged("7392041", true)); // typing onto a remembered password
    QVERIFY(!rule.textChanged("", true));        // emptied: now the operator's field
    QVERIFY(rule.textChanged("a", true));
    QVERIFY(!rule.textChanged("ab", false));     // set by the program
}

QTEST_GUILESS_MAIN(tst_LoginRules)
#include "tst_loginrules.moc"
