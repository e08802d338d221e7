// The COM launcher's reporters and their bounded formatting, with echoed texts of any length.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "LaunchLog.h"
#include "Messages.h"
#include "Reference.h"
#include "resource.h"

namespace {

const char kMainHint[] =
    "\t%s must have a method of the following form to be run using Velkor:\r\n"
    "\t\tpublic static void main(String args[])\r\n\tIf %s is an applet, you must run it using a browser.";

std::string Echoed(Random& random)
{
    static const std::vector<size_t> lengths = {0, 1, 100, 511, 512, 2000, 2029, 2030, 2040, 2047, 2048, 5000};
    std::string text = random.Text("ab %%sdn%x%%" + kHighBytes, 0, random.Percent(50) ? random.Pick(lengths) : 5000);
    if (random.Percent(20))
        text = random.Text("%s", 1, 40) + text;
    return text;
}

// Replaces the first "%s" of format by each value in turn, as the formatter must.
std::string Filled(std::string format, const std::vector<std::string>& values)
{
    size_t at = 0;
    for (const std::string& value : values) {
        at = format.find("%s", at);
        format.replace(at, 2, value);
        at += value.size();
    }
    return format;
}

// Double-byte code pages and single-byte ones; lead bytes dominate the texts.
const std::vector<UINT> kCodePages = {932, 936, 949, 950, 1252, 437};
const std::string kDoubleByteAlphabet = "ab%\x81\x82\x9f\xe0\xfc\x40\x7e\xa1\xfe\xc4";

}  // namespace

TEST(Fuzz, ReportMessageAlwaysStartsWithThePrefixAndStaysInItsArea)
{
    static const std::vector<std::pair<UINT, std::string>> catalogue = {
        {0, "%s"}, {7, "No path given for %s switch"}, {8, "Invalid command line switch: %s"}, {1, "Out of memory"},
        {10, "No class file given"}, {19, "The current version of the Java VM does not support custom system properties."}};
    Fuzz("ReportMessage", 100000, [](Random& random) {
        const auto& message = random.Pick(catalogue);
        std::string echoed = Echoed(random);
        ComJavaRunner runner(0, nullptr);
        runner.pauseOnError = static_cast<int>(random.Below(2));
        LaunchLog = "";
        ReportMessage(&runner, message.first, echoed.c_str());
        std::string text = message.second.find("%s") != std::string::npos ? Filled(message.second, {echoed}) : message.second;
        ASSERT_EQ(std::string(LaunchLog), ReportLine(text)) << "id " << message.first << ", " << Show(echoed);
    });
}

TEST(Fuzz, ReportSystemErrorKeepsEveryPartInItsBuffer)
{
    static const std::vector<uint32_t> codes = {0x80070002, 0x80004005, 0x80020003, 0x80040154, 0x80004002, 0x8007000e};
    Fuzz("ReportSystemError", 100000, [](Random& random) {
        HRESULT code = static_cast<HRESULT>(random.Percent(70) ? random.Pick(codes) : static_cast<uint32_t>(random.Next()));
        std::string echoed = Echoed(random);
        std::string className = Echoed(random);
        char* classText = GuardedText(className);
        ComJavaRunner runner(0, nullptr);
        runner.className = classText;  // the runner frees it
        LaunchLog = "";
        ReportSystemError(&runner, code, IDS_COULD_NOT_EXECUTE, echoed.c_str());

        std::string wanted = SystemErrorReport("Could not execute " + echoed, code, className);
        ASSERT_EQ(std::string(LaunchLog), wanted) << "code " << std::hex << code << ", " << Show(echoed);
    });
}

TEST(Fuzz, FormatBoundedCutsOnlyWholeCharactersAndNeverPassesItsBuffer)
{
    Fuzz("FormatBounded/MemberHint", 100000, [](Random& random) {
        UINT codePage = random.Pick(kCodePages);
        std::string first = random.Text(kDoubleByteAlphabet, 0, random.Percent(10) ? 3000 : 300);
        std::string second = random.Text(kDoubleByteAlphabet, 0, 40);
        size_t size = random.Between(1, 700);
        char* buffer = new char[size];
        size_t length;
        std::string full;
        if (random.Percent(80)) {
            length = FormatBounded(buffer, size, codePage, "Could not execute %s%s", first.c_str(), second.c_str());
            full = "Could not execute " + first + second;
        } else {
            // The hint is formatted in the OEM code page, whatever the buffer.
            MakeMemberHint(first.c_str(), buffer, size);
            codePage = GetOEMCP();
            length = std::strlen(buffer);
            full = Filled(kMainHint, {first, first});
        }
        std::string wanted = CutToCharacters(full, size - 1, codePage);
        std::string got(buffer, length);
        bool terminated = buffer[length] == 0;
        delete[] buffer;
        ASSERT_TRUE(terminated);
        ASSERT_EQ(got, wanted) << "code page " << codePage << ", size " << size << ", " << Show(first) << " "
                               << Show(second);
    });
}
