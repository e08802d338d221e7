// ParseCommandLine of the COM launcher on generated slash-switch vectors. The grammar is checked
// case by case in the unit tests; here what must hold for any vector: the texts stay in their
// blocks, a failure leaves one bounded report, a success leaves well-formed results.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "PropertyEnumerator.h"
#include "Reference.h"

namespace {

const std::string kTextAlphabet = "abcXYZ019.=:;\\ %" + kHighBytes;

std::vector<std::string> SwitchVector(Random& random)
{
    static const std::vector<std::string> switches = {"/cp", "-cp", "/CP", "/cp:p", "/cp:a", "-Cp:P", "/CP:A", "/a",
                                                      "/p",  "/v",  "/q",  "-P",    "/V",   "/Q",    "/?",    "-?",
                                                      "/",   "-",   "/d:", "-D:",   "/x",   "/cp:",  "/cpp",  "/A:"};
    std::vector<std::string> elements = {random.Percent(50) ? "C:\\Velkor\\Velkor.exe" : random.Text(kTextAlphabet, 0, 8)};
    for (size_t n = random.Below(9); n > 0; --n) {
        size_t kind = random.Below(100);
        std::string text = random.Text(kTextAlphabet, 0, random.Percent(2) ? 3000 : 24);
        if (kind < 55) {
            elements.push_back(random.Pick(switches));
            if (elements.back().find("cp") != std::string::npos && random.Percent(92))
                elements.push_back(text);
        } else if (kind < 70) {
            elements.push_back(std::string(random.Percent(50) ? "/d:" : "-D:") + random.Text("ab=X.1 =" + kHighBytes, 1, 16));
        } else if (kind < 75) {
            elements.push_back(random.Mutate(random.Pick(switches), "/-:pacPAC?dD" + kHighBytes));
        } else {
            elements.push_back(text);  // class name, argument or junk
        }
    }
    if (random.Percent(3))
        elements.resize(random.Below(2));  // the program path alone, or not even that
    return elements;
}

}  // namespace

TEST(Fuzz, ParseCommandLineKeepsItsTextsInPlaceAndReportsOnceOrSucceedsWhole)
{
    Fuzz("ParseCommandLine", 50000, [](Random& random) {
        std::vector<std::string> texts = SwitchVector(random);
        GuardedVector vector(texts);
        std::vector<char*> blocks(vector.Array(), vector.Array() + vector.Count());
        LaunchLog = "";
        {
            ComJavaRunner runner(vector.Count(), vector.Array());
            int result = runner.ParseCommandLine();
            std::string log = static_cast<const char*>(LaunchLog);

            // Switches are lowered and converted in place, definitions cut at '=': never longer.
            for (int i = 0; i < vector.Count(); ++i) {
                EXPECT_EQ(vector.Array()[i], blocks[static_cast<size_t>(i)]) << "element " << i;
                EXPECT_LE(std::strlen(vector.Array()[i]), texts[static_cast<size_t>(i)].size()) << "element " << i;
            }
            ASSERT_TRUE(result == 0 || result == 1);
            if (result == 0) {
                bool report = log.compare(0, 9, "\r\nERROR: ") == 0 && log.back() == '\n' && log.size() <= 9 + 2047 + 1;
                EXPECT_TRUE(log == UsageText() || report) << Show(log);
            } else {
                EXPECT_EQ(log, "");
                EXPECT_GE(vector.Count(), 2);
                ASSERT_NE(runner.className, nullptr);
                EXPECT_TRUE(IsGuardedBlock(runner.className, std::strlen(runner.className) + 1));
                if (runner.appletMode) {
                    EXPECT_STREQ(runner.className, "sun.applet.AppletViewer");
                }
                if (runner.classPath != nullptr) {
                    size_t length = std::strlen(runner.classPath);
                    EXPECT_TRUE(IsGuardedBlock(runner.classPath, length + 1));
                }
                EXPECT_EQ(runner.appendPath, nullptr);
                EXPECT_EQ(runner.prependPath, nullptr);
                ASSERT_GE(runner.argCount, 0);
                ASSERT_LT(runner.argCount, vector.Count());
                EXPECT_EQ(runner.args == nullptr, runner.argCount == 0);
                if (runner.args != nullptr) {
                    EXPECT_EQ(runner.args[runner.argCount], nullptr);
                }
                // The arguments are the last elements, as they were given.
                for (int k = 0; runner.args != nullptr && k < runner.argCount; ++k) {
                    const std::string& given = texts[texts.size() - static_cast<size_t>(runner.argCount - k)];
                    int length = MultiByteToWideChar(CP_ACP, 0, given.c_str(), -1, nullptr, 0);
                    std::wstring wide(static_cast<size_t>(length), L'\0');
                    MultiByteToWideChar(CP_ACP, 0, given.c_str(), -1, &wide[0], length);
                    EXPECT_EQ(std::wstring(runner.args[k]), wide.c_str()) << "argument " << k;
                }
                if (runner.properties != nullptr) {
                    runner.properties->Reset();
                    JAVAPROPERTY property;
                    ULONG fetched = 0;
                    while (runner.properties->Next(1, &property, &fetched) == S_OK && fetched == 1) {
                        EXPECT_TRUE(property.pszKey != nullptr && property.pszValue != nullptr);
                        CoTaskMemFree(property.pszKey);
                        CoTaskMemFree(property.pszValue);
                    }
                }
            }
        }
        if (::testing::Test::HasFailure()) {
            std::string shown;
            for (const std::string& text : texts)
                shown += " " + Show(text);
            ADD_FAILURE() << "vector:" << shown;
        }
    });
}
