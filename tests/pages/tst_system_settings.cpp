// The system settings sub-pages and the versions strip against the simulator:
// device name, equipment control, language, firmware file and targets, and the
// versions the About view asks for.
#include "pages_harness.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStackedWidget>
#include <QTimer>

#include <algorithm>

#include "app/platform.h"
#include "app/settingscatalogue.h"
#include "mainwindow/system/equipmentcontrolpage.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/system/languagepage.h"
#include "mainwindow/system/modelsettingpage.h"
#include "mainwindow/system/systemmodel.h"
#include "mainwindow/system/versionspanel.h"

namespace {
constexpr int SystemSettingsPage = 6;
constexpr int DialogWaitMs = 5000;
constexpr int FactoryResetWaitMs = 1000;

// Answers the next modal file dialog from inside its event loop: `path`
// chooses that file, an empty path cancels. `openedIn` gets the folder the
// dialog started in.
void answerFileDialog(const QString &path, QString *openedIn)
{
    auto *poll = new QTimer;
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(poll, &QTimer::timeout, [poll, clock, path, openedIn] {
        QFileDialog *dialog = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *candidate = qobject_cast<QFileDialog *>(widget); candidate && candidate->isVisible())
                dialog = candidate;
        }
        if (!dialog && clock->elapsed() < DialogWaitMs)
            return;
        poll->stop();
        poll->deleteLater();
        delete clock;
        if (!dialog)
            return;
        *openedIn = dialog->directory().absolutePath();
        if (path.isEmpty()) {
            dialog->reject();
            return;
        }
        // Typed as the operator would: selectFile() leaves a focused name field alone.
        auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        if (name)
            name->setText(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    poll->start(20);
}
} // namespace

class TestSystemSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void openingReadsTheDeviceName();
    void validNameReachesTheDevice_data();
    void validNameReachesTheDevice();
    void unsafeNameIsRefused_data();
    void unsafeNameIsRefused();
    void standbyAndWakeUpFollowTheDevice();
    void keyLockWaitsForTheAnswer();
    void versionsFollowTheModel_data();
    void versionsFollowTheModel();
    void languageIsAppliedAtOnce();
    void firmwareTargetsFollowModelAndKind_data();
    void firmwareTargetsFollowModelAndKind();
    void firmwareFileIsRemembered();
    void factoryResetAsksFirst(); // last: the device and every name return to factory

private:
    MainWindow *window() const { return h.window(); }
    template<typename T>
    T *child(const char *name) const
    {
        return window()->findChild<T *>(QLatin1String(name));
    }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    bool sent(const QString &prefix)
    {
        const QStringList history = h.sim().history();
        return std::any_of(history.cbegin(), history.cend(),
                           [&prefix](const QString &request) { return request.startsWith(prefix); });
    }
    // A request the device answers: whatever was sent before it has arrived.
    void syncWithDevice()
    {
        QString answer;
        QVERIFY(window()->sendDataDevice(QStringLiteral("(info,link)"), answer));
    }
    // Shows a sub-page and waits until the slides are over.
    void showSubPage(void (MainWindow::*open)(), QWidget *page);
    static bool settled(QStackedWidget *stack)
    {
        for (int i = 0; i < stack->count(); ++i) {
            if (stack->widget(i)->isHidden() == (i == stack->currentIndex()))
                return false;
        }
        return true;
    }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }

    QTemporaryDir m_languageDir;
    PagesHarness h;
};

void TestSystemSettings::initTestCase()
{
    // A factory reset must send the program back to the simulator, not to
    // the factory address on the real network.
    qputenv("TRIVANE_LAB", "1");
    qputenv("TRIVANE_FACTORY_IP", "127.0.0.1");
    QVERIFY(m_languageDir.isValid());
    Platform::setLanguageStoreOverride(m_languageDir.filePath(QStringLiteral("language.ini")));
    QVERIFY(Platform::setLanguageValue(QStringLiteral("zh_CN")));
    QVERIFY2(h.start({QStringLiteral("--model"), QStringLiteral("8x16"), QStringLiteral("--factory-ip"),
                      QStringLiteral("127.0.0.1")}),
             qPrintable(h.error()));
    window()->loadLanguage();
    QCOMPARE(CommonlyUsed::getLanguageIndex(), int(Platform::SimplifiedChinese));
    DispatchTimings timings = window()->dispatcher()->timings();
    timings.factoryResetMs = FactoryResetWaitMs;
    window()->dispatcher()->setTimings(timings);
}

void TestSystemSettings::cleanupTestCase()
{
    Platform::setLanguageStoreOverride(QString());
}

void TestSystemSettings::showSubPage(void (MainWindow::*open)(), QWidget *page)
{
    auto *matrix = child<QStackedWidget>("stackedWidget_matrix");
    auto *sub = child<QStackedWidget>("stackedWidget_SystemSettings");
    // A slide still running ignores the next one.
    QTRY_VERIFY(settled(matrix) && settled(sub));
    if (window()->currentPage != SystemSettingsPage)
        window()->on_pushButton_SystemSettings_clicked();
    QCOMPARE(window()->currentPage, SystemSettingsPage);
    QTRY_VERIFY(settled(matrix));
    (window()->*open)();
    QTRY_VERIFY(settled(sub) && page->isVisible());
}

void TestSystemSettings::openingReadsTheDeviceName()
{
    control(QStringLiteral("set name Lobby East"));
    control(QStringLiteral("history clear"));
    showSubPage(&MainWindow::on_pushButton_Modelsetting_clicked, window()->modelSettingPage());
    QVERIFY(sent(QStringLiteral("(info,dev)")));
    QTRY_COMPARE(child<QLineEdit>("lineEdit_EquipmentName")->text(), QStringLiteral("Lobby East"));

    // While the device cycles through scenes the page asks nothing.
    window()->setPollingRunning(true);
    control(QStringLiteral("history clear"));
    window()->modelSettingPage()->onShown();
    window()->equipmentControlPage()->onShown();
    window()->setPollingRunning(false);
    syncWithDevice();
    QVERIFY(!sent(QStringLiteral("(info,dev)")));
}

void TestSystemSettings::validNameReachesTheDevice_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("plain") << "Hall B" << "Hall B";
    QTest::newRow("trimmed") << "  Hall C  " << "Hall C";
    QTest::newRow("chinese") << QStringLiteral("会议室二") << QStringLiteral("会议室二");
}

void TestSystemSettings::validNameReachesTheDevice()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    child<QLineEdit>("lineEdit_EquipmentName")->setText(typed);
    click("pushButton_Model_saving");
    QTRY_COMPARE(h.sim().state().value(QStringLiteral("name")), stored);
    QTRY_COMPARE(window()->lastToast(), QStringLiteral("设备名称设置成功！"));
}

void TestSystemSettings::unsafeNameIsRefused_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("toast");
    const QString tooLong = QStringLiteral("设备名称过长（最多%1个字节）！").arg(System::MaxDeviceNameBytes);
    QTest::newRow("empty") << "   " << QStringLiteral("设备名称不能能为空！");
    // Sent as it stands this renamed the device and then factory-reset it.
    QTest::newRow("request inside") << "Hall A)(reset" << QStringLiteral("设备名称不能包含 ( ) , 或控制字符！");
    QTest::newRow("comma") << "Hall,A" << QStringLiteral("设备名称不能包含 ( ) , 或控制字符！");
    QTest::newRow("tab") << "Hall\tA" << QStringLiteral("设备名称不能包含 ( ) , 或控制字符！");
    QTest::newRow("200 characters") << QString(200, QLatin1Char('x')) << tooLong;
    QTest::newRow("17 chinese") << QString(17, QChar(0x4F1A)) << tooLong;
    QTest::newRow("emoji") << QStringLiteral("Hall \U0001F600") << QStringLiteral("设备名称包含设备无法显示的字符！");
}

void TestSystemSettings::unsafeNameIsRefused()
{
    QFETCH(QString, typed);
    QFETCH(QString, toast);
    control(QStringLiteral("set name Lobby"));
    control(QStringLiteral("history clear"));
    child<QLineEdit>("lineEdit_EquipmentName")->setText(typed);
    click("pushButton_Model_saving");
    QCOMPARE(window()->lastToast(), toast);
    syncWithDevice();
    QVERIFY(!sent(QStringLiteral("(rename")));
    QVERIFY(!sent(QStringLiteral("(reset)")));
    QCOMPARE(h.sim().state().value(QStringLiteral("name")), QStringLiteral("Lobby"));
}

void TestSystemSettings::standbyAndWakeUpFollowTheDevice()
{
    control(QStringLiteral("history clear"));
    showSubPage(&MainWindow::on_pushButton_Equipment_control_clicked, window()->equipmentControlPage());
    QVERIFY(sent(QStringLiteral("(info,dev)")));
    auto *standby = child<QPushButton>("pushButton_system_standby");
    auto *wakeUp = child<QPushButton>("pushButton_System_wake_up");
    QTRY_VERIFY(wakeUp->isChecked() && !standby->isChecked());

    click("pushButton_system_standby");
    QTRY_COMPARE(h.sim().state().value(QStringLiteral("standby")), QStringLiteral("1"));
    QTRY_VERIFY(standby->isChecked() && !wakeUp->isChecked());
    QTRY_VERIFY(window()->standby);

    click("pushButton_System_wake_up");
    QTRY_COMPARE(h.sim().state().value(QStringLiteral("standby")), QStringLiteral("0"));
    QTRY_VERIFY(wakeUp->isChecked() && !standby->isChecked());
    // The device confirmed the wake-up: the sequence it starts ran to its end.
    QTRY_COMPARE_WITH_TIMEOUT(window()->lastToast(), QStringLiteral("系统唤醒成功！"), 5000);
    QVERIFY(!window()->standby);
    QVERIFY(!window()->wakePending);
}

void TestSystemSettings::keyLockWaitsForTheAnswer()
{
    auto *lock = child<QPushButton>("pushButton_Key_lock");
    auto *unlock = child<QPushButton>("pushButton_Key_unlocking");
    QTRY_VERIFY(unlock->isChecked() && !lock->isChecked());

    // The device does not answer: the click alone checks nothing.
    const auto answering = qScopeGuard([this] { h.sim().fault(QStringLiteral("clear")); });
    QVERIFY(h.sim().fault(QStringLiteral("silence on")));
    click("pushButton_Key_lock");
    QVERIFY(!lock->isChecked());
    QVERIFY(unlock->isChecked());
    QVERIFY(h.sim().fault(QStringLiteral("silence off")));

    click("pushButton_Key_lock");
    QTRY_VERIFY(lock->isChecked() && !unlock->isChecked());
    QCOMPARE(h.sim().state().value(QStringLiteral("lock")), QStringLiteral("1"));

    // Nor does a click uncheck a checked button.
    QVERIFY(h.sim().fault(QStringLiteral("silence on")));
    click("pushButton_Key_lock");
    QVERIFY(lock->isChecked());
    QVERIFY(h.sim().fault(QStringLiteral("silence off")));

    click("pushButton_Key_unlocking");
    QTRY_VERIFY(unlock->isChecked() && !lock->isChecked());
    QCOMPARE(h.sim().state().value(QStringLiteral("lock")), QStringLiteral("0"));
}

void TestSystemSettings::versionsFollowTheModel_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("versions"); // ctrl, rx, tx on the device
    QTest::addColumn<QStringList>("shown");    // control card, receiver, transmitter ("" = untouched)
    QTest::newRow("8x16") << "8x16" << QStringList{"v7.7.7", "v3.1.4", "v3.2.0rev"}
                          << QStringList{"", "V3.1.4", "V3.2.0reV"};
    QTest::newRow("4x4") << "4x4" << QStringList{"v1.5.0", "v8.8.8", "v8.8.9"}
                         << QStringList{"V1.5.0", "", ""};
}

void TestSystemSettings::versionsFollowTheModel()
{
    QFETCH(QString, model);
    QFETCH(QStringList, versions);
    QFETCH(QStringList, shown);
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    control(QStringLiteral("set version ctrl ") + versions.at(0));
    control(QStringLiteral("set version rx ") + versions.at(1));
    control(QStringLiteral("set version tx ") + versions.at(2));
    const char *const labels[] = {"label_MCUControlCard_version", "label_RXMCU_version", "label_TXMCU_version"};
    const QString untouched = QStringLiteral("untouched");
    for (const char *name : labels)
        child<QLabel>(name)->setText(untouched);

    control(QStringLiteral("history clear"));
    window()->on_pushButton_systemInformation_clicked();
    window()->on_pushButton_About_clicked();
    QVERIFY(sent(QStringLiteral("(ver)")));
    for (int i = 0; i < 3; ++i) {
        const QString expected = shown.at(i).isEmpty() ? untouched : shown.at(i);
        QTRY_COMPARE(child<QLabel>(labels[i])->text(), expected);
    }
    QCOMPARE(child<QLabel>("label_Host_computer_version")->text(), QStringLiteral("V1.0.0"));

    // Only the rows the model reports are shown.
    VersionsPanel *panel = window()->versionsPanel();
    for (int i = 0; i < 3; ++i)
        QCOMPARE(child<QLabel>(labels[i])->isVisibleTo(panel), !shown.at(i).isEmpty());
    QVERIFY(child<QLabel>("label_Host_computer_version")->isVisibleTo(panel));
}

void TestSystemSettings::languageIsAppliedAtOnce()
{
    showSubPage(&MainWindow::on_pushButton_LanguageSet_clicked, window()->languagePage());
    auto *selector = child<QComboBox>("comboBox_Language_selection");
    auto *navigation = child<QPushButton>("pushButton_SystemSettings");
    auto *caption = child<QLabel>("label_Language_selection");
    auto *receiver = child<QLabel>("label_RXMCU_version");
    receiver->setText(QStringLiteral("V3.1.4"));
    QCOMPARE(selector->currentIndex(), int(Platform::SimplifiedChinese));
    QCOMPARE(selector->itemText(Platform::English), QStringLiteral("English"));
    QCOMPARE(navigation->text(), QStringLiteral("系统设置"));

    selector->setCurrentIndex(Platform::English);
    click("pushButton_Language_selection_set");
    QCOMPARE(Platform::languageValue(), QStringLiteral("en_US"));
    QCOMPARE(CommonlyUsed::getLanguageIndex(), int(Platform::English));
    QTRY_COMPARE(navigation->text(), QStringLiteral("System Settings"));
    // This page's own texts follow (as far as the translation has them yet),
    // the language names stay in their own script and data stays data.
    QCOMPARE(caption->text(), QCoreApplication::translate("LanguagePage", "语言："));
    QCOMPARE(selector->currentIndex(), int(Platform::English));
    QCOMPARE(selector->itemText(Platform::TraditionalChinese), QStringLiteral("繁體中文"));
    QCOMPARE(receiver->text(), QStringLiteral("V3.1.4"));

    selector->setCurrentIndex(Platform::SimplifiedChinese);
    click("pushButton_Language_selection_set");
    QCOMPARE(Platform::languageValue(), QStringLiteral("zh_CN"));
    QTRY_COMPARE(navigation->text(), QStringLiteral("系统设置"));
    QCOMPARE(caption->text(), QStringLiteral("语言："));
    QCOMPARE(selector->currentIndex(), int(Platform::SimplifiedChinese));
}

void TestSystemSettings::firmwareTargetsFollowModelAndKind_data()
{
    QTest::addColumn<QString>("model");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("targets");
    QTest::newRow("8x16 MCU") << "8x16" << "radioButton_MCU" << QStringList{"1", "2", "4"};
    QTest::newRow("8x16 FPGA") << "8x16" << "radioButton_FPGA" << QStringList{"1", "2", "5", "6", "7", "8"};
    QTest::newRow("4x4 FPGA") << "4x4" << "radioButton_FPGA" << QStringList{"1", "2"};
    QTest::newRow("8x9 FPGA") << "8x9" << "radioButton_FPGA" << QStringList{};
}

void TestSystemSettings::firmwareTargetsFollowModelAndKind()
{
    QFETCH(QString, model);
    QFETCH(QString, kind);
    QFETCH(QStringList, targets);
    showSubPage(&MainWindow::on_pushButton_FirmwareUpdate_clicked, window()->firmwarePage());
    auto *combo = child<QComboBox>("comboBox_FirmwareUpdate");
    // The model changes while the kind stays chosen: the list follows.
    click(qPrintable(kind));
    QVERIFY2(h.useModel(model), qPrintable(h.error()));
    QStringList offered;
    for (int i = 0; i < combo->count(); ++i)
        offered << combo->itemText(i);
    QCOMPARE(offered, targets);
    QCOMPARE(combo->isEnabled(), !targets.isEmpty());

    // No transfer runs: the progress stays out of sight.
    QVERIFY(!child<QWidget>("progressBar_Firmware_Update")->isVisibleTo(window()->firmwarePage()));
    QVERIFY(!child<QWidget>("label_Firmware_Upgrade")->isVisibleTo(window()->firmwarePage()));
}

void TestSystemSettings::firmwareFileIsRemembered()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("matrix_mcu.bin"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(200, '\x5A'));
    file.close();
    auto *field = child<QLineEdit>("lineEdit_FirmwareUpdate");
    field->clear();

    QString openedIn;
    answerFileDialog(path, &openedIn);
    click("pushButton_browse");
    QCOMPARE(QDir::fromNativeSeparators(field->text()), path);
    QCOMPARE(SettingsCatalogue::readString(SettingsCatalogue::Keys::UpgradeFilePath), path);
    QVERIFY(!window()->fileDialogOpen);

    // The next dialog opens where the last file was; cancelling keeps the file.
    answerFileDialog(QString(), &openedIn);
    click("pushButton_browse");
    QCOMPARE(openedIn, folder.path());
    QCOMPARE(window()->lastToast(), QStringLiteral("文件打开失败！"));
    QCOMPARE(QDir::fromNativeSeparators(field->text()), path);
    QVERIFY(!window()->fileDialogOpen);
}

void TestSystemSettings::factoryResetAsksFirst()
{
    showSubPage(&MainWindow::on_pushButton_Equipment_control_clicked, window()->equipmentControlPage());
    control(QStringLiteral("set name Lobby"));
    QString asked;
    bool yes = false;
    window()->questionHook = [&asked, &yes](const QString &question) {
        asked = question;
        return yes;
    };
    auto *reset = child<QPushButton>("pushButton_Restore_factory");

    control(QStringLiteral("history clear"));
    click("pushButton_Restore_factory");
    QVERIFY(asked.contains(QStringLiteral("恢复出厂设置")));
    QVERIFY(!reset->isChecked());
    syncWithDevice();
    QVERIFY(!sent(QStringLiteral("(reset)")));
    QCOMPARE(h.sim().state().value(QStringLiteral("name")), QStringLiteral("Lobby"));

    yes = true;
    asked.clear();
    click("pushButton_Restore_factory");
    QVERIFY(!asked.isEmpty());
    QTRY_VERIFY(sent(QStringLiteral("(reset)")));
    QTRY_COMPARE(h.sim().state().value(QStringLiteral("name")), QStringLiteral("HDMI Matrix"));
    // The program comes back to the device on loopback once it restarted.
    QTRY_COMPARE_WITH_TIMEOUT(window()->lastToast(), QStringLiteral("恢复出厂值成功！"), FactoryResetWaitMs + 5000);
    QCOMPARE(window()->deviceIp, QStringLiteral("127.0.0.1"));
    QString answer;
    QTRY_VERIFY_WITH_TIMEOUT(window()->sendDataDevice(QStringLiteral("(info,dev)"), answer), 5000);
    QVERIFY2(answer.contains(QStringLiteral("systemon")), qPrintable(answer));
    window()->questionHook = nullptr;
}

QTEST_MAIN(TestSystemSettings)
#include "tst_system_settings.moc"
