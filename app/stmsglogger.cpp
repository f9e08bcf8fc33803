#include "app/stmsglogger.h"

#include "app/commonlyused.h"

#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QTextCodec>
#include <QVector>

#include <algorithm>

STMsgLogger STMsgLogger::st_logger;

namespace {

QtMessageHandler g_previousHandler = nullptr;
bool g_handlerInstalled = false;

constexpr int MaxRotationSuffix = 1000;

// Ten characters: the word inside the line.
QLatin1String lineTypeWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QLatin1String("Debug   : ");
    case QtInfoMsg:
        return QLatin1String("Info    : ");
    case QtWarningMsg:
        return QLatin1String("Warning : ");
    case QtCriticalMsg:
        return QLatin1String("Critical: ");
    case QtFatalMsg:
        return QLatin1String("Fatal   : ");
    }
    return QLatin1String("Unknown : ");
}

// Nine characters: the word that starts the written line.
QLatin1String fileTypeWord(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return QLatin1String("Debug   :");
    case QtWarningMsg:
        return QLatin1String("Warning :");
    case QtCriticalMsg:
        return QLatin1String("Critical:");
    case QtFatalMsg:
        return QLatin1String("Fatal   :");
    default:
        return QLatin1String("Unknown :");
    }
}

bool isDayFolderName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    return pattern.match(name).hasMatch() && QDate::fromString(name, QStringLiteral("yyyy-MM-dd")).isValid();
}

// When the folder came into being. Linux file systems may not report a birth
// time, and a copied or restored folder carries an older modification time than
// birth time: the earlier of the two is the best estimate of its age.
QDateTime folderCreationTime(const QFileInfo &info)
{
    const QDateTime modified = info.lastModified();
    const QDateTime born = info.birthTime();
    if (born.isValid() && born < modified)
        return born;
    return modified;
}

} // namespace

STMsgLogger::STMsgLogger(QObject *parent) : QObject(parent) {}

STMsgLogger::~STMsgLogger()
{
    if (this == &st_logger && g_handlerInstalled) {
        // Messages from later static destructors must not reach a dead logger.
        qInstallMessageHandler(g_previousHandler);
        g_handlerInstalled = false;
    }
    QMutexLocker lock(&m_mutex);
    closeFile();
}

void STMsgLogger::installMessageHandler()
{
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("utf-8"));
    if (g_handlerInstalled)
        return;
    g_previousHandler = qInstallMessageHandler(&STMsgLogger::messageHandler);
    g_handlerInstalled = true;
}

void STMsgLogger::messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString line = formatLine(type, context, message);
    if (g_previousHandler)
        g_previousHandler(type, context, line);
    st_logger.writeLine(type, line);
}

QString STMsgLogger::baseFileName(const char *file)
{
    if (!file)
        return QString();
    const QString path = QString::fromUtf8(file);
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return path.mid(cut + 1);
}

QString STMsgLogger::bareFunctionName(const char *function)
{
    if (!function)
        return QString();
    QString name = QString::fromUtf8(function);
    const int paren = name.indexOf(QLatin1Char('('));
    if (paren >= 0)
        name.truncate(paren);
    // Drop the return type and calling convention ("void __thiscall "), then
    // the class name up to the first "::".
    name = name.mid(name.lastIndexOf(QLatin1Char(' ')) + 1);
    const int scope = name.indexOf(QLatin1String("::"));
    if (scope >= 0)
        name = name.mid(scope + 2);
    return name;
}

QString STMsgLogger::formatLine(QtMsgType type, const QMessageLogContext &context, const QString &message,
                                const QDateTime &now)
{
    return now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz\t"))
           + QStringLiteral("[%1]->[%2](%3)\t")
                 .arg(baseFileName(context.file), bareFunctionName(context.function))
                 .arg(context.line)
           + lineTypeWord(type) + cappedMessage(message);
}

QString STMsgLogger::cappedMessage(const QString &message)
{
    if (message.size() <= MaxMessageChars)
        return message;
    int cut = MaxMessageChars;
    if (message.at(cut - 1).isHighSurrogate())
        --cut;
    return message.left(cut) + QStringLiteral(" … [message cut, %1 characters in all]").arg(message.size());
}

bool STMsgLogger::passesLevel(QtMsgType type, int level)
{
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return level >= 3;
    case QtWarningMsg:
        return level >= 2;
    case QtCriticalMsg:
        return level >= 1;
    case QtFatalMsg:
        return true;
    }
    return level >= 3;
}

void STMsgLogger::writeLine(QtMsgType type, const QString &line)
{
    QMutexLocker lock(&m_mutex);
    if (!passesLevel(type, m_level))
        return;
    if (!writeData(type, line))
        return;
    if (m_file && m_file->size() >= m_maxFileSize)
        m_autoCreate = createLogFile();
    if (m_budgetCheckDue || m_bytesSinceCheck >= budgetCheckInterval()) {
        qint64 freed = 0;
        const int removed = enforceBudget(&freed);
        if (removed > 0 && passesLevel(QtWarningMsg, m_level)) {
            const QMessageLogContext here(__FILE__, __LINE__, Q_FUNC_INFO, "default");
            writeData(QtWarningMsg,
                      formatLine(QtWarningMsg, here,
                                 QStringLiteral("log folders over their budget of %1 bytes: removed the %2 oldest "
                                                "log files (%3 bytes)")
                                     .arg(m_totalBudget)
                                     .arg(removed)
                                     .arg(freed)));
        }
    }
}

bool STMsgLogger::writeData(QtMsgType type, const QString &line)
{
    const QByteArray data = (fileTypeWord(type) + QLatin1Char('\t') + line + QLatin1Char('\n')).toUtf8();
    // A second attempt covers a file that vanished or stopped taking data.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_file && !QFileInfo::exists(m_fileName))
            closeFile();
        if (!m_file) {
            m_autoCreate = createLogFile();
            if (!m_autoCreate)
                return false; // dropped; the next message tries again
        }
        if (m_file->write(data) == data.size() && m_file->flush()) {
            m_bytesSinceCheck += data.size();
            return true;
        }
        closeFile();
    }
    return false;
}

qint64 STMsgLogger::budgetCheckInterval() const
{
    return qBound<qint64>(1, m_totalBudget / 16, BudgetCheckBytes);
}

int STMsgLogger::enforceBudget(qint64 *freedBytes)
{
    m_budgetCheckDue = false;
    m_bytesSinceCheck = 0;
    struct LogFile
    {
        QString path;
        QDateTime modified;
        qint64 size = 0;
    };
    const QString current = m_file ? QFileInfo(m_fileName).canonicalFilePath() : QString();
    QVector<LogFile> candidates;
    qint64 total = 0;
    const QFileInfoList days = QDir(logFolder()).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &day : days) {
        if (day.isSymLink() || !isDayFolderName(day.fileName()))
            continue;
        const QFileInfoList files =
            QDir(day.absoluteFilePath()).entryInfoList({QStringLiteral("*.log")}, QDir::Files | QDir::Hidden);
        for (const QFileInfo &file : files) {
            if (file.isSymLink())
                continue;
            total += file.size();
            if (file.canonicalFilePath() != current)
                candidates.append({file.absoluteFilePath(), file.lastModified(), file.size()});
        }
    }
    if (total <= m_totalBudget)
        return 0;
    std::sort(candidates.begin(), candidates.end(), [](const LogFile &a, const LogFile &b) {
        return a.modified != b.modified ? a.modified < b.modified : a.path < b.path;
    });
    int removed = 0;
    for (const LogFile &file : qAsConst(candidates)) {
        if (total <= m_totalBudget)
            break;
        if (!QFile::remove(file.path))
            continue;
        total -= file.size;
        *freedBytes += file.size;
        ++removed;
        // A day folder left empty goes as well; rmdir leaves any other.
        QDir().rmdir(QFileInfo(file.path).absolutePath());
    }
    return removed;
}

bool STMsgLogger::createLogFile()
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString dayFolder = logFolder() + now.date().toString(QStringLiteral("yyyy-MM-dd"));
    closeFile();
    if (!QDir().mkpath(dayFolder))
        return false;
    const QString stem = dayFolder + QLatin1Char('/') + now.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss_"))
                         + QCoreApplication::applicationName()
                         + QStringLiteral("(%1)").arg(QCoreApplication::applicationPid());
    // A rotation within the same second must not truncate the file just filled.
    QString name = stem + QStringLiteral(".log");
    for (int n = 2; QFileInfo::exists(name) && n < MaxRotationSuffix; ++n)
        name = stem + QStringLiteral("-%1.log").arg(n);
    auto file = std::make_unique<QFile>(name);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    m_file = std::move(file);
    m_fileName = name;
    m_budgetCheckDue = true;
    return true;
}

void STMsgLogger::closeFile()
{
    if (m_file) {
        m_file->close();
        m_file.reset();
    }
}

int STMsgLogger::logLevel() const
{
    QMutexLocker lock(&m_mutex);
    return m_level;
}

qint64 STMsgLogger::maxFileSize() const
{
    QMutexLocker lock(&m_mutex);
    return m_maxFileSize;
}

QString STMsgLogger::currentFileName() const
{
    QMutexLocker lock(&m_mutex);
    return m_file ? m_fileName : QString();
}

QString STMsgLogger::logFolder() const
{
    return CommonlyUsed::applicationDir() + QStringLiteral("/Log/");
}

void STMsgLogger::setLogLevel(int level)
{
    if (level < 0 || level > MaxLevel)
        return;
    QMutexLocker lock(&m_mutex);
    m_level = level;
}

void STMsgLogger::setMaxFileSize(int nSize)
{
    if (nSize < MinMaxFileSize || nSize > MaxMaxFileSize)
        return;
    QMutexLocker lock(&m_mutex);
    m_maxFileSize = nSize;
}

qint64 STMsgLogger::totalBudget() const
{
    QMutexLocker lock(&m_mutex);
    return m_totalBudget;
}

void STMsgLogger::setTotalBudgetForTest(qint64 bytes)
{
    QMutexLocker lock(&m_mutex);
    m_totalBudget = qMax<qint64>(1, bytes);
}

void STMsgLogger::setMaxFileSizeForTest(qint64 bytes)
{
    QMutexLocker lock(&m_mutex);
    m_maxFileSize = qMax<qint64>(1, bytes);
}

void STMsgLogger::clearLogs(int days)
{
    const QDateTime cutoff = QDateTime::currentDateTime().addDays(-days);
    QDir dir(logFolder());
    if (!dir.exists())
        return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::DirsFirst);
    for (const QFileInfo &entry : entries) {
        if (!entry.isDir() || entry.isSymLink() || !isDayFolderName(entry.fileName()))
            continue;
        if (folderCreationTime(entry) > cutoff)
            continue;
        if (QDir(entry.absoluteFilePath()).removeRecursively())
            qDebug() << "删除日志：" << entry.fileName();
        else
            qWarning() << "cannot remove log folder" << entry.absoluteFilePath();
    }
}
