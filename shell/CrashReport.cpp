#include "CrashReport.h"

#include <windows.h>

#include "LaunchFailedDlg.h"
#include "LaunchLog.h"

namespace {

DWORD g_launchThreadId = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception)
{
    // Another thread (the COM worker) crashes the way it would have without us.
    if (GetCurrentThreadId() != g_launchThreadId)
        return g_previousFilter != nullptr ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    try {
        LaunchLog += "Caught an unhandled exception";
    } catch (...) {
        // The log cannot grow: the dialog shows what it holds.
    }
    ShowLaunchFailedDlg();
    ExitProcess(exception->ExceptionRecord->ExceptionCode);
}

}  // namespace

CrashReportScope::CrashReportScope()
{
    g_launchThreadId = GetCurrentThreadId();
    g_previousFilter = SetUnhandledExceptionFilter(ReportCrash);
}

CrashReportScope::~CrashReportScope()
{
    SetUnhandledExceptionFilter(g_previousFilter);
    g_previousFilter = nullptr;
    g_launchThreadId = 0;
}
