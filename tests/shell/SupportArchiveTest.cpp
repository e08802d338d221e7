// FindSupportArchive against real folders: its two probes, their log lines, the shared buffer.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "LaunchLog.h"
#include "SupportArchive.h"

using velkor_e2e::Entry;
using velkor_e2e::InstallFolder;

namespace {

// Runs the locator and returns what it appended to the launch log.
std::string Logged(const char* javaHome, const char* exeDirectory, const char** result)
{
    int before = LaunchLog.GetLength();
    *result = FindSupportArchive(javaHome, exeDirectory);
    return std::string(static_cast<const char*>(LaunchLog) + before);
}

std::string Line(const std::string& path) { return "Did not find swingall.jar in " + path + "\r\n"; }

}  // namespace

TEST(SupportArchive, ProbesBesideTheExeThenTheRuntime)
{
    InstallFolder exeDir("exe_dir");
    InstallFolder home("java_home");
    home.Place("lib", Entry::Directory);
    std::string homePath = home.Path().substr(0, home.Path().size() - 1);  // no trailing separator
    const char* result = nullptr;

    // Neither place: two lines, null; without a home, one line; with neither argument, nothing.
    EXPECT_EQ(Logged(homePath.c_str(), exeDir.Path().c_str(), &result),
              Line(exeDir.Path() + "swingall.jar") + Line(homePath + "\\lib\\swingall.jar"));
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(Logged(nullptr, exeDir.Path().c_str(), &result), Line(exeDir.Path() + "swingall.jar"));
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(Logged(nullptr, nullptr, &result), "");
    EXPECT_EQ(result, nullptr);

    // Only in the runtime (a directory of that name counts): one line, the runtime's path.
    home.Place("lib\\swingall.jar", Entry::Directory);
    EXPECT_EQ(Logged(homePath.c_str(), exeDir.Path().c_str(), &result), Line(exeDir.Path() + "swingall.jar"));
    ASSERT_NE(result, nullptr);
    EXPECT_STREQ(result, (homePath + "\\lib\\swingall.jar").c_str());
    EXPECT_EQ(Logged(homePath.c_str(), nullptr, &result), "");
    EXPECT_STREQ(result, (homePath + "\\lib\\swingall.jar").c_str());

    // Beside the exe: found first, nothing logged; the next call overwrites the same buffer.
    exeDir.Place("swingall.jar", Entry::File);
    const char* first = nullptr;
    EXPECT_EQ(Logged(homePath.c_str(), exeDir.Path().c_str(), &first), "");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, (exeDir.Path() + "swingall.jar").c_str());
    EXPECT_EQ(Logged(homePath.c_str(), nullptr, &result), "");
    EXPECT_EQ(result, first);
    EXPECT_STREQ(first, (homePath + "\\lib\\swingall.jar").c_str());
}

// A probe path of 259 characters still fits the 260-byte buffer; one of 260 or more counts as
// not found, and its line names the whole path.
TEST(SupportArchive, OverlongProbesCountAsNotFound)
{
    const char* result = nullptr;
    InstallFolder fits("fits", 247);
    fits.Place("swingall.jar", Entry::File);
    EXPECT_EQ(Logged(nullptr, fits.Path().c_str(), &result), "");
    EXPECT_STREQ(result, (fits.Path() + "swingall.jar").c_str());

    InstallFolder tooLong("too_long", 248);
    tooLong.Place("swingall.jar", Entry::File);
    EXPECT_EQ(Logged(nullptr, tooLong.Path().c_str(), &result), Line(tooLong.Path() + "swingall.jar"));
    EXPECT_EQ(result, nullptr);

    std::string home(400, 'h');  // far beyond any buffer
    EXPECT_EQ(Logged(home.c_str(), nullptr, &result), Line(home + "\\lib\\swingall.jar"));
    EXPECT_EQ(result, nullptr);
}
