// A DLL planted beside Velkor.exe or in its working directory under a system DLL's name. If it
// is ever loaded it leaves a marker file, named by VELKOR_PLANTED_MARKER, behind.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        char marker[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("VELKOR_PLANTED_MARKER", marker, sizeof marker);
        if (length > 0 && length < sizeof marker) {
            HANDLE file = CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    }
    return TRUE;
}
