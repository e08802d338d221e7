// Start-up benchmark: how long Velkor.exe takes from process creation until the application's
// main is entered, on the JNI path and on the COM path (the stand-ins signal a named event as
// main or Execute is entered and return at once), and until the failure dialog is on the screen,
// against a bare GUI program that only exits. The kinds of run are interleaved; the medians
// and their ratios to the bare program are printed.
//
//   velkor_bench RUNS VELKOR_EXE JAVAI_DLL COMVM_DLL BARE_EXE BARE_IMPORTS_EXE   (Unix or Windows paths)
//
// The second yardstick imports the same system DLLs as Velkor.exe and exits: the part of the
// start-up that is loading those DLLs, which no code of the loader can avoid.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "E2eSupport.h"

using namespace velkor_e2e;

namespace {

const char kEventName[] = "VelkorBenchMainEntered";
const char kRuntimeKey[] = "Software\\JavaSoft\\Java Runtime Environment";

double Now()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value)
{
    HKEY handle;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create " + key);
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

void RegisterRuntime(const std::string& home, const std::string& library)
{
    SetString(HKEY_LOCAL_MACHINE, kRuntimeKey, "CurrentVersion", "1.1");
    SetString(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1", "JavaHome", home);
    SetString(HKEY_LOCAL_MACHINE, std::string(kRuntimeKey) + "\\1.1", "RuntimeLib", library);
}

void DeleteTree(HKEY root, const std::string& key)
{
    HKEY handle;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return;
    char name[256];
    std::vector<std::string> children;
    for (DWORD i = 0;; ++i) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        children.emplace_back(name, length);
    }
    RegCloseKey(handle);
    for (const std::string& child : children)
        DeleteTree(root, key + "\\" + child);
    RegDeleteKeyA(root, key.c_str());
}

void UnregisterRuntime() { DeleteTree(HKEY_LOCAL_MACHINE, "Software\\JavaSoft"); }

// Starts a program and returns the milliseconds until ready() says so; the process is then
// ended (closing its dialog if it shows one).
template <typename Ready>
double TimeRun(const std::string& exe, Ready ready)
{
    RunOptions options;
    options.environment = {{"VELKOR_MAIN_ENTERED_EVENT", kEventName}};
    double start = Now();
    LoaderProcess process(exe, options);
    if (!ready(process))
        throw std::runtime_error("run of " + exe + " did not reach its mark");
    double elapsed = Now() - start;
    if (process.Dialog() != nullptr)
        process.CloseDialog(CloseBy::Ok);
    process.WaitForExit(10000);
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
    if (argc != 7) {
        std::fprintf(stderr, "usage: velkor_bench RUNS VELKOR_EXE JAVAI_DLL COMVM_DLL BARE_EXE BARE_IMPORTS_EXE\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    std::string velkor = WindowsPath(argv[2]);
    std::string javai = WindowsPath(argv[3]);
    std::string comvm = WindowsPath(argv[4]);
    std::string bare = WindowsPath(argv[5]);
    std::string bareImports = WindowsPath(argv[6]);

    HANDLE entered = CreateEventA(nullptr, FALSE, FALSE, kEventName);
    InstallFolder app("bench_app");
    std::string appExe = app.CopyExe("Velkor.exe", velkor);
    app.Place("Velkor.jar", Entry::File);
    app.Place("swingall.jar", Entry::File);
    InstallFolder broken("bench_broken");
    std::string brokenExe = broken.CopyExe("Velkor.exe", velkor);
    broken.Place("Velkor.jar", Entry::File);
    InstallFolder runtime("bench_runtime");
    std::string runtimeLib = runtime.Path() + "javai.dll";
    if (!CopyFileA(javai.c_str(), runtimeLib.c_str(), FALSE))
        throw std::runtime_error("cannot copy " + javai);
    std::string home = runtime.Path().substr(0, runtime.Path().size() - 1);
    VmRegistration vm(comvm);

    auto mainEntered = [&](LoaderProcess&) { return WaitForSingleObject(entered, 30000) == WAIT_OBJECT_0; };
    auto exited = [](LoaderProcess& process) { return process.WaitForExit(30000); };
    auto dialogShown = [](LoaderProcess& process) { return process.WaitForDialogOrExit(30000) == Event::DialogShown; };

    std::vector<double> bareTimes, bareImportTimes, jniTimes, comTimes, failureTimes;
    try {
        for (int i = 0; i < runs; ++i) {
            bareTimes.push_back(TimeRun(bare, exited));
            bareImportTimes.push_back(TimeRun(bareImports, exited));
            RegisterRuntime(home, runtimeLib);
            jniTimes.push_back(TimeRun(appExe, mainEntered));
            UnregisterRuntime();
            comTimes.push_back(TimeRun(appExe, mainEntered));
            failureTimes.push_back(TimeRun(brokenExe, dialogShown));
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        UnregisterRuntime();
        return 1;
    }
    UnregisterRuntime();
    CloseHandle(entered);

    double base = Median(bareTimes);
    std::printf("%d runs of each, interleaved; medians in milliseconds\n", runs);
    std::printf("%-44s %9s %9s\n", "", "median", "ratio");
    std::printf("%-44s %9.1f %9.2f\n", "bare GUI program, start to exit", base, 1.0);
    std::printf("%-44s %9.1f %9.2f\n", "same, importing Velkor.exe's system DLLs", Median(bareImportTimes),
                Median(bareImportTimes) / base);
    std::printf("%-44s %9.1f %9.2f\n", "Velkor.exe, JNI path, start to main", Median(jniTimes), Median(jniTimes) / base);
    std::printf("%-44s %9.1f %9.2f\n", "Velkor.exe, COM path, start to Execute", Median(comTimes), Median(comTimes) / base);
    std::printf("%-44s %9.1f %9.2f\n", "Velkor.exe, failure, start to dialog shown", Median(failureTimes),
                Median(failureTimes) / base);
    return 0;
}
