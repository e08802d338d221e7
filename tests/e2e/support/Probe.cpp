// velkor_probe: finds the loader's failure dialog, prints the text of its log box and closes it.
//
//   velkor_probe [--close ok|escape|closebox|none] [--timeout MS] [--pid N] [--desktop NAME]
//
// Waits up to the timeout (default 30000 ms) for a visible "Could Not Start Velkor" window (of
// process N when given; on the named desktop, such as Wine's virtual desktop "shot" started by
// `explorer /desktop=shot,800x600`, when given), writes its log text to standard output byte
// for byte (CR LF kept), then closes it the way asked (default ok). Exit code: 0 done, 1 bad
// arguments, 2 no dialog in time, 3 the close request failed.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "E2eSupport.h"

using namespace velkor_e2e;

int main(int argc, char** argv)
{
    CloseBy how = CloseBy::Ok;
    bool close = true;
    const char* desktopName = nullptr;
    DWORD timeoutMs = 30000;
    DWORD processId = 0;
    for (int i = 1; i < argc; ++i) {
        const char* option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (value == nullptr) {
            std::fprintf(stderr, "velkor_probe: %s needs a value\n", option);
            return 1;
        }
        ++i;
        if (std::strcmp(option, "--close") == 0) {
            if (std::strcmp(value, "ok") == 0)
                how = CloseBy::Ok;
            else if (std::strcmp(value, "escape") == 0)
                how = CloseBy::Escape;
            else if (std::strcmp(value, "closebox") == 0)
                how = CloseBy::CloseBox;
            else if (std::strcmp(value, "none") == 0)
                close = false;
            else {
                std::fprintf(stderr, "velkor_probe: unknown way to close: %s\n", value);
                return 1;
            }
        } else if (std::strcmp(option, "--timeout") == 0) {
            timeoutMs = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
        } else if (std::strcmp(option, "--desktop") == 0) {
            desktopName = value;
        } else if (std::strcmp(option, "--pid") == 0) {
            processId = static_cast<DWORD>(std::strtoul(value, nullptr, 10));
        } else {
            std::fprintf(stderr, "velkor_probe: unknown option %s\n", option);
            return 1;
        }
    }

    HWND dialog = nullptr;
    DWORD start = GetTickCount();
    // A named desktop is only looked into, never joined: a Wine virtual desktop ends with the
    // last process that uses it, and the probe must not keep it alive. It appears only once its
    // explorer has started, so keep trying to open it.
    HDESK desktop = nullptr;
    bool onDesktop = desktopName == nullptr;
    for (;;) {
        if (!onDesktop) {
            desktop = OpenDesktopA(desktopName, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
            onDesktop = desktop != nullptr;
        }
        if (onDesktop && (dialog = FindLoaderDialog(processId, desktop)) != nullptr)
            break;
        if (GetTickCount() - start >= timeoutMs) {
            std::fprintf(stderr, "velkor_probe: no \"%s\" dialog within %lu ms%s%s\n", kDialogTitle,
                         static_cast<unsigned long>(timeoutMs), onDesktop ? "" : " (no desktop ",
                         onDesktop ? "" : desktopName);
            return 2;
        }
        Sleep(20);
    }
    std::string text = ReadDialogText(dialog);
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
    if (close && !CloseLoaderDialog(dialog, how)) {
        std::fprintf(stderr, "velkor_probe: could not close the dialog\n");
        return 3;
    }
    return 0;
}
