#include "Win32Helpers.h"

#include "PathText.h"

HMODULE LoadSystemLibrary(const char* name)
{
    char folder[MAX_PATH];
    char path[MAX_PATH];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0)
        return nullptr;
    if (length >= sizeof folder || !ComposePath(path, sizeof path, folder, name)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    return LoadLibraryA(path);
}

HRESULT HresultFromLastError()
{
    DWORD error = GetLastError();
    return error != 0 ? static_cast<HRESULT>(error | 0x80070000) : 0;
}
