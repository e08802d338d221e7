#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "AllocOrThrow.h"
#include "LaunchLog.h"
#include "LoaderOptions.h"

namespace {

char baseClassPath[] = "X";

JDK1_1InitArgs Defaults()
{
    JDK1_1InitArgs args = {};
    args.nativeStackSize = args.javaStackSize = args.minHeapSize = args.maxHeapSize = 7;
    args.verifyMode = args.enableClassGC = args.enableVerboseGC = args.disableAsyncGC = args.verbose = 7;
    args.classpath = baseClassPath;
    return args;
}

std::string Fields(const JDK1_1InitArgs& a)
{
    std::string text;
    for (jint value : {a.nativeStackSize, a.javaStackSize, a.minHeapSize, a.maxHeapSize, a.verifyMode, a.enableClassGC,
                       a.enableVerboseGC, a.disableAsyncGC, a.verbose})
        text += std::to_string(value) + " ";
    return text + a.classpath;
}

std::string Properties()
{
    std::string text;
    for (int i = 0; i < JniPropertyList.count; ++i)
        text += std::string("[") + JniPropertyList.entries[i] + "]";
    return text;
}

void ResetProperties()
{
    std::free(JniPropertyList.entries);
    JniPropertyList = {0, nullptr, 0};
}

// A writable argument vector without the program name, ending with a null element.
class Vector {
public:
    Vector(std::initializer_list<const char*> elements) : texts(elements.begin(), elements.end()) {}
    int Parse(JDK1_1InitArgs* args)
    {
        pointers.clear();
        for (std::string& text : texts)
            pointers.push_back(&text[0]);
        pointers.push_back(nullptr);
        count = static_cast<int>(texts.size());
        position = pointers.data();
        return ParseLoaderOptions(&count, &position, args);
    }
    int Consumed() const { return static_cast<int>(position - pointers.data()); }

    std::vector<std::string> texts;
    std::vector<char*> pointers;
    int count = 0;
    char** position = nullptr;
};

}  // namespace

TEST(LoaderOptions, TableOrderAndEffects)
{
    ResetProperties();
    JDK1_1InitArgs args = Defaults();
    Vector none{"M", "-verbose"};
    EXPECT_EQ(none.Parse(&args), 0);
    EXPECT_EQ(none.Consumed(), 0);
    EXPECT_EQ(none.count, 2);

    Vector all{"-verbosegc", "-ss999", "-oss128K", "-ms512k", "-mss1", "-mx 64m", "-mx32mb", "-mx", "-noasyncgc",
               "-verifyremote", "-Dx=1", "-Dy", "-D", "-Debug", "-nojit", "-noclassgc", "M", "-v"};
    EXPECT_EQ(all.Parse(&args), 0);
    EXPECT_EQ(all.Consumed(), 16);
    EXPECT_EQ(all.count, 2);
    EXPECT_EQ(Fields(args), "7 131072 524288 67108864 1 0 1 1 7 X");
    EXPECT_EQ(Properties(), "[x=1][y][][ebug][java.compiler=]");
    Vector more{"-ss1000", "-noverify", "-v", "-verify"};
    EXPECT_EQ(more.Parse(&args), 0);
    EXPECT_EQ(Fields(args), "1000 131072 524288 67108864 2 0 1 1 1 X");
    EXPECT_EQ(LaunchLog.GetLength(), 0);

    // Refusals leave the count and the position alone; only unknown options and a missing
    // class path have a text of their own.
    const std::pair<Vector, const char*> refused[] = {
        {{"-h"}, ""}, {{"-?"}, ""}, {{"-help"}, ""}, {{"-VERBOSE"}, "Illegal option: -VERBOSE\r\n"},
        {{"-"}, "Illegal option: -\r\n"}, {{"-classpathX", "A"}, "Illegal option: -classpathX\r\n"},
        {{"-v", "-cp"}, "No class path given for cp option\r\n"},
        {{"-classpath"}, "No class path given for classpath option\r\n"},
    };
    for (auto [vector, text] : refused) {
        LaunchLog = "";
        EXPECT_EQ(vector.Parse(&args), -1) << vector.texts[0];
        EXPECT_EQ(vector.Consumed(), 0);
        EXPECT_EQ(vector.count, static_cast<int>(vector.texts.size()));
        EXPECT_EQ(std::string(LaunchLog), text);
    }
    ResetProperties();
}

TEST(LoaderOptions, ClassPathOwnership)
{
    JDK1_1InitArgs args = Defaults();
    Vector prepend{"-cp", "A", "-cp", "B"};
    EXPECT_EQ(prepend.Parse(&args), 0);
    EXPECT_STREQ(args.classpath, "B;A;X");
    Vector replace{"-classpath", "A", "-cp", "B"};
    EXPECT_EQ(replace.Parse(&args), 0);
    EXPECT_STREQ(args.classpath, "B;A");
    Vector taken{"-classpath", "-verbose", "M"};
    EXPECT_EQ(taken.Parse(&args), 0);
    EXPECT_EQ(args.classpath, taken.pointers[1]) << "the vector's own element, not a copy";
    EXPECT_EQ(*taken.position, taken.pointers[2]);
}

TEST(LoaderOptions, SizesWrapIn32Bits)
{
    const std::pair<const char*, int32_t> sizes[] = {
        {"1000", 1000}, {" 12k", 12288}, {"+3M", 3145728}, {"-1k", -1024}, {"", 0}, {"k", 0}, {"12x", -1},
        {"12kb", -1}, {"12 ", -1}, {"2047m", 2146435072}, {"2048m", INT32_MIN}, {"4095m", -1048576}, {"4096m", 0},
        {"3000000k", -1222967296}, {"99999999999", INT32_MAX}, {"99999999999k", -1024}};
    for (auto [text, size] : sizes)
        EXPECT_EQ(ParseSize(text), size) << text;
}

TEST(LoaderOptions, PropertyListGrowsAndTerminates)
{
    ResetProperties();
    char entry[] = "a=b";
    const std::pair<int, int> capacities[] = {{1, 4}, {4, 4}, {5, 8}, {8, 8}, {9, 16}, {16, 16}};
    for (int added = 1; added <= 16; ++added) {
        AddProperty(entry);
        for (auto [count, capacity] : capacities) {
            if (count == added) {
                EXPECT_EQ(JniPropertyList.capacity, capacity) << added << " entries";
            }
        }
    }
    char** full = JniPropertyList.entries;
    TerminatePropertyList();
    EXPECT_NE(JniPropertyList.entries, full) << "16 of 16 slots used: a larger array";
    EXPECT_EQ(JniPropertyList.entries[16], nullptr);
    EXPECT_EQ(JniPropertyList.count, 16);
    ResetProperties();
    for (int added = 0; added < 3; ++added)
        AddProperty(entry);
    char** roomy = JniPropertyList.entries;
    roomy[3] = entry;
    TerminatePropertyList();
    EXPECT_EQ(JniPropertyList.entries, roomy);
    EXPECT_EQ(roomy[3], nullptr);
    ResetProperties();
    TerminatePropertyList();
    EXPECT_EQ(JniPropertyList.entries, nullptr);
}

TEST(LoaderOptions, UsageText)
{
    LaunchLog = "before\r\n";
    AppendUsage();
    const std::string usage = std::string(LaunchLog).substr(8);
    EXPECT_EQ(usage.size(), 988u);
    EXPECT_EQ(usage,
              "Velkor Java(tm) Runtime Loader\r\n"
              "Usage: Velkor [-options] classname [arguments]\r\n"
              "Options:\r\n"
              "    -?, -help         print out this message\r\n"
              "    -v, -verbose      turn on verbose mode\r\n"
              "    -verbosegc        print a message when garbage collection occurs\r\n"
              "    -noasyncgc        disable asynchronous garbage collection\r\n"
              "    -noclassgc        disable class garbage collection\r\n"
              "    -ss<number>       set the maximum native stack size for any thread\r\n"
              "    -oss<number>      set the maximum Java stack size for any thread\r\n"
              "    -ms<number>       set the initial Java heap size\r\n"
              "    -mx<number>       set the maximum Java heap size\r\n"
              "    -D<name>=<value>  set a system property\r\n"
              "    -classpath <path> set class path to <path>\r\n"
              "    -cp <path>        prepend <path> to base class path\r\n"
              "    -verify           verify all classes when loaded\r\n"
              "    -verifyremote     verify classes loaded from the network (default)\r\n"
              "    -noverify         do not verify any classes\r\n"
              "    -nojit            disable JIT compiler\r\n");
    LaunchLog = "";
}

TEST(AllocOrThrow, ExhaustedHeapPrintsMallocAndThrowsTheFailureSignal)
{
    testing::internal::CaptureStderr();
    EXPECT_THROW(AllocOrThrow(SIZE_MAX), int);
    EXPECT_EQ(testing::internal::GetCapturedStderr().substr(0, 8), "malloc: ");
}
