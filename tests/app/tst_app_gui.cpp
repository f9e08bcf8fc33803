#include "app/commonlyused.h"
#include "app/platform.h"
#include "app/singleinstance.h"
#include "app/windowfit.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>
#include <QTimer>

class TestAppGui : public QObject
{
    Q_OBJECT
private slots:
    void cleanup();
    void loadStylesheetPrefersOverride();
    void topmost();
    void messageBringsModalWindowToFront();
    void messageRaisesDialogOpenOverActivationWindow();
    void fitOnPrimaryScreen();
};

void TestAppGui::cleanup()
{
    CommonlyUsed::setApplicationDirOverride(QString());
}

void TestAppGui::loadStylesheetPrefersOverride()
{
    QTemporaryDir dir;
    CommonlyUsed::setApplicationDirOverride(dir.path());
    const QString fallback = dir.filePath(QStringLiteral("fallback.qss"));
    QFile fallbackFile(fallback);
    QVERIFY(fallbackFile.open(QIODevice::WriteOnly));
    fallbackFile.write("QWidget { color: red; }");
    fallbackFile.close();

    QWidget widget;
    CommonlyUsed::Load_stylesheet(&widget, fallback);
    QCOMPARE(widget.styleSheet(), QStringLiteral("QWidget { color: red; }"));

    QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("ConfigurationFile/QSS"))));
    QFile custom(CommonlyUsed::styleSheetOverridePath());
    QVERIFY(custom.open(QIODevice::WriteOnly));
    custom.write("QWidget { color: 蓝; }");
    custom.close();
    CommonlyUsed::Load_stylesheet(&widget, fallback);
    QCOMPARE(widget.styleSheet(), QStringLiteral("QWidget { color: 蓝; }"));

    QVERIFY(custom.remove());
    CommonlyUsed::Load_stylesheet(&widget, dir.filePath(QStringLiteral("missing.qss")));
    QCOMPARE(widget.styleSheet(), QStringLiteral("QWidget { color: 蓝; }"));
}

void TestAppGui::topmost()
{
    QWidget window;
    window.show();
    Platform::setTopmost(&window, true);
    QVERIFY(Platform::isTopmost(&window));
    QVERIFY(window.isVisible());
    Platform::setTopmost(&window, false);
    QVERIFY(!Platform::isTopmost(&window));
    QVERIFY(window.isVisible());

    // A modal dialog made topmost while it runs must keep running: hiding it
    // to change its flags would end exec() as rejected.
    QDialog dialog;
    bool stillRunning = false;
    QTimer::singleShot(0, &dialog, [&] {
        Platform::setTopmost(&dialog, true);
        QCoreApplication::processEvents();
        stillRunning = dialog.isVisible();
        Platform::setTopmost(&dialog, false);
        QCoreApplication::processEvents();
        stillRunning = stillRunning && dialog.isVisible();
        dialog.accept();
    });
    QCOMPARE(dialog.exec(), int(QDialog::Accepted));
    QVERIFY(stillRunning);
}

void TestAppGui::messageBringsModalWindowToFront()
{
    const QString key = QStringLiteral("tst-app-gui-%1").arg(QCoreApplication::applicationPid());
    SingleInstance guard(key);
    QVERIFY(guard.listen());
    QDialog login;
    login.setModal(true);
    guard.setActivationWindow(&login);
    QCOMPARE(guard.activationWindow(), &login);
    login.show();
    login.showMinimized();
    QTRY_VERIFY(login.isMinimized());

    QSignalSpy received(&guard, &SingleInstance::messageReceived);
    QProcess sender;
    sender.start(QStringLiteral(APP_TEST_HELPER), {QStringLiteral("send"), guard.serverName()});
    QTRY_VERIFY_WITH_TIMEOUT(sender.state() == QProcess::NotRunning, 5000);
    QCOMPARE(sender.exitCode(), 0);
    QCOMPARE(received.count(), 1);
    QCOMPARE(received.first().first().toString(), QStringLiteral("Wake up!"));
    QTRY_VERIFY(!login.isMinimized());
    QVERIFY(login.isVisible());
}

void TestAppGui::messageRaisesDialogOpenOverActivationWindow()
{
    const QString key = QStringLiteral("tst-app-gui-modal-%1").arg(QCoreApplication::applicationPid());
    SingleInstance guard(key);
    QVERIFY(guard.listen());
    QDialog login;
    guard.setActivationWindow(&login);
    login.show();
    QDialog connection(&login);
    connection.setWindowModality(Qt::ApplicationModal);
    connection.show();
    QTRY_COMPARE(QApplication::activeModalWidget(), &connection);
    // The operator clicked the blocked window, as a window manager allows.
    login.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &login);

    QProcess sender;
    sender.start(QStringLiteral(APP_TEST_HELPER), {QStringLiteral("send"), guard.serverName()});
    QTRY_VERIFY_WITH_TIMEOUT(sender.state() == QProcess::NotRunning, 5000);
    QCOMPARE(sender.exitCode(), 0);
    QTRY_COMPARE(QApplication::activeWindow(), &connection);
    QVERIFY(login.isVisible());

    // Without a modal dialog the activation window itself ends up in front.
    connection.hide();
    QWidget other;
    other.show();
    other.activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), &other);
    sender.start(QStringLiteral(APP_TEST_HELPER), {QStringLiteral("send"), guard.serverName()});
    QTRY_VERIFY_WITH_TIMEOUT(sender.state() == QProcess::NotRunning, 5000);
    QTRY_COMPARE(QApplication::activeWindow(), &login);
}

void TestAppGui::fitOnPrimaryScreen()
{
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget window;
    window.setMinimumSize(available.width() + 100, available.height() + 100);
    window.resize(available.width() + 200, available.height() + 200);
    fitAndCentreOnPrimaryScreen(&window);
    QCOMPARE(window.size(), available.size());
    QCOMPARE(window.geometry().center(), available.center());
}

QTEST_MAIN(TestAppGui)
#include "tst_app_gui.moc"
