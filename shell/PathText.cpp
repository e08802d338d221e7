#include "PathText.h"

#include <windows.h>

#include <cstring>

bool ComposePath(char* buffer, size_t size, const char* first, const char* second)
{
    if (size == 0)
        return false;
    buffer[0] = 0;
    size_t firstLength = std::strlen(first);
    size_t secondLength = std::strlen(second);
    if (firstLength >= size || secondLength >= size - firstLength)
        return false;
    std::memcpy(buffer, first, firstLength);
    std::memcpy(buffer + firstLength, second, secondLength + 1);
    return true;
}

bool DirectoryOfPath(const char* path, char* buffer, size_t size)
{
    if (size == 0)
        return false;
    buffer[0] = 0;
    const char* end = nullptr;  // one past the last separator
    for (const char* p = path; *p != 0; p = CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            end = p + 1;
    }
    if (end == nullptr)
        return false;
    size_t length = static_cast<size_t>(end - path);
    if (length >= size)
        return false;
    std::memcpy(buffer, path, length);
    buffer[length] = 0;
    return true;
}
