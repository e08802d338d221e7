// What the loader's texts must be, worked out independently of its code, for the fuzz tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// strtol (base 10, 32-bit long) followed by the k/m suffix as a wrapping 32-bit shift; -1 when
// malformed.
int32_t ReferenceSize(const std::string& text);

// The list that appending element must give: the old list (absent when list is null), ';' if its
// last character is not ';', the element, ';' if its last character is not ';'.
std::string AppendedPath(const std::string* list, const std::string& element);

// The longest prefix of text, at most limit bytes, that ends on a character boundary of the
// code page (boundaries found with CharNextExA).
std::string CutToCharacters(const std::string& text, size_t limit, UINT codePage);

// One report of the COM launcher: "\r\nERROR: ", the message as its 2048-byte area holds it, "\n".
std::string ReportLine(const std::string& message);

// What ReportSystemError appends for a message, an HRESULT and the runner's class name: the
// report line, ": " and the system's text (or text 2), "\n", the hint for
// DISP_E_MEMBERNOTFOUND, "\n".
std::string SystemErrorReport(const std::string& message, HRESULT code, const std::string& className);

// The text converted in place as the loader converts it: its characters to the OEM code page
// (the terminator stays where it is), and to lower case.
std::string Oem(std::string text);
std::string Lower(std::string text);

// The banner and the usage lines as ShowUsage appends them.
std::string UsageText();
