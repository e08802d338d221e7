// The suffix cut and the test for a class argument that names a file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ClassResolution.h"

namespace {

struct Cut {
    std::string name;     // what is left in front of the terminator
    ptrdiff_t position;   // where the '.' was
    std::string restored; // the buffer with the '.' written back
};

Cut CutOf(const char* original)
{
    std::string buffer = original;
    ptrdiff_t position = CutClassSuffix(&buffer[0], buffer.size());
    Cut cut{buffer.c_str(), position, buffer};
    if (position != kNoSuffixCut)
        cut.restored[static_cast<size_t>(position)] = '.';
    return cut;
}

TEST(ClassSuffix, CutsOnlyWholeSuffixesAndKeepsTheRestForTheRetry)
{
    for (const char* name : {"Foo.class", "Foo.Class", "Foo.CLASS"}) {
        Cut cut = CutOf(name);
        EXPECT_EQ(cut.name, "Foo") << name;
        EXPECT_EQ(cut.position, 3) << name;
        EXPECT_EQ(cut.restored, name) << name;
    }
    for (const char* name : {"Foo.cla", "Foo.CLA", "x.cla"}) {
        Cut cut = CutOf(name);
        EXPECT_EQ(cut.name, std::string(name, std::strlen(name) - 4)) << name;
        EXPECT_EQ(cut.restored, name) << name;
    }
    EXPECT_EQ(CutOf(".class").name, "");
    EXPECT_EQ(CutOf(".class").position, 0);
    // Four characters or fewer, or a five-character name without ".cla": nothing is cut.
    for (const char* name : {".cla", "Velkor", "abcde", "Foo.clas", "Foo.classes", "Fooclass", "a.b.class.x"})
        EXPECT_EQ(CutOf(name).position, kNoSuffixCut) << name;
    EXPECT_EQ(CutOf("a.b.class").name, "a.b");
}

TEST(ClassSuffix, OnlyDriveOrBackslashNamesAreLookedUpAsFiles)
{
    for (const char* name : {"C:\\apps\\Foo", "C:Foo", "apps\\Foo", "\\\\server\\share\\Foo", "ab\\"})
        EXPECT_TRUE(NamesClassFile(name, std::strlen(name))) << name;
    for (const char* name : {"Velkor", "C:", "\\a", "com.example.Foo", "apps/Foo"})
        EXPECT_FALSE(NamesClassFile(name, std::strlen(name))) << name;
}

}  // namespace
