#include "app/commonlyused.h"
#include "app/singleinstance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
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
    void staleSocketIsReplaced();
    void restartStopsListenerFirst();
    void crashReport_data();
    void crashReport();

private:
    QProcess *startInstance();
    QString m_key;
    QList<QProcess *> m_processes;
};

void TestAppProcess::initTestCase()
{
    QVERIFY(QFileInfo(QStringLiteral(APP_TEST_HELPER)).isExecutable());
    m_key = QStringLiteral("tst-app-%1").arg(QCoreApplication::applicationPid());
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

void TestAppProcess::staleSocketIsReplaced()
{
    QProcess *dead = startInstance();
    QVERIFY(dead->waitForReadyRead(StartTimeoutMs));
    dead->kill(); // SIGKILL: the socket file stays behind
    QVERIFY(dead->waitForFinished(StartTimeoutMs));

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

void TestAppProcess::restartStopsListenerFirst()
{
    SingleInstance guard(m_key + QStringLiteral("-restart"));
    QVERIFY(guard.listen());
    QVERIFY(!restartApplication(&guard, QStringLiteral("/nonexistent/dir with blank/Trivane")));
    QVERIFY(guard.isListening());
    // The helper without arguments ends at once; only the start matters here.
    QVERIFY(restartApplication(&guard, QStringLiteral(APP_TEST_HELPER)));
    QVERIFY(!guard.isListening());
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
