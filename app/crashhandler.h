#pragma once

#include <QDateTime>
#include <QString>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
// Unhandled-exception filter: writes a minidump into "DumpCrashes/" and tells
// the operator. Returns EXCEPTION_EXECUTE_HANDLER.
long __stdcall ApplicationCrashHandler(EXCEPTION_POINTERS *exception);
#endif

namespace CrashHandler {

// Installs the crash handler: the unhandled-exception filter on Windows, the
// handlers of SIGSEGV, SIGABRT, SIGFPE, SIGILL and SIGBUS elsewhere. Safe to
// call again (some libraries replace the filter while they load).
void install();

// Folder that receives the dumps or crash reports.
QString dumpFolder();

// File name for a dump written at the given local time: "yyyyMMddhhmmss" and
// the extension (".dmp" on Windows, ".txt" for the text report elsewhere).
QString dumpFileName(const QDateTime &time);

} // namespace CrashHandler
