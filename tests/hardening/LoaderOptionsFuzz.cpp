// The JNI launcher's dash-style options and its property list, on generated vectors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"
#include "Reference.h"

namespace {

const std::vector<std::string> kFlagOptions = {"-noasyncgc", "-noclassgc", "-verify", "-verifyremote", "-noverify",
                                               "-nojit", "-v", "-verbose", "-verbosegc"};
const std::vector<std::string> kRareOptions = {"-?", "-h", "-help", "-", "-VERBOSE", "-x", "-cpx", "-classpath2"};
const std::string kTextAlphabet = "abcXYZ019=;:\\/.- " + kHighBytes;

std::vector<std::string> OptionVector(Random& random)
{
    std::vector<std::string> elements;
    for (size_t n = random.Below(9); n > 0; --n) {
        size_t kind = random.Below(100);
        if (kind < 16) {
            elements.push_back(random.Percent(50) ? "-cp" : "-classpath");
            if (random.Percent(90))  // else the option is last, or its value is the next option
                elements.push_back(random.Percent(85) ? random.Text(kTextAlphabet, 0, 40) : "-verbose");
        } else if (kind < 30) {
            elements.push_back("-D" + random.Text(kTextAlphabet, 0, 30));
        } else if (kind < 48) {
            static const std::vector<std::string> sizes = {"-ss", "-oss", "-ms", "-mx"};
            elements.push_back(random.Pick(sizes) + random.Pick(std::vector<std::string>{
                                                        "64m", "512k", "128K", "1000", "999", "2048m", "4096m", " 64m",
                                                        "64mb", "s1", "", random.Text("0123456789kKmM +-", 0, 12)}));
        } else if (kind < 78) {
            elements.push_back(random.Pick(kFlagOptions));
        } else if (kind < 81) {
            elements.push_back(random.Pick(kRareOptions));
        } else if (kind < 85) {
            elements.push_back(random.Mutate(random.Pick(kFlagOptions), kTextAlphabet));
        } else {
            elements.push_back(random.Text(kTextAlphabet, 0, 20));  // the class name, or an argument
        }
    }
    return elements;
}

// What the options must do, worked out from the elements alone.
struct Outcome {
    int result = 0;
    int consumed = 0;
    jint fields[9] = {};  // the four sizes, verifyMode, enableClassGC, enableVerboseGC, disableAsyncGC, verbose
    std::string classpath;
    int classpathElement = -1;  // the element that became the class path as it is
    bool joined = false;        // a new string made by "-cp"
    std::vector<int> properties;  // element indices of "-D" texts; -1 for the "-nojit" constant
    std::string log;
};

bool StartsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

Outcome Expect(const std::vector<std::string>& elements, const jint (&initial)[9], const std::string& baseClassPath)
{
    Outcome out;
    std::copy(initial, initial + 9, out.fields);
    out.classpath = baseClassPath;
    int n = static_cast<int>(elements.size());
    int i = 0;
    while (i < n && !elements[i].empty() && elements[i][0] == '-') {
        std::string option = elements[i].substr(1);
        if (option == "classpath" || option == "cp") {
            if (i + 1 == n) {
                out.log = "No class path given for " + option + " option\r\n";
                out.result = -1;
                return out;
            }
            out.joined = option == "cp";
            out.classpath = out.joined ? elements[i + 1] + ";" + out.classpath : elements[i + 1];
            out.classpathElement = out.joined ? -1 : i + 1;
            i += 2;
            continue;
        }
        static const char* const sizeKeywords[] = {"ss", "oss", "ms", "mx"};
        static const char* const exact[] = {"verify", "verifyremote", "noverify"};
        bool matched = false;
        if (StartsWith(option, "D")) {
            out.properties.push_back(i);
            matched = true;
        }
        for (int k = 0; k < 4 && !matched; ++k) {
            if (StartsWith(option, sizeKeywords[k])) {
                int32_t size = ReferenceSize(option.substr(std::string(sizeKeywords[k]).size()));
                if (size >= 1000)
                    out.fields[k] = size;
                matched = true;
            }
        }
        for (int k = 0; k < 3 && !matched; ++k) {
            if (option == exact[k]) {
                out.fields[4] = 2 - k;
                matched = true;
            }
        }
        if (matched) {
        } else if (option == "noasyncgc") {
            out.fields[7] = 1;
        } else if (option == "noclassgc") {
            out.fields[5] = 0;
        } else if (option == "nojit") {
            out.properties.push_back(-1);
        } else if (option == "v" || option == "verbose") {
            out.fields[8] = 1;
        } else if (option == "verbosegc") {
            out.fields[6] = 1;
        } else {
            if (option != "?" && option != "h" && option != "help")
                out.log = "Illegal option: -" + option + "\r\n";
            out.result = -1;
            return out;
        }
        ++i;
    }
    out.consumed = i;
    return out;
}

jint* Field(JDK1_1InitArgs* args, int k)
{
    jint* fields[9] = {&args->nativeStackSize, &args->javaStackSize, &args->minHeapSize,  &args->maxHeapSize,
                       &args->verifyMode,      &args->enableClassGC, &args->enableVerboseGC, &args->disableAsyncGC,
                       &args->verbose};
    return fields[k];
}

size_t Capacity(int count)
{
    size_t capacity = 4;
    while (capacity < static_cast<size_t>(count))
        capacity *= 2;
    return count == 0 ? 0 : capacity;
}

char g_earlier[] = "earlier=1";

// Leaves the property list and the launch log empty, however the input ends.
struct CleanState {
    CleanState() { LaunchLog = ""; }
    ~CleanState()
    {
        JniPropertyList = {0, nullptr, 0};
        LaunchLog = "";
    }
};

}  // namespace

TEST(Fuzz, ParseLoaderOptionsStaysInsideItsVectorAndFollowsTheTable)
{
    Fuzz("ParseLoaderOptions", 100000, [](Random& random) {
        std::vector<std::string> texts = OptionVector(random);
        GuardedVector vector(texts);
        std::string baseText = random.Text(kTextAlphabet, 0, 30);
        char* base = GuardedText(baseText);

        JDK1_1InitArgs* args = new JDK1_1InitArgs();
        jint initial[9];
        for (int k = 0; k < 9; ++k)
            *Field(args, k) = initial[k] = static_cast<jint>(random.Between(0, 3) == 0 ? random.Next() : random.Below(3));
        args->classpath = base;
        Outcome expected = Expect(texts, initial, baseText);

        CleanState clean;
        MallocCapture capture;  // the blocks of the list and of "-cp", released after the checks
        int earlier = static_cast<int>(random.Below(10));
        for (int k = 0; k < earlier; ++k)
            AddProperty(g_earlier);
        int count = static_cast<int>(texts.size() + random.Below(3));
        int countBefore = count;
        char** position = vector.Array();
        int result = ParseLoaderOptions(&count, &position, args);
        capture.Stop();

        EXPECT_EQ(result, expected.result);
        EXPECT_EQ(position, vector.Array() + (result == 0 ? expected.consumed : 0));
        EXPECT_EQ(count, countBefore - (result == 0 ? expected.consumed : 0));
        EXPECT_EQ(std::string(LaunchLog), expected.log);
        for (int k = 0; k < 9; ++k)
            EXPECT_EQ(*Field(args, k), expected.fields[k]) << "field " << k;
        EXPECT_EQ(std::string(args->classpath), expected.classpath);
        if (expected.joined)
            EXPECT_TRUE(IsGuardedBlock(args->classpath, expected.classpath.size() + 1));
        else
            EXPECT_EQ(args->classpath, expected.classpathElement < 0 ? base : vector.Array()[expected.classpathElement]);

        const PropertyList& list = JniPropertyList;
        int added = static_cast<int>(expected.properties.size());
        EXPECT_EQ(list.count, earlier + added);
        EXPECT_EQ(static_cast<size_t>(list.capacity), Capacity(list.count));
        if (list.entries != nullptr) {
            EXPECT_TRUE(IsGuardedBlock(list.entries, sizeof(char*) * static_cast<size_t>(list.capacity)));
        }
        for (int k = 0; k < added && k + earlier < list.count; ++k) {
            int element = expected.properties[k];
            if (element < 0)
                EXPECT_STREQ(list.entries[earlier + k], "java.compiler=");
            else
                EXPECT_EQ(list.entries[earlier + k], vector.Array()[element] + 2);
        }
        for (size_t k = 0; k < texts.size(); ++k)
            EXPECT_TRUE(vector.Holds(static_cast<int>(k), texts[k])) << "element " << k << " was changed";

        if (::testing::Test::HasFailure()) {
            std::string shown;
            for (const std::string& text : texts)
                shown += " " + Show(text);
            ADD_FAILURE() << "vector:" << shown << "; base class path " << Show(baseText);
        }
        delete args;
        delete[] base;
    });
}

TEST(Fuzz, PropertyListGrowsByDoublingAndTerminatesInsideItsArray)
{
    static char pool[64];
    Fuzz("AddProperty/Terminate", 100000, [](Random& random) {
        CleanState clean;
        MallocCapture capture;
        std::vector<char*> added;
        int capacity = 0;
        size_t slots = 0;
        for (size_t steps = random.Between(1, 60); steps > 0; --steps) {
            if (random.Percent(85)) {
                char* property = &pool[random.Below(sizeof pool)];
                if (static_cast<int>(added.size()) >= capacity)
                    slots = static_cast<size_t>(capacity = capacity == 0 ? 4 : capacity * 2);
                AddProperty(property);
                added.push_back(property);
            } else {
                if (capacity != 0 && static_cast<int>(added.size()) == capacity)
                    slots = added.size() + 1;
                TerminatePropertyList();
                if (JniPropertyList.entries != nullptr) {
                    ASSERT_EQ(JniPropertyList.entries[JniPropertyList.count], nullptr);
                }
            }
            const PropertyList& list = JniPropertyList;
            ASSERT_EQ(list.count, static_cast<int>(added.size()));
            ASSERT_EQ(list.capacity, capacity);
            if (slots == 0) {
                ASSERT_EQ(list.entries, nullptr);
                continue;
            }
            ASSERT_TRUE(IsGuardedBlock(list.entries, slots * sizeof(char*))) << "array of " << slots << " slots";
            for (size_t k = 0; k < added.size(); ++k)
                ASSERT_EQ(list.entries[k], added[k]);
        }
    });
}
