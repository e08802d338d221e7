#include <gtest/gtest.h>

#include <vector>

#include "AllocFailure.h"
#include "ComJavaRunner.h"
#include "PropertyEnumerator.h"

namespace {

// A writable argument vector, program path first, and a runner that has parsed it.
struct Parsed {
    std::vector<std::string> texts;
    std::vector<char*> argv;
    ComJavaRunner* runner;
    int result;
    long made;  // allocations made by the parse

    // failAt: the parse's nth allocation fails (0: none).
    explicit Parsed(std::initializer_list<const char*> elements, long failAt = 0) : texts{"x.exe"}
    {
        texts.insert(texts.end(), elements.begin(), elements.end());
        for (std::string& text : texts)
            argv.push_back(&text[0]);
        argv.push_back(nullptr);
        ClearLaunchLog();
        runner = new ComJavaRunner(static_cast<int>(texts.size()), argv.data());
        FailAllocationAt(failAt);
        result = runner->ParseCommandLine();
        made = Allocations();
        FailAllocationAt(0);
    }
    ~Parsed() { delete runner; }
    std::string ClassPath() const { return runner->classPath ? runner->classPath : "(absent)"; }
    std::wstring Properties() const
    {
        JAVAPROPERTY record;
        std::wstring text;
        while (runner->properties->Next(1, &record, nullptr) == S_OK) {
            text += std::wstring(record.pszKey) + L"=" + record.pszValue + L";";
            CoTaskMemFree(record.pszKey), CoTaskMemFree(record.pszValue);
        }
        return text;
    }
};

} // namespace

TEST(CommandLine, ClassPathPropertiesClassAndArguments)
{
    Parsed launch({"/cp", "A", "/cp", "B", "/d:velkor.home=C:\\My=Dir\\", "Velkor"});
    EXPECT_EQ(launch.result, 1);
    EXPECT_EQ(launch.ClassPath(), "A;B;");
    EXPECT_STREQ(launch.runner->className, "Velkor");
    EXPECT_EQ(launch.runner->argCount, 0);
    EXPECT_EQ(launch.runner->args, nullptr);
    EXPECT_STREQ(launch.argv[5], "/d:velkor.home");
    EXPECT_EQ(launch.Properties(), L"velkor.home=C:\\My=Dir\\;");

    EXPECT_EQ(Parsed({"/cp:p", "P", "K"}).ClassPath(), "P;;");
    EXPECT_EQ(Parsed({"/cp:a", "Q", "K"}).ClassPath(), ";Q;");
    EXPECT_EQ(Parsed({"/cp", "X", "/cp:a", "Q", "/cp:p", "P", "K"}).ClassPath(), "P;X;Q;");
    EXPECT_EQ(Parsed({"/cp:p", "P1", "/cp:p", "P2;", "/cp", "X;", "K"}).ClassPath(), "P1;P2;X;");
    EXPECT_EQ(Parsed({"/cp", "", "K"}).ClassPath(), ";");

    Parsed upper({"/CP", "X", "/D:Key=V", "-V", "/P", "-q", "/d:Key=W", "K"});
    EXPECT_EQ(upper.ClassPath(), "X;");
    EXPECT_STREQ(upper.argv[1], "/cp");
    EXPECT_STREQ(upper.argv[4], "-v");
    EXPECT_EQ(upper.runner->verifyClasses + upper.runner->pauseOnError + upper.runner->appletMode, 2);
    EXPECT_EQ(upper.Properties(), L"Key=W;Key=V;");

    Parsed applet({"/a", "x", "/y"});
    EXPECT_STREQ(applet.runner->className, "sun.applet.AppletViewer");
    ASSERT_EQ(applet.runner->argCount, 2);
    EXPECT_STREQ(applet.runner->args[0], L"x");
    EXPECT_STREQ(applet.runner->args[1], L"/y");
    EXPECT_EQ(applet.runner->args[2], nullptr);
    Parsed trailing({"K", "/cp", "X"});
    EXPECT_EQ(trailing.ClassPath(), "");
    ASSERT_EQ(trailing.runner->argCount, 2);
    EXPECT_STREQ(trailing.runner->args[0], L"/cp");
}

TEST(CommandLine, EachReportInTheLaunchLog)
{
    ComJavaRunner usageRunner(0, nullptr);
    ClearLaunchLog();
    usageRunner.ShowUsage();
    std::string usage = LogText();
    ClearLaunchLog();
    EXPECT_EQ(usageRunner.ParseCommandLine(), 0);  // an empty vector reads nothing past its end
    EXPECT_EQ(LogText(), usage);
    const char invalid[] = "\r\nERROR: Invalid command line switch: ";
    const char noPath[] = "\r\nERROR: No path given for ";
    const char noClass[] = "\r\nERROR: No class file given\n";
    struct Case {
        std::initializer_list<const char*> elements;
        std::string log;
    } cases[] = {{{}, usage},
                 {{"-?", "K"}, usage},
                 {{"/v", "/?"}, invalid + std::string("/?\n")},
                 {{"/d:", "K"}, invalid + std::string("d:\n")},
                 {{"/x\xe9"}, invalid + std::string("/x\x82\n")},  // the OEM form of the echo
                 {{"-"}, invalid + std::string("-\n")},
                 {{"/cp"}, noPath + std::string("/cp switch\n")},
                 {{"/CP:P", "-v"}, noPath + std::string("/cp:p switch\n")},
                 {{"/a"}, noClass},
                 {{"/cp", "X"}, noClass}};
    for (const Case& c : cases) {
        Parsed parsed(c.elements);
        EXPECT_EQ(parsed.result, 0) << c.log;
        EXPECT_EQ(LogText(), c.log);
    }
}

TEST(CommandLine, EveryAllocationFailureHasADefinedOutcome)
{
    const std::string outOfMemory = "\r\nERROR: Out of memory\n";
    for (long n = 1, made = n; made >= n; ++n) {
        SCOPED_TRACE("allocation " + std::to_string(n));
        long before = LiveAllocations();
        {
            Parsed parsed({"/cp", "A", "/cp:p", "P", "/cp:a", "Q", "/d:k=v", "K", "arg"}, n);
            made = parsed.made;
            if (made < n || n == 1) {  // no failure, or the initial empty class path: parsing goes on
                EXPECT_EQ(parsed.result, 1);
                EXPECT_EQ(parsed.ClassPath(), "P;A;Q;");
                EXPECT_EQ(LogText(), "");
            }
            EXPECT_TRUE(LogText().empty() || LogText() == outOfMemory) << LogText();
            if (parsed.result == 0 && parsed.runner->className == nullptr) {
                EXPECT_EQ(LogText(), outOfMemory);
            }
        }
        EXPECT_EQ(LiveAllocations(), before);
    }
}

// A class path of thousands of elements: every one kept, in order, each closed by one ';'.
TEST(CommandLine, ThousandsOfClassPathElements)
{
    std::vector<std::string> texts{"x.exe"};
    std::string expected;
    for (int i = 0; i < 3000; ++i) {
        texts.push_back(i % 2 == 0 ? "/cp" : "/CP:A");
        texts.push_back("C:\\lib\\part" + std::to_string(i) + ".jar");
    }
    for (int i = 0; i < 3000; i += 2)
        expected += texts[2 * i + 2] + ";";
    for (int i = 1; i < 3000; i += 2)
        expected += texts[2 * i + 2] + ";";
    texts.push_back("K");
    std::vector<char*> argv;
    for (std::string& text : texts)
        argv.push_back(&text[0]);
    argv.push_back(nullptr);
    ClearLaunchLog();
    ComJavaRunner runner(static_cast<int>(texts.size()), argv.data());
    ASSERT_EQ(runner.ParseCommandLine(), 1);
    EXPECT_EQ(std::string(runner.classPath), expected);
    EXPECT_STREQ(runner.className, "K");
}
