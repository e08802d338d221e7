#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "E2eSupport.h"
#include "JniTestSupport.h"
#include "RuntimeDiscovery.h"

namespace {

std::string Text(const char* field) { return field != nullptr ? field : "(null)"; }

std::string Describe(const JavaRuntimeInfo& info)
{
    return Text(info.javaHome) + "|" + Text(info.runtimeLib) + "|" + Text(info.classPath) + "|" +
           Text(info.compiler) + "|" + Text(info.majorVersion) + "." + Text(info.minorVersion) + "." +
           Text(info.microVersion);
}

// LocateRuntime's result and, on success, the record it filled.
std::string Locate()
{
    JavaRuntimeInfo info;
    return LocateRuntime(&info) == 0 ? Describe(info) : "failed";
}

const std::string kJre11 = std::string(kJreKey) + "\\1.1";
const std::string kJdk11 = std::string(kJdkKey) + "\\1.1";

}  // namespace

TEST(RuntimeDiscovery, VersionKeysAndTheDevelopmentKitFallback)
{
    ScratchMachineKey hklm;
    hklm.Set(kJreKey, "CurrentVersion", "1.1.7");
    hklm.Set(kJre11, "JavaHome", "C:\\jre");
    hklm.Set(kJre11, "MicroVersion", "6");
    hklm.Set(kJdk11, "JavaHome", "C:\\jdk");
    hklm.Set(kJdk11, "RuntimeLib", "C:\\jdk\\bin\\javai_g.dll");
    hklm.Set(kJdk11, "ClassPath", "C:\\jdk\\lib\\classes.zip");
    hklm.Set(kJdk11, "Compiler", "symcjit");
    hklm.Set(kJdk11, "MicroVersion", "7");
    EXPECT_EQ(Locate(), "C:\\jdk|C:\\jdk\\bin\\javai_g.dll|C:\\jdk\\lib\\classes.zip|symcjit|1.1.7");

    hklm.Set(kJdk11, "MicroVersion", "7 ");  // compared character for character
    EXPECT_EQ(Locate(), "failed");
    hklm.Set(kJre11, "MicroVersion", "7");
    EXPECT_EQ(Locate(),
              "C:\\jre|C:\\jre\\bin\\javai.dll|C:\\jre\\lib\\rt.jar;C:\\jre\\lib\\i18n.jar;C:\\jre\\lib\\classes.zip;"
              "C:\\jre\\classes;|(null)|1.1.7");

    // Without a micro part any MicroVersion is accepted; the subkey never names the micro part.
    hklm.Set(kJreKey, "CurrentVersion", "1.1");
    hklm.Set(kJre11, "MicroVersion", "8");
    EXPECT_EQ(Locate(), "C:\\jre|C:\\jre\\bin\\javai.dll|C:\\jre\\lib\\rt.jar;C:\\jre\\lib\\i18n.jar;"
                        "C:\\jre\\lib\\classes.zip;C:\\jre\\classes;|(null)|1.1.8");
    hklm.Set(kJre11, "JavaHome", "C:\\jre", REG_EXPAND_SZ);  // a home of the wrong type is missing
    EXPECT_EQ(Locate(), "C:\\jdk|C:\\jdk\\bin\\javai_g.dll|C:\\jdk\\lib\\classes.zip|symcjit|1.1.7 ");

    // A value of several kilobytes: no fixed buffer in the way.
    std::string longHome = "C:\\" + std::string(5000, 'j');
    hklm.Set(kJre11, "JavaHome", longHome);
    JavaRuntimeInfo info;
    ASSERT_EQ(LocateRuntime(&info), 0);
    EXPECT_EQ(Text(info.runtimeLib), longHome + "\\bin\\javai.dll");
}

TEST(RuntimeDiscovery, RefusedRegistryLayouts)
{
    ScratchMachineKey hklm;
    hklm.Set(kJdkKey, "CurrentVersion", "1.1");
    hklm.Set(kJdk11, "JavaHome", "C:\\jdk");
    EXPECT_EQ(Locate(), "failed") << "the development kit key alone";

    hklm.Set(kJreKey, "CurrentVersion", "1.1", REG_EXPAND_SZ);
    EXPECT_EQ(Locate(), "failed");
    hklm.SetNumber(kJreKey, "CurrentVersion", 0x11);
    EXPECT_EQ(Locate(), "failed");
    hklm.Set(kJreKey, "CurrentVersion", "1.1");
    EXPECT_EQ(Locate(), "C:\\jdk|C:\\jdk\\bin\\javai.dll|C:\\jdk\\lib\\rt.jar;C:\\jdk\\lib\\i18n.jar;"
                        "C:\\jdk\\lib\\classes.zip;C:\\jdk\\classes;|(null)|1.1.(null)");
    hklm.Remove(kJdk11);
    for (const char* name : {"RuntimeLib", "ClassPath", "Compiler", "MicroVersion"})
        hklm.Set(kJre11, name, "x");
    EXPECT_EQ(Locate(), "failed") << "no JavaHome";
    hklm.Set(kJreKey, "CurrentVersion", "1.1.7");
    hklm.Remove(kJre11);
    hklm.Set(kJre11, "JavaHome", "C:\\jre");
    EXPECT_EQ(Locate(), "failed") << "1.1.7 wants a MicroVersion";
}

TEST(RuntimeDiscovery, VersionGrammar)
{
    for (auto [text, parts] : {std::pair{"1.1", "1|1|-"}, {"1.1.7", "1|1|7"}, {"1.2.2rc", "1|2|2rc"},
                               {"01.10", "01|10|-"}}) {
        char* major = nullptr;
        char* minor = nullptr;
        char* micro = nullptr;
        ASSERT_EQ(ParseVersion(text, &major, &minor, &micro), 0) << text;
        EXPECT_EQ(Text(major) + "|" + Text(minor) + "|" + (micro ? micro : "-"), parts);
    }
    for (const char* text : {"1", "1.", "1.1.", "1.1.7_01", "r1.1", " 1.1", "1.1 ", ".1", "1..1", "1.1.7.1", ""}) {
        char* major = nullptr;
        char* minor = nullptr;
        char* micro = nullptr;
        EXPECT_EQ(ParseVersion(text, &major, &minor, &micro), -1) << text;
    }
}

// The executable's own location: a copy of the probe in each folder prints what it derived.
TEST(RuntimeDiscovery, HomeFromTheExecutablesBinFolder)
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string probe = std::string(self, std::strrchr(self, '\\') + 1) + "jni_exe_location_probe.exe";
    velkor_e2e::InstallFolder folder("bin_rules");
    const std::string root = folder.Path().substr(0, folder.Path().size() - 1);
    const std::string output = root + "\\probe.txt";
    auto run = [&](const std::string& directory) {
        CreateDirectoryA(directory.c_str(), nullptr);
        std::string exe = directory + "\\probe.exe";
        CopyFileA(probe.c_str(), exe.c_str(), FALSE);
        DeleteFileA(output.c_str());
        velkor_e2e::RunOptions options;
        options.commandLine = "probe.exe \"" + output + "\"";
        velkor_e2e::RunOutcome outcome = velkor_e2e::RunLoader(exe, options);
        EXPECT_TRUE(outcome.ended);
        return FileText(output);
    };
    // Names differing only in case are one folder, hence a parent for each.
    const std::string one = root + "\\one", two = root + "\\two";
    CreateDirectoryA(one.c_str(), nullptr);
    CreateDirectoryA(two.c_str(), nullptr);
    EXPECT_EQ(run(one + "\\bin"), one + "|" + one + "\\bin\\javai.dll|" + one + "\\lib\\rt.jar;" + one +
                                      "\\lib\\i18n.jar;" + one + "\\lib\\classes.zip;" + one +
                                      "\\classes;|(null)|(null).(null).(null)");
    std::string upper = two + "|" + two + "\\bin\\javai.dll|";
    EXPECT_EQ(run(two + "\\BIN").substr(0, upper.size()), upper);
    EXPECT_EQ(run(root + "\\sbin"), "failed");
    EXPECT_EQ(run(root + "\\bin2"), "failed");
    EXPECT_EQ(run(one + "\\bin\\sub"), "failed");
    // Directly below a drive root, the home is the bare drive.
    std::string driveBin = "C:\\bin";
    bool madeDriveBin = CreateDirectoryA(driveBin.c_str(), nullptr) != 0;
    EXPECT_EQ(run(driveBin).substr(0, 20), "C:|C:\\bin\\javai.dll|");
    DeleteFileA((driveBin + "\\probe.exe").c_str());
    if (madeDriveBin)
        RemoveDirectoryA(driveBin.c_str());
}
