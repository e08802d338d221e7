// The JNI path's yardstick: a GUI program that imports Velkor.exe's system DLLs, signals the
// event named in VELKOR_MAIN_ENTERED_EVENT as soon as WinMain is entered, and exits. Velkor.exe
// cannot reach main sooner; what it takes beyond this is its own work.
#include "SystemImports.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    char name[256];
    DWORD length = GetEnvironmentVariableA("VELKOR_MAIN_ENTERED_EVENT", name, sizeof name);
    HANDLE event = length > 0 && length < sizeof name ? OpenEventA(EVENT_MODIFY_STATE, FALSE, name) : nullptr;
    if (event != nullptr) {
        SetEvent(event);
        CloseHandle(event);
    }
    return 0;
}
