#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/commonlyused.h"
#include "app/settingscatalogue.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"

#include <memory>

// Which page buttons the main window offers after a login with each account.
class TestMainWindowAccounts final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void pageButtons_data();
    void pageButtons();

private:
    QTemporaryDir m_dir;
};

void TestMainWindowAccounts::initTestCase()
{
    Trivane::initResources();
    QVERIFY(m_dir.isValid());
    CommonlyUsed::setApplicationDirOverride(m_dir.path());
    // The device type with every optional page (CEC): only the account and
    // the always-hidden pages decide here.
    CommonlyUsed::ver_minor = 2;
}

void TestMainWindowAccounts::pageButtons_data()
{
    QTest::addColumn<QString>("account");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("hidden");
    QTest::addColumn<bool>("labPages");
    const QString switching = QStringLiteral("pushButton_SignalSwitching");
    const QStringList neverShown{QStringLiteral("pushButton_SplicingControl"), QStringLiteral("pushButton_PartitionMode")};
    const QStringList adminOnly{QStringLiteral("pushButton_OutputSetting"), QStringLiteral("pushButton_CecControl"),
                                QStringLiteral("pushButton_EDIDSettings"), QStringLiteral("pushButton_SystemSettings"),
                                QStringLiteral("pushButton_systemInformation")};
    QTest::newRow("User") << QStringLiteral("User") << QStringList{switching} << adminOnly + neverShown << false;
    QTest::newRow("Admin") << QStringLiteral("Admin") << QStringList{switching} + adminOnly << neverShown << false;
    // The lab setting offers the wall and splitter pages, never to a "User".
    QTest::newRow("User, lab pages") << QStringLiteral("User") << QStringList{switching} << adminOnly + neverShown
                                     << true;
    QTest::newRow("Admin, lab pages") << QStringLiteral("Admin") << QStringList{switching} + adminOnly + neverShown
                                      << QStringList{} << true;
}

void TestMainWindowAccounts::pageButtons()
{
    QFETCH(QString, account);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, hidden);
    QFETCH(bool, labPages);
    if (labPages)
        qputenv("TRIVANE_HIDDEN_PAGES", "1");
    else
        qunsetenv("TRIVANE_HIDDEN_PAGES");
    QVERIFY(SettingsCatalogue::write(SettingsCatalogue::Keys::AccountType, account));

    // Each row builds its own window from the stored account.
    const std::unique_ptr<MainWindow> owner(MainWindow::getInstance());
    MainWindow *window = owner.get();
    for (const QString &name : shown) {
        auto *button = window->findChild<QPushButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY2(button->isVisibleTo(window), qPrintable(name + QStringLiteral(" is hidden")));
    }
    for (const QString &name : hidden) {
        auto *button = window->findChild<QPushButton *>(name);
        QVERIFY2(button, qPrintable(name));
        QVERIFY2(!button->isVisibleTo(window), qPrintable(name + QStringLiteral(" is offered")));
    }
}

QTEST_MAIN(TestMainWindowAccounts)
#include "tst_mainwindow_accounts.moc"
