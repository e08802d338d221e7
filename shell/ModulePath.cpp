#include "ModulePath.h"

namespace {

// The longest path that the system hands out, in characters, terminator included.
constexpr DWORD kWidePathSize = 32768;

enum class Spelled { Exactly, NotInCodePage, TooLong };

bool IsSeparator(wchar_t c)
{
    return c == L'\\' || c == L'/';
}

// Appends count characters to the ANSI text of *length bytes in buffer, when the ANSI code page
// spells each of them exactly (no best-fit or default character) and they fit before the
// terminator. A UTF-8 code page spells everything, and its conversion refuses the flags.
Spelled AppendSpelled(const wchar_t* text, int count, char* buffer, DWORD size, DWORD* length)
{
    if (count == 0)
        return Spelled::Exactly;
    bool utf8 = GetACP() == CP_UTF8;
    DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    int bytes = WideCharToMultiByte(CP_ACP, flags, text, count, nullptr, 0, nullptr, utf8 ? nullptr : &usedDefault);
    if (bytes <= 0 || usedDefault)
        return Spelled::NotInCodePage;
    if (static_cast<DWORD>(bytes) >= size - *length)
        return Spelled::TooLong;
    if (WideCharToMultiByte(CP_ACP, flags, text, count, buffer + *length, bytes, nullptr, nullptr) != bytes)
        return Spelled::NotInCodePage;
    *length += static_cast<DWORD>(bytes);
    return Spelled::Exactly;
}

// Converts the path name by name; a name that the code page cannot spell is replaced by the last
// name of the short form of the path up to it. False when such a name has no short name that the
// code page spells, or when the result does not fit.
bool SpellPath(wchar_t* path, char* buffer, DWORD size, DWORD* length)
{
    wchar_t shortPath[kWidePathSize];
    for (wchar_t* name = path;; ++name) {
        wchar_t* end = name;
        while (*end != 0 && !IsSeparator(*end))
            ++end;
        Spelled spelled = AppendSpelled(name, static_cast<int>(end - name), buffer, size, length);
        if (spelled == Spelled::NotInCodePage) {
            wchar_t separator = *end;
            *end = 0;
            DWORD shortLength = GetShortPathNameW(path, shortPath, kWidePathSize);
            *end = separator;
            if (shortLength == 0 || shortLength >= kWidePathSize || IsSeparator(shortPath[shortLength - 1]))
                return false;
            const wchar_t* shortName = shortPath + shortLength;
            while (shortName > shortPath && !IsSeparator(shortName[-1]))
                --shortName;
            spelled = AppendSpelled(shortName, static_cast<int>(shortPath + shortLength - shortName), buffer, size, length);
        }
        if (spelled != Spelled::Exactly)
            return false;
        if (*end == 0)
            return true;
        if (AppendSpelled(end, 1, buffer, size, length) != Spelled::Exactly)
            return false;
        name = end;
    }
}

}  // namespace

DWORD ExecutablePath(char* buffer, DWORD size)
{
    if (size == 0)
        return 0;
    wchar_t path[kWidePathSize];
    DWORD pathLength = GetModuleFileNameW(nullptr, path, kWidePathSize);
    DWORD length = 0;
    if (pathLength != 0 && pathLength < kWidePathSize && SpellPath(path, buffer, size, &length)) {
        buffer[length] = 0;
        return length;
    }
    // No spelling of the wide path: the ANSI call's path, as it gives it.
    length = GetModuleFileNameA(nullptr, buffer, size);
    return length < size ? length : 0;
}
