#include "DllSearchPath.h"

#include <windows.h>

#include "ExeDirectory.h"
#include "PathText.h"

namespace {

// Looked up at run time: older systems lack these and keep their own search order.
template <typename Function>
Function KernelFunction(const char* name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, name)));
}

const DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS

bool g_defaultDirectoriesSet = false;

}  // namespace

void RemoveCurrentDirectoryFromDllSearch()
{
    // An empty DLL directory drops the current directory from the classic search order; where
    // the system offers it, the default directories (application, system, allowed folders)
    // replace that order altogether.
    typedef BOOL(WINAPI * SetDllDirectoryFunction)(LPCSTR);
    typedef BOOL(WINAPI * SetDefaultDllDirectoriesFunction)(DWORD);
    if (auto setDllDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryA"))
        setDllDirectory("");
    if (auto setDefault = KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories"))
        g_defaultDirectoriesSet = setDefault(kSearchDefaultDirs) != FALSE;
}

void AllowDllDirectoryOf(const char* libraryPath)
{
    typedef PVOID(WINAPI * AddDllDirectoryFunction)(PCWSTR);
    if (!g_defaultDirectoriesSet)
        return;  // the classic search order stays as it was
    auto addDllDirectory = KernelFunction<AddDllDirectoryFunction>("AddDllDirectory");
    char directory[kPathBufferSize];
    if (addDllDirectory == nullptr || !DirectoryOfPath(libraryPath, directory, sizeof directory))
        return;
    WCHAR wide[kPathBufferSize];
    if (MultiByteToWideChar(CP_ACP, 0, directory, -1, wide, kPathBufferSize) > 0)
        addDllDirectory(wide);
}
