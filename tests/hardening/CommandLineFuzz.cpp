// ParseCommandLine of the COM launcher on generated slash-switch vectors.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "PropertyEnumerator.h"
#include "Reference.h"

namespace {

const std::string kTextAlphabet = "abcXYZ019.=:;\\ %" + kHighBytes;

std::string LongOrShort(Random& random, const std::string& alphabet)
{
    return random.Text(alphabet, 0, random.Percent(2) ? 3000 : 24);
}

std::vector<std::string> SwitchVector(Random& random)
{
    static const std::vector<std::string> pathSwitches = {"/cp", "-cp", "/CP", "/cp:p", "/cp:a", "-Cp:P", "/CP:A"};
    static const std::vector<std::string> flags = {"/a", "/p", "/v", "/q", "-P", "/V", "/Q"};
    static const std::vector<std::string> rare = {"/?", "-?", "/", "-", "/d:", "-D:", "/x", "/cp:", "/cpp", "/A:"};
    std::vector<std::string> elements = {random.Percent(50) ? "C:\\Velkor\\Velkor.exe" : random.Text(kTextAlphabet, 0, 8)};
    for (size_t n = random.Below(9); n > 0; --n) {
        size_t kind = random.Below(100);
        if (kind < 30) {
            elements.push_back(random.Pick(pathSwitches));
            if (random.Percent(92))
                elements.push_back(random.Percent(90) ? LongOrShort(random, kTextAlphabet) : random.Pick(flags));
        } else if (kind < 45) {
            elements.push_back(std::string(random.Percent(50) ? "/" : "-") + (random.Percent(50) ? "d:" : "D:") +
                               random.Text("ab=X.1 =" + kHighBytes, 1, 16));
        } else if (kind < 65) {
            elements.push_back(random.Pick(flags));
        } else if (kind < 69) {
            elements.push_back(random.Pick(rare));
        } else if (kind < 73) {
            elements.push_back(random.Mutate(random.Pick(pathSwitches), "/-:pacPAC?dD" + kHighBytes));
        } else {
            elements.push_back(LongOrShort(random, kTextAlphabet));  // class name, argument or junk
        }
    }
    if (random.Percent(3))
        elements.resize(random.Below(2));  // the program path alone, or not even that
    return elements;
}

struct Outcome {
    int result = 0;
    std::string log;
    std::vector<std::string> after;  // the elements as the parser leaves them
    std::optional<std::string> classPath;
    std::string className;
    std::vector<std::string> args;
    int flags[3] = {};  // appletMode, pauseOnError, verifyClasses
    std::vector<std::pair<std::string, std::string>> properties;  // in the order added
};

bool Same(const std::string& name, const char* keyword)
{
    return lstrcmpA(name.c_str(), keyword) == 0;  // the grammar compares as the system does
}

bool IsSwitch(const std::string& element)
{
    return !element.empty() && (element[0] == '-' || element[0] == '/');
}

void Append(std::optional<std::string>* list, const std::string& element)
{
    *list = AppendedPath(list->has_value() ? &**list : nullptr, element);
}

Outcome Expect(const std::vector<std::string>& elements)
{
    Outcome out;
    out.after = elements;
    int argc = static_cast<int>(elements.size());
    if (argc <= 1) {
        out.log = UsageText();
        return out;
    }
    out.classPath = std::string();
    std::optional<std::string> prepend, append;
    bool replacePending = true;
    int i = 1;
    for (; i < argc; ++i) {
        std::string& element = out.after[i];
        if (!IsSwitch(element))
            break;
        std::string name = element.substr(1);
        if (name.size() >= 2 && (name[0] == 'd' || name[0] == 'D') && name[1] == ':') {
            if (name.size() == 2) {
                out.log = ReportLine("Invalid command line switch: " + name);
                return out;
            }
            std::string definition = name.substr(2);
            size_t equals = definition.find('=');
            out.properties.emplace_back(definition.substr(0, equals),
                                        equals == std::string::npos ? "" : definition.substr(equals + 1));
            if (equals != std::string::npos)
                element[3 + equals] = 0;
            continue;
        }
        name = Lower(name);
        element = element.substr(0, 1) + name;
        if (i == 1 && Same(name, "?")) {
            out.log = UsageText();
            return out;
        }
        if (Same(name, "a") || Same(name, "p") || Same(name, "v")) {
            out.flags[Same(name, "a") ? 0 : Same(name, "p") ? 1 : 2] = 1;
        } else if (Same(name, "q")) {
        } else if (Same(name, "cp") || Same(name, "cp:p") || Same(name, "cp:a")) {
            ++i;
            if (i == argc || IsSwitch(out.after[i])) {
                out.after[i - 1] = Oem(out.after[i - 1]);
                out.log = ReportLine("No path given for " + out.after[i - 1] + " switch");
                return out;
            }
            if (Same(name, "cp") && replacePending) {
                out.classPath.reset();
                replacePending = false;
            }
            Append(Same(name, "cp") ? &out.classPath : Same(name, "cp:p") ? &prepend : &append, out.after[i]);
        } else {
            element = Oem(element);
            out.log = ReportLine("Invalid command line switch: " + element);
            return out;
        }
    }
    if (i == argc) {
        out.log = ReportLine("No class file given");
        return out;
    }
    out.className = out.flags[0] ? "sun.applet.AppletViewer" : out.after[i];
    if (!out.flags[0])
        ++i;
    out.args.assign(out.after.begin() + i, out.after.end());
    // Prepended paths, the class path proper, appended paths.
    if (prepend) {
        if (out.classPath)
            Append(&prepend, *out.classPath);
        out.classPath = prepend;
    }
    if (append) {
        if (out.classPath)
            Append(&out.classPath, *append);
        else
            out.classPath = append;
    }
    out.result = 1;
    return out;
}

std::wstring Wide(const std::string& text)
{
    int count = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count) - 1);
    return wide;
}

// The enumerator's definitions, newest first, as the VM would read them.
std::vector<std::pair<std::wstring, std::wstring>> Enumerated(PropertyEnumerator* properties)
{
    std::vector<std::pair<std::wstring, std::wstring>> read;
    if (properties == nullptr)
        return read;
    properties->Reset();
    JAVAPROPERTY property;
    ULONG fetched = 0;
    while (properties->Next(1, &property, &fetched) == S_OK && fetched == 1) {
        read.emplace_back(property.pszKey, property.pszValue);
        CoTaskMemFree(property.pszKey);
        CoTaskMemFree(property.pszValue);
    }
    return read;
}

}  // namespace

TEST(Fuzz, ParseCommandLineFollowsTheGrammarAndMergesTheClassPathInOrder)
{
    Fuzz("ParseCommandLine", 100000, [](Random& random) {
        std::vector<std::string> texts = SwitchVector(random);
        Outcome expected = Expect(texts);
        GuardedVector vector(texts);
        LaunchLog = "";
        {
            ComJavaRunner runner(vector.Count(), vector.Array());
            int result = runner.ParseCommandLine();

            EXPECT_EQ(result, expected.result);
            EXPECT_EQ(std::string(LaunchLog), expected.log);
            for (int i = 0; i < vector.Count(); ++i)
                EXPECT_TRUE(vector.Holds(i, expected.after[static_cast<size_t>(i)])) << "element " << i;
            if (result == 1 && expected.result == 1) {
                EXPECT_EQ(runner.classPath != nullptr, expected.classPath.has_value());
                if (runner.classPath != nullptr && expected.classPath) {
                    EXPECT_EQ(std::string(runner.classPath), *expected.classPath);
                    EXPECT_TRUE(IsGuardedBlock(runner.classPath, expected.classPath->size() + 1));
                }
                EXPECT_EQ(runner.appendPath, nullptr);
                EXPECT_EQ(runner.prependPath, nullptr);
                EXPECT_EQ(std::string(runner.className), expected.className);
                EXPECT_TRUE(IsGuardedBlock(runner.className, expected.className.size() + 1));
                EXPECT_EQ(runner.appletMode, expected.flags[0]);
                EXPECT_EQ(runner.pauseOnError, expected.flags[1]);
                EXPECT_EQ(runner.verifyClasses, expected.flags[2]);
                EXPECT_EQ(runner.argCount, static_cast<int>(expected.args.size()));
                EXPECT_EQ(runner.args == nullptr, expected.args.empty());
                for (size_t k = 0; runner.args != nullptr && k < expected.args.size() && k < size_t(runner.argCount); ++k)
                    EXPECT_EQ(std::wstring(runner.args[k]), Wide(expected.args[k])) << "argument " << k;
                if (runner.args != nullptr && runner.argCount == static_cast<int>(expected.args.size())) {
                    EXPECT_EQ(runner.args[runner.argCount], nullptr);
                }
                std::vector<std::pair<std::wstring, std::wstring>> wanted;
                for (auto it = expected.properties.rbegin(); it != expected.properties.rend(); ++it)
                    wanted.emplace_back(Wide(it->first), Wide(it->second));
                EXPECT_TRUE(Enumerated(runner.properties) == wanted) << "properties differ";
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
