// Reports of the COM launcher: catalogue messages from the string table, into the launch log.
#pragma once

#include <windows.h>

class ComJavaRunner;

// Loads a catalogue text (cut to capacity - 1 characters) and converts it to the OEM code page.
// Returns the number of characters loaded, 0 when the id has no text.
int LoadMessageText(HMODULE module, UINT id, char* buffer, int capacity);

// "\r\nERROR: ", the message (id 0: the first argument verbatim), "\n".
void ReportMessage(ComJavaRunner* runner, UINT id, ...);

// "\r\nERROR: ", the message, "\n", ": ", the system's text for the HRESULT, "\n", a hint, "\n".
void ReportSystemError(ComJavaRunner* runner, HRESULT result, UINT id, ...);

void ShowBanner();
void PauseAfterError();
