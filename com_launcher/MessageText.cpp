// Catalogue texts and the launch log appends of the reporters.
#include "Messages.h"

#include <new>

#include "LaunchLog.h"

int LoadMessageText(HMODULE module, UINT id, char* buffer, int capacity)
{
    int count = LoadStringA(module, id, buffer, capacity);
    if (count == 0) {
        if (capacity > 0)
            buffer[0] = 0;
        return 0;
    }
    CharToOemA(buffer, buffer);
    return count;
}

void AppendLogText(const char* text)
{
    try {
        LaunchLog += text;
    } catch (const std::bad_alloc&) {
        // The reporters report no failure of their own; the text is lost.
    }
}

