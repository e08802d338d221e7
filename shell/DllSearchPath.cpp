#include "DllSearchPath.h"

#include <windows.h>

void RemoveCurrentDirectoryFromDllSearch()
{
    // SetDllDirectoryA with an empty text drops the current directory from the search order.
    // Looked up at run time: systems older than XP SP1 lack it and keep their own order.
    typedef BOOL(WINAPI * SetDllDirectoryFunction)(LPCSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr)
        return;
    auto setDllDirectory = reinterpret_cast<SetDllDirectoryFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDllDirectory != nullptr)
        setDllDirectory("");
}
