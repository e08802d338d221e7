// AppendPath of the COM launcher: ';'-separated lists built one element at a time.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "Reference.h"

namespace {

const std::string kPathAlphabet = "abcXYZ019.:\\/ ;;-" + kHighBytes;

std::string PathElement(Random& random, bool withSeparators)
{
    // Without separators, also without bytes that a double-byte code page would pair with the ';'
    // that follows the element.
    std::string element = random.Text(withSeparators ? kPathAlphabet : "abcXYZ019.:\\/ -", 0, random.Percent(5) ? 300 : 30);
    if (withSeparators && random.Percent(20))
        element += random.Percent(50) ? ";" : ";;";
    return element;
}

std::vector<std::string> Split(const std::string& list)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t end; (end = list.find(';', start)) != std::string::npos; start = end + 1)
        parts.push_back(list.substr(start, end - start));
    return parts;
}

}  // namespace

TEST(Fuzz, AppendPathKeepsEachElementOnceInOrderAndClosesTheList)
{
    Fuzz("AppendPath", 100000, [](Random& random) {
        ComJavaRunner runner(0, nullptr);
        LaunchLog = "";
        // Elements without ';' make a list whose parts are exactly those elements; elements with
        // separators of their own are checked against the composed text only.
        bool plain = random.Percent(50);
        std::unique_ptr<std::string> expected;
        char* list = nullptr;
        if (!plain && random.Percent(60)) {
            expected.reset(new std::string(PathElement(random, true)));
            list = GuardedText(*expected);
        }
        std::vector<std::string> elements;
        for (size_t n = random.Between(1, 6); n > 0; --n) {
            std::string element = PathElement(random, !plain);
            char* text = GuardedText(element);
            int result = runner.AppendPath(&list, text);
            bool unchanged = element == text;
            delete[] text;
            std::string wanted = AppendedPath(expected.get(), element);
            expected.reset(new std::string(wanted));
            elements.push_back(element);

            ASSERT_EQ(result, 1);
            ASSERT_TRUE(unchanged) << "element changed: " << Show(element);
            ASSERT_EQ(std::string(list), wanted) << "after appending " << Show(element);
            ASSERT_TRUE(IsGuardedBlock(list, wanted.size() + 1));
            ASSERT_EQ(wanted.back(), ';');
        }
        if (plain) {
            EXPECT_EQ(Split(*expected), elements) << Show(*expected);
            bool emptyElement = std::find(elements.begin(), elements.end(), "") != elements.end();
            EXPECT_TRUE(emptyElement || expected->find(";;") == std::string::npos) << Show(*expected);
        }
        EXPECT_EQ(LaunchLog.GetLength(), 0);
        delete[] list;
    });
}
