#include "RuntimeLibraryLoad.h"

namespace {

// Search flags of LoadLibraryExA that systems before Windows 8 (without their update) reject.
const DWORD kSearchDllLoadDir = 0x00000100;   // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
const DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS

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

}  // namespace

HMODULE LoadRuntimeLibrary(const char* path)
{
    if (!IsAbsolutePath(path))
        return LoadLibraryA(path);
    // The flagged loads want backslashes throughout. A path that cannot be made full, or whose
    // full form does not fit, is loaded as it is, still with the flags.
    char fullPath[MAX_PATH];
    DWORD fullLength = GetFullPathNameA(path, sizeof fullPath, fullPath, nullptr);
    const char* target = fullLength != 0 && fullLength < sizeof fullPath ? fullPath : path;
    HMODULE library = LoadLibraryExA(target, nullptr, kSearchDllLoadDir | kSearchDefaultDirs);
    if (library == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        // The flags are unknown here. The altered search order still looks in the library's
        // own folder first, though the current directory stays in it.
        library = LoadLibraryExA(target, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return library;
}
