// Allocation failure across a whole launch: the loader's allocation-failure build
// (VelkorAllocTest.exe, see AllocInjector.h) is run with its Nth allocation failing, for every N
// from 1 until a run sees no injected failure, along the JNI path (the javai.dll stand-in
// registered) and along the COM path (no runtime, the stand-in VM registered).
// Each run must end by itself or in the failure dialog, never with an exception code or an
// abort, and end in an outcome that the loader defines.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlwapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "JavaVm.h"
#include "JniTestSupport.h"

using namespace velkor_e2e;

namespace {

const std::string kSun = "Trying the Sun Java runtime...\r\n";
const std::string kNoRuntime = "Could not locate Sun Java runtime\r\n";
const std::string kMicrosoft = "Trying the Mircosoft Java runtime...\r\n";
const std::string kCaught = "Caught an unhandled exception";
const std::string kErrorPrefix = "\r\nERROR: ";
const std::string kOutOfMemory = "Out of memory";
const std::string kOutOfMemoryReport = kErrorPrefix + kOutOfMemory + "\n";

const char kJavaSoft[] = "Software\\JavaSoft";


// What the variant wrote after its launch sequence (AllocTestApp.cpp).
struct Report {
    bool present = false;
    long allocations = 0;
    long injected = 0;
    long failures = 0;
    bool escaped = false;
    std::string callers;  // code addresses of the allocations, in order
    std::string log;
};

Report ParseReport(const std::string& text)
{
    Report report;
    int escaped = 0;
    int consumed = 0;
    if (std::sscanf(text.c_str(), "allocations=%ld\ninjected=%ld\nfailures=%ld\nescaped=%d\ncallers=%n",
                    &report.allocations, &report.injected, &report.failures, &escaped, &consumed) != 4 ||
        consumed == 0)
        return report;
    size_t logStart = text.find("\nlog=", static_cast<size_t>(consumed));
    if (logStart == std::string::npos)
        return report;
    report.present = true;
    report.escaped = escaped != 0;
    report.callers = text.substr(static_cast<size_t>(consumed), logStart - static_cast<size_t>(consumed));
    report.log = text.substr(logStart + 5);
    return report;
}

struct Outcome {
    bool ended = false;
    DWORD exitCode = 0;
    bool dialogShown = false;
    std::string dialogText;
    std::string errorOutput;  // the loader's standard error
    Report report;
    std::string jniRecord;
    std::string comRecord;
};

std::string Printable(const std::string& text)
{
    std::string out;
    for (char c : text)
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return out;
}

std::string Describe(const Outcome& run)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(run.exitCode));
    return std::string("ended=") + (run.ended ? "yes" : "no") + " exit=" + code +
           " dialog=" + (run.dialogShown ? "[" + Printable(run.dialogText) + "]" : "none") +
           " stderr=[" + Printable(run.errorOutput) + "] report=" + (run.report.present ? "yes" : "no") +
           " allocations=" + std::to_string(run.report.allocations) + " injected=" +
           std::to_string(run.report.injected) + " escaped=" + (run.report.escaped ? "yes" : "no") + " callers=" + run.report.callers + " log=[" +
           Printable(run.report.log) + "]\njni record: " + Printable(run.jniRecord) +
           "\ncom record: " + Printable(run.comRecord);
}

// One install folder with the variant as Velkor.exe, Velkor.jar and swingall.jar beside it, and
// a runtime home "jre" with the javai.dll stand-in (registered or not, as the case asks).
class AllocLaunch {
public:
    explicit AllocLaunch(bool registerRuntime)
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft);
        exe = folder.CopyExe("Velkor.exe", VelkorExe());
        folder.Place("Velkor.jar", Entry::File);
        folder.Place("swingall.jar", Entry::File);
        folder.Place("jre", Entry::Directory);
        folder.Place("jre\\bin", Entry::Directory);
        CopyFileA(StandInLibrary("full").c_str(), (folder.Path() + "jre\\bin\\javai.dll").c_str(), FALSE);
        if (registerRuntime) {
            std::string version = "1.1";
            std::string home = folder.Path() + "jre";
            SetRegistryValue(HKEY_LOCAL_MACHINE, kJreKey, "CurrentVersion", REG_SZ, version.c_str(),
                             static_cast<DWORD>(version.size() + 1));
            SetRegistryValue(HKEY_LOCAL_MACHINE, std::string(kJreKey) + "\\1.1", "JavaHome", REG_SZ, home.c_str(),
                             static_cast<DWORD>(home.size() + 1));
        }
    }
    ~AllocLaunch() { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft); }
    AllocLaunch(const AllocLaunch&) = delete;
    AllocLaunch& operator=(const AllocLaunch&) = delete;

    // Runs the variant with allocation failAt failing (0: none). Its standard error goes to a
    // file; a dialog is read and closed with OK.
    Outcome Start(long failAt)
    {
        const std::string& dir = folder.Path();
        std::string reportPath = dir + "report.txt";
        std::string errorPath = dir + "stderr.txt";
        std::string jniRecordPath = dir + "jni-record.txt";
        std::string comRecordPath = dir + "com-record.txt";
        for (const std::string* path : {&reportPath, &errorPath, &jniRecordPath, &comRecordPath})
            DeleteFileA(path->c_str());
        SetEnvironmentVariableA("VELKOR_ALLOC_FAIL_AT", std::to_string(failAt).c_str());
        SetEnvironmentVariableA("VELKOR_ALLOC_FAIL_MODE", "once");
        SetEnvironmentVariableA("VELKOR_ALLOC_REPORT", reportPath.c_str());
        SetEnvironmentVariableA("JAVAI_RECORD", jniRecordPath.c_str());
        SetEnvironmentVariableA("VELKOR_COMVM_RECORD", comRecordPath.c_str());

        Outcome run;
        SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
        HANDLE errorFile = CreateFileA(errorPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &inheritable, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (errorFile == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "cannot create " << errorPath;
            return run;
        }
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = errorFile;
        startup.hStdError = errorFile;
        PROCESS_INFORMATION info = {};
        std::string commandLine = "\"" + exe + "\"";
        BOOL started = FALSE;
        for (int attempt = 0; attempt < 5 && !started; ++attempt) {  // Wine's ERROR_INTERNAL_ERROR hiccup
            started = CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, dir.c_str(),
                                     &startup, &info);
            if (!started && GetLastError() != ERROR_INTERNAL_ERROR)
                break;
            if (!started)
                Sleep(500);
        }
        CloseHandle(errorFile);
        if (!started) {
            ADD_FAILURE() << "cannot start " << exe;
            return run;
        }
        CloseHandle(info.hThread);

        DWORD begin = GetTickCount();
        while (GetTickCount() - begin < 30000) {
            if (HWND dialog = FindLoaderDialog(info.dwProcessId)) {
                run.dialogShown = true;
                run.dialogText = ReadDialogText(dialog);
                CloseLoaderDialog(dialog, CloseBy::Ok);
                break;
            }
            if (WaitForSingleObject(info.hProcess, 20) == WAIT_OBJECT_0)
                break;
        }
        run.ended = WaitForSingleObject(info.hProcess, 30000) == WAIT_OBJECT_0;
        if (run.ended)
            GetExitCodeProcess(info.hProcess, &run.exitCode);
        else
            TerminateProcess(info.hProcess, 0xDEAD);
        CloseHandle(info.hProcess);

        run.errorOutput = FileText(errorPath);
        run.report = ParseReport(FileText(reportPath));
        run.jniRecord = FileText(jniRecordPath);
        run.comRecord = FileText(comRecordPath);
        return run;
    }

    InstallFolder folder{"alloc"};
    std::string exe;
};

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

// The report of a class that the VM was not asked to run because its name or class path could
// not be converted: message 14 and the system's text for E_OUTOFMEMORY in the OEM code page.
std::string NotExecutedForMemory()
{
    const HRESULT code = E_OUTOFMEMORY;
    wchar_t wide[512];
    std::string systemText;
    if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code), 0x0800, wide, 512, nullptr) != 0) {
        char oem[1024];
        int length = WideCharToMultiByte(CP_OEMCP, 0, wide, -1, oem, sizeof oem, nullptr, nullptr);
        systemText.assign(oem, length > 0 ? static_cast<size_t>(length - 1) : 0);
    } else {
        systemText = "SCODE 0x8007000e: Error message unavailable.";
    }
    return kErrorPrefix + "Could not execute Velkor\n: " + systemText + "\n\n";
}

// The checks for every run: it ended by itself (or after its dialog was closed) with the
// framework's exit code, no exception left the launch sequence, and a dialog showed the log.
void CheckEnded(const Outcome& run)
{
    EXPECT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u) << "the process did not end normally";
    ASSERT_TRUE(run.report.present);
    EXPECT_FALSE(run.report.escaped);
    if (run.dialogShown) {
        EXPECT_TRUE(run.dialogText == run.report.log || run.dialogText.empty());
    }
}

long Stride()
{
    const char* text = std::getenv("VELKOR_ALLOC_STRIDE");
    long stride = text != nullptr ? std::strtol(text, nullptr, 10) : 1;
    return stride > 0 ? stride : 1;
}

// How often each outcome was seen over all N.
struct Tally {
    int started = 0;      // the application still started
    int jniFailed = 0;    // "malloc" through perror, then the COM attempt
    int comReported = 0;  // a report of the COM side
    int dialog = 0;       // the failure dialog

    void Print() const
    {
        std::printf("[ alloc    ] started %d, JNI attempt failed %d, COM report %d, dialog %d\n", started, jniFailed,
                    comReported, dialog);
    }
};

// Runs the variant for N = 1, 1 + stride, ... until a run sees no injected failure. classify
// counts the run in the tally and returns false for an outcome that the loader does not define.
template <typename Classify>
void ForEveryAllocation(AllocLaunch& launch, long baseline, Classify classify)
{
    long stride = Stride();
    DWORD begin = GetTickCount();
    long runs = 0;
    for (long n = 1;; n += stride) {
        SCOPED_TRACE("N=" + std::to_string(n));
        Outcome run = launch.Start(n);
        ++runs;
        CheckEnded(run);
        if (!run.report.present || run.report.injected == 0) {
            EXPECT_GT(n, baseline) << "a run within the baseline's allocations saw no failure";
            break;
        }
        EXPECT_EQ(run.report.injected, n);
        EXPECT_TRUE(classify(run)) << Describe(run);
        if (n > baseline + 100) {
            ADD_FAILURE() << "the failures never end";
            break;
        }
    }
    std::printf("[ alloc    ] %ld runs, %lu ms\n", runs, static_cast<unsigned long>(GetTickCount() - begin));
}

}  // namespace

// JNI path: the runtime registered, and the stand-in VM too, so that the COM attempt that
// follows a failed JNI attempt starts the application.
TEST(AllocationFailure, JniPath)
{
    VmRegistration registration(WindowsPath(VELKOR_COMVM_DLL));
    AllocLaunch launch(true);
    Outcome baseline = launch.Start(0);
    CheckEnded(baseline);
    ASSERT_FALSE(baseline.dialogShown) << Describe(baseline);
    ASSERT_EQ(baseline.report.log, kSun);
    ASSERT_TRUE(Contains(baseline.jniRecord, "\nmain Velkor args=0\n")) << Describe(baseline);
    std::printf("[ alloc    ] JNI path: %ld allocations\n", baseline.report.allocations);

    Tally tally;
    ForEveryAllocation(launch, baseline.report.allocations, [&](const Outcome& run) {
        bool noError = run.errorOutput.empty();
        if (!run.dialogShown && noError && run.report.log == kSun && Contains(run.jniRecord, "\nmain Velkor args=0\n") &&
            run.comRecord.empty())
            return ++tally.started, true;
        // The attempt ends in the failure signal and the COM attempt starts the class.
        if (!run.dialogShown && StartsWith(run.errorOutput, "malloc: ") && run.report.log == kSun + kMicrosoft &&
            !Contains(run.jniRecord, "\nmain ") && Contains(run.comRecord, " class=Velkor "))
            return ++tally.jniFailed, true;
        if (run.dialogShown && noError && (run.report.log == kSun + kCaught || run.report.log == kCaught))
            return ++tally.dialog, true;
        return false;
    });
    tally.Print();
    if (Stride() == 1) {
        EXPECT_GT(tally.jniFailed, 0);
        EXPECT_GT(tally.dialog, 0);
    }
}

// COM path: no runtime registered, the stand-in VM registered.
TEST(AllocationFailure, ComPath)
{
    VmRegistration registration(WindowsPath(VELKOR_COMVM_DLL));
    AllocLaunch launch(false);
    const std::string& dir = launch.folder.Path();
    const std::string normalLog = kSun + kNoRuntime + kMicrosoft;
    const std::string started = "Property velkor.home=" + dir + "\nExecute size=" +
                                std::to_string(sizeof(JAVAEXECUTEINFO)) + " flags=0 class=Velkor classpath=" + dir +
                                "Velkor.jar;" + dir + "swingall.jar; args=none";
    Outcome baseline = launch.Start(0);
    CheckEnded(baseline);
    ASSERT_FALSE(baseline.dialogShown) << Describe(baseline);
    ASSERT_EQ(baseline.report.log, normalLog);
    ASSERT_TRUE(Contains(baseline.comRecord, started)) << Describe(baseline);
    std::printf("[ alloc    ] COM path: %ld allocations\n", baseline.report.allocations);

    Tally tally;
    ForEveryAllocation(launch, baseline.report.allocations, [&](const Outcome& run) {
        if (!run.errorOutput.empty())
            return false;
        if (!run.dialogShown && run.report.log == normalLog && Contains(run.comRecord, started))
            return ++tally.started, true;
        // "Out of memory" (the VM may still have run the class, with the class path it got), or
        // a class that the VM was not asked to run.
        if (!run.dialogShown && run.report.log == normalLog + kOutOfMemoryReport)
            return ++tally.comReported, true;
        if (!run.dialogShown && run.report.log == normalLog + NotExecutedForMemory() &&
            !Contains(run.comRecord, "Execute "))
            return ++tally.comReported, true;
        // A log that could not grow: the dialog shows what it holds, ending with the catch-all.
        const std::string& log = run.report.log;
        if (run.dialogShown && log.size() >= kCaught.size() &&
            log.compare(log.size() - kCaught.size(), kCaught.size(), kCaught) == 0 &&
            StartsWith(normalLog, log.substr(0, log.size() - kCaught.size())))
            return ++tally.dialog, true;
        return false;
    });
    tally.Print();
    if (Stride() == 1) {
        EXPECT_GT(tally.started, 0);
        EXPECT_GT(tally.comReported, 0);
        EXPECT_GT(tally.dialog, 0);
    }
}
