#include "RuntimeHooks.h"

#include <windows.h>

#include <cstdlib>

#include "LaunchFailedDlg.h"
#include "LaunchLog.h"

volatile bool RuntimeCreatingVm = false;

namespace {

const int kTextSize = 1024;
volatile LONG g_textLeft = 64 * 1024;

[[noreturn]] void EndLaunchInDialog(int code, bool asExit)
{
    try {
        int length = LaunchLog.GetLength();
        if (length == 0 || static_cast<const char*>(LaunchLog)[length - 1] != '\n')
            LaunchLog += "\r\n";
        LaunchLog += "Could not create Sun Java VM\r\n";
    } catch (...) {
        // The log cannot grow: the dialog shows what it holds.
    }
    ShowLaunchFailedDlg();
    if (asExit)
        std::exit(code);
    std::_Exit(code);
}

}  // namespace

jint JNICALL RuntimeVfprintf(FILE*, const char* format, va_list args)
{
    // msvcrt's formatter, as the runtime's own C runtime would format; it leaves a text that
    // fills the buffer unterminated.
    char text[kTextSize];
    int length = _vsnprintf(text, sizeof text - 1, format, args);
    if (length < 0)
        length = sizeof text - 1;
    text[length] = 0;
    char lines[2 * kTextSize];
    LONG size = 0;
    for (int i = 0; i < length; ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            lines[size++] = '\r';
        lines[size++] = text[i];
    }
    lines[size] = 0;
    // Other threads of a running VM print too; at worst a few of them pass the bound together.
    if (size > 0 && g_textLeft >= size) {
        InterlockedExchangeAdd(&g_textLeft, -size);
        try {
            LaunchLog += lines;
        } catch (...) {
            // No memory for it: the text is dropped, and the runtime must not see an exception.
        }
    }
    return length;
}

void JNICALL RuntimeExit(jint code)
{
    if (RuntimeCreatingVm)
        EndLaunchInDialog(code, true);
    std::exit(code);
}

void JNICALL RuntimeAbort()
{
    // 3 is the code with which the C runtime's abort ends a process, and no exit handler runs.
    if (RuntimeCreatingVm)
        EndLaunchInDialog(3, false);
    std::abort();
}
