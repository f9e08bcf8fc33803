#include "app/commonlyused.h"
#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int StartTimeoutMs = 10000;
constexpr int WakeUpLimitMs = 5000;

} // namespace

class TestAppProcess : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void secondCopyWakesTheFirst();
    void killedCopyDoesNotBlock();
    void lockDecidesWithinOneProcess();
    void leftoverLockFile_data();
    void leftoverLockFile();
    void restartReleasesLockFirst();
    void crashReport_data();
    void crashReport();

private:
    QProcess *startInstance();
    QString m_key;
    QTemporaryDir m_appDir;
    QList<QProcess *> m_processes;
};

void TestAppProcess::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(APP_TEST_HELPER)).isExecutable());
    m_key = QStringLiteral("tst-app-%1").arg(QCoreApplication::applicationPid());
    QVERIFY(m_appDir.isValid());
    // Lock files of this test and its helpers go to a scratch directory.
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
}

void TestAppProcess::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        process->kill();
        process->waitForFinished(StartTimeoutMs);
        delete process;
    }
    m_processes.clear();
}

QProcess *TestAppProcess::startInstance()
{
    auto *process = new QProcess;
    m_processes << process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRIVANE_APP_DIR"), m_appDir.path());
    process->setProcessEnvironment(env);
    process->start(QStringLiteral(APP_TEST_HELPER), {QStringLiteral("instance"), m_key});
    return process;
}

void TestAppProcess::secondCopyWakesTheFirst()
{
    QProcess *first = startInstance();
    QVERIFY(first->waitForReadyRead(StartTimeoutMs));
    QCOMPARE(first->readLine().trimmed(), QByteArray("listening"));

    QElapsedTimer clock;
    clock.start();
    QProcess *second = startInstance();
    QVERIFY(second->waitForFinished(StartTimeoutMs));
    QVERIFY2(clock.elapsed() < WakeUpLimitMs, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QCOMPARE(second->readAll().trimmed(), QByteArray("delivered"));
    QTRY_VERIFY_WITH_TIMEOUT(first->canReadLine(), WakeUpLimitMs);
    QCOMPARE(first->readLine().trimmed(), QByteArray("message:Wake up!"));
    QCOMPARE(first->state(), QProcess::Running);
}

void TestAppProcess::killedCopyDoesNotBlock()
{
    QProcess *dead = startInstance();
    QVERIFY(dead->waitForReadyRead(StartTimeoutMs));
    dead->kill(); // SIGKILL: the lock file and the socket file stay behind
    QVERIFY(dead->waitForFinished(StartTimeoutMs));
    const QStringList locks = QDir(m_appDir.path()).entryList({QStringLiteral("*.lock")}, QDir::Files);
    QCOMPARE(locks.size(), 1);

    QElapsedTimer clock;
    clock.start();
    QProcess *next = startInstance();
    QVERIFY(next->waitForReadyRead(StartTimeoutMs));
    QCOMPARE(next->readLine().trimmed(), QByteArray("listening"));
    QVERIFY(clock.elapsed() < WakeUpLimitMs);

    QProcess *third = startInstance();
    QVERIFY(third->waitForFinished(StartTimeoutMs));
    QCOMPARE(third->readAll().trimmed(), QByteArray("delivered"));
    QTRY_VERIFY_WITH_TIMEOUT(next->canReadLine(), WakeUpLimitMs);
    QCOMPARE(next->readLine().trimmed(), QByteArray("message:Wake up!"));
}

void TestAppProcess::lockDecidesWithinOneProcess()
{
    const QString key = m_key + QStringLiteral("-local");
    SingleInstance first(key);
    QCOMPARE(first.claim(), SingleInstance::Claim::Acquired);
    QVERIFY(first.ownsLock());
    QVERIFY(first.isListening());
    QVERIFY(QFile::exists(first.lockFilePath()));

    // A live holder keeps the lock even when it does not answer (this thread
    // runs no event loop while the second guard waits).
    SingleInstance second(key);
    QCOMPARE(second.claim(), SingleInstance::Claim::HeldByOther);
    QVERIFY(!second.isListening());
    QVERIFY(!second.sendMessage(QStringLiteral("Wake up!"), 300, SingleInstance::ListenerWait::UntilTimeout));

    // Another data directory is another installation: its own lock and name.
    QTemporaryDir otherDir;
    CommonlyUsed::setApplicationDirOverride(otherDir.path());
    SingleInstance elsewhere(key);
    CommonlyUsed::setApplicationDirOverride(m_appDir.path());
    QVERIFY(elsewhere.serverName() != first.serverName());
    QCOMPARE(elsewhere.claim(), SingleInstance::Claim::Acquired);
    QVERIFY(elsewhere.lockFilePath().startsWith(otherDir.path()));

    first.release();
    QVERIFY(!first.isListening());
    QVERIFY(!QFile::exists(first.lockFilePath()));
    QCOMPARE(second.claim(), SingleInstance::Claim::Acquired);
}

void TestAppProcess::leftoverLockFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("ageSeconds");
    QTest::addColumn<bool>("taken");
    // Empty: what a power loss between creating and writing the file leaves.
    QTest::newRow("empty, old") << QByteArray() << 3600 << true;
    QTest::newRow("empty, just made") << QByteArray() << 0 << false;
    QTest::newRow("live owner, old") << QByteArray("%1\ntst_app_process\n%2\n") << 3600 << false;
}

void TestAppProcess::leftoverLockFile()
{
    QFETCH(QByteArray, content);
    QFETCH(int, ageSeconds);
    QFETCH(bool, taken);
    SingleInstance guard(m_key + QStringLiteral("-leftover"));
    QFile file(guard.lockFilePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    if (!content.isEmpty())
        content = QString::fromLatin1(content)
                      .arg(QCoreApplication::applicationPid())
                      .arg(QSysInfo::machineHostName())
                      .toUtf8();
    file.write(content);
    QVERIFY(file.flush()); // a later flush would stamp the file with the current time
    const QDateTime stamp = QDateTime::currentDateTime().addSecs(-ageSeconds);
    QVERIFY(file.setFileTime(stamp, QFileDevice::FileModificationTime));
    file.close();

    QCOMPARE(guard.claim() == SingleInstance::Claim::Acquired, taken);
    guard.release();
    QFile::remove(guard.lockFilePath());
}

void TestAppProcess::restartReleasesLockFirst()
{
    SingleInstance guard(m_key + QStringLiteral("-restart"));
    QCOMPARE(guard.claim(), SingleInstance::Claim::Acquired);
    QVERIFY(!restartApplication(&guard, QStringLiteral("/nonexistent/dir with blank/Trivane")));
    QVERIFY(guard.ownsLock());
    QVERIFY(guard.isListening());
    // The helper without arguments ends at once; only the start matters here.
    QVERIFY(restartApplication(&guard, QStringLiteral(APP_TEST_HELPER)));
    QVERIFY(!guard.isListening());
    QVERIFY(!guard.ownsLock());
    QVERIFY(!QFile::exists(guard.lockFilePath()));
}

void TestAppProcess::crashReport_data()
{
    QTest::addColumn<QString>("signalName");
    QTest::newRow("segfault") << QStringLiteral("SIGSEGV");
    QTest::newRow("abort") << QStringLiteral("SIGABRT");
    QTest::newRow("arithmetic") << QStringLiteral("SIGFPE");
}

void TestAppProcess::crashReport()
{
    QFETCH(QString, signalName);
    QTemporaryDir dir;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRIVANE_APP_DIR"), dir.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(APP_TEST_HELPER), {QStringLiteral("crash"), signalName});
    QVERIFY(process.waitForFinished(StartTimeoutMs));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    const QFileInfoList reports = QDir(dir.filePath(QStringLiteral("DumpCrashes")))
                                      .entryInfoList({QStringLiteral("*.txt")}, QDir::Files);
    QCOMPARE(reports.size(), 1);
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{14}\\.txt$")).match(reports.first().fileName()).hasMatch());
    // The name carries the local time of the crash.
    const QDateTime stamp = QDateTime::fromString(reports.first().completeBaseName(), QStringLiteral("yyyyMMddhhmmss"));
    QVERIFY(qAbs(stamp.secsTo(QDateTime::currentDateTime())) < 60);
    QFile report(reports.first().absoluteFilePath());
    QVERIFY(report.open(QIODevice::ReadOnly));
    const QByteArray text = report.readAll();
    QVERIFY2(text.contains(signalName.toLatin1()), text.constData());
    QVERIFY(text.contains("backtrace:"));
}

QTEST_GUILESS_MAIN(TestAppProcess)
#include "tst_app_process.moc"
