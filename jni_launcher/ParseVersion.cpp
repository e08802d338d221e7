#include <cctype>
#include <cstring>

#include "AllocOrThrow.h"
#include "RuntimeDiscovery.h"

namespace {

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsAsciiAlphanumeric(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Scans one run of at least one accepted character at text[start]. Returns the position after
// the run, or 0 when there is no such run.
size_t ScanRun(const char* text, size_t start, bool (*accepted)(char))
{
    size_t end = start;
    while (accepted(text[end]))
        ++end;
    return end > start ? end : 0;
}

char* CopyPart(const char* text, size_t begin, size_t end)
{
    char* part = static_cast<char*>(AllocOrThrow(end - begin + 1));
    std::memcpy(part, text + begin, end - begin);
    part[end - begin] = 0;
    return part;
}

}  // namespace

// The forms digits.digits and digits.digits.alphanumerics, nothing before or after, no white
// space. Each mark is the length consumed after a run, 0 when the scan does not get there.
int ParseVersion(const char* version, char** major, char** minor, char** micro)
{
    size_t length = std::strlen(version);
    size_t firstMark = ScanRun(version, 0, IsAsciiDigit);
    size_t secondMark = 0;
    size_t thirdMark = 0;
    if (firstMark != 0 && version[firstMark] == '.')
        secondMark = ScanRun(version, firstMark + 1, IsAsciiDigit);
    if (secondMark != 0 && version[secondMark] == '.')
        thirdMark = ScanRun(version, secondMark + 1, IsAsciiAlphanumeric);

    if (firstMark == 0 || secondMark == 0)
        return -1;
    if ((thirdMark == 0 ? secondMark : thirdMark) != length)
        return -1;
    *major = CopyPart(version, 0, firstMark);
    *minor = CopyPart(version, firstMark + 1, secondMark);
    if (thirdMark != 0)
        *micro = CopyPart(version, secondMark + 1, thirdMark);
    return 0;
}
