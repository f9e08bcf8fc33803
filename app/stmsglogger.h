#pragma once

#include <QDateTime>
#include <QMutex>
#include <QObject>
#include <QString>

#include <memory>

class QFile;

// Writes every diagnostic message to "Log/<yyyy-MM-dd>/" below the application
// directory, one file per process until it reaches the size limit.
class STMsgLogger final : public QObject
{
    Q_OBJECT
public:
    static constexpr int DefaultLevel = 2;
    static constexpr int MaxLevel = 3;
    static constexpr qint64 DefaultMaxFileSize = 268435456; // 256 MiB
    static constexpr qint64 MinMaxFileSize = 1048576;       // 1 MiB
    static constexpr qint64 MaxMaxFileSize = 1073741824;    // 1 GiB
    static constexpr int DefaultKeepDays = 30;
    // All files of the dated log folders together; the oldest go first.
    static constexpr qint64 DefaultTotalBudget = 1073741824; // 1 GiB
    // The budget is looked at on every new file and after this much writing
    // (less for a small budget).
    static constexpr qint64 BudgetCheckBytes = 16 * 1024 * 1024;
    // Of one message's text; a longer one is cut with its length noted.
    static constexpr int MaxMessageChars = 64 * 1024;

    static STMsgLogger st_logger;

    explicit STMsgLogger(QObject *parent = nullptr);
    ~STMsgLogger() override;

    // Installs messageHandler, remembering the handler installed before so
    // that every line is passed on to it as well.
    static void installMessageHandler();
    static void messageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message);

    // The line the handler builds: time, tab, [file]->[function](line), tab,
    // ten-character type word, message.
    static QString formatLine(QtMsgType type, const QMessageLogContext &context, const QString &message,
                              const QDateTime &now = QDateTime::currentDateTime());
    static QString baseFileName(const char *file);
    static QString cappedMessage(const QString &message);
    static QString bareFunctionName(const char *function);
    static bool passesLevel(QtMsgType type, int level);

    // Writes one formatted line (filtered by level), creating or rotating the
    // file as needed. Thread-safe.
    void writeLine(QtMsgType type, const QString &line);
    int logLevel() const;
    qint64 maxFileSize() const;
    QString currentFileName() const;
    QString logFolder() const;
    // Removes dated day folders whose age is at least `days`; plain files in
    // the log folder stay.
    void clearLogs(int days);

    // Lets a test reach the rotation without writing hundreds of megabytes.
    void setMaxFileSizeForTest(qint64 bytes);
    qint64 totalBudget() const;
    // Lets a test reach the budget without writing a gigabyte.
    void setTotalBudgetForTest(qint64 bytes);

public slots:
    void setLogLevel(int level);
    void setMaxFileSize(int nSize);

private:
    bool createLogFile();
    void closeFile();
    // Writes one line, opening a file first if there is none; false when the
    // line was dropped.
    bool writeData(QtMsgType type, const QString &line);
    // Removes the oldest files of the dated folders (never the current file)
    // until everything fits the budget; returns how many went. Runs under the
    // mutex, so it must not log through the handler.
    int enforceBudget(qint64 *freedBytes);
    qint64 budgetCheckInterval() const;

    mutable QMutex m_mutex;
    std::unique_ptr<QFile> m_file;
    bool m_autoCreate = true;
    QString m_fileName;
    int m_level = DefaultLevel;
    qint64 m_maxFileSize = DefaultMaxFileSize;
    qint64 m_totalBudget = DefaultTotalBudget;
    qint64 m_bytesSinceCheck = 0;
    bool m_budgetCheckDue = false;
};
