#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include <csignal>
#include <sys/types.h>

// Starts the real program (offscreen, in a scratch application directory) and
// checks what an operator sees of its process life: one copy at a time, the
// second start handing over to the first, and a crashed copy not blocking the
// next start, a busy copy still counting as running.
class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void secondCopyWakesTheFirstAndEnds();
    void killedCopyDoesNotBlockTheNextStart();
    void simultaneousStartsLeaveOneCopy();
    void stoppedCopyStillCountsAsRunning();

private:
    QProcess *startProgram();
    bool waitForLoginDialog(int timeoutMs);
    QString allLogText() const;
    // Whether the process with this id got past the guard: the log starts after it.
    bool wroteLog(qint64 pid) const;

    QString m_program;
    std::unique_ptr<QTemporaryDir> m_appDir;
    QList<QProcess *> m_processes;
};

void TestStartup::initTestCase()
{
    m_program = QString::fromLocal8Bit(qgetenv("TRIVANE_BINARY"));
    QVERIFY2(QFile::exists(m_program), "TRIVANE_BINARY does not name the program");
}

void TestStartup::init()
{
    // A fresh data directory per test, so that its files mark this test's copies.
    m_appDir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_appDir->isValid());
}

void TestStartup::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill(); // also ends a stopped process
            process->waitForFinished(5000);
        }
        delete process;
    }
    m_processes.clear();
}

QProcess *TestStartup::startProgram()
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRIVANE_APP_DIR"), m_appDir->path());
    env.insert(QStringLiteral("TRIVANE_LAB"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_appDir->filePath(QStringLiteral("config")));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(m_program, QStringList());
    m_processes << process;
    return process;
}

// The login dialog creates its settings files as it opens.
bool TestStartup::waitForLoginDialog(int timeoutMs)
{
    const QString marker = m_appDir->filePath(QStringLiteral("ConfigurationFile/LoginSystem/LoginSystemConfig.ini"));
    QElapsedTimer timer;
    timer.start();
    while (!QFile::exists(marker)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QTest::qWait(50);
    }
    return true;
}

QString TestStartup::allLogText() const
{
    QString text;
    QDirIterator it(m_appDir->filePath(QStringLiteral("Log")), {QStringLiteral("*.log")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

void TestStartup::secondCopyWakesTheFirstAndEnds()
{
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted(5000));
    QVERIFY2(waitForLoginDialog(15000), "the first copy never showed its login dialog");

    QProcess *second = startProgram();
    QElapsedTimer timer;
    timer.start();
    QVERIFY(second->waitForFinished(5000));
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);

    // The first copy got the message while its login dialog was up, and runs on.
    QTRY_VERIFY_WITH_TIMEOUT(allLogText().contains(QStringLiteral("\"Wake up!\"")), 5000);
    QCOMPARE(first->state(), QProcess::Running);
}

void TestStartup::killedCopyDoesNotBlockTheNextStart()
{
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted(5000));
    QVERIFY(waitForLoginDialog(15000));
    QTest::qWait(300);
    first->kill();
    QVERIFY(first->waitForFinished(5000));

    // Nobody answers on the guard the killed copy left behind: start normally.
    QProcess *next = startProgram();
    QVERIFY(next->waitForStarted(5000));
    QVERIFY2(!next->waitForFinished(3000), "the next start ended as if another copy were running");
    QCOMPARE(next->state(), QProcess::Running);
}

bool TestStartup::wroteLog(qint64 pid) const
{
    QDirIterator it(m_appDir->filePath(QStringLiteral("Log")), {QStringLiteral("*(%1).log").arg(pid)}, QDir::Files,
                    QDirIterator::Subdirectories);
    return it.hasNext();
}

void TestStartup::simultaneousStartsLeaveOneCopy()
{
    constexpr int Rounds = 20;
    for (int round = 0; round < Rounds; ++round) {
        QProcess *a = startProgram();
        QProcess *b = startProgram();
        QVERIFY(a->waitForStarted(5000) && b->waitForStarted(5000));
        QTRY_VERIFY2_WITH_TIMEOUT(a->state() == QProcess::NotRunning || b->state() == QProcess::NotRunning,
                                  qPrintable(QStringLiteral("round %1: both copies run").arg(round)), 8000);
        QTest::qWait(300);
        QProcess *ended = a->state() == QProcess::NotRunning ? a : b;
        QProcess *running = ended == a ? b : a;
        QVERIFY2(running->state() == QProcess::Running, qPrintable(QStringLiteral("round %1: none runs").arg(round)));
        QCOMPARE(ended->exitStatus(), QProcess::NormalExit);
        QCOMPARE(ended->exitCode(), 0);
        // The survivor is ended hard, so the next round also meets its leftovers.
        running->kill();
        QVERIFY(running->waitForFinished(5000));
    }
}

void TestStartup::stoppedCopyStillCountsAsRunning()
{
    QProcess *first = startProgram();
    QVERIFY(first->waitForStarted(5000));
    QVERIFY(waitForLoginDialog(15000));
    const auto firstPid = pid_t(first->processId());
    QTRY_VERIFY(wroteLog(firstPid));
    QCOMPARE(::kill(firstPid, SIGSTOP), 0);

    // The first copy holds the lock but cannot answer: the next start waits
    // out its bound and ends without running.
    QProcess *second = startProgram();
    QVERIFY(second->waitForStarted(5000));
    const qint64 secondPid = second->processId();
    QElapsedTimer timer;
    timer.start();
    QVERIFY2(second->waitForFinished(9000), "a start beside a busy copy went on to run");
    QCOMPARE(second->exitStatus(), QProcess::NormalExit);
    QCOMPARE(second->exitCode(), 0);
    QVERIFY(!wroteLog(secondPid));

    // Once it goes on, the first copy is still the one a later start reaches.
    QCOMPARE(::kill(firstPid, SIGCONT), 0);
    QProcess *third = startProgram();
    QVERIFY(third->waitForStarted(5000));
    const qint64 thirdPid = third->processId();
    timer.restart();
    QVERIFY(third->waitForFinished(5000));
    QVERIFY2(timer.elapsed() < 4000, "the running copy did not answer");
    QCOMPARE(third->exitCode(), 0);
    QVERIFY(!wroteLog(thirdPid));
    QCOMPARE(first->state(), QProcess::Running);
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
