// Files over the RS-232 line at 9600 baud, where the bytes take longer on the
// wire than the device's pauses: a firmware packet needs a second to arrive,
// a 2 KiB EDID two. What arrives is compared with the simulator's hash.
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "app/commonlyused.h"
#include "link/transport/devicelink.h"
#include "mainwindow/edid/edidpage.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/system/firmwarepage.h"
#include "mainwindow/transfer/transferrunner.h"
#include "resources/trivaneresources.h"
#include "tests/support/sim_process.h"
#include "transfer_files.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

namespace {
constexpr int Rate = 9600;
constexpr int TransferDoneMs = 20000;

} // namespace

using namespace TransferFiles;

class TestTransferSerial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void firmwareOverTheLine();
    void edidConfirmedAfterItsLineTime();

private:
    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qWarning() << "cannot write" << path;
        return path;
    }

    QTemporaryDir m_appDir;
    QTemporaryDir m_dir;
    SimProcess m_sim;
    MainWindow *m_window = nullptr;
};

void TestTransferSerial::initTestCase()
{
    Trivane::initResources();
    QVERIFY(m_appDir.isValid() && m_dir.isValid());
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    QVERIFY2(m_sim.start({QStringLiteral("--pty"), m_sim.suggestedPtyPath(), QStringLiteral("--baud"),
                          QString::number(Rate), QStringLiteral("--model"), QStringLiteral("8x16")}),
             qPrintable(m_sim.errorText()));
    m_window = MainWindow::getInstance();
    QObject::disconnect(m_window->deviceLink(), &DeviceLink::Send_HeartbeatDue, m_window, nullptr);
    m_window->resize(1366, 768);
    m_window->show();
    m_window->setPortname(m_sim.ptyPath());
    m_window->setMyBaud_Rate(QString::number(Rate));
    QVERIFY(m_window->Open_Serial_Port(1));
    QString answer;
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->linkBusy, 3000);
    QVERIFY(m_window->sendDataDevice(QStringLiteral("(info,link)"), answer));
    m_window->Data_Processing(answer);
    QVERIFY(m_window->modelApplied);
    QTest::qWait(800);
    m_window->transferRunner()->firmwareTiming.readyWaitMs = 100;
    m_window->transferRunner()->firmwareTiming.successWaitMs = 100;
    m_window->transferRunner()->edidTiming.readyWaitMs = 100;
}

void TestTransferSerial::cleanupTestCase()
{
    delete m_window;
    m_window = nullptr;
}

void TestTransferSerial::firmwareOverTheLine()
{
    const int payload = 2 * 1024 + 100;
    const QByteArray file = firmware(payload);
    const QByteArray image = file.left(payload);
    FirmwarePage *page = m_window->firmwarePage();
    page->findChild<QLineEdit *>(QStringLiteral("lineEdit_FirmwareUpdate"))
        ->setText(writeFile(QStringLiteral("fw.bin"), file));
    page->findChild<QRadioButton *>(QStringLiteral("radioButton_MCU"))->click();
    QSignalSpy finished(m_window->transferRunner(), &TransferRunner::Send_TransferFinished);
    page->on_pushButton_upgrade_clicked();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), true);
    const QMap<QString, QString> state = m_sim.state();
    QCOMPARE(state.value(QStringLiteral("payload1")),
             QStringLiteral("mcu,1,%1,%2,ok").arg(payload).arg(sha1(image)));
    // Nothing faster than the line: 2,276 bytes at 960 bytes a second.
    QVERIFY(m_window->transferRunner()->lastFigures().streamingMs >= 2276 * 1000 / 960);
    m_window->heartbeatTimer->stop();
}

void TestTransferSerial::edidConfirmedAfterItsLineTime()
{
    // 2 KiB take 2.1 s on the wire after the program's port took them: the
    // device's confirmation comes long after a fixed half-second check.
    const QByteArray edid = pattern(2048, 5);
    EdidPage *page = m_window->edidPage();
    page->showUploadView(true);
    page->findChild<QCheckBox *>(QStringLiteral("checkBox_EDID2"))->click();
    page->findChild<QLineEdit *>(QStringLiteral("lineEdit_Load_EDID_File"))
        ->setText(writeFile(QStringLiteral("edid.bin"), edid));
    QSignalSpy finished(m_window->transferRunner(), &TransferRunner::Send_TransferFinished);
    page->on_pushButton_upload_clicked();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, TransferDoneMs);
    QCOMPARE(finished.at(0).at(1).toBool(), true);
    QCOMPARE(m_window->lastToast(), QStringLiteral("EDID2升级成功！"));
    QCOMPARE(m_sim.state().value(QStringLiteral("edidslot2")), QStringLiteral("2048,%1").arg(sha1(edid)));

    // The link is the receiver's again: a request after the upload is answered.
    QString answer;
    QVERIFY(m_window->sendDataDevice(QStringLiteral("(get,i.edid,1)"), answer));
    QVERIFY(answer.contains(QLatin1String("in1edid")));
}

QTEST_MAIN(TestTransferSerial)
#include "tst_transfer_serial.moc"
