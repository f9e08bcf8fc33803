// Firmware and EDID files sent to the simulator through the program's own
// link: what arrives is compared byte for byte (the simulator's hash), every
// refused file sends nothing, and every fault ends in the failure report with
// the link handed back to the receiver and the heartbeat.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include "mainwindow/edid/edidpage.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/transfer/transferrunner.h"
#include "pages_harness.h"
#include "transfer_files.h"

namespace {
constexpr int TransferDoneMs = 15000;
} // namespace

using namespace TransferFiles;

class TestTransfer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void firmwareArrivesWhole();
    void firmwareAckSplitInTwo();
    void refusedFilesSendNothing_data();
    void refusedFilesSendNothing();
    void emptyFpgaTargetIsRefused();
    void firmwareFaultsEndInFailure_data();
    void firmwareFaultsEndInFailure();
    void upgradeLocksAndRefusesDuringTransfer();
    void edidUpload_data();
    void edidUpload();
    void lateEdidConfirmationIsReported();
    void strayReadyAnswersAreIgnored();
    void typedAnnouncementIsRefused();
    void dropsOnlyOnFilePages();

private:
    MainWindow *window() const { return h.window(); }
    TransferRunner *runner() const { return h.window()->transferRunner(); }
    template <typename T> T *child(QWidget *page, const char *name) const
    {
        auto *w = page->findChild<T *>(QLatin1String(name));
        if (!w)
            qWarning() << "missing widget" << name;
        return w;
    }
    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qWarning() << "cannot write" << path;
        return path;
    }
    void control(const QString &line)
    {
        bool ok = false;
        h.sim().command(line, &ok);
        QVERIFY2(ok, qPrintable(line + QStringLiteral(": ") + h.sim().errorText()));
    }
    // Chooses the file, kind and target on the firmware page and presses upgrade.
    void upgrade(const QString &path, bool mcu = true, const QString &target = QStringLiteral("1"));
    void upload(const QString &path, int slot);
    bool announced() { return h.sim().history().join(QLatin1Char('\n')).contains(QLatin1String("(update,")); }
    // The last payload the device took: kind,target,bytes,sha1,result.
    QStringList lastPayload()
    {
        const QMap<QString, QString> state = h.sim().state();
        const QString count = state.value(QStringLiteral("payloads"));
        return state.value(QStringLiteral("payload") + count).split(QLatin1Char(','));
    }
    void verifyIdle();
    void showPage(int page);

    PagesHarness h;
    QTemporaryDir m_dir;
};

void TestTransfer::initTestCase()
{
    QVERIFY2(h.start({QStringLiteral("--model"), QStringLiteral("8x16")}), qPrintable(h.error()));
    QVERIFY(m_dir.isValid());
    // The device's fixed pauses, shortened: the bounds under test stay.
    runner()->firmwareTiming.readyWaitMs = 100;
    runner()->firmwareTiming.successWaitMs = 100;
    runner()->edidTiming.readyWaitMs = 100;
    // A device left in receive mode by a failed transfer takes the next
    // announcement as file data until it gives up: not 10 s per test here.
    control(QStringLiteral("set receivetimeout 300"));
    showPage(6);
}

void TestTransfer::showPage(int page)
{
    if (page == 5)
        window()->on_pushButton_EDIDSettings_clicked();
    else if (page == 6)
        window()->on_pushButton_SystemSettings_clicked();
    else
        window()->on_pushButton_SignalSwitching_clicked();
    QTRY_COMPARE(window()->currentPage, page);
    // The slide must end before the next page may be asked for.
    QTest::qWait(500);
    if (page == 6)
        window()->on_pushButton_FirmwareUpdate_clicked();
}

void TestTransfer::init()
{
    // The buttons' 4 s lock is left to the one test about it: the slots are
    // called directly.
    control(QStringLiteral("history clear"));
}

void TestTransfer::cleanup()
{
    for (const char *fault : {"ackdrop", "packerr", "dropafter", "edidslot", "packetdelay"})
        control(QStringLiteral("fault %1 off").arg(QLatin1String(fault)));
    control(QStringLiteral("fault split off"));
    control(QStringLiteral("fault edidsplit off"));
    control(QStringLiteral("fault delay 0"));
    control(QStringLiteral("set receivetimeout 300"));
    runner()->firmwareTiming.packetPolls = FileTransfer::FirmwareTiming().packetPolls;
    QTRY_COMPARE_WITH_TIMEOUT(h.sim().state().value(QStringLiteral("receiving")), QStringLiteral("none"), 3000);
    // A fault that dropped the link: the test's link comes back.
    if (!window()->deviceLink()->channelReady()) {
        window()->Connect_TCP_Server();
        QVERIFY(window()->deviceLink()->channelReady());
    }
}

void TestTransfer::upgrade(const QString &path, bool mcu, const QString &target)
{
    FirmwarePage *page = window()->firmwarePage();
    child<QLineEdit>(page, "lineEdit_FirmwareUpdate")->setText(path);
    QRadioButton *kind = child<QRadioButton>(page, mcu ? "radioButton_MCU" : "radioButton_FPGA");
    kind->click();
    QComboBox *targets = child<QComboBox>(page, "comboBox_FirmwareUpdate");
    if (targets->findText(target) >= 0)
        targets->setCurrentText(target);
    page->on_pushButton_upgrade_clicked();
}

void TestTransfer::upload(const QString &path, int slot)
{
    EdidPage *page = window()->edidPage();
    page->showUploadView(true);
    child<QCheckBox>(page, QStringLiteral("checkBox_EDID%1").arg(slot).toLatin1().constData())->click();
    child<QLineEdit>(page, "lineEdit_Load_EDID_File")->setText(path);
    page->on_pushButton_upload_clicked();
}

void TestTransfer::verifyIdle()
{
    QVERIFY(!window()->transferRunning);
    QVERIFY(!window()->receiveSuspended);
    QVERIFY(window()->heartbeatTimer->isActive());
    QCOMPARE(window()->heartbeatTimer->interval(), TransferRunner::HeartbeatAfterMs);
    // The heartbeat stays out of the tests' way.
    window()->heartbeatTimer->stop();
}

void TestTransfer::firmwareArrivesWhole()
{
    // 1100 bytes: one full packet of the payload, then the check code.
    const QByteArray image = firmware(1024);
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    QSignalSpy progress(runner(), &TransferRunner::Send_TransferProgress);
    upgrade(file(QStringLiteral("one.bin"), image), true, QStringLiteral("4"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), true);
    QCOMPARE(window()->lastToast(), QStringLiteral("固件升级成功,设备正在重启！"));
    QCOMPARE(lastPayload(), (QStringList{"mcu", "4", "1024", sha1(image.left(1024)), "ok"}));
    QCOMPARE(progress.last().at(1).toInt(), 0); // reset once hidden
    const QString console = window()->consolePlainText();
    QVERIFY(console.contains(QLatin1String("Single length of Send = 1024")));
    QVERIFY(console.contains(QLatin1String("Check code data length = 76")));
    QVERIFY(console.contains(QStringLiteral("固件升级所用时间: ")));
    verifyIdle();

    // A bigger file with a short last packet, sent again from the same page.
    const QByteArray big = firmware(5 * 1024 + 300);
    upgrade(file(QStringLiteral("big.bin"), big), false, QStringLiteral("2"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 2, TransferDoneMs);
    QCOMPARE(lastPayload(), (QStringList{"fpga", "2", QString::number(5 * 1024 + 300), sha1(big.left(5 * 1024 + 300)), "ok"}));
    verifyIdle();
}

void TestTransfer::firmwareAckSplitInTwo()
{
    // Every answer cut after "pa": the acknowledgement is read across reads.
    control(QStringLiteral("fault split 2 20"));
    const QByteArray image = firmware(3 * 1024);
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    upgrade(file(QStringLiteral("split.bin"), image));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), true);
    QCOMPARE(lastPayload().value(3), sha1(image.left(3 * 1024)));
    verifyIdle();
}

void TestTransfer::refusedFilesSendNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toast");
    QTest::newRow("empty file") << QByteArray() << "empty.bin" << "文件内容为空！";
    QTest::newRow("75 bytes") << QByteArray(75, 'Z') << "short.bin" << "文件校验失败！";
    QTest::newRow("trailer only") << firmware(0) << "zero.bin" << "升级文件内容为空！";
    QTest::newRow("little-endian length") << firmware(2000, true) << "le.bin" << "文件校验失败！";
    QTest::newRow("missing") << QByteArray() << "" << "升级文件不存在！";
    QTest::newRow("no path") << QByteArray() << "-" << "请选择升级文件";
}

void TestTransfer::refusedFilesSendNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, toast);
    QString path;
    if (name == QLatin1String("-"))
        path = QStringLiteral("   ");
    else if (name.isEmpty())
        path = m_dir.filePath(QStringLiteral("vanished.bin"));
    else
        path = file(name, bytes);
    upgrade(path);
    QCOMPARE(window()->lastToast(), toast);
    QTest::qWait(200);
    QVERIFY(!announced());
    QVERIFY(!window()->transferRunning);
}

void TestTransfer::emptyFpgaTargetIsRefused()
{
    // "8x9" has no FPGA target: nothing may go out as "(update,fpga,)".
    QVERIFY(h.useModel(QStringLiteral("8x9")));
    control(QStringLiteral("history clear"));
    upgrade(file(QStringLiteral("fpga.bin"), firmware(1024)), false, QString());
    QCOMPARE(window()->lastToast(), QStringLiteral("请选择升级目标！"));
    QVERIFY(!announced());
    QVERIFY(h.useModel(QStringLiteral("8x16")));
}

void TestTransfer::firmwareFaultsEndInFailure_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("result");
    QTest::newRow("acknowledgement lost") << "ackdrop 2" << "";
    QTest::newRow("packet refused") << "packerr 2" << "err";
    QTest::newRow("link dropped") << "dropafter 1" << "";
    QTest::newRow("check code unanswered") << "ackdrop 4" << "";
}

void TestTransfer::firmwareFaultsEndInFailure()
{
    QFETCH(QString, fault);
    QFETCH(QString, result);
    runner()->firmwareTiming.packetPolls = 10; // a 500 ms bound keeps the test short
    control(QStringLiteral("fault ") + fault);
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    upgrade(file(QStringLiteral("fault.bin"), firmware(3 * 1024)));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), false);
    QCOMPARE(window()->lastToast(), QStringLiteral("升级失败，退出升级!"));
    QVERIFY(window()->consolePlainText().contains(QStringLiteral("升级失败，退出升级!")));
    if (!result.isEmpty())
        QCOMPARE(lastPayload().value(4), result);
    auto *bar = child<QProgressBar>(window()->firmwarePage(), "progressBar_Firmware_Update");
    QVERIFY(!bar->isVisible());
    QCOMPARE(bar->value(), 0);
    verifyIdle();
}

void TestTransfer::upgradeLocksAndRefusesDuringTransfer()
{
    control(QStringLiteral("fault packetdelay 150"));
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    auto *button = child<QPushButton>(window()->firmwarePage(), "pushButton_upgrade");
    const QString path = file(QStringLiteral("slow.bin"), firmware(8 * 1024));
    // The transfer runs inside the dispatch of the ready answer: what the
    // operator may do meanwhile is tried from there.
    QString againToast;
    bool closed = true;
    QMetaObject::Connection during =
        connect(runner(), &TransferRunner::Send_TransferShown, this, [&](TransferRunner::Kind, bool shown) {
            if (!shown)
                return;
            QTimer::singleShot(300, this, [&] {
                upgrade(path);
                againToast = window()->lastToast();
                closed = window()->close();
            });
        });
    upgrade(path);
    QVERIFY(!button->isEnabled());
    QVERIFY(button->styleSheet().contains(QLatin1String("rgb(193, 193, 193)")));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    disconnect(during);
    QCOMPARE(finished.at(0).at(1).toBool(), true);
    QCOMPARE(againToast, QStringLiteral("当前有升级包在下发！"));
    QVERIFY(!closed);
    QVERIFY(window()->isVisible());
    QCOMPARE(lastPayload().value(4), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), TransferRunner::ButtonLockMs + 500);
    QVERIFY(button->styleSheet().contains(QLatin1String("rgb(22, 155, 213)")));
    verifyIdle();
}

void TestTransfer::edidUpload_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<QString>("toast");
    QTest::newRow("confirmed") << "" << true << "EDID3升级成功！";
    QTest::newRow("confirmed in two lines") << "edidsplit on" << true << "EDID3升级成功！";
    QTest::newRow("another slot confirmed") << "edidslot 2" << false << "设备确认的是EDID2，不是所选的EDID3！";
}

void TestTransfer::edidUpload()
{
    QFETCH(QString, fault);
    QFETCH(bool, succeeds);
    QFETCH(QString, toast);
    if (!fault.isEmpty())
        control(QStringLiteral("fault ") + fault);
    showPage(5);
    const QByteArray edid = pattern(2 * 1024 + 256, 3);
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    upload(file(QStringLiteral("custom.bin"), edid), 3);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), succeeds);
    QCOMPARE(window()->lastToast(), toast);
    // The device stored the whole file in the slot announced.
    const QMap<QString, QString> state = h.sim().state();
    QCOMPARE(state.value(QStringLiteral("edidslot3")), QStringLiteral("%1,%2").arg(edid.size()).arg(sha1(edid)));
    verifyIdle();
    QVERIFY(!child<QPushButton>(window()->edidPage(), "pushButton_upload")->isEnabled());
    showPage(6);
}

void TestTransfer::lateEdidConfirmationIsReported()
{
    // Every answer 2.5 s late: the upload ends unconfirmed (red), then the
    // device's confirmation arrives through the receiver and is reported.
    showPage(5);
    control(QStringLiteral("set receivetimeout 10000"));
    control(QStringLiteral("fault delay 2500"));
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    upload(file(QStringLiteral("late.bin"), pattern(512, 9)), 1);
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), false);
    QCOMPARE(window()->lastToast(), QStringLiteral("EDID1上传后未收到设备确认！"));
    QCOMPARE(runner()->lateEdidSlot(), QStringLiteral("1"));
    QTRY_COMPARE_WITH_TIMEOUT(window()->lastToast(), QStringLiteral("EDID1升级成功！"), 5000);
    QCOMPARE(finished.count(), 2);
    QCOMPARE(finished.at(1).at(1).toBool(), true);
    QVERIFY(runner()->lateEdidSlot().isEmpty());
    control(QStringLiteral("fault delay 0"));
    control(QStringLiteral("set receivetimeout 300"));
    window()->heartbeatTimer->stop();
    showPage(6);
}

void TestTransfer::strayReadyAnswersAreIgnored()
{
    // Ready answers nobody asked for (a typed announcement earlier, a device
    // restarting): nothing is streamed, nothing is reported.
    QSignalSpy finished(runner(), &TransferRunner::Send_TransferFinished);
    const QString toastBefore = window()->lastToast();
    control(QStringLiteral("sendtext pleasechooseupdatefile\\r\\nok\\r\\n"));
    QTest::qWait(400);
    window()->Data_Processing(QStringLiteral("pleasesendedidfileok"));
    window()->Data_Processing(QStringLiteral("edid1updatedok"));
    QTest::qWait(200);
    QCOMPARE(finished.count(), 0);
    QVERIFY(!window()->transferRunning);
    QCOMPARE(window()->lastToast(), toastBefore);
}

void TestTransfer::typedAnnouncementIsRefused()
{
    auto *line = window()->findChild<QLineEdit *>(QStringLiteral("lineEdit_SendData"));
    for (const char *typed : {"(update,edid,1)", "(update,mcu,1)"}) {
        line->setText(QLatin1String(typed));
        window()->on_pushButton_SendIP_clicked();
        QVERIFY(window()->lastToast().contains(QStringLiteral("EDID设置")));
    }
    QTest::qWait(200);
    QVERIFY(!announced());
}

void TestTransfer::dropsOnlyOnFilePages()
{
    const QString path = file(QStringLiteral("dropped.bin"), firmware(1024));
    const QString upper = file(QStringLiteral("UPPER.BIN"), firmware(1024));
    auto drop = [this](const QString &file, bool expectAccepted) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &enter);
        QCOMPARE(enter.isAccepted(), expectAccepted);
        if (!expectAccepted)
            return;
        QDropEvent dropEvent(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window(), &dropEvent);
    };
    auto *field = child<QLineEdit>(window()->firmwarePage(), "lineEdit_FirmwareUpdate");

    showPage(0);
    drop(path, false);

    showPage(6);
    field->clear();
    drop(upper, true);
    QCOMPARE(window()->lastToast(), QStringLiteral("请拖拽bin文件！"));
    QVERIFY(field->text().isEmpty());
    drop(path, true);
    QCOMPARE(QDir::fromNativeSeparators(field->text()), path);

    showPage(5);
    drop(path, true);
    QCOMPARE(QDir::fromNativeSeparators(child<QLineEdit>(window()->edidPage(), "lineEdit_Load_EDID_File")->text()),
             path);
    showPage(6);
}

QTEST_MAIN(TestTransfer)
#include "tst_transfer.moc"
