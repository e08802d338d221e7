// The JNI path's yardstick: a GUI program that imports Velkor.exe's system DLLs and exits.
// What Velkor.exe takes beyond this on its way to main is its own work.
#include "SystemImports.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    return 0;
}
