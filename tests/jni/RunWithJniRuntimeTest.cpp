#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "E2eSupport.h"
#include "ExeDirectory.h"
#include "JniTestSupport.h"
#include "LaunchLog.h"
#include "Launchers.h"
#include "LoaderOptions.h"

namespace {

std::string TempPath(const char* name)
{
    char directory[MAX_PATH];
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

// A fixed path: a death test's child process writes where its parent reads.
const std::string kRecord = TempPath("velkor-jni-record.txt");
const char* const kVariants[] = {"full", "no-defaults", "no-create"};

std::string Usage()
{
    std::string saved(LaunchLog);
    LaunchLog = "";
    AppendUsage();
    std::string usage(LaunchLog);
    LaunchLog = saved.c_str();
    return usage;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class RunWithJniRuntimeTest : public testing::Test {
protected:
    RunWithJniRuntimeTest()
    {
        folder.Place("app", velkor_e2e::Entry::Directory);
        folder.Place("jre", velkor_e2e::Entry::Directory);
        folder.Place("jre\\lib", velkor_e2e::Entry::Directory);
    }
    void SetUp() override
    {
        folder.Place("app\\swingall.jar", velkor_e2e::Entry::File);
        ExeDirectory = appDirectory.c_str();
        hklm.Set(kJreKey, "CurrentVersion", "1.1");
        SetRuntime("JavaHome", javaHome);
        SetRuntime("RuntimeLib", StandInLibrary("full"));
        SetRuntime("ClassPath", "C:\\rt\\classes.zip");
        DeleteFileA(kRecord.c_str());
        SetEnvironmentVariableA("JAVAI_RECORD", kRecord.c_str());
        for (const char* name : {"JAVAI_FAIL", "JAVAI_CREATE_RESULT", "JAVAI_DEFAULTS"})
            SetEnvironmentVariableA(name, nullptr);
        LaunchLog = "";
        std::free(JniPropertyList.entries);
        JniPropertyList = {0, nullptr, 0};
    }
    void TearDown() override
    {
        ExeDirectory = nullptr;
        // Failed attempts leave the library loaded; unload it so that each test starts afresh.
        for (const char* variant : kVariants)
            while (HMODULE library = GetModuleHandleA(StandInLibrary(variant).c_str()))
                FreeLibrary(library);
    }
    void SetRuntime(const char* name, const std::string& value) { hklm.Set(std::string(kJreKey) + "\\1.1", name, value); }

    // 0 when RunWithJniRuntime returned, the thrown integer otherwise.
    int Run(std::vector<std::string> elements)
    {
        std::vector<char*> argv;
        for (std::string& element : elements)
            argv.push_back(&element[0]);
        argv.push_back(nullptr);
        try {
            RunWithJniRuntime(static_cast<int>(elements.size()), argv.data());
        } catch (int signal) {
            return signal;
        }
        return 0;
    }

    ScratchMachineKey hklm;
    velkor_e2e::InstallFolder folder{"jni_run"};
    const std::string appDirectory = folder.Path() + "app\\";
    const std::string javaHome = folder.Path() + "jre";
    const std::string archive = appDirectory + "swingall.jar";
};

}  // namespace

TEST_F(RunWithJniRuntimeTest, HandsTheCompletedRecordToTheVmAndRunsMain)
{
    SetRuntime("Compiler", "symcjit");
    SetEnvironmentVariableA("JAVAI_DEFAULTS", "checkSource=3;debugPort=8000");
    ASSERT_EQ(Run({"C:\\app\\Velkor.exe", "-cp", "C:\\app\\Velkor.jar", "-Dvelkor.home=C:\\app\\", "-nojit", "-ms2m",
                   "-verbosegc", "-noverify", "app.ui.Main", "one", "-v", "\xE9t\xE9"}),
              0);
    EXPECT_EQ(std::string(LaunchLog), "");
    EXPECT_EQ(FileText(kRecord), "defaults version=0x00010001\n"
                                 "create version=0x00010001\n"
                                 "classpath=" + archive + ";C:\\app\\Velkor.jar;C:\\rt\\classes.zip\n"
                                 "property=java.home=" + javaHome + "\n"
                                 "property=java.compiler=symcjit\n"
                                 "property=velkor.home=C:\\app\\\n"
                                 "property=java.compiler=\n"
                                 "checkSource=3\n"
                                 "sizes=131072,409600,2097152,16777216\n"
                                 "verifyMode=0\n"
                                 "hooks=default\n"
                                 "gc=1,1,0\n"
                                 "verbose=0\n"
                                 "debug=0,8000\n"
                                 "FindClass app/ui/Main\n"
                                 "GetStaticMethodID app/ui/Main main ([Ljava/lang/String;)V\n"
                                 "FindClass java/lang/String\n"
                                 "NewObjectArray 3 String\n"
                                 "main app/ui/Main args=3\n"
                                 "arg=one\n"
                                 "arg=-v\n"
                                 "arg=\xE9t\xE9\n"
                                 "DestroyJavaVM\n"
                                 "FreeLibrary\n");
    EXPECT_EQ(JniPropertyList.entries, nullptr);
}

TEST_F(RunWithJniRuntimeTest, ExceptionOutOfMainIsDescribedAndTheRunStillSucceeds)
{
    SetEnvironmentVariableA("JAVAI_FAIL", "throw");
    // The "-classpath" value is a block of the C heap, so that releasing it would show.
    char* classPath = static_cast<char*>(std::malloc(4));
    std::memcpy(classPath, "A;B", 4);
    char program[] = "P", option[] = "-classpath", name[] = "Velkor";
    char* argv[] = {program, option, classPath, name, nullptr};
    EXPECT_NO_THROW(RunWithJniRuntime(4, argv));
    EXPECT_EQ(HeapSize(reinterpret_cast<HANDLE>(_get_heap_handle()), 0, classPath), 4u) << "the vector's element was released";
    std::free(classPath);
    EXPECT_EQ(std::string(LaunchLog), "");
    std::string record = FileText(kRecord);
    EXPECT_NE(record.find("\nclasspath=" + archive + ";A;B\n"), std::string::npos) << record;
    EXPECT_TRUE(EndsWith(record, "\nmain Velkor args=0\nExceptionDescribe\nDestroyJavaVM\nFreeLibrary\n")) << record;
}

TEST_F(RunWithJniRuntimeTest, EachFailureLogsItsReasonAndThrows)
{
    struct Case {
        const char* name;
        std::vector<std::string> vector;
        std::string log;
        const char* runtimeLib = nullptr;
        const char* fail = "";
        const char* createResult = "";
    };
    const std::string nowhere = folder.Path() + "nowhere\\javai.dll";
    std::string notFound = "Did not find swingall.jar in " + appDirectory + "swingall.jar\r\n";
    const Case cases[] = {
        {"cp then help", {"P", "-cp", "X", "-help", "M"}, Usage()},
        {"unloadable", {"P", "Velkor"}, "Could not load the Sun Java runtime library: " + nowhere + "\r\n", nowhere.c_str()},
        {"no defaults export", {"P", "Velkor"}, "Could not initialize Sun Java VM", "no-defaults"},
        {"no create export", {"P", "Velkor"}, "Could not create Sun Java VM\r\n", "no-create"},
        {"create positive", {"P", "Velkor"}, "Could not create Sun Java VM\r\n", nullptr, "", "1"},
        {"create negative", {"P", "Velkor"}, "Could not create Sun Java VM\r\n", nullptr, "", "-3"},
        {"illegal option", {"P", "-VERBOSE", "M"}, "Illegal option: -VERBOSE\r\n" + Usage()},
        {"no class name", {"P", "-verbose"}, ""},
        {"class not found", {"P", "app.ui.Main"}, "Class not found: app.ui.Main\r\n", nullptr, "FindClass"},
        {"no main", {"P", "Velkor"}, "The Sun VM could not find the 'main' method of class Velkor\r\n", nullptr,
         "GetStaticMethodID"},
    };
    for (const Case& c : cases) {
        SetUp();
        if (c.runtimeLib != nullptr)
            SetRuntime("RuntimeLib", c.runtimeLib[0] == 'n' && c.runtimeLib[1] == 'o' ? StandInLibrary(c.runtimeLib)
                                                                                    : c.runtimeLib);
        SetEnvironmentVariableA("JAVAI_FAIL", c.fail);
        SetEnvironmentVariableA("JAVAI_CREATE_RESULT", c.createResult);
        EXPECT_EQ(Run(c.vector), 1) << c.name;
        EXPECT_EQ(std::string(LaunchLog), c.log) << c.name;
        if (c.vector[1] == "-cp") {  // help found only by the option parser, after the library was loaded
            EXPECT_EQ(FileText(kRecord), "defaults version=0x00010001\n");
        }
        TearDown();
    }

    // Help is answered before the runtime is looked for; then the runtime is missing altogether.
    SetUp();
    hklm.Remove("Software\\JavaSoft");
    EXPECT_EQ(Run({"P", "-help", "M"}), 1);
    EXPECT_EQ(std::string(LaunchLog), Usage());
    LaunchLog = "";
    EXPECT_EQ(Run({"P", "Velkor"}), 1);
    EXPECT_EQ(std::string(LaunchLog), "Could not locate Sun Java runtime\r\n");

    // No support archive: the locator's lines are the whole text.
    SetUp();
    DeleteFileA(archive.c_str());
    EXPECT_EQ(Run({"P", "Velkor"}), 1);
    EXPECT_EQ(std::string(LaunchLog), notFound + "Did not find swingall.jar in " + javaHome + "\\lib\\swingall.jar\r\n");
}

// A String[] that cannot be built ends the process through FatalError (the stand-in exits 70).
TEST_F(RunWithJniRuntimeTest, ArgumentArrayFailureIsFatal)
{
    for (const char* step : {"StringClass", "NewObjectArray", "NewStringUTF"}) {
        SetEnvironmentVariableA("JAVAI_FAIL", step);
        EXPECT_EXIT(Run({"P", "Velkor", "arg"}), testing::ExitedWithCode(70), "") << step;
        std::string record = FileText(kRecord);
        EXPECT_TRUE(EndsWith(record, "\nExceptionDescribe\nFatalError Couldn't build argument list for main\\r\\n\n"))
            << step << ":\n" << record;
    }
}
