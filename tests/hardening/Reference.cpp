#include "Reference.h"

#include <cstdio>
#include <map>

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

namespace {

// The text with ';' after it unless its last character is ';'. Characters as the ANSI code page
// makes them: a lead byte takes the byte after it along, whatever that byte is.
std::string Closed(const std::string& text)
{
    const char* last = nullptr;
    for (const char* at = text.c_str(); *at != 0; at = CharNextExA(static_cast<WORD>(GetACP()), at, 0))
        last = at;
    bool closed = last != nullptr && *last == ';' && last + 1 == text.c_str() + text.size();
    return closed ? text : text + ";";
}

}  // namespace

std::string AppendedPath(const std::string* list, const std::string& element)
{
    return (list != nullptr ? Closed(*list) : std::string()) + Closed(element);
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

std::string SystemErrorReport(const std::string& message, HRESULT code, const std::string& className)
{
    static const char mainHint[] =
        "\t%s must have a method of the following form to be run using Velkor:\r\n"
        "\t\tpublic static void main(String args[])\r\n\tIf %s is an applet, you must run it using a browser.";
    // The system's texts do not change while the program runs: the first codes asked for are
    // remembered (every block of the guarded heap takes a page).
    static std::map<HRESULT, std::string> systemTexts;
    auto known = systemTexts.find(code);
    std::string text;
    if (known != systemTexts.end()) {
        text = known->second;
    } else {
        char systemText[4096];
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code), 0x0800, systemText,
                                      sizeof systemText, nullptr);
        text.assign(systemText, length);
        if (systemTexts.size() < 64)
            systemTexts.emplace(code, text);
    }
    std::string system, hint;
    if (!text.empty() && text.size() < 512) {
        system = Oem(text);
        if (code == DISP_E_MEMBERNOTFOUND) {
            std::string filled = mainHint;
            size_t at = 0;
            for (int i = 0; i < 2; ++i, at += className.size()) {
                at = filled.find("%s", at);
                filled.replace(at, 2, className);
            }
            hint = CutToCharacters(filled, 511, GetOEMCP());
        }
    } else {
        char scode[64];
        std::snprintf(scode, sizeof scode, "SCODE 0x%lx: Error message unavailable.", static_cast<unsigned long>(code));
        system = scode;
    }
    return ReportLine(message) + ": " + system + "\n" + hint + "\n";
}

std::string Oem(std::string text)
{
    CharToOemBuffA(&text[0], &text[0], static_cast<DWORD>(text.size()));
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
