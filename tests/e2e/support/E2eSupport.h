// End-to-end support: runs the real Velkor.exe in a fresh install folder under Wine and
// watches for its failure dialog.
//
// A typical case:
//
//     InstallFolder folder("missing_jar");                   // fresh, unique, removed at the end
//     std::string exe = folder.CopyExe();                     // <folder>\Velkor.exe
//     folder.Place("swingall.jar", Entry::File);
//     RunOptions options;
//     options.commandLine = "Velkor.exe a b";                 // argv[0] exactly as written here
//     options.workingDirectory = folder.Path();
//     options.environment = {{"VELKOR_STANDIN_MODE", "fail"}};
//     RunOutcome outcome = RunLoader(exe, options, CloseBy::Ok);
//     EXPECT_TRUE(outcome.dialogShown);
//     EXPECT_EQ(outcome.dialogText, "...");
//     EXPECT_TRUE(outcome.ended);
//
// For finer control (look at the dialog before closing it, close it some other way, ...) use
// LoaderProcess directly. Every function works with ANSI (code page) paths, as the loader does.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace velkor_e2e {

// Caption of the loader's failure dialog and the id of its text box.
constexpr const char* kDialogTitle = "Could Not Start Velkor";
constexpr int kLogControlId = 1000;

// ---- Paths ---------------------------------------------------------------------------------

// A Unix path ("/a/b") as Wine's Z: drive sees it ("Z:\a\b"); any other path is returned with
// its forward slashes turned into backslashes.
std::string WindowsPath(const std::string& path);

// The test tree's Velkor.exe as a Windows path. CTest passes the Unix path as the test
// program's first argument that does not start with "--"; the environment variable VELKOR_EXE
// overrides it. Empty when neither is there.
std::string VelkorExe();

// ---- Install folders -----------------------------------------------------------------------

enum class Entry { File, Directory };

class InstallFolder {
public:
    // Creates a fresh folder under the temporary directory, unique per process and per call;
    // caseName (letters, digits, '_') appears in its name. When minPathLength is not 0, nested
    // subfolders are added until Path() (which ends with a backslash) is exactly that long, for
    // cases with overlong paths. Throws std::runtime_error when the folder cannot be made.
    explicit InstallFolder(const std::string& caseName, size_t minPathLength = 0);
    // Removes the folder with everything in it.
    ~InstallFolder();
    InstallFolder(const InstallFolder&) = delete;
    InstallFolder& operator=(const InstallFolder&) = delete;

    // Full Windows path of the folder, ending with a backslash.
    const std::string& Path() const { return path; }

    // Copies an executable (by default the test tree's Velkor.exe) into the folder under the
    // given name and returns its full path. Throws std::runtime_error on failure.
    std::string CopyExe(const std::string& name = "Velkor.exe", const std::string& source = VelkorExe());

    // Places a file (with the given content) or a directory of that name in the folder and
    // returns its full path. Throws std::runtime_error on failure.
    std::string Place(const std::string& name, Entry kind, const std::string& content = "PK");

private:
    std::string path;
    std::string root;  // the folder made under the temporary directory (path may be deeper)
};

// ---- Running the loader --------------------------------------------------------------------

struct RunOptions {
    // The exact command line of the new process; its first word becomes argv[0]. Empty: the
    // executable's full path in double quotes.
    std::string commandLine;
    // Working directory of the new process; empty: the executable's folder.
    std::string workingDirectory;
    // Added to (or replacing in) this process's environment for the new process.
    std::vector<std::pair<std::string, std::string>> environment;
    // How long to wait for the process to end or its dialog to appear.
    DWORD timeoutMs = 30000;
};

enum class CloseBy {
    Ok,        // the OK button, as a click
    Escape,    // the Escape key on the dialog
    CloseBox,  // the caption's close box (the system menu's Close command)
};

enum class Event {
    Ended,        // the process ended without showing the dialog
    DialogShown,  // the dialog is on the screen
    TimedOut,     // neither happened in time
};

// One run of the loader. The destructor kills the process if it is still running.
class LoaderProcess {
public:
    // Starts exePath with CreateProcessA. Throws std::runtime_error when it cannot be started.
    LoaderProcess(const std::string& exePath, const RunOptions& options);
    ~LoaderProcess();
    LoaderProcess(const LoaderProcess&) = delete;
    LoaderProcess& operator=(const LoaderProcess&) = delete;

    // Waits until the process ends or its failure dialog is visible.
    Event WaitForDialogOrExit(DWORD timeoutMs);
    // The dialog found by the last WaitForDialogOrExit, or null.
    HWND Dialog() const { return dialog; }
    // Text of the dialog's log box (control 1000), byte for byte.
    std::string DialogText() const;
    // Closes the dialog the given way. False when there is no dialog or the request failed.
    bool CloseDialog(CloseBy how);
    // Waits for the process to end; true when it did, with its exit code.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    DWORD ProcessId() const { return processId; }

private:
    HANDLE process = nullptr;
    DWORD processId = 0;
    HWND dialog = nullptr;
};

struct RunOutcome {
    bool dialogShown = false;  // the failure dialog appeared
    std::string dialogText;    // its log box's text, when it appeared
    bool ended = false;        // the process ended (by itself, or after the dialog was closed)
    DWORD exitCode = 0;        // its exit code, when it ended
};

// Runs the loader to its end: waits for the dialog or the exit, reads and closes the dialog
// the given way, then waits for the exit (timeouts from options). A process still running at
// the end is killed, and the outcome says ended = false.
RunOutcome RunLoader(const std::string& exePath, const RunOptions& options, CloseBy how = CloseBy::Ok);

// ---- The stand-in COM VM ------------------------------------------------------------------

// Registry key of the VM's class under HKEY_CLASSES_ROOT.
constexpr const char* kVmClassKey = "CLSID\\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}";

// Registers a DLL (the stand-in VM) as the VM's in-process server in the prefix for the object's
// lifetime; ok tells whether the registration was written.
class VmRegistration {
public:
    explicit VmRegistration(const std::string& dllPath);
    ~VmRegistration();
    VmRegistration(const VmRegistration&) = delete;
    VmRegistration& operator=(const VmRegistration&) = delete;
    bool ok = false;
};

// ---- Dialog helpers (also used by the probe, for a dialog of any process) ------------------

// The visible failure dialog of the given process (0: of any process), or null. It is looked
// for on the given desktop (such as a Wine virtual desktop opened with OpenDesktopA), by
// default on this thread's own.
HWND FindLoaderDialog(DWORD processId, HDESK desktop = nullptr);
// Text of the dialog's log box, read with WM_GETTEXT.
std::string ReadDialogText(HWND dialog);
// Asks the dialog to close the given way; true when the request was delivered.
bool CloseLoaderDialog(HWND dialog, CloseBy how);

}  // namespace velkor_e2e
