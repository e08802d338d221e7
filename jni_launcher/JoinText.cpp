#include "JoinText.h"

#include <cstring>

#include "AllocOrThrow.h"

char* JoinText(std::initializer_list<const char*> parts)
{
    size_t length = 0;
    for (const char* part : parts)
        length += std::strlen(part);
    char* text = static_cast<char*>(AllocOrThrow(length + 1));
    char* end = text;
    for (const char* part : parts) {
        size_t partLength = std::strlen(part);
        std::memcpy(end, part, partLength);
        end += partLength;
    }
    *end = 0;
    return text;
}
