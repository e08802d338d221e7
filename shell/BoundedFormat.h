// printf-style formatting into fixed buffers, cut at a whole character.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <cstddef>

// printf-style formatting into buffer (size > 0); the result is always terminated. A result
// that does not fit is cut to size - 1 bytes, less a lead byte whose trail byte was cut off in
// the given code page, so that no half character is left at the end. Returns the length.
size_t FormatBounded(char* buffer, size_t size, UINT codePage, const char* format, ...);
size_t FormatBoundedV(char* buffer, size_t size, UINT codePage, const char* format, va_list args);

// Shortens text of the given length so that it does not end with the lead byte of a
// double-byte character in codePage. Returns the new length.
size_t CutAtCharacterBoundary(char* text, size_t length, UINT codePage);
