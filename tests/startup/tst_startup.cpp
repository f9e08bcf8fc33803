#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// Starts the real program (offscreen, in a scratch application directory) and
// checks what an operator sees of its process life: one copy at a time, the
// second start handing over to the first, and a crashed copy not blocking the
// next start.
class TestStartup : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void secondCopyWakesTheFirstAndEnds();
    void killedCopyDoesNotBlockTheNextStart();

private:
    QProcess *startProgram();
    bool waitForLoginDialog(int timeoutMs);
    QString allLogText() const;

    QString m_program;
    QTemporaryDir m_appDir;
    QList<QProcess *> m_processes;
};

void TestStartup::initTestCase()
{
    m_program = QString::fromLocal8Bit(qgetenv("TRIVANE_BINARY"));
    QVERIFY2(QFile::exists(m_program), "TRIVANE_BINARY does not name the program");
    QVERIFY(m_appDir.isValid());
}

void TestStartup::cleanup()
{
    for (QProcess *process : qAsConst(m_processes)) {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
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
    env.insert(QStringLiteral("TRIVANE_APP_DIR"), m_appDir.path());
    env.insert(QStringLiteral("TRIVANE_LAB"), QStringLiteral("1"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_appDir.filePath(QStringLiteral("config")));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start(m_program, QStringList());
    m_processes << process;
    return process;
}

// The login dialog creates its settings files as it opens.
bool TestStartup::waitForLoginDialog(int timeoutMs)
{
    const QString marker = m_appDir.filePath(QStringLiteral("ConfigurationFile/LoginSystem/LoginSystemConfig.ini"));
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
    QDirIterator it(m_appDir.filePath(QStringLiteral("Log")), {QStringLiteral("*.log")}, QDir::Files,
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

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
