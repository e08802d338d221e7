#include "Reference.h"

#include "ComJavaRunner.h"
#include "LaunchLog.h"

int32_t ReferenceSize(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && std::string(" \t\n\v\f\r").find(text[at]) != std::string::npos)
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        negative = text[at++] == '-';
    size_t digits = at;
    int64_t magnitude = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') {
        magnitude = magnitude * 10 + (text[at++] - '0');
        if (magnitude > (int64_t(1) << 32))
            magnitude = int64_t(1) << 32;
    }
    int64_t number = 0;
    size_t end = 0;  // without digits nothing is read: the text goes on from its start
    if (at > digits) {
        number = negative ? -magnitude : magnitude;
        number = number > INT32_MAX ? INT32_MAX : number < INT32_MIN ? INT32_MIN : number;
        end = at;
    }
    if (end == text.size())
        return static_cast<int32_t>(number);
    int bits = 0;
    switch (text[end]) {
    case 'k':
    case 'K':
        bits = 10;
        break;
    case 'm':
    case 'M':
        bits = 20;
        break;
    default:
        return -1;
    }
    if (end + 1 != text.size())
        return -1;
    return static_cast<int32_t>(static_cast<uint32_t>(number) << bits);
}

std::string AppendedPath(const std::string* list, const std::string& element)
{
    auto closed = [](const std::string& text) { return text.empty() || text.back() != ';' ? text + ";" : text; };
    return (list != nullptr ? closed(*list) : std::string()) + closed(element);
}

std::string CutToCharacters(const std::string& text, size_t limit, UINT codePage)
{
    if (text.size() <= limit)
        return text;
    const char* start = text.c_str();
    const char* at = start;
    size_t fits = 0;
    while (static_cast<size_t>(at - start) <= limit) {
        fits = static_cast<size_t>(at - start);
        if (*at == 0)
            break;
        at = CharNextExA(static_cast<WORD>(codePage), at, 0);
    }
    return text.substr(0, fits);
}

std::string ReportLine(const std::string& message)
{
    return "\r\nERROR: " + CutToCharacters(message, 2047, GetOEMCP()) + "\n";
}

std::string Oem(std::string text)
{
    CharToOemA(&text[0], &text[0]);
    return text;
}

std::string Lower(std::string text)
{
    CharLowerA(&text[0]);
    return text;
}

std::string UsageText()
{
    static std::string usage;
    if (usage.empty()) {
        CString saved = LaunchLog;
        LaunchLog = "";
        ComJavaRunner(0, nullptr).ShowUsage();
        usage = static_cast<const char*>(LaunchLog);
        LaunchLog = saved;
    }
    return usage;
}
