// Small helpers around Win32 calls, shared by the launch sequence and both launchers.
#pragma once

#include <windows.h>

// The function that module exports under name, as a pointer of the caller's type; null when it
// has no such export (GetProcAddress has then set the last error). FARPROC and the function's
// type are unrelated: the cast goes through the generic function type, which converts to any
// other without a warning.
template <typename Function>
Function LookUpExport(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// The same into *function; tells whether the export was found.
template <typename Function>
bool LookUpExport(HMODULE module, const char* name, Function* function)
{
    *function = LookUpExport<Function>(module, name);
    return *function != nullptr;
}

// Loads the system's own copy of a library (name with its backslash: "\\ole32.dll") by its full
// path in the system folder, so that no copy elsewhere is taken, whatever the KnownDLLs list
// holds. Null when it cannot be loaded or the path does not fit (the last error is set either way).
HMODULE LoadSystemLibrary(const char* name);

// The thread's last Win32 error as an HRESULT of the Win32 facility; no error stays 0. The error
// is OR-ed into 0x80070000, as the COM launcher's reports have always formed their codes. For
// every Win32 error code (up to 0xFFFF) that is HRESULT_FROM_WIN32's value too; a larger value
// keeps its high bits here, where HRESULT_FROM_WIN32 would cut it to 16 bits or pass a negative
// one through unchanged.
HRESULT HresultFromLastError();
