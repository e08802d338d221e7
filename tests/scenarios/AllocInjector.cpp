// Linked into a test build of the loader: the allocation numbered VELKOR_FAIL_ALLOC, counted
// from the framework's entry on, fails once, and the transcript says so.
#include <cstdlib>

#include <windows.h>

extern "C" {
void* __real_malloc(size_t);
void* __real_calloc(size_t, size_t);
void* __real_realloc(void*, size_t);
}

namespace {

long countdown = 0;

bool FailsNow()
{
    if (countdown == 0 || --countdown > 0)
        return false;
    char path[MAX_PATH] = "", text[] = "allocation failed\n";
    DWORD written = 0;
    GetEnvironmentVariableA("VELKOR_TRANSCRIPT", path, sizeof path);
    HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr);
    WriteFile(file, text, sizeof text - 1, &written, nullptr);
    CloseHandle(file);
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
void* __wrap_calloc(size_t count, size_t size) { return FailsNow() ? nullptr : __real_calloc(count, size); }
void* __wrap_realloc(void* block, size_t size) { return FailsNow() ? nullptr : __real_realloc(block, size); }
}
