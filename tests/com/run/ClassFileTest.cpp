// A class argument given as a file path, resolved against real files in a scratch folder.
#include <gtest/gtest.h>

#include <string>

#include "RunSupport.h"

namespace {

const char kProgram[] = "C:\\Velkor\\Velkor.exe";
const char kReleased[] = "Released thread=main executor=ended\n";

std::wstring Wide(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        wide[i] = static_cast<unsigned char>(text[i]);
    return wide;
}

// The wide file functions with \\?\ take paths past 260 characters.
std::wstring LongPath(const std::string& path) { return L"\\\\?\\" + Wide(path); }

void MakeFile(const std::string& path)
{
    HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    CloseHandle(file);
}

void MakeFolder(const std::string& path) { ASSERT_TRUE(CreateDirectoryW(LongPath(path).c_str(), nullptr)) << path; }

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(folder + L"\\" + name);
            else
                DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A fresh folder under the temporary directory (a C:\ path), removed at the end.
class ScratchFolder {
public:
    ScratchFolder()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        char full[MAX_PATH];
        GetLongPathNameA(temp, full, sizeof full);
        path = std::string(full) + "velkor_comrun_" + std::to_string(GetCurrentProcessId());
        RemoveTree(LongPath(path));
        MakeFolder(path);
    }
    ~ScratchFolder() { RemoveTree(LongPath(path)); }
    std::string path;  // without a trailing backslash
};

std::string ExecutedClassAndPath(const RunOutcome& outcome)
{
    const std::string prefix = "CreateInstance\n";
    if (outcome.record.compare(0, prefix.size(), prefix) != 0 ||
        outcome.record.size() < prefix.size() + sizeof kReleased - 1)
        return "unexpected record: " + outcome.record;
    return outcome.record.substr(prefix.size(), outcome.record.size() - prefix.size() - (sizeof kReleased - 1));
}

TEST(ClassFile, FoundEntryBecomesTheClassAndItsDirectoryLeadsTheClassPath)
{
    ScratchFolder scratch;
    std::string apps = scratch.path + "\\apps";
    MakeFolder(apps);
    MakeFile(apps + "\\Foo.class");

    struct Case {
        std::string argument;
        std::vector<std::string> classPath;  // the "/cp" switches, if any
        std::string executes;
    };
    const Case cases[] = {
        // Found only with ".class" appended; the entry's own name is used, then cut.
        {apps + "\\Foo", {}, ExecuteLine("Foo", apps)},
        {apps + "\\foo", {"lib"}, ExecuteLine("Foo", apps + ";lib;")},
        {apps + "\\Foo.class", {"a;", "b"}, ExecuteLine("Foo", apps + ";a;b;")},
        // A wildcard resolves to the first entry the search reports.
        {apps + "\\F*", {}, ExecuteLine("Foo", apps)},
        // Nothing there, with or without ".class": the argument goes on, cut as usual.
        {apps + "\\Missing.class", {"lib"}, ExecuteLine(apps + "\\Missing", "lib;")},
        {apps + "\\Missing", {}, ExecuteLine(apps + "\\Missing", "")},
        // A path that ends in a separator names no file.
        {apps + "\\", {}, ExecuteLine(apps + "\\", "")},
    };
    for (const Case& c : cases) {
        std::vector<std::string> elements = {kProgram};
        for (const std::string& path : c.classPath) {
            elements.push_back("/cp");
            elements.push_back(path);
        }
        elements.push_back(c.argument);
        ArgVector args(elements);
        RunOutcome outcome = RunWithStandIn(args, "");
        EXPECT_EQ(outcome.result, 0) << c.argument;
        EXPECT_EQ(ExecutedClassAndPath(outcome), c.executes) << c.argument;
        EXPECT_EQ(outcome.log, "") << c.argument;
    }

    // A relative path is resolved against the current directory.
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.path.c_str()));
    RunOutcome outcome = RunWithStandIn({kProgram, "apps\\Foo.class"}, "");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine("Foo", apps));

    // Without memory for the full path the argument goes on as given, after the report.
    FailNothrowAllocationsOf(261);
    outcome = RunWithStandIn({kProgram, apps + "\\Foo.class"}, "");
    FailNothrowAllocationsOf(0);
    EXPECT_EQ(outcome.log, "\r\nERROR: Out of memory\n");
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(apps + "\\Foo", ""));
}

TEST(ClassFile, FileInADriveRootPutsTheBareDriveOnTheClassPath)
{
    std::string name = "velkor_comrun_root_" + std::to_string(GetCurrentProcessId());
    MakeFile("C:\\" + name + ".class");
    RunOutcome outcome = RunWithStandIn({kProgram, "/cp", "lib", "C:\\" + name}, "");
    DeleteFileA(("C:\\" + name + ".class").c_str());
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(name, "C:;lib;"));
}

TEST(ClassFile, PathsBeyondTheBufferAreLeftAsGiven)
{
    ScratchFolder scratch;
    // Nested folders up to a directory whose path, with its separator, is exactly 240 long.
    std::string folder = scratch.path;
    while (folder.size() + 1 < 240) {
        size_t room = 240 - folder.size() - 2;
        folder += "\\" + std::string(room < 40 ? room : 40, 'd');
        MakeFolder(folder);
    }
    ASSERT_EQ(folder.size() + 1, 240u);

    // A name whose full path is 254 characters still takes ".class" within 260 characters;
    // one character more does not, and the existing file is then not looked for.
    std::string fits = folder + "\\" + std::string(254 - 240, 'f');
    std::string tooLong = folder + "\\" + std::string(255 - 240, 'g');
    MakeFile(fits + ".class");
    MakeFile(tooLong + ".class");
    RunOutcome outcome = RunWithStandIn({kProgram, fits}, "");
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(std::string(254 - 240, 'f'), folder));
    long overruns = BufferOverruns();
    outcome = RunWithStandIn({kProgram, tooLong}, "");
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(tooLong, ""));
    EXPECT_EQ(outcome.log, "");
    EXPECT_EQ(BufferOverruns(), overruns);

    // A full path longer than 260 characters, given whole or formed from the current
    // directory, is not resolved.
    std::string overlong = folder + "\\" + std::string(30, 'h') + "\\Foo";
    outcome = RunWithStandIn({kProgram, overlong}, "");
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(overlong, ""));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    outcome = RunWithStandIn({kProgram, std::string(30, 'h') + "\\Foo"}, "");
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(std::string(30, 'h') + "\\Foo", ""));
}

}  // namespace
