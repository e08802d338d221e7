#include "BoundedFormat.h"

#include <cstdio>
#include <cstring>

size_t CutAtCharacterBoundary(char* text, size_t length, UINT codePage)
{
    size_t at = 0;
    while (at < length) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[at]))) {
            if (at + 1 >= length) {
                text[at] = 0;
                return at;
            }
            at += 2;
        } else {
            at += 1;
        }
    }
    return length;
}

size_t FormatBoundedV(char* buffer, size_t size, UINT codePage, const char* format, va_list args)
{
    // The C runtime's own formatter (msvcrt.dll), not the C library's vsnprintf, which in C++
    // is mingw's and brings its own printf and floating-point code into the executable. The
    // catalogue's conversions (%s, %lx, %u with a width and zero padding) write the same bytes
    // in both. Unlike vsnprintf, _vsnprintf leaves a text that fills the buffer or overflows it
    // unterminated, with the first size bytes in the buffer, and returns size or -1.
    int written = _vsnprintf(buffer, size, format, args);
    if (written >= 0 && static_cast<size_t>(written) < size)
        return static_cast<size_t>(written);
    // Cut: keep what fits, whole characters only.
    buffer[size - 1] = 0;
    return CutAtCharacterBoundary(buffer, std::strlen(buffer), codePage);
}

size_t FormatBounded(char* buffer, size_t size, UINT codePage, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t length = FormatBoundedV(buffer, size, codePage, format, args);
    va_end(args);
    return length;
}
