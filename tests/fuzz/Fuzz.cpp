// The loader's parsers and composers on generated inputs: a fault of the guarded heap or a stack
// canary ends the run; a few properties must hold for every input.
#include <cstring>
#include <string>

#include "ComJavaRunner.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"
#include "Messages.h"
#include "PathText.h"
#include "RuntimeDiscovery.h"
#include "SupportArchive.h"

static unsigned g_random = 1, g_passed, g_failed;
static unsigned Next() { return (g_random = g_random * 1103515245u + 12345u) >> 8; }
// Counts a check; the first 20 failures are shown.
static void Check(bool ok, const char* what) { (ok ? g_passed : g_failed)++ >= 20 || ok || std::printf("failed: %s\n", what); }

// The first 13 pieces begin options and switches of both grammars.
static const char* const kPieces[] = {"-D", "-cp", "-classpath", "-ss", "-oss", "-ms", "-mx", "/cp", "/cp:p", "/CP:A", "/d:", "-",
    "/", "=", "k", "M", "1", "4096", ".", ";", "\\", "\x81", "\x82\x5c", "\xe0;", "%s", " ", "nojit", "?", "a", "p", "v", "C:\\", "1.1", "1.22.7z"};

// Up to pieces pieces; now and then a long run of one byte, or any byte.
static std::string Text(unsigned pieces)
{
    std::string text;
    for (unsigned n = Next() % (pieces + 1), kind = 0; n > 0; --n, kind = Next() % 24) {
        text.append(kind == 0 ? Next() % 2200 : 0, Next() % 2 ? 'a' : '\x81');
        text += kind == 1 ? std::string(1, static_cast<char>(1 + Next() % 255)) : kPieces[Next() % std::size(kPieces)];
    }
    return text;
}

// A block of its own for each text, so that the guard page follows its terminator.
static char* Copy(const std::string& text) { return static_cast<char*>(std::memcpy(std::malloc(text.size() + 1), text.c_str(), text.size() + 1)); }
// Whether text is empty or ends with one of the bytes of ends.
static bool EndsIn(const char* text, const char* ends) { return *text == 0 || std::strchr(ends, text[std::strlen(text) - 1]) != nullptr; }
static bool StartsWith(const char* text, const std::string& start) { return std::strncmp(text, start.c_str(), start.size()) == 0; }
// Whether end is a character boundary of text in the code page.
static bool AtBoundary(const char* at, const char* end, WORD cp) { return at >= end ? at == end : AtBoundary(CharNextExA(cp, at, 0), end, cp); }

// Takes the text over.
static void OneText(char* text, char** list)
{
    char *major = nullptr, *minor = nullptr, *micro = nullptr;
    if (ParseVersion(text, &major, &minor, &micro) == 0)
        Check(std::string(major) + "." + minor + (micro != nullptr ? std::string(".") + micro : "") == text, "ParseVersion");
    std::free(major), std::free(minor), std::free(micro);
    Check(ParseSize(text) == -1 || EndsIn(text, "0123456789kKmM"), "ParseSize: what follows the number");
    size_t size = 1 + Next() % 600, length = std::strlen(text), codePage = Next() % 2 ? 932 : 1252;
    char* buffer = static_cast<char*>(std::malloc(size));
    size_t kept = FormatBounded(buffer, size, static_cast<UINT>(codePage), "%s", text);
    Check(kept == std::strlen(buffer) && StartsWith(text, buffer) && AtBoundary(text, text + kept, static_cast<WORD>(codePage)) &&
          (length < size ? kept == length : kept + 2 >= size), "FormatBounded: the whole characters that fit");
    bool composed = ComposePath(buffer, size, text, "swingall.jar");
    Check(composed == (length + 12 < size) && buffer == (composed ? text + std::string("swingall.jar") : ""), "ComposePath");
    if (DirectoryOfPath(text, buffer, size))
        Check(EndsIn(buffer, "\\/") && StartsWith(text, buffer) && AtBoundary(text, text + std::strlen(buffer) - 1, CP_ACP), "DirectoryOfPath");
    std::free(buffer);
    LaunchLog = "";
    ReportMessage(nullptr, 0, text);
    Check(LaunchLog.GetLength() < static_cast<int>(kMessageAreaSize + 16) && EndsIn(LaunchLog, "\n"), "ReportMessage: bounded");
    LaunchLog = "";
    if (FindSupportArchive(Next() % 4 ? text : nullptr, text) == nullptr)
        Check(StartsWith(LaunchLog, std::string("Did not find swingall.jar in ") + text + "swingall.jar\r\n"), "FindSupportArchive");
    ComJavaRunner(0, nullptr).AppendPath(list, text);
    Check(**list != 0 && EndsIn(*list, ";"), "AppendPath: every element ends with ';'");
    std::free(text);
}

// A vector of texts, more often than not options or switches, through both grammars.
static void OneVector(int count)
{
    char** vector = new char*[count + 2]{const_cast<char*>("Velkor")};
    for (int i = 1; i <= count; ++i)
        vector[i] = Copy((Next() % 4 != 0 ? kPieces[Next() % 13] : "") + Text(3));
    int argc = 100;
    char** argv = vector + 1;
    JDK1_1InitArgs args{};
    ParseLoaderOptions(&argc, &argv, &args);
    TerminatePropertyList();
    std::free(JniPropertyList.entries), JniPropertyList = {0, nullptr, 0};
    ComJavaRunner runner(count + 1, vector);
    Check(runner.ParseCommandLine() == 0 || EndsIn(runner.classPath, ";"), "ParseCommandLine: a path list");
    char* list = nullptr;
    for (int i = 1; i <= count; ++i)
        OneText(vector[i], &list);
    delete[] list, delete[] vector;
}

int main()
{
    const char *seed = std::getenv("VELKOR_FUZZ_SEED"), *count = std::getenv("VELKOR_FUZZ_COUNT");
    g_random = seed != nullptr ? std::strtoul(seed, nullptr, 10) : 1;
    Check(reinterpret_cast<uintptr_t>(new char[5] + 5) % 4096 == 0, "operator new takes the guarded heap");
    for (unsigned i = 0, n = count != nullptr ? std::strtoul(count, nullptr, 10) : 4000; i < n; ++i)
        OneVector(static_cast<int>(Next() % 13));
    std::printf("code page %u\n%u passed, %u failed\n", GetACP(), g_passed, g_failed);
    return g_failed != 0;
}
