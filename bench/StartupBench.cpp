// Start-up benchmark: how long Velkor.exe takes from process creation until the application's
// main is entered (JNI path), until the VM's Execute is entered (COM path), and until its
// failure dialog is on the screen, against yardsticks that do only what each path cannot avoid.
// The stand-ins signal a named event as main or Execute is entered and return at once. All
// kinds of run are interleaved in one loop; medians and ratios are printed side by side.
//
//   velkor_bench RUNS VELKOR_EXE JAVAI_DLL COMVM_DLL BARE_EXE IMPORTS_EXE IMPORTS_COM_EXE JNI_EXE
//                JNI_COM_EXE COM_EXE DIALOG_EXE DIALOG_COM_EXE
// The *_COM yardsticks also import ole32 and oleaut32, as Velkor.exe once did.
//
// Paths may be Unix paths (seen through Wine's Z: drive) or Windows paths.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

const char kEventName[] = "VelkorBenchMainEntered";
const char kDialogTitle[] = "Could Not Start Velkor";
const char kVmServerKey[] = "CLSID\\{3EFB1800-C2A1-11CF-960C-0080C7C2BA87}\\InprocServer32";
const char kRuntimeKey[] = "Software\\JavaSoft\\Java Runtime Environment";
const DWORD kTimeoutMs = 30000;

HANDLE g_entered = nullptr;
std::vector<std::string> g_created;  // files and folders, in the order they were made

void Unregister(HKEY root, const std::string& key)
{
    // Deepest first: RegDeleteKeyA removes only keys without subkeys.
    for (size_t end = key.size(); end != std::string::npos; end = key.rfind('\\', end - 1)) {
        std::string prefix = key.substr(0, end);
        if (prefix == "CLSID" || prefix == "Software")
            break;
        RegDeleteKeyA(root, prefix.c_str());
    }
}

void Cleanup()
{
    Unregister(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1");
    Unregister(HKEY_CLASSES_ROOT, kVmServerKey);
    for (auto it = g_created.rbegin(); it != g_created.rend(); ++it)
        if (!DeleteFileA(it->c_str()))
            RemoveDirectoryA(it->c_str());
}

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "benchmark failed: %s (error %lu)\n", what.c_str(), GetLastError());
    Cleanup();
    std::exit(1);
}

std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/')
        path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        Fail("cannot create " + key);
    LONG written = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                  static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
    if (written != ERROR_SUCCESS)
        Fail("cannot write " + key);
}

void RegisterRuntime(const std::string& home, const std::string& library)
{
    SetString(HKEY_LOCAL_MACHINE, kRuntimeKey, "CurrentVersion", "1.1");
    SetString(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1", "JavaHome", home);
    SetString(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1", "RuntimeLib", library);
}

// A fresh folder under the temporary directory; its path without a trailing backslash.
std::string MakeFolder(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string path = std::string(temp) + "velkor_bench_" + std::to_string(GetCurrentProcessId()) + "_" + name;
    if (!CreateDirectoryA(path.c_str(), nullptr))
        Fail("cannot create " + path);
    g_created.push_back(path);
    return path;
}

// Copies a file into the folder, under the given name or else its own.
std::string CopyInto(const std::string& folder, const std::string& source, const char* name = nullptr)
{
    std::string path = folder + "\\" + (name != nullptr ? name : source.substr(source.rfind('\\') + 1));
    if (!CopyFileA(source.c_str(), path.c_str(), FALSE))
        Fail("cannot copy " + source);
    g_created.push_back(path);
    return path;
}

void PlaceJar(const std::string& folder, const char* name)
{
    std::string path = folder + "\\" + name;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        Fail("cannot create " + path);
    DWORD written;
    WriteFile(file, "PK", 2, &written, nullptr);
    CloseHandle(file);
    g_created.push_back(path);
}

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The visible failure dialog of the process, or null.
HWND FindDialog(DWORD processId)
{
    for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, kDialogTitle); window != nullptr;
         window = FindWindowExA(nullptr, window, nullptr, kDialogTitle)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        // Its own style: IsWindowVisible would also look at the desktop window of this thread.
        if (owner == processId && (GetWindowLongA(window, GWL_STYLE) & WS_VISIBLE) != 0)
            return window;
    }
    return nullptr;
}

enum class Mark { Exit, MainEntered, DialogShown };

// Starts a program in its own folder and returns the milliseconds until the mark; then lets
// the program end (closing its dialog with OK) before the next run.
double TimeRun(const std::string& exe, Mark mark)
{
    std::string commandLine = "\"" + exe + "\"";
    std::string folder = exe.substr(0, exe.rfind('\\') + 1);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    ResetEvent(g_entered);
    double start = 0;
    // Wine now and then answers ERROR_INTERNAL_ERROR while its services settle: try again.
    for (int attempt = 0;; ++attempt) {
        start = Now();
        std::string line = commandLine;
        if (CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                           &info))
            break;
        if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == 4)
            Fail("cannot start " + exe);
        Sleep(500);
    }
    bool reached = false;
    HWND dialog = nullptr;
    if (mark == Mark::Exit) {
        reached = WaitForSingleObject(info.hProcess, kTimeoutMs) == WAIT_OBJECT_0;
    } else if (mark == Mark::MainEntered) {
        HANDLE handles[] = {g_entered, info.hProcess};  // the event wins when both are signalled
        reached = WaitForMultipleObjects(2, handles, FALSE, kTimeoutMs) == WAIT_OBJECT_0;
    } else {
        while (!reached && Now() - start < kTimeoutMs) {
            dialog = FindDialog(info.dwProcessId);
            reached = dialog != nullptr;
            if (!reached && WaitForSingleObject(info.hProcess, 1) == WAIT_OBJECT_0)
                break;
        }
    }
    double elapsed = Now() - start;
    if (dialog != nullptr)
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (WaitForSingleObject(info.hProcess, 10000) != WAIT_OBJECT_0) {
        TerminateProcess(info.hProcess, 1);
        WaitForSingleObject(info.hProcess, 5000);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    if (!reached)
        Fail("run of " + exe + " did not reach its mark");
    return elapsed;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 13 || std::atoi(argv[1]) < 1) {
        std::fprintf(stderr, "usage: velkor_bench RUNS VELKOR_EXE JAVAI_DLL COMVM_DLL BARE_EXE IMPORTS_EXE IMPORTS_COM_EXE "
                             "JNI_EXE JNI_COM_EXE COM_EXE DIALOG_EXE DIALOG_COM_EXE\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::string velkor = WindowsPath(argv[2]);

    g_entered = CreateEventA(nullptr, TRUE, FALSE, kEventName);
    SetEnvironmentVariableA("VELKOR_MAIN_ENTERED_EVENT", kEventName);  // inherited by every run
    // Every program runs from a copy in a folder of the same kind, the yardsticks beside Velkor.exe.
    std::string app = MakeFolder("app");
    std::string appExe = CopyInto(app, velkor, "Velkor.exe");
    PlaceJar(app, "Velkor.jar");
    PlaceJar(app, "swingall.jar");
    std::string broken = MakeFolder("broken");  // no swingall.jar anywhere: the failure dialog
    std::string brokenExe = CopyInto(broken, velkor, "Velkor.exe");
    PlaceJar(broken, "Velkor.jar");
    std::string runtime = MakeFolder("runtime");
    std::string runtimeLib = CopyInto(runtime, WindowsPath(argv[3]), "javai.dll");
    SetEnvironmentVariableA("VELKOR_BENCH_RUNTIME_LIB", runtimeLib.c_str());  // for the JNI yardstick
    // The VM, registered for the whole run; the JNI runtime only for the JNI runs.
    SetString(HKEY_CLASSES_ROOT, kVmServerKey, nullptr, WindowsPath(argv[4]));
    SetString(HKEY_CLASSES_ROOT, kVmServerKey, "ThreadingModel", "Both");

    struct Kind {
        const char* label;
        std::string exe;
        Mark mark;
        int yardstick;  // row whose median this row's is divided by
        bool registered;  // the JNI runtime registered for its runs
        int former;  // the same yardstick with ole32 and oleaut32 imported, or -1
        std::vector<double> times;
    };
    std::vector<Kind> kinds = {
        {"bare GUI program: exit", CopyInto(app, WindowsPath(argv[5])), Mark::Exit, 0, false, -1, {}},
        {"bare + Velkor.exe's imports: WinMain", CopyInto(app, WindowsPath(argv[6])), Mark::MainEntered, 0, false, -1, {}},
        {"bare + those, ole32, oleaut32: WinMain", CopyInto(app, WindowsPath(argv[7])), Mark::MainEntered, 0, false, -1, {}},
        {"bare JNI runtime: VM created", CopyInto(app, WindowsPath(argv[8])), Mark::MainEntered, 1, false, -1, {}},
        {"bare JNI, ole32, oleaut32: VM created", CopyInto(app, WindowsPath(argv[9])), Mark::MainEntered, 2, false, -1, {}},
        {"Velkor.exe, JNI path: main entered", appExe, Mark::MainEntered, 3, true, 4, {}},
        {"bare COM activation: Execute entered", CopyInto(app, WindowsPath(argv[10])), Mark::MainEntered, 2, false, -1, {}},
        {"Velkor.exe, COM path: Execute entered", appExe, Mark::MainEntered, 6, false, -1, {}},
        {"bare dialog: dialog shown", CopyInto(app, WindowsPath(argv[11])), Mark::DialogShown, 1, false, -1, {}},
        {"bare dialog, ole32, oleaut32: shown", CopyInto(app, WindowsPath(argv[12])), Mark::DialogShown, 2, false, -1, {}},
        {"Velkor.exe, failure: dialog shown", brokenExe, Mark::DialogShown, 8, false, 9, {}},
    };
    // Each round runs the kinds in a fresh random order, so that no kind always follows the
    // same other kind.
    std::vector<size_t> order;
    for (size_t k = 0; k < kinds.size(); ++k)
        order.push_back(k);
    std::mt19937 random(9);
    for (int i = 0; i < runs; ++i) {
        std::shuffle(order.begin(), order.end(), random);
        for (size_t k : order) {
            Kind& kind = kinds[k];
            if (kind.registered)
                RegisterRuntime(runtime, runtimeLib);
            kind.times.push_back(TimeRun(kind.exe, kind.mark));
            if (kind.registered)
                Unregister(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1");
        }
    }
    Cleanup();
    CloseHandle(g_entered);

    std::printf("%d runs of each kind, interleaved; medians in milliseconds; each row's ratio and\n"
                "difference are taken against the yardstick row it names; x former: against that\n"
                "yardstick with ole32 and oleaut32 imported\n\n", runs);
    std::printf("    %-40s %8s %8s %9s %7s %7s %8s\n", "from process start to", "median", "x row 1", "yardstick", "ratio",
                "+ms", "x former");
    double bare = Median(kinds[0].times);
    for (size_t row = 0; row < kinds.size(); ++row) {
        double median = Median(kinds[row].times);
        double base = Median(kinds[kinds[row].yardstick].times);
        std::printf("%2zu. %-40s %8.1f %8.2f %9d %7.2f %7.1f", row + 1, kinds[row].label, median, median / bare,
                    kinds[row].yardstick + 1, median / base, median - base);
        if (kinds[row].former >= 0)
            std::printf(" %8.2f", median / Median(kinds[kinds[row].former].times));
        std::printf("\n");
    }
    return 0;
}
