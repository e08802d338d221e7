// The JNI launcher's dash-style options and its property list, on generated vectors. The option
// table itself is checked case by case in the unit tests; here the properties that must hold for
// any vector: the parser stays inside the vector, leaves its texts alone, and what it keeps
// points into the vector or into blocks of the right size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"

namespace {

const std::string kTextAlphabet = "abcXYZ019=;:\\/.- " + kHighBytes;

std::vector<std::string> OptionVector(Random& random)
{
    static const std::vector<std::string> options = {
        "-cp", "-classpath", "-D", "-ss", "-oss", "-ms", "-mx", "-noasyncgc", "-noclassgc", "-verify", "-verifyremote",
        "-noverify", "-nojit", "-v", "-verbose", "-verbosegc", "-?", "-help", "-", "-VERBOSE", "-cpx", "-mx64m", "-ss1k"};
    std::vector<std::string> elements;
    for (size_t n = random.Below(9); n > 0; --n) {
        std::string option = random.Pick(options);
        if (random.Percent(30))
            option += random.Text(kTextAlphabet, 0, 20);  // a value glued on, or a near miss
        else if (random.Percent(10))
            option = random.Mutate(option, kTextAlphabet);
        elements.push_back(option);
        if ((option == "-cp" || option == "-classpath") && random.Percent(90))
            elements.push_back(random.Text(kTextAlphabet, 0, 40));
        if (random.Percent(10))
            elements.push_back(random.Text(kTextAlphabet, 0, 20));  // the class name, or an argument
    }
    return elements;
}

bool StartsWith(const std::string& text, const char* prefix)
{
    return text.compare(0, std::strlen(prefix), prefix) == 0;
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

TEST(Fuzz, ParseLoaderOptionsStaysInsideItsVectorAndKeepsOnlyPointersItMayKeep)
{
    Fuzz("ParseLoaderOptions", 50000, [](Random& random) {
        std::vector<std::string> texts = OptionVector(random);
        GuardedVector vector(texts);
        std::string baseText = random.Text(kTextAlphabet, 0, 30);
        char* base = GuardedText(baseText);
        JDK1_1InitArgs* args = new JDK1_1InitArgs();
        args->classpath = base;

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

        std::string log = static_cast<const char*>(LaunchLog);
        int consumed = static_cast<int>(position - vector.Array());
        ASSERT_TRUE(result == 0 || result == -1);
        EXPECT_EQ(count, countBefore - consumed);
        if (result == 0) {
            EXPECT_EQ(log, "");
            ASSERT_LE(consumed, vector.Count());
            // Parsing stops at the first element that is not an option.
            if (consumed < vector.Count()) {
                EXPECT_TRUE(texts[consumed].empty() || texts[consumed][0] != '-');
            }
        } else {
            EXPECT_EQ(consumed, 0);
            EXPECT_TRUE(log.empty() || StartsWith(log, "Illegal option: -") || StartsWith(log, "No class path given for "));
        }
        // The class path is the old one, an element, or a new block of its exact size ("-cp").
        bool kept = args->classpath == base;
        for (int k = 0; k < vector.Count(); ++k)
            kept = kept || args->classpath == vector.Array()[k];
        EXPECT_TRUE(kept || IsGuardedBlock(args->classpath, std::strlen(args->classpath) + 1));

        const PropertyList& list = JniPropertyList;
        ASSERT_GE(list.count, earlier);
        size_t capacity = 4;
        while (capacity < static_cast<size_t>(list.count))
            capacity *= 2;
        EXPECT_EQ(static_cast<size_t>(list.capacity), list.count == 0 ? 0 : capacity);
        if (list.entries != nullptr) {
            EXPECT_TRUE(IsGuardedBlock(list.entries, sizeof(char*) * static_cast<size_t>(list.capacity)));
        }
        for (int k = earlier; k < list.count && list.entries != nullptr; ++k) {
            bool fromVector = false;
            for (int e = 0; e < vector.Count(); ++e)
                fromVector = fromVector || (list.entries[k] == vector.Array()[e] + 2 && StartsWith(texts[e], "-D"));
            EXPECT_TRUE(fromVector || std::strcmp(list.entries[k], "java.compiler=") == 0) << "property " << k;
        }
        for (size_t k = 0; k < texts.size(); ++k) {
            EXPECT_TRUE(vector.Holds(static_cast<int>(k), texts[k])) << "element " << k << " was changed";
        }

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
            for (size_t k = 0; k < added.size(); ++k) {
                ASSERT_EQ(list.entries[k], added[k]);
            }
        }
    });
}
