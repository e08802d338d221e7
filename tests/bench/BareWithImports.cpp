// The second yardstick: a GUI program that imports the same system DLLs as Velkor.exe and exits
// without calling them. What Velkor.exe takes beyond this is its own work.
#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // Never true: the calls only make the imports.
    if (GetCurrentProcessId() == 0) {
        CoUninitialize();
        SysFreeString(nullptr);
        CharNextA("");
        RegCloseKey(nullptr);
    }
    return 0;
}
