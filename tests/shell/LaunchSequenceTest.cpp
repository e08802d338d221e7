// The launch sequence run in this process, with the test launchers: what it logs, which
// launcher it calls with which vector, and when the failure dialog shows.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "DialogWatcher.h"
#include "ExeDirectory.h"
#include "LaunchLog.h"
#include "LoaderApp.h"
#include "TestLaunchers.h"

namespace {

std::string ThisExeDirectory()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string text = path;
    return text.substr(0, text.find_last_of('\\') + 1);
}

// A file or folder beside this test program for the length of one test.
class BesideExe {
public:
    BesideExe(const char* name, bool directory) : path(ThisExeDirectory() + name), directory(directory)
    {
        bool made = directory ? CreateDirectoryA(path.c_str(), nullptr) != FALSE
                              : CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (!made)
            ADD_FAILURE() << "cannot make " << path;
    }
    ~BesideExe() { directory ? RemoveDirectoryA(path.c_str()) : DeleteFileA(path.c_str()); }

private:
    std::string path;
    bool directory;
};

struct Launch {
    std::string logged;  // what this launch appended to the launch log
    int dialogs = 0;
    std::string dialogText;
};

Launch RunLaunchSequence(velkor_e2e::CloseBy how = velkor_e2e::CloseBy::Ok)
{
    int before = LaunchLog.GetLength();
    DialogWatcher watcher(how);
    CLoaderApp app;
    EXPECT_FALSE(app.InitInstance());
    watcher.Stop();
    EXPECT_EQ(ExeDirectory, nullptr) << "ExeDirectory stays published after the launch";
    Launch launch;
    launch.logged = std::string(static_cast<const char*>(LaunchLog) + before);
    launch.dialogs = watcher.dialogsSeen;
    launch.dialogText = watcher.text;
    return launch;
}

class LaunchSequence : public testing::Test {
protected:
    void SetUp() override { ResetLaunchers(); }
    const std::string dir = ThisExeDirectory();
    const std::string program = __argv[0];
    const std::string sunLine = "Trying the Sun Java runtime...\r\n";
    const std::string comLine = "Trying the Mircosoft Java runtime...\r\n";
    const std::string catchAll = "Caught an unhandled exception";
};

}  // namespace

TEST_F(LaunchSequence, MissingJarShowsTheDialogAndTriesNoRuntime)
{
    BesideExe archive("swingall.jar", false);
    Launch launch = RunLaunchSequence(velkor_e2e::CloseBy::Escape);
    EXPECT_EQ(launch.logged, "Velkor.jar was not in the same directory as " + program + "\r\n" + catchAll);
    EXPECT_EQ(launch.dialogs, 1);
    EXPECT_EQ(launch.dialogText, std::string(LaunchLog)) << "the dialog shows the whole log";
    EXPECT_TRUE(JniLauncher.calls.empty());
    EXPECT_TRUE(ComLauncher.calls.empty());
}

// The Sun attempt returns: no COM attempt, no dialog, whatever the launcher logged. The vector
// holds five writable elements and its null entry; ExeDirectory is published meanwhile.
TEST_F(LaunchSequence, SunAttemptThatReturnsEndsTheLaunch)
{
    BesideExe jar("Velkor.jar", true);
    JniLauncher.reason = "application failed\r\n";
    Launch launch = RunLaunchSequence();
    EXPECT_EQ(launch.logged, sunLine + "application failed\r\n");
    EXPECT_EQ(launch.dialogs, 0);
    ASSERT_EQ(JniLauncher.calls.size(), 1u);
    const LauncherCall& call = JniLauncher.calls[0];
    EXPECT_EQ(call.argc, 5);
    EXPECT_EQ(call.argv, (std::vector<std::string>{program, "-cp", dir + "Velkor.jar", "-Dvelkor.home=" + dir, "Velkor"}));
    EXPECT_TRUE(call.nullTerminated);
    EXPECT_TRUE(call.allWritable);
    EXPECT_EQ(call.exeDirectory, dir);
    EXPECT_TRUE(ComLauncher.calls.empty());
}

// Any integer from the Sun attempt leads to the COM attempt; when the COM launcher returns,
// whatever it logged and returned, there is no dialog.
TEST_F(LaunchSequence, IntegerFromSunAttemptFallsBackToCom)
{
    BesideExe jar("Velkor.jar", false);
    BesideExe archive("swingall.jar", false);
    for (LauncherEnd sunEnd : {LauncherEnd::ThrowOne, LauncherEnd::ThrowInteger7}) {
        ResetLaunchers();
        JniLauncher.end = sunEnd;
        JniLauncher.reason = "Could not locate Sun Java runtime\r\n";
        ComLauncher.reason = "\r\nERROR: Could not locate Java Virtual Machine\n";
        Launch launch = RunLaunchSequence();
        EXPECT_EQ(launch.logged, sunLine + JniLauncher.reason + comLine + ComLauncher.reason);
        EXPECT_EQ(launch.dialogs, 0);
        ASSERT_EQ(ComLauncher.calls.size(), 1u);
        const LauncherCall& call = ComLauncher.calls[0];
        EXPECT_EQ(call.argc, 7);
        EXPECT_EQ(call.argv, (std::vector<std::string>{program, "/cp", dir + "Velkor.jar", "/cp", dir + "swingall.jar",
                                                       "/d:velkor.home=" + dir, "Velkor"}));
        EXPECT_TRUE(call.nullTerminated);
        EXPECT_TRUE(call.allWritable);
        EXPECT_EQ(call.exeDirectory, dir);
    }
}

// The COM attempt without swingall.jar beside the exe: one locator line, no COM call, dialog.
// An integer thrown by the COM launcher also ends in the dialog, without the catch-all line.
TEST_F(LaunchSequence, FailedComAttemptShowsTheDialog)
{
    BesideExe jar("Velkor.jar", false);
    JniLauncher.end = LauncherEnd::ThrowOne;
    JniLauncher.reason = "Could not locate Sun Java runtime\r\n";
    Launch launch = RunLaunchSequence(velkor_e2e::CloseBy::CloseBox);
    EXPECT_EQ(launch.logged,
              sunLine + JniLauncher.reason + comLine + "Did not find swingall.jar in " + dir + "swingall.jar\r\n");
    EXPECT_EQ(launch.dialogs, 1);
    EXPECT_EQ(launch.dialogText, std::string(LaunchLog));
    EXPECT_TRUE(ComLauncher.calls.empty());

    BesideExe archive("swingall.jar", true);
    ComLauncher.end = LauncherEnd::ThrowOne;
    ComLauncher.reason = "com failed\r\n";
    launch = RunLaunchSequence();
    EXPECT_EQ(launch.logged, sunLine + JniLauncher.reason + comLine + "com failed\r\n");
    EXPECT_EQ(launch.dialogs, 1);
}

// A non-integer exception from either attempt reaches the catch-all: no further attempt.
TEST_F(LaunchSequence, OtherExceptionsReachTheCatchAll)
{
    BesideExe jar("Velkor.jar", false);
    BesideExe archive("swingall.jar", false);
    JniLauncher.end = LauncherEnd::ThrowOther;
    Launch launch = RunLaunchSequence();
    EXPECT_EQ(launch.logged, sunLine + catchAll);
    EXPECT_EQ(launch.dialogs, 1);
    EXPECT_TRUE(ComLauncher.calls.empty());

    ResetLaunchers();
    JniLauncher.end = LauncherEnd::ThrowOne;
    ComLauncher.end = LauncherEnd::ThrowOther;
    launch = RunLaunchSequence();
    EXPECT_EQ(launch.logged, sunLine + comLine + catchAll);
    EXPECT_EQ(launch.dialogs, 1);
}
