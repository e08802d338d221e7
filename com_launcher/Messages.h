// Reports of the COM launcher: catalogue messages from the string table, into the launch log.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>

#include "BoundedFormat.h"

class ComJavaRunner;

// Loads a catalogue text (cut to capacity - 1 characters) and converts it to the OEM code page.
// Returns the number of characters loaded, 0 when the id has no text (the buffer is then empty).
int LoadMessageText(HMODULE module, UINT id, char* buffer, int capacity);

// "\r\nERROR: ", the format filled with the arguments (bounded), "\n": the head of every report.
void AppendReportHead(const char* format, va_list args);

// "\r\nERROR: ", the message (id 0: the first argument verbatim), "\n".
void ReportMessage(ComJavaRunner* runner, UINT id, ...);

// "\r\nERROR: ", the message, "\n", ": ", the system's text for the HRESULT, "\n", a hint, "\n".
void ReportSystemError(ComJavaRunner* runner, HRESULT result, UINT id, ...);

void ShowBanner();
void PauseAfterError();

// --- Building blocks of the reporters ---

// Sizes of the reporters' buffers.
constexpr size_t kMessageTextSize = 512;   // a catalogue text, a system text, the hint
constexpr size_t kMessageAreaSize = 2048;  // a message after argument substitution

// Appends to the launch log. Never throws: when the log cannot grow, the text is dropped.
void AppendLogText(const char* text);

// Text 17 with the class name in both places, into hint (bounded as FormatBounded).
void MakeMemberHint(const char* className, char* hint, size_t size);

// Reads the fixed file version of the running executable through the system's own version.dll.
// Returns false (both halves 0) when that library or the version information cannot be had.
bool ReadOwnFileVersion(DWORD* versionMS, DWORD* versionLS);

// Appends text 1020 formatted with major.minor.build of the given fixed file version, text 1021
// and a line feed.
void AppendBanner(DWORD versionMS, DWORD versionLS);
