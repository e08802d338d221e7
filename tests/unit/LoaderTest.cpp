// The JNI launcher's option grammar, sizes and version texts, and the support archive locator.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <vector>

#include "Cases.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"
#include "RuntimeDiscovery.h"
#include "SupportArchive.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    for (size_t at = 0; !text.empty() && at <= text.size();) {
        size_t end = text.find(separator, at);
        end = end == std::string::npos ? text.size() : end;
        parts.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return parts;
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
    defaults.debugging = 7;
    args = defaults;
    std::free(JniPropertyList.entries);
    JniPropertyList = {0, nullptr, 0};
    LaunchLog = "";

    int argc = 100;
    char** argv = vector.data();
    int result = ParseLoaderOptions(&argc, &argv, &args);
    std::string out = Line("result " + std::to_string(result) + ", argv +" + std::to_string(argv - vector.data()) +
                           ", argc -" + std::to_string(100 - argc));
    for (const auto& field : kFields) {
        if (args.*field.second != defaults.*field.second)
            out += Line(std::string(field.first) + " " + std::to_string(args.*field.second));
    }
    if (args.properties != nullptr || args.vfprintf != nullptr || args.exit != nullptr || args.abort != nullptr ||
        args.debugging != 7)
        out += Line("a field that no option sets has changed");
    if (args.classpath != base) {
        std::string owner = "new";
        for (size_t i = 0; i < elements.size(); ++i)
            owner = args.classpath == vector[i] ? "element " + std::to_string(i) : owner;
        out += Line("classpath " + Quote(args.classpath) + " (" + owner + ")");
    }
    if (JniPropertyList.entries != nullptr) {
        std::string line = "properties";
        for (int i = 0; i < JniPropertyList.count; ++i)
            line += " " + Quote(JniPropertyList.entries[i]);
        line += ", capacity " + std::to_string(JniPropertyList.capacity);
        TerminatePropertyList();
        out += Line(line + (JniPropertyList.entries[JniPropertyList.count] == nullptr ? ", terminated" : ""));
    }
    return out + (LaunchLog.IsEmpty() ? "" : Line("log " + Quote(LaunchLog)));
}

std::string RunSize(const std::string& input) { return Line(std::to_string(ParseSize(input.c_str()))); }

std::string RunVersion(const std::string& input)
{
    char unset[] = "unset";
    char *major = unset, *minor = unset, *micro = unset;
    int result = ParseVersion(input.c_str(), &major, &minor, &micro);
    return Line(std::to_string(result) + " " + Quote(major) + " " + Quote(minor) + " " + Quote(micro));
}

// Input: executable directory|java home|paths to create ("-": none; a trailing '\' makes a folder).
std::string RunArchive(const std::string& input)
{
    std::vector<std::string> parts = Split(input, '|');
    for (const std::string& path : Split(parts[2], ',')) {
        for (size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        if (path != "-" && path.back() != '\\')
            CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
    LaunchLog = "";
    const char* found = FindSupportArchive(parts[1] == "-" ? nullptr : parts[1].c_str(),
                                           parts[0] == "-" ? nullptr : parts[0].c_str());
    return Line(found != nullptr ? "found " + Quote(found) : "not found") + Line("log " + Quote(LaunchLog));
}

}  // namespace

TEST(Loader, CaseFile)
{
    std::string cases = ReadCaseFile("loader.txt");
    EXPECT_EQ(cases, Replay(cases, {{"options", RunOptions}, {"size", RunSize}, {"version", RunVersion},
                                    {"archive", RunArchive}}));
}
