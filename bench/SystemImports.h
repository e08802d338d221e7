// The system DLLs that Velkor.exe imports. Calling this makes a program import them too, so
// that its start-up includes loading them, as Velkor.exe's does; it never calls them.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

inline void ImportVelkorSystemDlls()
{
    if (GetCurrentProcessId() == 0) {  // never true
        CoUninitialize();
        SysFreeString(nullptr);
        CharNextA("");
        RegCloseKey(nullptr);
    }
}
