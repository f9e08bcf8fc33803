#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTranslator>
#include <QTreeView>
#include <QtTest>

#include "app/commonlyused.h"
#include "mainwindow/mainwindow.h"
#include "resources/trivaneresources.h"

class TestMainWindow final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void consoleEscapesMessage_data();
    void consoleEscapesMessage();
    void consoleIgnoresBareLineBreaks();
    void consoleIsBounded();
    void clearLineUsesMilliseconds();
    void exportAddsTxt();
    void completerHasAllEntries();
    void navigationSlidesOnlyToAnotherPage();
    void questionMarkClearedOnEveryAnswer();
    void unsentLineSetsNoMarks();
    void failedRestartKeepsRunning();
    void userListFollowsLanguage();
    void heartbeatCutKeepsOtherAnswers_data();
    void heartbeatCutKeepsOtherAnswers();
    void laterStatusKeepsItsColour();
    void powerMessages_data();
    void powerMessages();

private:
    int slidesRunning() const
    {
        int n = 0;
        for (QAbstractAnimation *a : w->findChildren<QAbstractAnimation *>())
            n += a->property("widget").isValid() ? 1 : 0;
        return n;
    }
    QPlainTextEdit *console() const { return w->findChild<QPlainTextEdit *>(QStringLiteral("textEdit")); }
    QTemporaryDir m_dir;
    MainWindow *w = nullptr;
};

void TestMainWindow::initTestCase()
{
    Trivane::initResources();
    CommonlyUsed::setApplicationDirOverride(m_dir.path());
    w = MainWindow::getInstance();
    QCOMPARE(MainWindow::getInstance(), w);
}

void TestMainWindow::cleanupTestCase()
{
    delete w;
}

void TestMainWindow::consoleEscapesMessage_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("message");
    QTest::newRow("received markup") << 0 << QStringLiteral("name<b>A&B</b>ok");
    QTest::newRow("sent markup") << 1 << QStringLiteral("(rename,product,<i>x</i>)");
    QTest::newRow("chinese") << 0 << QStringLiteral("会议室ok");
}

void TestMainWindow::consoleEscapesMessage()
{
    QFETCH(int, type);
    QFETCH(QString, message);
    console()->clear();
    w->TextEdit_Message_Display(type, message);
    QVERIFY2(w->consolePlainText().contains(message), qPrintable(w->consolePlainText()));
}

void TestMainWindow::consoleIgnoresBareLineBreaks()
{
    console()->clear();
    for (const char *text : {"", "\r\n", "\r", "\n"})
        w->TextEdit_Message_Display(0, QString::fromLatin1(text));
    QVERIFY(w->consolePlainText().isEmpty());
}

void TestMainWindow::consoleIsBounded()
{
    console()->clear();
    for (int i = 0; i < MainWindow::ConsoleMaxLines + 50; ++i)
        w->TextEdit_Message_Display(3, QStringLiteral("line %1").arg(i));
    QVERIFY(console()->document()->blockCount() <= MainWindow::ConsoleMaxLines);
    QVERIFY(w->consolePlainText().contains(QStringLiteral("line %1").arg(MainWindow::ConsoleMaxLines + 49)));
    QVERIFY(!w->consolePlainText().contains(QStringLiteral("line 0\n")));
}

void TestMainWindow::clearLineUsesMilliseconds()
{
    QMetaObject::invokeMethod(w, "on_pushButton_ClearWindow_clicked");
    const QString text = w->consolePlainText();
    QVERIFY2(QRegularExpression(QStringLiteral("^Time\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\]→◆ Clear Window$"))
                 .match(text).hasMatch(),
             qPrintable(text));
}

void TestMainWindow::exportAddsTxt()
{
    console()->clear();
    w->TextEdit_Message_Display(0, QStringLiteral("out1in2ok"));
    QString proposed;
    w->exportFileNameHook = [&](const QString &name) {
        proposed = name;
        return m_dir.filePath(QStringLiteral("protocol"));
    };
    QMetaObject::invokeMethod(w, "on_pushButton_Export_text_clicked");
    w->exportFileNameHook = nullptr;
    QVERIFY(QRegularExpression(QStringLiteral("InstructionData-\\d{4}-\\d\\d-\\d\\d \\d\\d-\\d\\d-\\d\\d\\.txt$"))
                .match(proposed).hasMatch());
    QFile file(m_dir.filePath(QStringLiteral("protocol.txt")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.readAll().contains("out1in2ok"));
    QCOMPARE(w->lastToast(), QStringLiteral("TXT文件保存成功！"));
}

void TestMainWindow::completerHasAllEntries()
{
    QCOMPARE(MainWindow::completionList().size(), 51);
    QCOMPARE(MainWindow::completionList().first(), QStringLiteral("(get,sw)"));
    QCOMPARE(MainWindow::completionList().last(), QStringLiteral("(get,netcfg)"));
}

void TestMainWindow::navigationSlidesOnlyToAnotherPage()
{
    auto *stack = w->matrixStack();
    QCOMPARE(stack->currentIndex(), 0);
    QMetaObject::invokeMethod(w, "on_pushButton_SignalSwitching_clicked");
    QCOMPARE(slidesRunning(), 0);
    QMetaObject::invokeMethod(w, "on_pushButton_systemInformation_clicked");
    QCOMPARE(w->currentPage, 7);
    // A second slide while the first runs is ignored and leaves currentPage alone.
    QMetaObject::invokeMethod(w, "on_pushButton_OutputSetting_clicked");
    QCOMPARE(w->currentPage, 7);
    QCOMPARE(stack->currentIndex(), 7);
    QTRY_COMPARE(slidesRunning(), 0);
    QSignalSpy shown(w, &MainWindow::Send_PageShown);
    QMetaObject::invokeMethod(w, "on_pushButton_OutputSetting_clicked");
    QCOMPARE(w->currentPage, 1);
    // The page that did not come on show is not queried either.
    QMetaObject::invokeMethod(w, "on_pushButton_SplicingControl_clicked");
    QCOMPARE(w->currentPage, 1);
    QCOMPARE(shown.count(), 1);
    QCOMPARE(shown.first().first().toInt(), 1);
    QTRY_COMPARE(slidesRunning(), 0);
}

void TestMainWindow::questionMarkClearedOnEveryAnswer()
{
    w->questionDialogShown = 1;
    w->Get_Mesg(QStringLiteral("Delete scene"));
    QCOMPARE(w->questionDialogShown, 0);
    w->questionDialogShown = 1;
    w->Get_Mesg(QStringLiteral("Cancel Close window"));
    QCOMPARE(w->questionDialogShown, 0);
    w->errorDialogShown = 1;
    w->Get_Mesg(QStringLiteral("Close Error window"));
    QCOMPARE(w->errorDialogShown, 0);
}

void TestMainWindow::unsentLineSetsNoMarks()
{
    w->pollingRunning = true;
    w->netcfgSetting = false;
    w->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"))
        ->setText(QStringLiteral("(set,netcfg,10.0.0.2,255.0.0.0,10.0.0.1)"));
    QMetaObject::invokeMethod(w, "on_pushButton_SendIP_clicked");
    QVERIFY(!w->netcfgSetting);
    w->pollingRunning = false;
}

void TestMainWindow::failedRestartKeepsRunning()
{
    bool asked = false;
    w->restartHook = [&asked] {
        asked = true;
        return false;
    };
    QSignalSpy quitting(qApp, &QCoreApplication::aboutToQuit);
    w->Get_Mesg(QStringLiteral("Logout system"));
    w->restartHook = nullptr;
    QVERIFY(asked);
    QCOMPARE(w->lastLinkError(), QStringLiteral("程序重启失败！"));
    QTest::qWait(50);
    QCOMPARE(quitting.count(), 0);
}

void TestMainWindow::userListFollowsLanguage()
{
    auto *tree = w->findChild<QTreeView *>(QStringLiteral("treeView"));
    QVERIFY(tree && tree->model());
    const auto rootText = [tree] { return tree->model()->index(0, 0).data().toString(); };
    const auto groupText = [tree] {
        return tree->model()->index(0, 0, tree->model()->index(0, 0)).data().toString();
    };
    QCOMPARE(rootText(), QStringLiteral("用户列表"));

    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/qm/Trivane.qm")));
    QCoreApplication::installTranslator(&english);
    QCoreApplication::processEvents();
    QCOMPARE(rootText(), QStringLiteral("User"));
    QCOMPARE(groupText(), QStringLiteral("Administrators"));
    QVERIFY(tree->isExpanded(tree->model()->index(0, 0)));

    QCoreApplication::removeTranslator(&english);
    QCoreApplication::processEvents();
    QCOMPARE(groupText(), QStringLiteral("管理员"));
}

void TestMainWindow::heartbeatCutKeepsOtherAnswers_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("alone") << QStringLiteral("ch4x4\r\ninYYNN\r\noutYNYN\r\nok\r\n") << QString();
    QTest::newRow("reply with ch before") << QStringLiteral("pleasechooseupdatefile\r\nch4x4\r\ninYYNN\r\noutYNYN\r\nok\r\n")
                                          << QStringLiteral("pleasechooseupdatefile\r\n");
    QTest::newRow("lower-case status") << QStringLiteral("ch4x4\r\ninyynn\r\noutynyn\r\nok\r\nswok\r\n")
                                       << QStringLiteral("swok\r\n");
    QTest::newRow("routing only") << QStringLiteral("out1in2\r\nok\r\n") << QStringLiteral("out1in2\r\nok\r\n");
}

void TestMainWindow::heartbeatCutKeepsOtherAnswers()
{
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QCOMPARE(MainWindow::withoutHeartbeatAnswer(raw), shown);
}

void TestMainWindow::laterStatusKeepsItsColour()
{
    QTcpServer device;
    QVERIFY(device.listen(QHostAddress::LocalHost));
    w->setIP_Address(QStringLiteral("127.0.0.1"));
    w->setLocalIPAddress(QString());
    w->setPort_Number(QString::number(device.serverPort()));
    w->Connect_TCP_Server();
    // Connected, but the device has not said a word yet.
    QCOMPARE(w->statusText, QStringLiteral(" 连接状态: 等待设备应答（TCP）"));
    // A loss inside the connected text's 300 ms delay.
    w->onSerialPortLost(QStringLiteral("test"));
    w->reconnectTimer->stop();
    w->linkOpen = 1;
    auto *label = w->findChild<QLabel *>(QStringLiteral("label_statusBarData"));
    QTest::qWait(MainWindow::StatusLabelDelayMs + 150);
    QCOMPARE(label->text(), QStringLiteral(" 连接状态: 已断开（串口）"));
    QVERIFY2(label->styleSheet().contains(QStringLiteral("237,28,36")), qPrintable(label->styleSheet()));
    w->deviceLink()->closeLink();
}

void TestMainWindow::powerMessages_data()
{
    QTest::addColumn<uint>("message");
    QTest::addColumn<quintptr>("event");
    QTest::addColumn<bool>("minimised");
    QTest::newRow("suspend") << 0x0218u << quintptr(4) << true;
    QTest::newRow("other message") << 0x0219u << quintptr(18) << true;
    QTest::newRow("resume") << 0x0218u << quintptr(18) << false;
    QTest::newRow("other event") << 0x0218u << quintptr(10) << false;
}

void TestMainWindow::powerMessages()
{
    QFETCH(uint, message);
    QFETCH(quintptr, event);
    QFETCH(bool, minimised);
    w->handlePowerMessage(message, event);
    QCOMPARE(w->isMinimized(), minimised);
    if (!minimised)
        w->hide();
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
