#include <cstdlib>

#include "AllocOrThrow.h"
#include "RuntimeDiscovery.h"

char* ReadStringValue(HKEY key, const char* valueName)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ)
        return nullptr;
    // One byte more than reported: data stored without its terminator still ends as a string.
    char* text = static_cast<char*>(AllocOrThrow(size + 1));
    DWORD fetched = size;
    if (RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(text), &fetched) != ERROR_SUCCESS ||
        type != REG_SZ || fetched > size) {
        std::free(text);
        return nullptr;
    }
    text[fetched] = 0;
    return text;
}
