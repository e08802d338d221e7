// A crash on the launching thread during the launch still ends in the failure dialog.
#pragma once

// While it lives, an exception that no handler takes on the thread that created it, and that
// the filter which was there before leaves alone too, ends in the failure dialog: the launch log
// followed by "Caught an unhandled exception". The dialog runs on a thread of its own, made
// ready here and parked until then, never on the crashed stack; after the user closes it the
// process is terminated with the exception's code. Faults of other threads go to the filter
// that was there before, which is installed again when the object is destroyed; while the
// report is up they wait. The report's thread stays parked for the rest of the process.
class CrashReportScope {
public:
    CrashReportScope() noexcept;
    ~CrashReportScope();
    CrashReportScope(const CrashReportScope&) = delete;
    CrashReportScope& operator=(const CrashReportScope&) = delete;

private:
    // The vectored handler that notes a stack overflow, and RemoveVectoredExceptionHandler: both
    // null where the system lacks vectored handlers (Windows 2000).
    void* m_overflowNote = nullptr;
    unsigned long(__stdcall* m_removeHandler)(void*) = nullptr;
};
