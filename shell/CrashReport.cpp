#include "CrashReport.h"

#include <windows.h>

#include "CDialog.h"
#include "LaunchLog.h"
#include "Win32Helpers.h"
#include "resource.h"

namespace {

// From waking the report until its dialog is on the screen. When that takes longer (the
// process heap locked, the loader lock held by the crashed thread), the process ends with the
// exception's code, without a dialog, rather than hanging with no window.
const DWORD kReportBoundMs = 5000;

// Stack that the system keeps for the filter after a stack overflow, where it can be asked for.
const ULONG kStackGuarantee = 16 * 1024;

DWORD g_launchThreadId = 0;
HANDLE g_launchThread = nullptr;
DWORD g_reportThreadId = 0;
LPTOP_LEVEL_EXCEPTION_FILTER g_previousFilter = nullptr;
HANDLE g_wake = nullptr;   // set by the filter: the report runs
HANDLE g_shown = nullptr;  // set by the report: its dialog is on the screen
volatile LONG g_reporting = 0;
volatile DWORD g_exitCode = 0;

// The failure dialog over the launch log's own text: nothing copied in, nothing exchanged on OK.
class CCrashReportDlg : public CDialog {
public:
    explicit CCrashReportDlg(const char* text) noexcept : CDialog(IDD_LAUNCH_FAILED), m_text(text) {}

protected:
    BOOL OnInitDialog() noexcept override
    {
        SetDlgItemTextA(m_hWnd, IDC_LAUNCH_LOG, m_text);
        // Shown here rather than by the system after this returns, so that the bound ends when
        // the dialog is on the screen; the focus is on OK before that, as the system would put it.
        SetFocus(GetDlgItem(m_hWnd, IDOK));
        ShowWindow(m_hWnd, SW_SHOW);
        SetEvent(g_shown);
        return FALSE;
    }
    void OnOK() noexcept override { EndDialog(m_hWnd, IDOK); }

private:
    const char* m_text;
};

void Terminate() noexcept { TerminateProcess(GetCurrentProcess(), g_exitCode); }

[[noreturn]] void WaitForTheEnd() noexcept
{
    for (;;)
        Sleep(INFINITE);
}

// The report's thread: parked from the start of the launch until a crash wakes it. Its
// dialog pumps this thread's messages only, so nothing queued for the crashed thread (its
// quit message, the runtime's windows) can end it.
DWORD WINAPI RunReport(LPVOID) noexcept
{
    HANDLE wakers[] = {g_wake, g_launchThread};
    if (WaitForMultipleObjects(2, wakers, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // The launching thread is gone during the launch before it could wake the report:
        // Wine (64-bit) ends a thread whose stack overflow it cannot dispatch, and an overflow
        // may end the filter too. That is reported as well. (At the process's end the launch
        // is long over.)
        if (g_launchThreadId == 0)
            WaitForTheEnd();
        InterlockedExchange(&g_reporting, 1);
        DWORD code = g_exitCode;
        if (code == 0 && GetExitCodeThread(g_launchThread, &code))
            g_exitCode = code;
    }
    CCrashReportDlg dialog(LaunchLog.Freeze(g_launchThreadId, "Caught an unhandled exception"));
    dialog.DoModal();
    // Terminated, not exited: the crashed runtime's detach code and the C runtime's end
    // (whose locks the crashed thread may hold) do not run.
    Terminate();
    return 0;
}

// First of all handlers, on the faulting thread: a stack overflow of the launching thread is
// noted, nothing more, so that the report has its code if the thread is then ended without
// any handler being asked (see RunReport). A handler of the runtime's own may still take it.
LONG WINAPI NoteStackOverflow(EXCEPTION_POINTERS* exception) noexcept
{
    if (exception->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW && GetCurrentThreadId() == g_launchThreadId)
        g_exitCode = EXCEPTION_STACK_OVERFLOW;
    return EXCEPTION_CONTINUE_SEARCH;
}

// Runs on the faulting thread, maybe with only a page or two of stack left: it only wakes the
// report and waits.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) noexcept
{
    DWORD self = GetCurrentThreadId();
    if (self == g_reportThreadId)
        Terminate();
    // One report: every later fault, on any thread, waits for its end.
    if (g_reporting != 0)
        WaitForTheEnd();
    // The filter that was there first may recover (a C signal handler, which may also leave by
    // longjmp: nothing is claimed before this).
    LONG previous = g_previousFilter != nullptr ? g_previousFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    if (previous != EXCEPTION_CONTINUE_SEARCH || self != g_launchThreadId)
        return previous;
    if (InterlockedCompareExchange(&g_reporting, 1, 0) != 0)
        WaitForTheEnd();
    g_exitCode = exception->ExceptionRecord->ExceptionCode;
    if (g_reportThreadId == 0 || !SetEvent(g_wake) || WaitForSingleObject(g_shown, kReportBoundMs) != WAIT_OBJECT_0)
        Terminate();
    WaitForTheEnd();
}

}  // namespace

CrashReportScope::CrashReportScope() noexcept
{
    g_launchThreadId = GetCurrentThreadId();
    // Looked up, not imported, as are the vectored handler's two functions below: Windows XP
    // lacks this one, Windows 2000 all three, and its loader refuses to start an executable
    // that imports a function it lacks.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    decltype(&SetThreadStackGuarantee) guarantee = nullptr;
    ULONG stack = kStackGuarantee;
    if (LookUpExport(kernel, "SetThreadStackGuarantee", &guarantee))
        guarantee(&stack);
    // Running and parked, never suspended: made here, because a crash may come while the loader
    // lock or the heap is held. It is never ended, so no library's thread detach runs for it.
    g_wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_shown = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE self = GetCurrentProcess();
    HANDLE thread = g_wake != nullptr && g_shown != nullptr &&
                            DuplicateHandle(self, GetCurrentThread(), self, &g_launchThread, SYNCHRONIZE | THREAD_QUERY_INFORMATION, FALSE, 0)
                        ? CreateThread(nullptr, 0, RunReport, nullptr, 0, &g_reportThreadId)
                        : nullptr;
    if (thread != nullptr)
        CloseHandle(thread);
    else
        g_reportThreadId = 0;
    // Without them (Windows 2000) the report works through the filter alone.
    decltype(&AddVectoredExceptionHandler) addHandler = nullptr;
    if (LookUpExport(kernel, "AddVectoredExceptionHandler", &addHandler) &&
        LookUpExport(kernel, "RemoveVectoredExceptionHandler", &m_removeHandler))
        m_overflowNote = addHandler(1, NoteStackOverflow);
    g_previousFilter = SetUnhandledExceptionFilter(ReportCrash);
}

CrashReportScope::~CrashReportScope()
{
    if (m_overflowNote != nullptr)
        m_removeHandler(m_overflowNote);
    SetUnhandledExceptionFilter(g_previousFilter);
    // A filter installed later may still pass faults on to ours: they go on to the previous one.
    g_launchThreadId = 0;
}
