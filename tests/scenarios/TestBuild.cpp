// Linked into a test build of the loader. The allocation numbered VELKOR_FAIL_ALLOC, counted
// from the framework's entry on, fails once; and the destruction of the launch log and of the
// application object at exit is noted, so that their order shows. Both go to the transcript.
#include <cstdlib>

#include <windows.h>

#include "LaunchLog.h"

#if defined(_WIN64)
#define MEMBER
#else
#define MEMBER __attribute__((thiscall))
#endif

extern "C" {
void* __real_malloc(size_t);
void MEMBER __real__ZN10CLaunchLogD1Ev(CLaunchLog*);
void MEMBER __real__ZN10CLoaderAppD1Ev(void*);
}

namespace {

long countdown = 0;

void Note(const char* text)
{
    // Wide: Wine's ANSI call cuts a double-byte value short.
    wchar_t path[MAX_PATH] = L"";
    DWORD written = 0;
    GetEnvironmentVariableW(L"VELKOR_TRANSCRIPT", path, MAX_PATH);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    WriteFile(file, text, lstrlenA(text), &written, nullptr);
    CloseHandle(file);
}

bool FailsNow()
{
    if (countdown == 0 || --countdown > 0)
        return false;
    Note("allocation failed\n");
    return true;
}

}  // namespace

extern "C" {
int __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE, HINSTANCE, LPSTR, int);
int __wrap__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    char text[16] = "";
    GetEnvironmentVariableA("VELKOR_FAIL_ALLOC", text, sizeof text);
    countdown = std::atol(text);
    return __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(instance, previous, line, show);
}
void* __wrap_malloc(size_t size) { return FailsNow() ? nullptr : __real_malloc(size); }

void MEMBER __wrap__ZN10CLaunchLogD1Ev(CLaunchLog* text)
{
    Note("launch log destroyed\n");
    __real__ZN10CLaunchLogD1Ev(text);
}
void MEMBER __wrap__ZN10CLoaderAppD1Ev(void* app)
{
    Note("application object destroyed\n");
    __real__ZN10CLoaderAppD1Ev(app);
}
}
