#include "RuntimeLibraryLoad.h"

namespace {

// Search flags of LoadLibraryExA that systems before Windows 8 (without their update) reject.
const DWORD kSearchDllLoadDir = 0x00000100;   // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
const DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// A drive path (C:\...) or a UNC path (\\server\share\...).
bool IsAbsolutePath(const char* path)
{
    if (IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\')
        return true;
    return path[0] == '\\' && path[1] == '\\';
}

}  // namespace

HMODULE LoadRuntimeLibrary(const char* path)
{
    if (!IsAbsolutePath(path))
        return LoadLibraryA(path);
    HMODULE library = LoadLibraryExA(path, nullptr, kSearchDllLoadDir | kSearchDefaultDirs);
    if (library == nullptr && GetLastError() == ERROR_INVALID_PARAMETER) {
        // The flags are unknown here. The altered search order still looks in the library's
        // own folder first, though the current directory stays in it.
        library = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    }
    return library;
}
