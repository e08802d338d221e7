// The JNI path's yardstick: with Velkor.exe's imports, it loads the runtime library named in
// VELKOR_BENCH_RUNTIME_LIB (the stand-in that Velkor.exe finds through the registry), calls its
// two invocation exports with the library's defaults, signals the event named in
// VELKOR_MAIN_ENTERED_EVENT and exits. Velkor.exe cannot reach main with less; what it takes
// beyond this is its own work.
#include "InitArgs.h"
#include "MainEntered.h"
#include "SystemImports.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("VELKOR_BENCH_RUNTIME_LIB", path, sizeof path);
    HMODULE library = length > 0 && length < sizeof path ? LoadLibraryA(path) : nullptr;
    if (library == nullptr)
        return 1;  // the benchmark reports a run that never reached its mark
    // Through a generic function pointer: FARPROC and the exports' types are unrelated.
    auto getDefaults = reinterpret_cast<GetDefaultJavaVMInitArgsFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs")));
    auto create = reinterpret_cast<CreateJavaVMFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(library, "JNI_CreateJavaVM")));
    JDK1_1InitArgs args = {};
    args.version = 0x00010001;
    JavaVM* vm = nullptr;
    void* env = nullptr;
    if (getDefaults == nullptr || create == nullptr || getDefaults(&args) != 0 || create(&vm, &env, &args) != 0)
        return 2;
    SignalMainEntered();
    return 0;
}
