// The JNI path's yardstick: a GUI program that imports Velkor.exe's system DLLs, signals the
// event named in VELKOR_MAIN_ENTERED_EVENT as soon as WinMain is entered, and exits. Velkor.exe
// cannot reach main sooner; what it takes beyond this is its own work.
#include "MainEntered.h"
#include "SystemImports.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    SignalMainEntered();
    return 0;
}
