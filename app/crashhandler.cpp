#include "app/crashhandler.h"

#include "app/commonlyused.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>

#ifdef Q_OS_WIN
#include <dbghelp.h>
#else
#include <csignal>
#include <cstring>
#include <ctime>
#include <execinfo.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

QString CrashHandler::dumpFolder()
{
    return CommonlyUsed::applicationDir() + QStringLiteral("/DumpCrashes/");
}

QString CrashHandler::dumpFileName(const QDateTime &time)
{
#ifdef Q_OS_WIN
    const QString extension = QStringLiteral(".dmp");
#else
    const QString extension = QStringLiteral(".txt");
#endif
    return time.toString(QStringLiteral("yyyyMMddhhmmss")) + extension;
}

#ifdef Q_OS_WIN

namespace {
// MiniDumpWithDataSegs | MiniDumpWithUnloadedModules | MiniDumpWithProcessThreadData
constexpr MINIDUMP_TYPE DumpType = MINIDUMP_TYPE(0x121);
} // namespace

long __stdcall ApplicationCrashHandler(EXCEPTION_POINTERS *exception)
{
    const QString folder = CrashHandler::dumpFolder();
    if (!QDir().mkpath(folder))
        qDebug() << "创建DumpCrashes文件夹失败！";
    const QString path = QDir::toNativeSeparators(folder + CrashHandler::dumpFileName(QDateTime::currentDateTime()));
    HANDLE file = CreateFileW(reinterpret_cast<LPCWSTR>(path.utf16()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        MINIDUMP_EXCEPTION_INFORMATION info;
        info.ThreadId = GetCurrentThreadId();
        info.ExceptionPointers = exception;
        info.ClientPointers = FALSE;
        MiniDumpWriteDump(GetCurrentProcess(), GetCurrentProcessId(), file, DumpType, &info, nullptr, nullptr);
        CloseHandle(file);
    }
    const EXCEPTION_RECORD *record = exception ? exception->ExceptionRecord : nullptr;
    const QString text = QStringLiteral("程序异常崩溃捕获！\nerrCode：%1 \nerrAddr：%2")
                             .arg(QString::number(record ? quint64(record->ExceptionCode) : 0, 16),
                                  QString::number(record ? quint64(quintptr(record->ExceptionAddress)) : 0, 16));
    // The native box needs no running event loop, which may be the one that crashed.
    MessageBoxW(nullptr, reinterpret_cast<LPCWSTR>(text.utf16()), L"错误", MB_OK | MB_ICONERROR);
    return EXCEPTION_EXECUTE_HANDLER;
}

void CrashHandler::install()
{
    SetUnhandledExceptionFilter(ApplicationCrashHandler);
}

#else

namespace {

constexpr int HandledSignals[] = {SIGSEGV, SIGABRT, SIGFPE, SIGILL, SIGBUS};
constexpr int MaxPathBytes = 4096;
constexpr int MaxFrames = 64;
constexpr size_t AltStackSize = 64 * 1024;
constexpr int StampDigits = 14; // yyyyMMddhhmmss

// Everything the handler needs is prepared at install time: it may only use
// async-signal-safe calls.
char g_folder[MaxPathBytes];
size_t g_folderLength = 0;
long g_utcOffsetSeconds = 0;
bool g_installed = false;

void appendText(char *buffer, size_t &length, size_t capacity, const char *text)
{
    while (*text && length + 1 < capacity)
        buffer[length++] = *text++;
    buffer[length] = '\0';
}

void appendNumber(char *buffer, size_t &length, size_t capacity, long value, int width)
{
    char digits[24];
    int n = 0;
    unsigned long v = value < 0 ? 0UL - static_cast<unsigned long>(value) : static_cast<unsigned long>(value);
    do {
        digits[n++] = char('0' + v % 10);
        v /= 10;
    } while (v && n < int(sizeof digits));
    while (n < width && n < int(sizeof digits))
        digits[n++] = '0';
    if (value < 0 && length + 1 < capacity)
        buffer[length++] = '-';
    while (n > 0 && length + 1 < capacity)
        buffer[length++] = digits[--n];
    buffer[length] = '\0';
}

// Civil date from days since 1970-01-01 (Howard Hinnant's algorithm): no
// localtime() in a signal handler.
void civilFromDays(long z, long &year, long &month, long &day)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    day = doy - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = yoe + era * 400 + (month <= 2 ? 1 : 0);
}

void appendTimeStamp(char *buffer, size_t &length, size_t capacity)
{
    constexpr long SecondsPerDay = 86400;
    const long local = static_cast<long>(time(nullptr)) + g_utcOffsetSeconds;
    long days = local / SecondsPerDay;
    long seconds = local % SecondsPerDay;
    if (seconds < 0) {
        seconds += SecondsPerDay;
        --days;
    }
    long year = 0, month = 0, day = 0;
    civilFromDays(days, year, month, day);
    appendNumber(buffer, length, capacity, year, 4);
    appendNumber(buffer, length, capacity, month, 2);
    appendNumber(buffer, length, capacity, day, 2);
    appendNumber(buffer, length, capacity, seconds / 3600, 2);
    appendNumber(buffer, length, capacity, seconds / 60 % 60, 2);
    appendNumber(buffer, length, capacity, seconds % 60, 2);
}

const char *signalName(int sig)
{
    switch (sig) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGABRT:
        return "SIGABRT";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGBUS:
        return "SIGBUS";
    default:
        return "signal";
    }
}

void writeAll(int fd, const char *text, size_t length)
{
    while (length > 0) {
        const ssize_t n = write(fd, text, length);
        if (n <= 0)
            return;
        text += n;
        length -= size_t(n);
    }
}

void crashSignalHandler(int sig, siginfo_t *info, void *)
{
    char path[MaxPathBytes + StampDigits + 8];
    size_t length = 0;
    appendText(path, length, sizeof path, g_folder);
    mkdir(path, 0755);
    appendTimeStamp(path, length, sizeof path);
    appendText(path, length, sizeof path, ".txt");

    const int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    char message[256];
    size_t messageLength = 0;
    appendText(message, messageLength, sizeof message, "程序异常崩溃捕获！\nsignal: ");
    appendText(message, messageLength, sizeof message, signalName(sig));
    appendText(message, messageLength, sizeof message, " (");
    appendNumber(message, messageLength, sizeof message, sig, 1);
    appendText(message, messageLength, sizeof message, ")\nerrCode: ");
    appendNumber(message, messageLength, sizeof message, info ? info->si_code : 0, 1);
    appendText(message, messageLength, sizeof message, "\npid: ");
    appendNumber(message, messageLength, sizeof message, long(getpid()), 1);
    appendText(message, messageLength, sizeof message, "\nbacktrace:\n");
    writeAll(STDERR_FILENO, message, messageLength);
    if (fd >= 0) {
        writeAll(fd, message, messageLength);
        void *frames[MaxFrames];
        const int count = backtrace(frames, MaxFrames);
        backtrace_symbols_fd(frames, count, fd);
        close(fd);
    }

    // Let the default action end the process (core dump, exit status).
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
    raise(sig);
}

} // namespace

void CrashHandler::install()
{
    const QByteArray folder = QDir::toNativeSeparators(dumpFolder()).toLocal8Bit();
    g_folderLength = size_t(qMin(folder.size(), MaxPathBytes - 1));
    memcpy(g_folder, folder.constData(), g_folderLength);
    g_folder[g_folderLength] = '\0';
    g_utcOffsetSeconds = QDateTime::currentDateTime().offsetFromUtc();

    if (!g_installed) {
        // backtrace() loads its unwinder on first use, which is not safe inside
        // the handler: do it now.
        void *frames[1];
        backtrace(frames, 1);

        // A stack overflow leaves no stack for the handler: give it its own.
        static char *alternateStack = new char[AltStackSize];
        stack_t stack;
        memset(&stack, 0, sizeof stack);
        stack.ss_sp = alternateStack;
        stack.ss_size = AltStackSize;
        sigaltstack(&stack, nullptr);
    }

    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_sigaction = crashSignalHandler;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (const int sig : HandledSignals)
        sigaction(sig, &action, nullptr);
    g_installed = true;
}

#endif
