// The Sun runtime attempt of the real executable, against a runtime registered in the
// prefix's HKEY_LOCAL_MACHINE (the same registry view as Velkor.exe's) and the stand-in javai.dll.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <string>

#include "E2eSupport.h"
#include "JniTestSupport.h"

using namespace velkor_e2e;

namespace {

const char kJavaSoft[] = "Software\\JavaSoft";
const char* const kRuntimeKey = kJreKey;
const auto StandIn = StandInLibrary;

void SetValue(const std::string& keyPath, const char* name, const std::string& text)
{
    SetRegistryValue(HKEY_LOCAL_MACHINE, keyPath, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

// An install folder with Velkor.jar and the exe, a runtime home "jre" with swingall.jar in its
// lib folder, and that runtime registered as version 1.1; the registration goes at the end.
class JniEndToEnd : public testing::Test {
protected:
    JniEndToEnd()
    {
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft);
        exe = folder.CopyExe();
        folder.Place("Velkor.jar", Entry::File);
        folder.Place("jre", Entry::Directory);
        folder.Place("jre\\bin", Entry::Directory);
        folder.Place("jre\\lib", Entry::Directory);
        folder.Place("jre\\lib\\swingall.jar", Entry::File);
        SetValue(kRuntimeKey, "CurrentVersion", "1.1");
        SetValue(std::string(kRuntimeKey) + "\\1.1", "JavaHome", home);
        CopyFileA(StandIn("full").c_str(), (home + "\\bin\\javai.dll").c_str(), FALSE);
    }
    ~JniEndToEnd() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft); }

    RunOutcome Run(std::vector<std::pair<std::string, std::string>> environment = {})
    {
        DeleteFileA(record.c_str());
        RunOptions options;
        options.environment = std::move(environment);
        options.environment.emplace_back("JAVAI_RECORD", record);
        return RunLoader(exe, options);
    }

    InstallFolder folder{"jni_e2e"};
    std::string exe;
    const std::string home = folder.Path() + "jre";
    const std::string record = folder.Path() + "record.txt";
};

}  // namespace

TEST_F(JniEndToEnd, StartsVelkorWithTheCompletedRecord)
{
    // The registered library path and compiler are used; the class path is the runtime's default.
    std::string library = folder.Place("rt", Entry::Directory) + "\\javai.dll";
    CopyFileA(StandIn("full").c_str(), library.c_str(), FALSE);
    SetValue(std::string(kRuntimeKey) + "\\1.1", "RuntimeLib", library);
    SetValue(std::string(kRuntimeKey) + "\\1.1", "Compiler", "symcjit");
    folder.Place("swingall.jar", Entry::File);
    RunOutcome outcome = Run();
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_TRUE(outcome.ended);
    const std::string& dir = folder.Path();
    EXPECT_EQ(FileText(record), "defaults version=0x00010001\n"
                                "create version=0x00010001\n"
                                "classpath=" + dir + "swingall.jar;" + dir + "Velkor.jar;" + home + "\\lib\\rt.jar;" +
                                    home + "\\lib\\i18n.jar;" + home + "\\lib\\classes.zip;" + home + "\\classes;\n"
                                "property=java.home=" + home + "\n"
                                "property=java.compiler=symcjit\n"
                                "property=velkor.home=" + dir + "\n"
                                "checkSource=0\n"
                                "sizes=131072,409600,1048576,16777216\n"
                                "verifyMode=1\n"
                                "hooks=default\n"
                                "gc=1,0,0\n"
                                "verbose=0\n"
                                "debug=0,0\n"
                                "FindClass Velkor\n"
                                "GetStaticMethodID Velkor main ([Ljava/lang/String;)V\n"
                                "FindClass java/lang/String\n"
                                "NewObjectArray 0 String\n"
                                "main Velkor args=0\n"
                                "DestroyJavaVM\n"
                                "FreeLibrary\n");
}

// swingall.jar lies only in the runtime's lib folder: a COM attempt would fail at once and show
// the dialog, so its absence shows that the attempt was not made.
TEST_F(JniEndToEnd, ExceptionOutOfMainEndsTheLaunchWithoutTheComAttempt)
{
    RunOutcome outcome = Run({{"JAVAI_FAIL", "throw"}});
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_TRUE(outcome.ended);
    std::string text = FileText(record);
    EXPECT_NE(text.find("\nproperty=java.home=" + home + "\nproperty=velkor.home=" + folder.Path() + "\ncheckSource"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nmain Velkor args=0\nExceptionDescribe\nDestroyJavaVM\nFreeLibrary\n"), std::string::npos) << text;

    // An argument array that cannot be built ends the process in the runtime's FatalError.
    outcome = Run({{"JAVAI_FAIL", "NewObjectArray"}});
    EXPECT_FALSE(outcome.dialogShown) << outcome.dialogText;
    EXPECT_EQ(outcome.exitCode, 70u);
}

TEST_F(JniEndToEnd, FailuresEndInTheDialog)
{
    const std::string& dir = folder.Path();
    const std::string besideExe = "Did not find swingall.jar in " + dir + "swingall.jar\r\n";
    const std::string nowhere = dir + "nowhere\\javai.dll";
    struct Case {
        const char* name;
        std::string library;  // RuntimeLib, when not the default
        std::vector<std::pair<std::string, std::string>> environment;
        std::string sunText;
    } cases[] = {
        {"unloadable", nowhere, {}, "Could not load the Sun Java runtime library: " + nowhere + "\r\n"},
        {"no defaults export", StandIn("no-defaults"), {}, "Could not initialize Sun Java VM"},
        {"create returns 1", "", {{"JAVAI_CREATE_RESULT", "1"}}, besideExe + "Could not create Sun Java VM\r\n"},
        {"class not found", "", {{"JAVAI_FAIL", "FindClass"}}, besideExe + "Class not found: Velkor\r\n"},
        {"no main", "", {{"JAVAI_FAIL", "GetStaticMethodID"}},
         besideExe + "The Sun VM could not find the 'main' method of class Velkor\r\n"},
        {"no runtime", "", {}, "Could not locate Sun Java runtime\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.library.empty())
            SetValue(std::string(kRuntimeKey) + "\\1.1", "RuntimeLib", c.library);
        if (std::string(c.name) == "no runtime")
            SHDeleteKeyA(HKEY_LOCAL_MACHINE, kJavaSoft);
        RunOutcome outcome = Run(c.environment);
        EXPECT_TRUE(outcome.dialogShown);
        EXPECT_EQ(outcome.dialogText, "Trying the Sun Java runtime...\r\n" + c.sunText +
                                          "Trying the Mircosoft Java runtime...\r\n" + besideExe);
        EXPECT_TRUE(outcome.ended);
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kRuntimeKey) + "\\1.1").c_str());
        SetValue(std::string(kRuntimeKey) + "\\1.1", "JavaHome", home);
    }
}
