#include <gtest/gtest.h>

#include <cstdio>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    int result = RUN_ALL_TESTS();
    const testing::UnitTest& unit = *testing::UnitTest::GetInstance();
    std::printf("%d passed, %d failed, %d skipped\n", unit.successful_test_count(), unit.failed_test_count(),
                unit.skipped_test_count());
    std::fflush(stdout);
    return result;
}
