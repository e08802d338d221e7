// The JNI launcher's text scanners: the runtime's version text and the size of a size option.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LoaderOptions.h"
#include "Reference.h"
#include "RuntimeDiscovery.h"

namespace {

const std::string kVersionAlphabet = "0123456789....aZrc_- \t" + kHighBytes.substr(0, 3);

bool AllOf(const std::string& text, bool alphanumeric)
{
    if (text.empty())
        return false;
    for (char c : text) {
        bool digit = c >= '0' && c <= '9';
        bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!digit && !(alphanumeric && letter))
            return false;
    }
    return true;
}

// The accepted forms, checked field by field: digits.digits or digits.digits.alphanumerics.
bool SplitVersion(const std::string& text, std::vector<std::string>* parts)
{
    parts->clear();
    size_t start = 0;
    for (;;) {
        size_t dot = text.find('.', start);
        parts->push_back(text.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos)
            break;
        start = dot + 1;
    }
    if (parts->size() != 2 && parts->size() != 3)
        return false;
    return AllOf((*parts)[0], false) && AllOf((*parts)[1], false) && (parts->size() == 2 || AllOf((*parts)[2], true));
}

std::string VersionInput(Random& random)
{
    static const std::vector<std::string> examples = {"1.1", "1.1.7", "1.2.2rc", "01.10", "1", "1.", "1.1.", "1.1.7_01",
                                                      "r1.1", " 1.1", "1.1 ", "1.1.7.", "1..1", ".1.1"};
    switch (random.Below(4)) {
    case 0:
        return random.Text(kVersionAlphabet, 0, 12);
    case 1:
        return random.Pick(examples);
    case 2: {
        // Long runs: the parts are copied into blocks of their exact size.
        std::string text = random.Text("0123456789", 1, 300) + "." + random.Text("0123456789", 1, 300);
        return random.Percent(50) ? text + "." + random.Text("0123456789abcXYZ", 1, 300) : text;
    }
    default:
        return random.Mutate(random.Pick(examples), kVersionAlphabet);
    }
}

std::string SizeInput(Random& random)
{
    static const std::vector<std::string> examples = {"64m", "2048m", "4096m", " 64m", "-1k", "2147483648",
                                                      "99999999999999999999k", "0x10", "\t7M"};
    static const std::string alphabet = "0123456789kKmM +-\t\nxs." + kHighBytes.substr(3, 3);
    return random.Percent(50) ? random.Text(alphabet, 0, 14) : random.Mutate(random.Pick(examples), alphabet);
}

}  // namespace

TEST(Fuzz, ParseVersionAcceptsExactlyTheTwoFormsAndItsPartsRejoin)
{
    static char untouched = 0;
    Fuzz("ParseVersion", 100000, [](Random& random) {
        std::string text = VersionInput(random);
        std::vector<std::string> expected;
        bool accepted = SplitVersion(text, &expected);

        char* input = GuardedText(text);
        char* parts[3] = {&untouched, &untouched, &untouched};
        int result = ParseVersion(input, &parts[0], &parts[1], &parts[2]);
        delete[] input;

        ASSERT_EQ(result, accepted ? 0 : -1) << Show(text);
        if (!accepted) {
            for (char* part : parts)
                ASSERT_EQ(part, &untouched) << Show(text);
            return;
        }
        // Each part in a block of its exact size; joined with dots they give the input back.
        std::string joined;
        for (size_t i = 0; i < 3; ++i) {
            if (i == expected.size()) {
                ASSERT_EQ(parts[i], &untouched) << "micro part set for " << Show(text);
                break;
            }
            ASSERT_TRUE(IsGuardedBlock(parts[i], expected[i].size() + 1)) << Show(text);
            ASSERT_EQ(std::string(parts[i]), expected[i]) << Show(text);
            joined += (i == 0 ? "" : ".") + std::string(parts[i]);
            std::free(parts[i]);
        }
        ASSERT_EQ(joined, text);
    });
}

TEST(Fuzz, ParseSizeAgreesWithStrtolAndThe32BitShift)
{
    Fuzz("ParseSize", 100000, [](Random& random) {
        std::string text = SizeInput(random);
        char* input = GuardedText(text);
        int32_t size = ParseSize(input);
        delete[] input;
        ASSERT_EQ(size, ReferenceSize(text)) << Show(text);
    });
}
