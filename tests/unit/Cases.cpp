#include "Cases.h"

#include <cstdio>
#include <fstream>
#include <sstream>

std::string ReadCaseFile(const char* name)
{
    std::ifstream file(std::string(VELKOR_UNIT_DATA) + name, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    std::string text = content.str(), expanded;
    for (size_t at = 0; at < text.size(); ++at) {
        size_t close = text.find('}', at);
        if (text[at] == '{' && close != std::string::npos && close > at + 1 &&
            text.find_first_not_of("0123456789", at + 1) == close) {
            expanded.append(std::stoul(text.substr(at + 1, close - at - 1)), 'x');
            at = close;
        } else {
            expanded += text[at];
        }
    }
    return expanded;
}

std::string Replay(const std::string& cases, const std::map<std::string, CaseRunner>& runners)
{
    std::istringstream lines(cases);
    std::string line, replayed;
    while (std::getline(lines, line)) {
        if (line.rfind("  ", 0) == 0)
            continue;
        replayed += line + "\n";
        if (line.empty() || line[0] == '#')
            continue;
        size_t space = line.find(' ');
        auto runner = runners.find(line.substr(0, space));
        std::string input = space == std::string::npos ? "" : line.substr(space + 1);
        replayed += runner == runners.end() ? "  no such kind of case\n" : runner->second(input);
    }
    return replayed;
}

std::string Quote(const char* text)
{
    std::string quoted = "\"";
    for (const char* p = text; *p != 0; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02x", c);
        quoted += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c == '\t' ? "\\t" : c < 32 || c > 126 ? escape : std::string(1, *p);
    }
    return quoted + "\"";
}
