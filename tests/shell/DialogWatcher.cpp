#include "DialogWatcher.h"

DialogWatcher::DialogWatcher(velkor_e2e::CloseBy how) : how(how), thread(&DialogWatcher::Watch, this) {}

DialogWatcher::~DialogWatcher() { Stop(); }

void DialogWatcher::Stop()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
}

void DialogWatcher::Watch()
{
    HWND handled = nullptr;
    while (!stopping) {
        HWND dialog = velkor_e2e::FindLoaderDialog(GetCurrentProcessId());
        if (dialog != nullptr && dialog != handled) {
            ++dialogsSeen;
            text = velkor_e2e::ReadDialogText(dialog);
            GetWindowRect(dialog, &windowRect);
            velkor_e2e::CloseLoaderDialog(dialog, how);
            handled = dialog;
        }
        Sleep(10);
    }
}
