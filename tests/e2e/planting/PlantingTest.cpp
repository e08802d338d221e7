// DLL planting: a loader double-clicked in a downloads folder must not load a DLL planted there.
// Wine prefers its own DLLs, so each case tells Wine to prefer a native DLL of the planted name
// (as Windows does for any DLL that is not one of its known system DLLs): a planted DLL that
// the loader let through would then really be loaded.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "E2eSupport.h"
#include "JniTestSupport.h"

using namespace velkor_e2e;

namespace {

std::string Argument(const char* prefix)
{
    std::string wanted = prefix;
    for (int i = 1; i < __argc; ++i) {
        std::string argument = __argv[i];
        if (argument.compare(0, wanted.size(), wanted) == 0)
            return WindowsPath(argument.substr(wanted.size()));
    }
    return std::string();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

class Planting : public testing::Test {
protected:
    Planting()
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft");
        exe = folder.CopyExe();
        folder.Place("Velkor.jar", Entry::File);
        planted = Argument("--planted=");
    }
    ~Planting() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\JavaSoft"); }

    RunOutcome Run(const std::string& overrides, const std::string& workingDirectory)
    {
        RunOptions options;
        options.workingDirectory = workingDirectory;
        options.environment = {{"VELKOR_PLANTED_MARKER", marker},
                               {"WINEDLLOVERRIDES", "mscoree,mshtml=;" + overrides + "=n,b"}};
        return RunLoader(exe, options);
    }

    InstallFolder folder{"planting"};
    InstallFolder downloads{"planting_cwd"};
    std::string exe;
    std::string planted;
    const std::string marker = downloads.Path() + "planted-was-loaded";
};

// The version information reader is the one non-system DLL the loader needs: it is taken from
// the system directory, never from beside the executable or the working directory.
TEST_F(Planting, VersionDllBesideTheExecutableOrInTheWorkingDirectoryIsNeverLoaded)
{
    ASSERT_FALSE(planted.empty());
    ASSERT_TRUE(CopyFileA(planted.c_str(), (folder.Path() + "version.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(planted.c_str(), (downloads.Path() + "version.dll").c_str(), FALSE));

    RunOutcome outcome = Run("version", downloads.Path());
    EXPECT_TRUE(outcome.dialogShown);  // no runtime and no swingall.jar: the full failure path ran
    EXPECT_TRUE(outcome.ended);
    EXPECT_FALSE(Exists(marker));
}

// A runtime library registered by bare name is looked for in the usual places, but no longer in
// the working directory the loader was started from.
TEST_F(Planting, RuntimeLibraryIsNotTakenFromTheWorkingDirectory)
{
    std::string runtimeKey = "Software\\JavaSoft\\Java Runtime Environment";
    std::string home = folder.Path() + "jre";
    folder.Place("jre", Entry::Directory);
    SetRegistryValue(HKEY_LOCAL_MACHINE, runtimeKey, "CurrentVersion", REG_SZ, "1.1", 4);
    SetRegistryValue(HKEY_LOCAL_MACHINE, runtimeKey + "\\1.1", "JavaHome", REG_SZ, home.c_str(),
                     static_cast<DWORD>(home.size() + 1));
    SetRegistryValue(HKEY_LOCAL_MACHINE, runtimeKey + "\\1.1", "RuntimeLib", REG_SZ, "velkorplant.dll", 16);
    ASSERT_TRUE(CopyFileA(planted.c_str(), (downloads.Path() + "velkorplant.dll").c_str(), FALSE));

    RunOutcome outcome = Run("velkorplant", downloads.Path());
    ASSERT_TRUE(outcome.dialogShown);
    const std::string expected = "Trying the Sun Java runtime...\r\n"
                                 "Could not load the Sun Java runtime library: velkorplant.dll\r\n";
    EXPECT_EQ(outcome.dialogText.substr(0, expected.size()), expected);
    EXPECT_FALSE(Exists(marker));
}

}  // namespace
