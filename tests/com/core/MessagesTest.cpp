#include <gtest/gtest.h>

#include "AllocFailure.h"
#include "ComJavaRunner.h"
#include "Messages.h"
#include "resource.h"

namespace {

const std::string kBanner = "Tarnwick Java Runtime Loader Version 4.79.1202\r\n"
                            "Copyright (C) Tarnwick Corp. All rights reserved.\r\n\n";
const char kHint[] = "\tVelkor must have a method of the following form to be run using Velkor:\r\n"
                     "\t\tpublic static void main(String args[])\r\n"
                     "\tIf Velkor is an applet, you must run it using a browser.";

// The system's own text for a code, OEM form, or "" when it has none.
std::string SystemText(HRESULT code)
{
    char text[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code), 0x0800, text,
                                  sizeof text, nullptr);
    return length != 0 ? OemText(text) : "";
}

std::string SystemError(ComJavaRunner& runner, HRESULT code, UINT id, const char* argument = nullptr)
{
    ClearLaunchLog();
    ReportSystemError(&runner, code, id, argument);
    return LogText();
}

char* g_argv[] = {const_cast<char*>("x.exe"), nullptr};

} // namespace

TEST(Messages, ReportersLogText)
{
    ComJavaRunner runner(1, g_argv);
    runner.className = runner.AllocText(6);
    lstrcpyA(runner.className, "Velkor");
    ClearLaunchLog();
    ReportMessage(&runner, 0, "100% done");
    runner.pauseOnError = 1;  // the same text, and no wait
    ReportMessage(&runner, IDS_INVALID_SWITCH, "/xyz");
    EXPECT_EQ(LogText(), "\r\nERROR: 100% done\n\r\nERROR: Invalid command line switch: /xyz\n");

    std::string fileNotFound = SystemText(0x80070002);
    ASSERT_NE(fileNotFound, "");
    EXPECT_EQ(SystemError(runner, 0x80070002, IDS_COULD_NOT_EXECUTE, "Velkor"),
              "\r\nERROR: Could not execute Velkor\n: " + fileNotFound + "\n\n");
    ASSERT_EQ(SystemText(0x8badf00d), "");
    EXPECT_EQ(SystemError(runner, 0x8badf00d, IDS_NO_JAVA_VM),
              "\r\nERROR: Could not locate Java Virtual Machine\n: SCODE 0x8badf00d: Error message unavailable.\n\n");

    // The hint for a missing main needs a system text for the code (Wine has none: no hint).
    std::string memberNotFound = SystemText(DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(SystemError(runner, DISP_E_MEMBERNOTFOUND, IDS_COULD_NOT_EXECUTE, "Velkor"),
              "\r\nERROR: Could not execute Velkor\n: " +
                  (memberNotFound.empty() ? "SCODE 0x80020003: Error message unavailable.\n\n"
                                          : memberNotFound + "\n" + kHint + "\n"));
    char hint[kMessageTextSize];
    MakeMemberHint("Velkor", hint, sizeof hint);
    EXPECT_STREQ(hint, kHint);
}

TEST(Messages, OverlongTextIsCutAtTheBufferEnd)
{
    ComJavaRunner runner(1, g_argv);
    std::string longArgument(3000, 'a');
    ClearLaunchLog();
    ReportMessage(&runner, IDS_INVALID_SWITCH, longArgument.c_str());
    EXPECT_EQ(LogText(), "\r\nERROR: " + ("Invalid command line switch: " + longArgument).substr(0, 2047) + "\n");
    char hint[kMessageTextSize];
    MakeMemberHint(std::string(600, 'K').c_str(), hint, sizeof hint);
    EXPECT_EQ(std::string(hint), "\t" + std::string(510, 'K'));

    // A double-byte character cut in two is dropped whole (code page 932).
    char cut[4];
    EXPECT_EQ(FormatBounded(cut, 3, 932, "%s", "a\x82\xa0\x82\xa0"), 1u);
    EXPECT_STREQ(cut, "a");
    EXPECT_EQ(FormatBounded(cut, 4, 932, "%s", "a\x82\xa0\x82\xa0"), 3u);
    EXPECT_EQ(FormatBounded(cut, 3, 437, "%s", "a\x82\xa0\x82\xa0"), 2u);
}

TEST(Messages, BannerAndUsageFromTheOwnResources)
{
    ClearLaunchLog();
    ShowBanner();
    EXPECT_EQ(LogText(), kBanner);
    ClearLaunchLog();
    AppendBanner(MAKELONG(2, 1), MAKELONG(4, 3));
    // Without version.dll from the given directory the banner shows zeros.
    DWORD ms = 1, ls = 1;
    EXPECT_FALSE(ReadOwnFileVersion("C:\\no-such-dir", &ms, &ls));
    EXPECT_FALSE(ReadOwnFileVersion(std::string(400, 'd').c_str(), &ms, &ls));
    AppendBanner(ms, ls);
    std::string versions = "Tarnwick Java Runtime Loader Version 1.02.0004\r\n" + kBanner.substr(48) +
                           "Tarnwick Java Runtime Loader Version 0.00.0000\r\n" + kBanner.substr(48);
    EXPECT_EQ(LogText(), versions);

    ComJavaRunner runner(1, g_argv);
    ClearLaunchLog();
    runner.ShowUsage();
    EXPECT_EQ(LogText(), kBanner + "\nUsage: Velkor [options] <classname> [arguments]\r\nOptions:\r\n"
                                   "    /?                 displays usage text\r\n"
                                   "    /cp <classpath>    set class path\r\n"
                                   "    /cp:p <path>       prepend path to class path\r\n"
                                   "    /cp:a <path>       append path to class path\r\n"
                                   "    /p                 pauses before terminating if an error occurs\r\n"
                                   "    /v                 verify all classes\r\n"
                                   "    /d:<name>=<value>  define system property\r\n"
                                   "Classname:\r\n    .CLASS file to be executed.\r\nArguments:\r\n"
                                   "    command-line arguments to be passed on to the class file\r\n");

    // version.dll is loaded at run time only: this program's import table does not name it.
    auto* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
        base + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; import->Name != 0; ++import)
        EXPECT_NE(lstrcmpiA(reinterpret_cast<const char*>(base + import->Name), "version.dll"), 0);
}
