#include "RuntimeLibraryLoad.h"

#include "ExeDirectory.h"
#include "PathText.h"
#include "Win32Helpers.h"

namespace {

// Search flags of LoadLibraryExA that systems before Windows 8 (without their update) reject.
const DWORD kSearchDllLoadDir = 0x00000100;   // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
const DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS, folders of AddDllDirectory included

// Looked up: the update that brings the flags brings these; Windows 2000 and XP lack them.
typedef void*(WINAPI* AddDllDirectoryFunction)(PCWSTR folder);
typedef BOOL(WINAPI* RemoveDllDirectoryFunction)(void* cookie);

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// A drive path (C:\... or C:/...) or a UNC path (two leading separators of either kind), as
// installers write them.
bool IsAbsolutePath(const char* path)
{
    if (IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return true;
    return IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The full form of path (backslashes throughout) in buffer; false when it does not fit.
bool FullPath(const char* path, char* buffer, DWORD size)
{
    DWORD length = GetFullPathNameA(path, size, buffer, nullptr);
    return length != 0 && length < size;
}

// The load of a system without the search flags: the library's own folder first, then the
// system folders and the current directory. The runtime's bin folder is made the current
// directory for the duration of the load, which takes the user's out of the search as well; a
// current directory that cannot be restored afterwards is no reason to fail a library that loaded.
HMODULE LoadWithAlteredSearchPath(const char* target, const char* binFolder)
{
    char current[kPathBufferSize];
    DWORD currentLength = GetCurrentDirectoryA(sizeof current, current);
    bool switched = *binFolder != 0 && currentLength != 0 && currentLength < sizeof current && SetCurrentDirectoryA(binFolder);
    HMODULE library = LoadLibraryExA(target, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    DWORD error = GetLastError();
    if (switched)
        SetCurrentDirectoryA(current);
    SetLastError(error);
    return library;
}

}  // namespace

HMODULE LoadRuntimeLibrary(const char* path, const char* javaHome)
{
    if (!IsAbsolutePath(path))
        return LoadLibraryA(path);
    // The flagged loads want backslashes throughout. A path that cannot be made full, or whose
    // full form does not fit, is loaded as it is, still with the flags.
    char fullPath[kPathBufferSize];
    const char* target = FullPath(path, fullPath, sizeof fullPath) ? fullPath : path;

    // The runtime's bin folder joins the search only when the home is a full path: a relative
    // one would name a folder of the current directory. One too long for the buffers is left out.
    char composed[kPathBufferSize];
    char binFolder[kPathBufferSize] = "";
    wchar_t wideBinFolder[kPathBufferSize];
    if (javaHome != nullptr && IsAbsolutePath(javaHome) && ComposePath(composed, sizeof composed, javaHome, "\\bin") &&
        (!FullPath(composed, binFolder, sizeof binFolder) ||
         MultiByteToWideChar(CP_ACP, 0, binFolder, -1, wideBinFolder, kPathBufferSize) == 0))
        binFolder[0] = 0;

    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto addDirectory = LookUpExport<AddDllDirectoryFunction>(kernel, "AddDllDirectory");
    auto removeDirectory = LookUpExport<RemoveDllDirectoryFunction>(kernel, "RemoveDllDirectory");
    void* added = *binFolder != 0 && addDirectory != nullptr && removeDirectory != nullptr ? addDirectory(wideBinFolder) : nullptr;
    HMODULE library = LoadLibraryExA(target, nullptr, kSearchDllLoadDir | kSearchDefaultDirs);
    DWORD error = GetLastError();
    if (added != nullptr)
        removeDirectory(added);
    if (library == nullptr && error == ERROR_INVALID_PARAMETER)
        return LoadWithAlteredSearchPath(target, binFolder);
    SetLastError(error);
    return library;
}
