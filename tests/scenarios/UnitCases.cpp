// Unit cases, for what the end-to-end rows reach too coarsely: the dash-style options, sizes,
// versions, the support archive locator and the executable's resources. A case is a line
// "kind input" followed by its output lines, each indented by two spaces.
#include "UnitCases.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "LaunchLog.h"
#include "LoaderOptions.h"
#include "Messages.h"
#include "PathText.h"
#include "RuntimeDiscovery.h"
#include "SupportArchive.h"

namespace {

std::string Line(const std::string& text) { return "  " + text + "\n"; }

// The text quoted, with CR, LF, tab and bytes outside printable ASCII written \r \n \t \xNN.
std::string Quote(const char* text)
{
    std::string quoted = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02x", *p);
        quoted += *p == '\r' ? "\\r" : *p == '\n' ? "\\n" : *p == '\t' ? "\\t" : *p < 32 || *p > 126 ? escape : std::string(1, *p);
    }
    return quoted + "\"";
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

std::string Format(const char* format, unsigned a, unsigned b = 0, unsigned c = 0, unsigned d = 0, unsigned e = 0)
{
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// The record's 32-bit fields, each starting at a value of its own: a field that changes is shown.
const std::pair<const char*, jint JDK1_1InitArgs::*> kFields[] = {
    {"version", &JDK1_1InitArgs::version}, {"checkSource", &JDK1_1InitArgs::checkSource},
    {"nativeStackSize", &JDK1_1InitArgs::nativeStackSize}, {"javaStackSize", &JDK1_1InitArgs::javaStackSize},
    {"minHeapSize", &JDK1_1InitArgs::minHeapSize}, {"maxHeapSize", &JDK1_1InitArgs::maxHeapSize},
    {"verifyMode", &JDK1_1InitArgs::verifyMode}, {"enableClassGC", &JDK1_1InitArgs::enableClassGC},
    {"enableVerboseGC", &JDK1_1InitArgs::enableVerboseGC}, {"disableAsyncGC", &JDK1_1InitArgs::disableAsyncGC},
    {"verbose", &JDK1_1InitArgs::verbose}, {"debugPort", &JDK1_1InitArgs::debugPort}};

// Input: the elements after the program name, separated by '|'.
std::string RunOptions(const std::string& input)
{
    std::vector<std::string> elements = Split(input, '|');
    std::vector<char*> vector;
    for (std::string& element : elements)
        vector.push_back(&element[0]);
    vector.push_back(nullptr);
    char base[] = "base";
    JDK1_1InitArgs defaults{}, args{};
    for (size_t i = 0; i < std::size(kFields); ++i)
        defaults.*kFields[i].second = static_cast<jint>(100 + i);
    defaults.classpath = base;
    args = defaults;
    int argc = 100;
    char** argv = vector.data();
    int result = ParseLoaderOptions(&argc, &argv, &args);
    std::string out = Line("result " + std::to_string(result) + ", argv +" + std::to_string(argv - vector.data()) +
                           ", argc -" + std::to_string(100 - argc));
    for (const auto& field : kFields)
        if (args.*field.second != defaults.*field.second)
            out += Line(std::string(field.first) + " " + std::to_string(args.*field.second));
    if (args.classpath != base)
        out += Line("classpath " + Quote(args.classpath));
    if (JniPropertyList.entries != nullptr) {
        std::string line = "properties";
        for (int i = 0; i < JniPropertyList.count; ++i)
            line += " " + Quote(JniPropertyList.entries[i]);
        line += ", capacity " + std::to_string(JniPropertyList.capacity);
        TerminatePropertyList();
        out += Line(line + (JniPropertyList.entries[JniPropertyList.count] == nullptr ? ", terminated" : ""));
        std::free(JniPropertyList.entries);
        JniPropertyList = {0, nullptr, 0};
    }
    return out;
}

std::string RunSize(const std::string& input) { return Line(std::to_string(ParseSize(input.c_str()))); }

std::string RunVersion(const std::string& input)
{
    char unset[] = "unset";
    char *major = unset, *minor = unset, *micro = unset;
    int result = ParseVersion(input.c_str(), &major, &minor, &micro);
    return Line(std::to_string(result) + " " + Quote(major) + " " + Quote(minor) + " " + Quote(micro));
}

// Input: executable directory|java home ("-": none).
std::string RunArchive(const std::string& input)
{
    std::vector<std::string> parts = Split(input, '|');
    const char* found = FindSupportArchive(parts[1] == "-" ? nullptr : parts[1].c_str(), parts[0] == "-" ? nullptr : parts[0].c_str());
    return Line(found != nullptr ? "found " + Quote(found) : "not found");
}

// Input: size|first|second, where '~' stands for 0x81, a lead byte of code page 932. The path
// composed of both, the directory of first, and first formatted in code page 932, each into a
// buffer of that size that a guard byte follows.
std::string RunBounded(const std::string& input)
{
    std::vector<std::string> parts = Split(input + "||", '|');
    for (std::string& part : parts)
        std::replace(part.begin(), part.end(), '~', '\x81');
    size_t size = std::stoul(parts[0]);
    std::string out;
    for (const char* kind : {"compose", "directory", "format"}) {
        std::string buffer(size + 1, '#');
        size_t result = kind[0] == 'c' ? ComposePath(&buffer[0], size, parts[1].c_str(), parts[2].c_str())
                        : kind[0] == 'd' ? DirectoryOfPath(parts[1].c_str(), &buffer[0], size)
                                         : FormatBounded(&buffer[0], size, 932, "%s", parts[1].c_str());
        out += Line(kind + (" " + std::to_string(result)) + " " + Quote(buffer.c_str()) + (buffer[size] == '#' ? "" : ", written past the end"));
    }
    return out;
}

// A resource of the executable in English (United States).
const BYTE* Find(LPCSTR type, const std::string& id)
{
    HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(std::stoul(id)), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    return static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
}

unsigned Word(const BYTE* at) { return at[0] | at[1] << 8; }
unsigned Long(const BYTE* at) { return Word(at) | Word(at + 2) << 16; }

// A name or ordinal of a template at *at, which it steps over.
std::string NameOrOrdinal(const BYTE** at)
{
    std::string text;
    if (Word(*at) == 0xFFFF)
        text = "#" + std::to_string(Word(*at + 2)), *at += 4;
    else {
        for (; Word(*at) != 0; *at += 2)
            text += static_cast<char>(Word(*at));
        text = "\"" + text + "\"", *at += 2;
    }
    return text;
}

// A dialog template decoded: the dialog, then each control with its class, id, style, extended
// style, position and size in dialog units, text and the size of its creation data.
std::string RunDialog(const std::string& id)
{
    const BYTE* at = Find(RT_DIALOG, id);
    unsigned style = Long(at), count = Word(at + 8);
    std::string out = Format("style %08x, extended %x, %u controls, ", style, Long(at + 4), count) +
                      Format("at %u,%u size %ux%u", Word(at + 10), Word(at + 12), Word(at + 14), Word(at + 16));
    at += 18;
    std::string menu = NameOrOrdinal(&at);
    out = Line(out + ", menu " + menu + ", class " + NameOrOrdinal(&at));
    out += Line("caption " + NameOrOrdinal(&at));
    if (style & DS_SETFONT) {
        unsigned points = Word(at);
        at += 2;
        out += Line("font " + NameOrOrdinal(&at) + " " + std::to_string(points));
    }
    const char* classes[] = {"Button", "Edit", "Static", "ListBox", "ScrollBar", "ComboBox"};
    for (unsigned i = 0; i < count; ++i) {
        at += (4 - (reinterpret_cast<uintptr_t>(at) & 3)) & 3;
        const BYTE* item = at;
        at += 18;
        std::string kind = NameOrOrdinal(&at);
        kind = kind[0] == '#' ? classes[std::stoul(kind.substr(1)) - 0x80] : kind;
        std::string text = NameOrOrdinal(&at);
        out += Line(kind + " id " + std::to_string(static_cast<short>(Word(item + 16))) + Format(", style %08x, extended %x, ", Long(item), Long(item + 4)) +
                    Format("at %u,%u size %ux%u, text ", Word(item + 8), Word(item + 10), Word(item + 12), Word(item + 14)) +
                    text + ", data " + std::to_string(Word(at)));
        at += 2 + Word(at);
    }
    return out;
}

}  // namespace

std::string ReplayCases(const std::string& cases)
{
    using Runner = std::string (*)(const std::string&);
    const std::pair<std::string, Runner> kinds[] = {{"options", RunOptions}, {"size", RunSize}, {"version", RunVersion},
        {"archive", RunArchive}, {"bounded", RunBounded}, {"dialog", RunDialog}};
    std::istringstream lines(cases);
    std::string replayed;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("  ", 0) == 0)
            continue;
        replayed += line + "\n";
        size_t space = line.find(' ');
        for (const auto& kind : kinds) {
            if (kind.first == line.substr(0, space)) {
                LaunchLog = "";
                replayed += kind.second(space == std::string::npos ? "" : line.substr(space + 1));
                replayed += LaunchLog.IsEmpty() ? "" : Line("log " + Quote(LaunchLog));
            }
        }
    }
    return replayed;
}
