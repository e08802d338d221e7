#include "LoaderApp.h"

#include <windows.h>

#include <cstdlib>

#include "CrashReport.h"
#include "ExeDirectory.h"
#include "LaunchFailedDlg.h"
#include "LaunchLog.h"
#include "Launchers.h"
#include "ModulePath.h"
#include "PathText.h"
#include "SupportArchive.h"

BEGIN_MESSAGE_MAP(CLoaderApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CLoaderApp::CLoaderApp() = default;

CLoaderApp::~CLoaderApp() = default;

namespace {

// Keeps ExeDirectory published exactly while the launch sequence runs.
class PublishedDirectory {
public:
    explicit PublishedDirectory(const char* directory) { ExeDirectory = directory; }
    ~PublishedDirectory() { ExeDirectory = nullptr; }
    PublishedDirectory(const PublishedDirectory&) = delete;
    PublishedDirectory& operator=(const PublishedDirectory&) = delete;
};

char* ProgramArgument()
{
    static char none[1] = {0};
    return (__argc > 0 && __argv != nullptr && __argv[0] != nullptr) ? __argv[0] : none;
}

void RunSunAttempt(char* program, char* jarPath, const char* exeDirectory)
{
    // The launchers may write into their vectors, so every element is writable memory.
    char classPathOption[] = "-cp";
    char className[] = "Velkor";
    CString property = CString("-Dvelkor.home=") + exeDirectory;
    char* argv[] = {program, classPathOption, jarPath, property.GetBuffer(0), className, nullptr};
    RunWithJniRuntime(5, argv);
}

// Returns whether the VM was asked to run the class.
bool RunComAttempt(char* program, char* jarPath, char* archivePath, const char* exeDirectory)
{
    char classPathSwitch1[] = "/cp";
    char classPathSwitch2[] = "/cp";
    char className[] = "Velkor";
    CString property = CString("/d:velkor.home=") + exeDirectory;
    char* argv[] = {program, classPathSwitch1, jarPath, classPathSwitch2, archivePath, property.GetBuffer(0), className, nullptr};
    bool classHandedOver = false;
    RunWithComRuntime(7, argv, &classHandedOver);
    return classHandedOver;
}

// The guarded launch: the jar check and the two attempts. Returns true when a runtime was given
// the application (the JDK launcher returned, or the COM VM was asked to run the class), false
// when the failure dialog is due.
bool RunAttempts(char* program, const char* exeDirectory)
{
    // A crash that no handler takes, in a runtime or in the application's main, ends in the
    // dialog too, with the exception's code as the process's exit code.
    CrashReportScope crashReport;
    try {
        // A jar path too long for its buffer cannot be opened by either runtime: it counts as absent.
        char jarPath[kPathBufferSize];
        if (!ComposePath(jarPath, sizeof jarPath, exeDirectory, "Velkor.jar") ||
            GetFileAttributesA(jarPath) == INVALID_FILE_ATTRIBUTES) {
            LaunchLog += "Velkor.jar was not in the same directory as ";
            LaunchLog += program;
            LaunchLog += "\r\n";
            throw 1;
        }
        LaunchLog += "Trying the Sun Java runtime...\r\n";
        try {
            RunSunAttempt(program, jarPath, exeDirectory);
            return true;
        } catch (int) {
        }
        try {
            LaunchLog += "Trying the Mircosoft Java runtime...\r\n";
            const char* archive = FindSupportArchive(nullptr, exeDirectory);
            if (archive == nullptr)
                throw 1;
            char archivePath[kPathBufferSize];
            ComposePath(archivePath, sizeof archivePath, archive, "");
            // Once the VM has the class, the application speaks for itself, whatever the VM
            // answers. Before that, nothing ran: the COM launcher's reasons are the user's to see.
            if (!RunComAttempt(program, jarPath, archivePath, exeDirectory))
                throw 1;
            return true;
        } catch (int) {
        }
    } catch (...) {
        // The exception may be the log running out of memory; then the dialog shows what it holds.
        try {
            LaunchLog += "Caught an unhandled exception";
        } catch (...) {
        }
    }
    return false;
}

}  // namespace

BOOL CLoaderApp::InitInstance()
{
    char modulePath[kPathBufferSize];
    DWORD length = ExecutablePath(modulePath, sizeof modulePath);
    // No path, or none that fits the buffer.
    if (length == 0)
        return FALSE;
    char exeDirectory[kPathBufferSize];
    if (!DirectoryOfPath(modulePath, exeDirectory, sizeof exeDirectory))
        return FALSE;
    PublishedDirectory published(exeDirectory);
    char* program = ProgramArgument();

    if (!RunAttempts(program, exeDirectory))
        ShowLaunchFailedDlg();
    return FALSE;
}
