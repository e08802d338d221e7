#include "Messages.h"

#include "ComJavaRunner.h"
#include "resource.h"

void ReportMessage(ComJavaRunner* runner, UINT id, ...)
{
    char text[kMessageTextSize];
    LoadMessageText(nullptr, IDS_ERROR_PREFIX, text, sizeof text);
    AppendLogText(text);

    // Id 0 reports the first argument verbatim, whatever '%' it holds.
    if (id != 0)
        LoadMessageText(nullptr, id, text, sizeof text);
    else
        lstrcpyA(text, "%s");

    char message[kMessageAreaSize];
    va_list args;
    va_start(args, id);
    FormatBoundedV(message, sizeof message, GetOEMCP(), text, args);
    va_end(args);
    AppendLogText(message);
    AppendLogText("\n");

    if (runner != nullptr && runner->pauseOnError)
        PauseAfterError();
}

void PauseAfterError()
{
    // Nothing waits: the loader has no console to prompt on.
}
