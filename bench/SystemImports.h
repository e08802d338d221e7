// The system DLLs that Velkor.exe imports: kernel32, user32, advapi32 and msvcrt. Calling this
// makes a program import them too, so that its start-up includes loading them, as Velkor.exe's
// does; it never calls them. Built with VELKOR_YARDSTICK_COM, the program also imports ole32 and
// oleaut32, which Velkor.exe loads only when its COM attempt begins (it imported them once).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

inline void ImportVelkorSystemDlls()
{
    if (GetCurrentProcessId() == 0) {  // never true
        CharNextA("");
        RegCloseKey(nullptr);
#if defined(VELKOR_YARDSTICK_COM)
        CoUninitialize();
        SysFreeString(nullptr);
#endif
    }
}
