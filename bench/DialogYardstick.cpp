// The failure path's yardstick: with Velkor.exe's imports, it shows Velkor.exe's failure dialog
// template with a line of text in its log box, until the dialog is closed.
#include "SystemImports.h"
#include "resource.h"

namespace {

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, IDC_LAUNCH_LOG, "Did not find swingall.jar");
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_LAUNCH_FAILED), nullptr, &DialogProc, 0));
}
