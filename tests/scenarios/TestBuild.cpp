// Linked into a test build of the loader: the allocation numbered VELKOR_FAIL_ALLOC, counted
// from the framework's entry on, fails once, and the transcript says so.
#include <cstdlib>

#include <windows.h>

extern "C" {
void* __real_malloc(size_t);
int __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE, HINSTANCE, LPSTR, int);
}

namespace {

long countdown = 0;

bool FailsNow()
{
    if (countdown == 0 || --countdown > 0)
        return false;
    // Wide: Wine's ANSI call cuts a double-byte value short.
    wchar_t path[MAX_PATH] = L"";
    DWORD written = 0;
    GetEnvironmentVariableW(L"VELKOR_TRANSCRIPT", path, MAX_PATH);
    HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    WriteFile(file, "allocation failed\n", 18, &written, nullptr);
    CloseHandle(file);
    return true;
}

}  // namespace

extern "C" {
int __wrap__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    char text[16] = "";
    GetEnvironmentVariableA("VELKOR_FAIL_ALLOC", text, sizeof text);
    countdown = std::atol(text);
    return __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(instance, previous, line, show);
}
void* __wrap_malloc(size_t size) { return FailsNow() ? nullptr : __real_malloc(size); }
}
