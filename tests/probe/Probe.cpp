// velkor_probe [--close ok|escape|closebox|none] [--timeout MS] [--desktop NAME]: waits for the
// loader's failure dialog (on the named desktop, such as a Wine virtual desktop, when given),
// writes its log text to standard output byte for byte and closes it as asked.
// Exit code: 0 done, 2 no dialog in time, 3 the close request failed.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>

#include "../support/Dialog.h"

int main(int argc, char** argv)
{
    std::string how = "ok", desktopName;
    DWORD timeout = 30000;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string option = argv[i];
        if (option == "--close")
            how = argv[i + 1];
        else if (option == "--timeout")
            timeout = std::strtoul(argv[i + 1], nullptr, 10);
        else if (option == "--desktop")
            desktopName = argv[i + 1];
    }
    // A named desktop is only looked into, never joined, so that it ends with the loader.
    HDESK desktop = nullptr;
    HWND dialog = nullptr;
    for (DWORD start = GetTickCount(); dialog == nullptr; Sleep(20)) {
        if (!desktopName.empty() && desktop == nullptr)
            desktop = OpenDesktopA(desktopName.c_str(), 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
        if (desktopName.empty() || desktop != nullptr)
            dialog = FindLoaderDialog(0, desktop);
        if (dialog == nullptr && GetTickCount() - start >= timeout)
            return 2;
    }
    std::string text = LoaderDialogText(dialog);
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    return how == "none" || CloseLoaderDialog(dialog, how) ? 0 : 3;
}
