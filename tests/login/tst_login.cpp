#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/settingscatalogue.h"
#include "login/login_interface.h"
#include "login/modify_user.h"
#include "login/usermanagement.h"
#include "resources/trivaneresources.h"
#include "widgets/titlebar.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardItemModel>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace SC = SettingsCatalogue;

class tst_Login : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void firstAndSecondStart();
    void accountChecks_data();
    void accountChecks();
    void missingConnectionType();
    void damagedAccountsFile_data();
    void damagedAccountsFile();
    void unwritableAccountsFile();
    void abandonedLockDoesNotDelayLogin();
    void unreachableDevice();
    void rememberedPasswordPrefilledNotRevealed();
    void rememberBoxOnlyRecordsChoice();
    void validatorRefusesOtherCharacters();
    void passwordChangeThenRelogin();
    void rootItemOpensEmptyEditor();
    void singletonSurvivesDeletion();
    void englishLanguage();

private:
    Login_Interface *freshDialog();
    void useTcpDevice();
    void typeAndLogin(Login_Interface *dialog, const QString &name, const QString &password);
    template <typename T> T *child(QWidget *parent, const char *name)
    {
        T *widget = parent->findChild<T *>(QString::fromLatin1(name));
        if (!widget)
            qFatal("missing widget %s", name);
        return widget;
    }

    QScopedPointer<QTemporaryDir> m_dir;
    QTcpServer m_device;
    QPointer<Login_Interface> m_current;
};

void tst_Login::initTestCase()
{
    Trivane::initResources();
    QVERIFY(m_device.listen(QHostAddress::LocalHost, 0));
}

void tst_Login::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir->path());
    Platform::setLanguageStoreOverride(m_dir->filePath(QStringLiteral("language.ini")));
    Platform::setLanguageValue(QStringLiteral("zh_CN"));
    CommonlyUsed::ver_minor = 0;
}

void tst_Login::cleanup()
{
    delete m_current;
}

Login_Interface *tst_Login::freshDialog()
{
    delete m_current;
    m_current = Login_Interface::getInstance();
    return m_current;
}

void tst_Login::useTcpDevice()
{
    Login_Interface::getInstance()->Get_IsTCPConnection_Successful(
        QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"), QString::number(m_device.serverPort()));
}

void tst_Login::typeAndLogin(Login_Interface *dialog, const QString &name, const QString &password)
{
    child<QLineEdit>(dialog, "lineEdit_UserName")->setText(name);
    auto *passwordField = child<QLineEdit>(dialog, "lineEdit_PassWord");
    passwordField->clear();
    QTest::keyClicks(passwordField, password);
    child<QPushButton>(dialog, "pushButton_Login")->click();
}

void tst_Login::firstAndSecondStart()
{
    Login_Interface *dialog = freshDialog();
    for (const char *dir : {"ConfigurationFile", "ConfigurationFile/LoginSystem", "ConfigurationFile/QSS", "image"})
        QVERIFY2(QDir(m_dir->filePath(QString::fromLatin1(dir))).exists(), dir);
    for (const char *file : {SC::File::DefaultAccount, SC::File::LoginSystemConfig, SC::File::RememberPassword})
        QVERIFY2(SC::fileExists(file), file);
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_UserName")->placeholderText(), QStringLiteral("默认账号: admin"));
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_PassWord")->placeholderText(), QStringLiteral("默认密码: 739204"));

    useTcpDevice();
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));

    dialog = freshDialog();
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_UserName")->placeholderText(), QStringLiteral("请输入用户名"));
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_PassWord")->placeholderText(), QStringLiteral("请输入密码"));
    // The default passwords still apply.
    typeAndLogin(dialog, QStringLiteral("user"), QStringLiteral("847"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(SC::readString(SC::Keys::AccountType), QStringLiteral("User"));
    QCOMPARE(dialog->getConnection_Mode(), QStringLiteral("TCP"));
    QCOMPARE(dialog->getIP_Address(), QStringLiteral("127.0.0.1"));
    QCOMPARE(dialog->getPort_Number(), QString::number(m_device.serverPort()));
}

void tst_Login::accountChecks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("toast");
    QTest::newRow("capital A") << "Admin" << "739204" << "输入账号错误！";
    QTest::newRow("empty name") << "" << "739204" << "账号不能为空！";
    QTest::newRow("empty password") << "admin" << "" << "密码不能为空！";
    QTest::newRow("wrong password") << "admin" << "847" << "输入密码错误！";
    QTest::newRow("unknown account") << "root" << "739204" << "输入账号错误！";
}

void tst_Login::accountChecks()
{
    QFETCH(QString, name);
    QFETCH(QString, password);
    QFETCH(QString, toast);
    Login_Interface *dialog = freshDialog();
    useTcpDevice();
    typeAndLogin(dialog, name, password);
    QCOMPARE(dialog->lastToastText(), toast);
    QVERIFY(dialog->result() != QDialog::Accepted);
    QCOMPARE(SC::readString(SC::Keys::AccountType), QStringLiteral("Admin"));
}

void tst_Login::damagedAccountsFile_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: a folder in the file's place
    QTest::newRow("cut off mid-write") << QByteArray("[AdminLoginInformation]\nAdminName=admin\nPassword=<8>759\n[User");
    QTest::newRow("no accounts in it") << QByteArray("\n");
    QTest::newRow("folder in its place") << QByteArray();
}

void tst_Login::damagedAccountsFile()
{
    QFETCH(QByteArray, content);
    Login_Interface *dialog = freshDialog();
    useTcpDevice();
    const QString path = SC::filePath(SC::File::LoginSystemConfig);
    QVERIFY(QFile::remove(path));
    if (content.isEmpty()) {
        QVERIFY(QDir().mkpath(path));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^accounts file .*unreadable")));
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("账号文件已损坏或无法读取：%1").arg(QDir::toNativeSeparators(path)));
    QVERIFY(dialog->result() != QDialog::Accepted);
    // The name checks still come first.
    typeAndLogin(dialog, QString(), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("账号不能为空！"));
}

void tst_Login::unwritableAccountsFile()
{
    // Even root cannot take a lock that is a folder; the write must fail, not hang.
    Login_Interface *dialog = freshDialog();
    useTcpDevice();
    QVERIFY(QDir().mkpath(SC::filePath(SC::File::LoginSystemConfig) + QStringLiteral(".lock")));
    typeAndLogin(dialog, QStringLiteral("user"), QStringLiteral("847"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("账号文件无法写入：%1")
                                          .arg(QDir::toNativeSeparators(SC::filePath(SC::File::LoginSystemConfig))));
    QVERIFY(dialog->result() != QDialog::Accepted);
    QCOMPARE(SC::readString(SC::Keys::AccountType), QStringLiteral("Admin"));
}

void tst_Login::abandonedLockDoesNotDelayLogin()
{
    Login_Interface *dialog = freshDialog();
    useTcpDevice();
    const QString lock = SC::filePath(SC::File::LoginSystemConfig) + QStringLiteral(".lock");
    QFile empty(lock);
    QVERIFY(empty.open(QIODevice::WriteOnly));
    empty.close();
    QElapsedTimer clock;
    clock.start();
    typeAndLogin(dialog, QStringLiteral("user"), QStringLiteral("847"));
    qInfo("login with an ownerless lock took %lld ms", clock.elapsed());
    QVERIFY(clock.elapsed() < 1000);
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(SC::readString(SC::Keys::AccountType), QStringLiteral("User"));
    QVERIFY(!QFileInfo::exists(lock));
}

void tst_Login::missingConnectionType()
{
    Login_Interface *dialog = freshDialog();
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("请设置连接方式！"));
    QVERIFY(dialog->result() != QDialog::Accepted);
}

void tst_Login::unreachableDevice()
{
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();

    Login_Interface *dialog = freshDialog();
    dialog->Get_IsTCPConnection_Successful(QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.1"),
                                           QString::number(port));
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("连接板卡失败！"));
    QVERIFY(dialog->result() != QDialog::Accepted);

    dialog->Get_IsSerialPortConnection_Successful(m_dir->filePath(QStringLiteral("no-such-port")),
                                                  QStringLiteral("115200"));
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("串口打开失败(被占用)"));
}

void tst_Login::rememberedPasswordPrefilledNotRevealed()
{
    freshDialog(); // default files
    SC::write(SC::Keys::AccountType, QStringLiteral("User"));
    SC::write(SC::Keys::RememberPassword, QStringLiteral("1"));

    Login_Interface *dialog = freshDialog();
    auto *password = child<QLineEdit>(dialog, "lineEdit_PassWord");
    QVERIFY(child<QCheckBox>(dialog, "checkBox")->isChecked());
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_UserName")->text(), QStringLiteral("user"));
    QCOMPARE(password->text(), QStringLiteral("847"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    // Typing onto the remembered password must not reveal it either.
    QTest::keyClicks(password, QStringLiteral("9"));
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    // Once emptied, the field is the operator's: own keystrokes show briefly.
    password->selectAll();
    QTest::keyClick(password, Qt::Key_Backspace);
    QTest::keyClicks(password, QStringLiteral("84"));
    QCOMPARE(password->echoMode(), QLineEdit::Normal);
    QTRY_COMPARE_WITH_TIMEOUT(password->echoMode(), QLineEdit::Password, 3000);
}

void tst_Login::rememberBoxOnlyRecordsChoice()
{
    Login_Interface *dialog = freshDialog();
    auto *box = child<QCheckBox>(dialog, "checkBox");
    QVERIFY(!box->isChecked());
    child<QLineEdit>(dialog, "lineEdit_UserName")->setText(QStringLiteral("admin"));
    box->click();
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_PassWord")->text(), QString());
    QCOMPARE(SC::readString(SC::Keys::RememberPassword), QStringLiteral("1"));
    box->click();
    QCOMPARE(SC::readString(SC::Keys::RememberPassword), QStringLiteral("0"));
}

void tst_Login::validatorRefusesOtherCharacters()
{
    Login_Interface *dialog = freshDialog();
    auto *password = child<QLineEdit>(dialog, "lineEdit_PassWord");
    QTest::keyClicks(password, QStringLiteral("ab c[-~]"));
    QCOMPARE(password->text(), QStringLiteral("abc-~"));
}

void tst_Login::passwordChangeThenRelogin()
{
    freshDialog();
    SC::write(SC::Keys::RememberPassword, QStringLiteral("1"));

    QWidget mainWindow;
    QTreeView tree(&mainWindow);
    UserManagement users(&tree, &mainWindow);
    QSignalSpy changed(&users, &UserManagement::Send_Account_Password_Modified_Successfully);
    QStandardItemModel *model = users.model();
    const QModelIndex adminIndex = model->index(0, 0, model->index(0, 0, model->index(0, 0)));
    QCOMPARE(adminIndex.data().toString(), QStringLiteral("admin"));

    QTimer::singleShot(0, this, [] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QCOMPARE(modal->findChild<QLineEdit *>(QStringLiteral("lineEdit_UserName"))->text(), QStringLiteral("admin"));
        QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("lineEdit_OldPassword")), QStringLiteral("739204"));
        QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("lineEdit_NewPassword")), QStringLiteral("ab~"));
        QTest::keyClicks(modal->findChild<QLineEdit *>(QStringLiteral("lineEdit_ConfirmPassword")), QStringLiteral("ab~"));
        modal->findChild<QPushButton *>(QStringLiteral("pushButton_Save"))->click();
    });
    users.openEditor(adminIndex);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(SC::readString(SC::Keys::RememberPassword), QStringLiteral("0"));

    Login_Interface *dialog = freshDialog();
    QCOMPARE(child<QLineEdit>(dialog, "lineEdit_PassWord")->text(), QString());
    useTcpDevice();
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("739204"));
    QCOMPARE(dialog->lastToastText(), QStringLiteral("输入密码错误！"));
    QVERIFY(dialog->result() != QDialog::Accepted);
    typeAndLogin(dialog, QStringLiteral("admin"), QStringLiteral("ab~"));
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
}

void tst_Login::rootItemOpensEmptyEditor()
{
    freshDialog();
    QWidget mainWindow;
    QTreeView tree(&mainWindow);
    UserManagement users(&tree, &mainWindow);
    QSignalSpy changed(&users, &UserManagement::Send_Account_Password_Modified_Successfully);
    QString toast;
    QTimer::singleShot(0, this, [&toast] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        QCOMPARE(modal->findChild<QLineEdit *>(QStringLiteral("lineEdit_UserName"))->text(), QString());
        for (const char *field : {"lineEdit_OldPassword", "lineEdit_NewPassword", "lineEdit_ConfirmPassword"})
            QTest::keyClicks(modal->findChild<QLineEdit *>(QString::fromLatin1(field)), QStringLiteral("x1"));
        modal->findChild<QPushButton *>(QStringLiteral("pushButton_Save"))->click();
        auto *editor = qobject_cast<Modify_User *>(modal);
        QVERIFY(editor);
        toast = editor->lastToastText();
        editor->close();
    });
    users.openEditor(users.model()->index(0, 0));
    QCOMPARE(toast, QStringLiteral("原密码错误！"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(SC::readString(SC::Keys::AdminPassword), CommonlyUsed::Encode_Password(QStringLiteral("739204")));
}

void tst_Login::singletonSurvivesDeletion()
{
    Login_Interface *first = freshDialog();
    QCOMPARE(Login_Interface::getInstance(), first);
    first->deleteLater();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(m_current.isNull());
    Login_Interface *second = Login_Interface::getInstance();
    QVERIFY(second);
    m_current = second;
    // A usable dialog, not freed memory (ASan would catch a dangling pointer).
    QCOMPARE(second->windowTitle(), QStringLiteral("用户登录"));
}

void tst_Login::englishLanguage()
{
    Platform::setLanguageValue(QStringLiteral("en_US"));
    const QFont before = QApplication::font();
    Login_Interface *dialog = freshDialog();
    QCOMPARE(CommonlyUsed::getLanguageIndex(), 1);
    QCOMPARE(QApplication::font().family(), QStringLiteral("Arial"));
    QCOMPARE(QApplication::font().pixelSize(), 12);
    QVERIFY(child<QPushButton>(dialog, "pushButton_Connections_SettingUp")->minimumWidth() >= 180);
    // The wider English layout widens the dialog; the title bar goes with it.
    dialog->show();
    QTRY_COMPARE(dialog->findChild<TitleBar *>()->width(), dialog->width());
    dialog->hide();
    QApplication::setFont(before);
    Platform::setLanguageValue(QStringLiteral("zh_CN"));
    freshDialog();
}

QTEST_MAIN(tst_Login)
#include "tst_login.moc"
