#include "RuntimeHooks.h"

#include <windows.h>

#include <cstdlib>

#include "BoundedFormat.h"
#include "LaunchFailedDlg.h"
#include "LaunchLog.h"

volatile bool RuntimeCreatingVm = false;

namespace {

const int kTextSize = 1024;
volatile LONG g_textLeft = 64 * 1024;

// The runtime gave up while creating its VM: the failure dialog, which returns once it is closed.
void ShowCreationFailure()
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
}

}  // namespace

jint JNICALL RuntimeVfprintf(FILE*, const char* format, va_list args)
{
    char text[kTextSize];
    int length = static_cast<int>(FormatBoundedV(text, sizeof text, CP_ACP, format, args));
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
        ShowCreationFailure();
    std::exit(code);
}

void JNICALL RuntimeAbort()
{
    // 3 is the code with which the C runtime's abort ends a process, and no exit handler runs.
    if (RuntimeCreatingVm) {
        ShowCreationFailure();
        std::_Exit(3);
    }
    std::abort();
}
