#include "Messages.h"

#include "ComJavaRunner.h"
#include "resource.h"

void AppendReportHead(const char* format, va_list args)
{
    char prefix[kMessageTextSize];
    LoadMessageText(nullptr, IDS_ERROR_PREFIX, prefix, sizeof prefix);
    AppendLogText(prefix);
    char message[kMessageAreaSize];
    FormatBoundedV(message, sizeof message, GetOEMCP(), format, args);
    AppendLogText(message);
    AppendLogText("\n");
}

void ReportMessage(ComJavaRunner* runner, UINT id, ...)
{
    // Id 0 reports the first argument verbatim, whatever '%' it holds.
    char text[kMessageTextSize];
    if (id != 0)
        LoadMessageText(nullptr, id, text, sizeof text);
    else
        lstrcpyA(text, "%s");

    va_list args;
    va_start(args, id);
    AppendReportHead(text, args);
    va_end(args);

    if (runner != nullptr && runner->pauseOnError)
        PauseAfterError();
}

void PauseAfterError()
{
    // Nothing waits: the loader has no console to prompt on.
}
