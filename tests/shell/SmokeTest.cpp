#include <gtest/gtest.h>
#include "PathText.h"
TEST(Smoke, Compose) { char b[8]; EXPECT_FALSE(ComposePath(b, sizeof b, "abcd", "efgh")); EXPECT_TRUE(ComposePath(b, sizeof b, "abc", "efgh")); EXPECT_STREQ(b, "abcefgh"); }
int RunWithComRuntime(int, char**) { return 0; }
void RunWithJniRuntime(int, char**) {}
