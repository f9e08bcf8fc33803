#include "app/commonlyused.h"
#include "app/stmsglogger.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <utime.h>

namespace {

QStringList logFiles(const QString &appDir)
{
    QStringList files;
    QDirIterator it(appDir + QStringLiteral("/Log"), {QStringLiteral("*.log")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    files.sort();
    return files;
}

QString readAll(const QStringList &files)
{
    QString text;
    for (const QString &name : files) {
        QFile file(name);
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}

// Creation time cannot be set on Linux; clearLogs also looks at the
// modification time, which utime() can move back.
void makeOld(const QString &path, int days)
{
    const time_t when = QDateTime::currentDateTime().addDays(-days).toSecsSinceEpoch();
    utimbuf times{when, when};
    QCOMPARE(utime(QFile::encodeName(path).constData(), &times), 0);
}

} // namespace

class TestAppLogger : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void formatLine_data();
    void formatLine();
    void levels_data();
    void levels();
    void slotsRejectOutOfRange();
    void rotationKeepsEveryLine();
    void retriesAfterFailedCreation();
    void survivesVanishingFolder();
    void clearLogsRemovesOnlyOldDayFolders();
    void handlerWritesSourceLocation();
    void hugeMessageIsCut();
    void budgetRemovesOldestFilesFirst();
    void budgetCheckedWhileWritingNeverTakesCurrentFile();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAppLogger::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    CommonlyUsed::setApplicationDirOverride(m_dir->path());
}

void TestAppLogger::cleanup()
{
    CommonlyUsed::setApplicationDirOverride(QString());
}

void TestAppLogger::formatLine_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("function");
    QTest::addColumn<QString>("location");
    QTest::addColumn<QString>("word");
    QTest::newRow("Windows path, MSVC signature")
        << int(QtDebugMsg) << QByteArray("C:\\src\\mainwindow\\mainwindow.cpp")
        << QByteArray("void __thiscall MainWindow::myCloseWindow(void)") << QStringLiteral("[mainwindow.cpp]->[myCloseWindow](42)")
        << QStringLiteral("Debug   : ");
    QTest::newRow("Unix path, GCC signature")
        << int(QtWarningMsg) << QByteArray("/work/app/stmsglogger.cpp")
        << QByteArray("QString STMsgLogger::formatLine(QtMsgType, const QMessageLogContext&)")
        << QStringLiteral("[stmsglogger.cpp]->[formatLine](42)") << QStringLiteral("Warning : ");
    QTest::newRow("mixed separators") << int(QtCriticalMsg) << QByteArray("a/b\\c.cpp") << QByteArray("int main(int, char**)")
                                      << QStringLiteral("[c.cpp]->[main](42)") << QStringLiteral("Critical: ");
    QTest::newRow("no context") << int(QtInfoMsg) << QByteArray() << QByteArray() << QStringLiteral("[]->[](42)")
                                << QStringLiteral("Info    : ");
}

void TestAppLogger::formatLine()
{
    QFETCH(int, type);
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, function);
    QFETCH(QString, location);
    QFETCH(QString, word);
    const QMessageLogContext context(file.isEmpty() ? nullptr : file.constData(), 42,
                                     function.isEmpty() ? nullptr : function.constData(), nullptr);
    const QDateTime when(QDate(2024, 1, 2), QTime(3, 4, 5, 6));
    QCOMPARE(STMsgLogger::formatLine(QtMsgType(type), context, QStringLiteral("hello"), when),
             QStringLiteral("2024-01-02 03:04:05.006\t") + location + QLatin1Char('\t') + word + QStringLiteral("hello"));
}

void TestAppLogger::levels_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("written");
    QTest::newRow("level 0") << 0 << QStringLiteral("F");
    QTest::newRow("level 1") << 1 << QStringLiteral("CF");
    QTest::newRow("level 2") << 2 << QStringLiteral("WCF");
    QTest::newRow("level 3") << 3 << QStringLiteral("DIWCF");
}

void TestAppLogger::levels()
{
    QFETCH(int, level);
    QFETCH(QString, written);
    STMsgLogger logger;
    logger.setLogLevel(level);
    logger.writeLine(QtDebugMsg, QStringLiteral("D"));
    logger.writeLine(QtInfoMsg, QStringLiteral("I"));
    logger.writeLine(QtWarningMsg, QStringLiteral("W"));
    logger.writeLine(QtCriticalMsg, QStringLiteral("C"));
    logger.writeLine(QtFatalMsg, QStringLiteral("F"));
    const QStringList files = logFiles(m_dir->path());
    QCOMPARE(files.size(), 1);
    QString expected;
    const QMap<QChar, QString> words{{QLatin1Char('D'), QStringLiteral("Debug   :")},
                                     {QLatin1Char('I'), QStringLiteral("Unknown :")},
                                     {QLatin1Char('W'), QStringLiteral("Warning :")},
                                     {QLatin1Char('C'), QStringLiteral("Critical:")},
                                     {QLatin1Char('F'), QStringLiteral("Fatal   :")}};
    for (const QChar c : written)
        expected += words.value(c) + QLatin1Char('\t') + c + QLatin1Char('\n');
    QCOMPARE(readAll(files), expected);
    // Day folder and file name: yyyy-MM-dd/yyyy_MM_dd_HH_mm_ss_<app>(<pid>).log
    const QRegularExpression name(QStringLiteral("/Log/\\d{4}-\\d{2}-\\d{2}/\\d{4}(_\\d{2}){5}_%1\\(%2\\)\\.log$")
                                      .arg(QRegularExpression::escape(QCoreApplication::applicationName()))
                                      .arg(QCoreApplication::applicationPid()));
    QVERIFY2(name.match(files.first()).hasMatch(), qPrintable(files.first()));
}

void TestAppLogger::slotsRejectOutOfRange()
{
    STMsgLogger logger;
    QCOMPARE(logger.logLevel(), 2);
    logger.setLogLevel(4);
    logger.setLogLevel(-1);
    QCOMPARE(logger.logLevel(), 2);
    QCOMPARE(logger.maxFileSize(), qint64(268435456));
    logger.setMaxFileSize(1048575);
    QCOMPARE(logger.maxFileSize(), qint64(268435456));
    logger.setMaxFileSize(1048576);
    QCOMPARE(logger.maxFileSize(), qint64(1048576));
    logger.setMaxFileSize(1073741824);
    QCOMPARE(logger.maxFileSize(), qint64(1073741824));
}

void TestAppLogger::rotationKeepsEveryLine()
{
    STMsgLogger logger;
    logger.setLogLevel(3);
    logger.setMaxFileSizeForTest(50);
    constexpr int Lines = 6;
    for (int i = 0; i < Lines; ++i)
        logger.writeLine(QtDebugMsg, QStringLiteral("line %1 ").arg(i) + QString(60, QLatin1Char('x')));
    const QStringList files = logFiles(m_dir->path());
    // Every line fills a file; rotations within one second still get new names.
    QCOMPARE(files.size(), Lines + 1);
    const QString all = readAll(files);
    for (int i = 0; i < Lines; ++i)
        QVERIFY(all.contains(QStringLiteral("line %1 ").arg(i)));
    QCOMPARE(all.count(QLatin1Char('\n')), Lines);
}

void TestAppLogger::retriesAfterFailedCreation()
{
    // A plain file where the folder should be makes creation fail, even for root.
    QFile blocker(m_dir->filePath(QStringLiteral("Log")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    STMsgLogger logger;
    logger.writeLine(QtCriticalMsg, QStringLiteral("lost"));
    QVERIFY(logger.currentFileName().isEmpty());
    QVERIFY(blocker.remove());
    logger.writeLine(QtCriticalMsg, QStringLiteral("kept"));
    QVERIFY(!logger.currentFileName().isEmpty());
    QCOMPARE(readAll(logFiles(m_dir->path())), QStringLiteral("Critical:\tkept\n"));
}

void TestAppLogger::survivesVanishingFolder()
{
    STMsgLogger logger;
    logger.writeLine(QtWarningMsg, QStringLiteral("before"));
    QVERIFY(QDir(m_dir->filePath(QStringLiteral("Log"))).removeRecursively());
    logger.writeLine(QtWarningMsg, QStringLiteral("after"));
    QCOMPARE(readAll(logFiles(m_dir->path())), QStringLiteral("Warning :\tafter\n"));
}

void TestAppLogger::clearLogsRemovesOnlyOldDayFolders()
{
    const QString log = m_dir->filePath(QStringLiteral("Log"));
    const QDate today = QDate::currentDate();
    const QString old = log + QLatin1Char('/') + today.addDays(-31).toString(QStringLiteral("yyyy-MM-dd"));
    const QString recent = log + QLatin1Char('/') + today.addDays(-29).toString(QStringLiteral("yyyy-MM-dd"));
    const QString foreign = log + QStringLiteral("/keep-me");
    for (const QString &dir : {old, recent, foreign})
        QVERIFY(QDir().mkpath(dir));
    QFile inOld(old + QStringLiteral("/a.log"));
    QVERIFY(inOld.open(QIODevice::WriteOnly));
    inOld.close();
    QFile loose(log + QStringLiteral("/loose.log"));
    QVERIFY(loose.open(QIODevice::WriteOnly));
    loose.close();
    makeOld(old, 31);
    makeOld(recent, 29);
    makeOld(foreign, 40);
    makeOld(loose.fileName(), 40);

    STMsgLogger logger;
    logger.clearLogs(30);
    QVERIFY(!QFileInfo::exists(old));
    QVERIFY(QFileInfo::exists(recent));
    QVERIFY(QFileInfo::exists(foreign));
    QVERIFY(loose.exists());
}

void TestAppLogger::handlerWritesSourceLocation()
{
    STMsgLogger::st_logger.setLogLevel(3);
    STMsgLogger::installMessageHandler();
    qDebug() << "from the handler test";
    const QString text = readAll(logFiles(m_dir->path()));
    QVERIFY2(text.contains(QStringLiteral("\t[tst_app_logger.cpp]->[handlerWritesSourceLocation](")), qPrintable(text));
    QVERIFY(text.startsWith(QStringLiteral("Debug   :\t")));
    QVERIFY(text.contains(QStringLiteral("\tDebug   : from the handler test\n")));
}

void TestAppLogger::hugeMessageIsCut()
{
    const QMessageLogContext context("a.cpp", 1, "void f()", nullptr);
    const QString huge(STMsgLogger::MaxMessageChars * 3, QLatin1Char('x'));
    const QString line = STMsgLogger::formatLine(QtDebugMsg, context, huge);
    QVERIFY(line.size() < STMsgLogger::MaxMessageChars + 200);
    QVERIFY2(line.endsWith(QStringLiteral("%1 characters in all]").arg(huge.size())), qPrintable(line.right(80)));
    // A cut through a character outside the BMP keeps the pair whole.
    const QString emoji = QString(STMsgLogger::MaxMessageChars - 1, QLatin1Char('y')) + QStringLiteral("\U0001F600zz");
    const QString kept = STMsgLogger::cappedMessage(emoji);
    QVERIFY(kept.startsWith(QString(STMsgLogger::MaxMessageChars - 1, QLatin1Char('y')) + QStringLiteral(" …")));
    QCOMPARE(STMsgLogger::cappedMessage(QStringLiteral("short")), QStringLiteral("short"));
}

namespace {
// A log file of `bytes` bytes in the day folder `daysAgo` days back, last
// written then.
QString oldLogFile(const QString &appDir, int daysAgo, qint64 bytes)
{
    const QDate day = QDate::currentDate().addDays(-daysAgo);
    const QString folder = appDir + QStringLiteral("/Log/") + day.toString(QStringLiteral("yyyy-MM-dd"));
    QDir().mkpath(folder);
    const QString name = folder + day.toString(QStringLiteral("/yyyy_MM_dd_10_00_00_old(1).log"));
    QFile file(name);
    if (file.open(QIODevice::WriteOnly))
        file.write(QByteArray(int(bytes), 'o'));
    file.close();
    makeOld(name, daysAgo);
    return name;
}
} // namespace

void TestAppLogger::budgetRemovesOldestFilesFirst()
{
    const QString oldest = oldLogFile(m_dir->path(), 3, 1000);
    const QString older = oldLogFile(m_dir->path(), 2, 1000);
    const QString old = oldLogFile(m_dir->path(), 1, 1000);
    // Not in a dated folder: neither counted nor removed.
    QFile loose(m_dir->filePath(QStringLiteral("Log/loose.log")));
    QVERIFY(loose.open(QIODevice::WriteOnly));
    loose.write(QByteArray(5000, 'l'));
    loose.close();

    STMsgLogger logger;
    logger.setTotalBudgetForTest(2500);
    logger.writeLine(QtWarningMsg, QStringLiteral("first"));
    QVERIFY(!QFileInfo::exists(oldest));
    QVERIFY(!QFileInfo::exists(QFileInfo(oldest).absolutePath()));
    QVERIFY(QFileInfo::exists(older));
    QVERIFY(QFileInfo::exists(old));
    QVERIFY(loose.exists());
    QFile current(logger.currentFileName());
    QVERIFY(current.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(current.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines.first(), QStringLiteral("Warning :\tfirst"));
    // The removal is noted in the usual line format.
    QVERIFY2(QRegularExpression(QStringLiteral("^Warning :\t\\d{4}-\\d\\d-\\d\\d [\\d:.]{12}\t\\[stmsglogger\\.cpp\\]"
                                               "->\\[writeLine\\]\\(\\d+\\)\tWarning : .*removed the 1 oldest log files "
                                               "\\(1000 bytes\\)$"))
                 .match(lines.last())
                 .hasMatch(),
             qPrintable(lines.last()));
}

void TestAppLogger::budgetCheckedWhileWritingNeverTakesCurrentFile()
{
    const QString old = oldLogFile(m_dir->path(), 1, 2000);
    STMsgLogger logger;
    logger.setLogLevel(3);
    constexpr qint64 Budget = 3000;
    logger.setTotalBudgetForTest(Budget);
    const QString line = QString(90, QLatin1Char('x'));
    int written = 0;
    // No new file is started here: only the checks during writing can act.
    while (QFileInfo::exists(old) && written < 40) {
        logger.writeLine(QtDebugMsg, line);
        ++written;
    }
    QVERIFY(!QFileInfo::exists(old));
    // Removed soon after the total passed the budget, not only at the next file.
    QVERIFY2(written * 100 < 1000 + Budget / 8 + 200, qPrintable(QString::number(written)));
    // The current file outgrows the budget on its own and still stays whole.
    for (int i = 0; i < 40; ++i)
        logger.writeLine(QtDebugMsg, line);
    const QStringList files = logFiles(m_dir->path());
    QCOMPARE(files, QStringList{logger.currentFileName()});
    QCOMPARE(readAll(files).count(line), written + 40);
    QVERIFY(QFileInfo(files.first()).size() > Budget);
}

QTEST_GUILESS_MAIN(TestAppLogger)
#include "tst_app_logger.moc"
