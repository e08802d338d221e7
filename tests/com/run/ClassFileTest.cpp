// A class argument given as a file path, resolved against real files in a scratch folder.
#include <gtest/gtest.h>

#include <string>

#include "E2eSupport.h"
#include "RunSupport.h"

using velkor_e2e::Entry;
using velkor_e2e::InstallFolder;

namespace {

const char kProgram[] = "C:\\Velkor\\Velkor.exe";
const char kReleased[] = "Released thread=main executor=ended\n";

// The record between the activation and the teardown: the Execute line.
std::string ExecutedClassAndPath(const RunOutcome& outcome)
{
    const std::string prefix = "CreateInstance\n";
    const std::string suffix = kReleased;
    const std::string& record = outcome.record;
    if (record.size() < prefix.size() + suffix.size() || record.compare(0, prefix.size(), prefix) != 0 ||
        record.compare(record.size() - suffix.size(), suffix.size(), suffix) != 0)
        return "unexpected record: " + record;
    return record.substr(prefix.size(), record.size() - prefix.size() - suffix.size());
}

TEST(ClassFile, FoundEntryBecomesTheClassAndItsDirectoryLeadsTheClassPath)
{
    InstallFolder scratch("class_file");
    std::string apps = scratch.Place("apps", Entry::Directory);
    scratch.Place("apps\\Foo.class", Entry::File);

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
    ASSERT_TRUE(SetCurrentDirectoryA(scratch.Path().c_str()));
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
    HANDLE file = CreateFileA(("C:\\" + name + ".class").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    RunOutcome outcome = RunWithStandIn({kProgram, "/cp", "lib", "C:\\" + name}, "");
    DeleteFileA(("C:\\" + name + ".class").c_str());
    EXPECT_EQ(ExecutedClassAndPath(outcome), ExecuteLine(name, "C:;lib;"));
}

TEST(ClassFile, PathsBeyondTheBufferAreLeftAsGiven)
{
    // A directory whose path, with its separator, is exactly 240 characters long.
    InstallFolder scratch("long_class_file", 240);
    std::string folder = scratch.Path().substr(0, 239);

    // A name whose full path is 254 characters still takes ".class" within 260 characters;
    // one character more does not, and the existing file is then not looked for.
    std::string fits = folder + "\\" + std::string(254 - 240, 'f');
    std::string tooLong = folder + "\\" + std::string(255 - 240, 'g');
    scratch.Place(std::string(254 - 240, 'f') + ".class", Entry::File);
    scratch.Place(std::string(255 - 240, 'g') + ".class", Entry::File);
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
