// The bounded path composers: exact fit, one byte over, directory of a module path.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "PathText.h"

TEST(PathText, ComposePathFillsTheBufferExactlyAndNoFurther)
{
    char buffer[9];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_TRUE(ComposePath(buffer, 8, "abc", "defg"));  // 7 characters and the terminator
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_FALSE(ComposePath(buffer, 8, "abcd", "efgh"));
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(buffer[8], 'x');
    EXPECT_FALSE(ComposePath(buffer, 8, "abcdefghijk", ""));
    EXPECT_FALSE(ComposePath(buffer, 0, "", ""));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(ComposePath(buffer, 1, "", ""));
}

TEST(PathText, DirectoryOfPathKeepsTheLastSeparator)
{
    char buffer[16];
    EXPECT_TRUE(DirectoryOfPath("C:\\Apps\\loader.exe", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:\\Apps\\");
    EXPECT_TRUE(DirectoryOfPath("C:\\a/b\\", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:\\a/b\\");
    EXPECT_TRUE(DirectoryOfPath("C:/x.exe", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:/");
    EXPECT_FALSE(DirectoryOfPath("loader.exe", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
    EXPECT_TRUE(DirectoryOfPath("C:\\12345678901\\x", buffer, sizeof buffer));  // 15 + terminator
    EXPECT_STREQ(buffer, "C:\\12345678901\\");
    EXPECT_FALSE(DirectoryOfPath("C:\\123456789012\\x", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "");
}

// Code page 932 (the test runs a second time with LC_ALL=ja_JP.UTF-8): the trail byte of a
// double-byte character may be 0x5C, the backslash, and must not end the directory.
TEST(PathText, DoubleByteTrailBytesAreNotSeparators)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs code page 932";
    char buffer[32];
    EXPECT_TRUE(DirectoryOfPath("C:\\dir\\\x95\x5C.exe", buffer, sizeof buffer));  // "C:\dir\<hyo>.exe"
    EXPECT_STREQ(buffer, "C:\\dir\\");
    EXPECT_TRUE(DirectoryOfPath("C:\\\x95\x5C\\x.exe", buffer, sizeof buffer));
    EXPECT_STREQ(buffer, "C:\\\x95\x5C\\");
}
