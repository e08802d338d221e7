#include "Messages.h"

#include "ComJavaRunner.h"
#include "resource.h"

void MakeMemberHint(const char* className, char* hint, size_t size)
{
    char text[kMessageTextSize];
    LoadMessageText(nullptr, IDS_MAIN_HINT, text, sizeof text);
    if (className == nullptr)
        className = "";
    FormatBounded(hint, size, GetOEMCP(), text, className, className);
}

void ReportSystemError(ComJavaRunner* runner, HRESULT result, UINT id, ...)
{
    char text[kMessageTextSize];
    LoadMessageText(nullptr, id, text, sizeof text);
    va_list args;
    va_start(args, id);
    AppendReportHead(text, args);
    va_end(args);

    char systemText[kMessageTextSize];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(result), 0x0800,
                                  systemText, sizeof systemText, nullptr);
    char hint[kMessageTextSize];
    hint[0] = 0;
    if (length != 0) {
        CharToOemA(systemText, systemText);
        if (result == DISP_E_MEMBERNOTFOUND)
            MakeMemberHint(runner != nullptr ? runner->className : nullptr, hint, sizeof hint);
    } else {
        // No system text: text 2 with the code, and no hint whatever the code is.
        LoadMessageText(nullptr, IDS_SCODE_UNAVAILABLE, text, sizeof text);
        FormatBounded(systemText, sizeof systemText, GetOEMCP(), text, static_cast<unsigned long>(result));
    }

    AppendLogText(": ");
    AppendLogText(systemText);
    AppendLogText("\n");
    if (hint[0] != 0)
        AppendLogText(hint);
    AppendLogText("\n");

    if (runner != nullptr && runner->pauseOnError)
        PauseAfterError();
}
