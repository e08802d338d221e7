// The launch sequence seen from outside: the real executable in a fresh install folder.
#include <gtest/gtest.h>

#include "E2eSupport.h"

using namespace velkor_e2e;

namespace {

const char kCatchAll[] = "Caught an unhandled exception";

std::string MissingJarText(const std::string& program)
{
    return "Velkor.jar was not in the same directory as " + program + "\r\n" + kCatchAll;
}

RunOptions CommandLine(const std::string& commandLine, const std::string& directory = std::string())
{
    RunOptions options;
    options.commandLine = commandLine;
    options.workingDirectory = directory;
    return options;
}

}  // namespace

// argv[0] is reported as the command line gave it: quoted full path, bare name, no extension,
// relative path; further arguments change nothing; every way of closing ends the process.
TEST(LaunchEndToEnd, MissingJarShowsTheDialogWithArgvZero)
{
    InstallFolder folder("missing_jar");
    std::string exe = folder.CopyExe();
    folder.Place("swingall.jar", Entry::File);
    folder.Place("sub", Entry::Directory);

    struct Case {
        std::string commandLine;
        std::string directory;
        std::string program;
        CloseBy how;
    } cases[] = {
        {"\"" + exe + "\"", "", exe, CloseBy::Ok},
        {"Velkor.exe", folder.Path(), "Velkor.exe", CloseBy::Escape},
        {"Velkor", folder.Path(), "Velkor", CloseBy::CloseBox},
        {"..\\Velkor.exe -cp x /d:a=b Other", folder.Path() + "sub", "..\\Velkor.exe", CloseBy::Ok},
        {"\"Vel kor\" Velkor.jar", folder.Path(), "Vel kor", CloseBy::Escape},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        RunOutcome outcome = RunLoader(exe, CommandLine(c.commandLine, c.directory), c.how);
        EXPECT_TRUE(outcome.dialogShown);
        EXPECT_EQ(outcome.dialogText, MissingJarText(c.program));
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.exitCode, 0u);
    }
}

// A directory named Velkor.jar passes the check; with swingall.jar beside the exe the COM
// launcher is called, which returns, so the process ends by itself without a dialog.
TEST(LaunchEndToEnd, JarDirectoryPassesAndALaunchThatReturnsShowsNothing)
{
    InstallFolder folder("jar_directory");
    std::string exe = folder.CopyExe();
    folder.Place("Velkor.jar", Entry::Directory);
    folder.Place("swingall.jar", Entry::Directory);

    for (const char* extra : {"", " Velkor.jar -x"}) {
        RunOutcome outcome = RunLoader(exe, CommandLine("\"" + exe + "\"" + extra));
        EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
        EXPECT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.exitCode, 0u);
    }
}

// No Java runtime in this prefix and no swingall.jar beside the exe: both attempts are logged
// and the dialog ends with the locator's line. At 249 characters the folder still leaves room
// for the jar path (259), but not for the swingall.jar path (261), which counts as absent and
// is named whole in the log.
TEST(LaunchEndToEnd, NoSupportArchiveShowsBothAttempts)
{
    const std::string sunReason = "Could not locate Sun Java runtime\r\n";
    for (size_t length : {size_t(0), size_t(249)}) {
        SCOPED_TRACE(length);
        InstallFolder folder("no_support_archive", length);
        std::string exe = folder.CopyExe();
        folder.Place("Velkor.jar", Entry::File);
        if (length != 0)
            folder.Place("swingall.jar", Entry::File);
        RunOutcome outcome = RunLoader(exe, CommandLine("\"" + exe + "\" extra"));
        EXPECT_TRUE(outcome.dialogShown);
        EXPECT_EQ(outcome.dialogText, "Trying the Sun Java runtime...\r\n" + sunReason +
                                          "Trying the Mircosoft Java runtime...\r\n"
                                          "Did not find swingall.jar in " +
                                          folder.Path() + "swingall.jar\r\n");
        EXPECT_TRUE(outcome.ended);
    }
}

// A folder of 252 characters: V.exe still fits (257), Velkor.jar does not (262), so the jar
// counts as absent although it is there.
TEST(LaunchEndToEnd, JarPathTooLongCountsAsAbsent)
{
    InstallFolder folder("overlong", 252);
    ASSERT_EQ(folder.Path().size(), 252u);
    std::string exe = folder.CopyExe("V.exe");
    folder.Place("Velkor.jar", Entry::File);
    folder.Place("swingall.jar", Entry::File);
    RunOutcome outcome = RunLoader(exe, CommandLine("\"" + exe + "\""));
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, MissingJarText(exe));
    EXPECT_TRUE(outcome.ended);
}

// Code page 932 (run a second time with LC_ALL=ja_JP.UTF-8): an exe named with a double-byte
// character whose trail byte is 0x5C keeps its real directory, so Velkor.jar is found there.
TEST(LaunchEndToEnd, DoubleByteExeNameKeepsItsDirectory)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs code page 932";
    InstallFolder folder("double_byte");
    std::string exe = folder.CopyExe("\x95\x5C.exe");
    folder.Place("Velkor.jar", Entry::File);
    RunOutcome outcome = RunLoader(exe, CommandLine("\"" + exe + "\""));
    EXPECT_TRUE(outcome.dialogShown);
    EXPECT_EQ(outcome.dialogText, "Trying the Sun Java runtime...\r\nCould not locate Sun Java runtime\r\n"
                                  "Trying the Mircosoft Java runtime...\r\nDid not find swingall.jar in " +
                                      folder.Path() + "swingall.jar\r\n");
}
