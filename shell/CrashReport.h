// A crash on the launching thread during the launch still ends in the failure dialog.
#pragma once

// While it lives, an exception that no handler takes on the thread that created it appends
// "Caught an unhandled exception" to the launch log, shows the failure dialog and ends the
// process with the exception's code. Other threads keep the filter that was there before,
// which is installed again when the object is destroyed.
class CrashReportScope {
public:
    CrashReportScope();
    ~CrashReportScope();
    CrashReportScope(const CrashReportScope&) = delete;
    CrashReportScope& operator=(const CrashReportScope&) = delete;
};
