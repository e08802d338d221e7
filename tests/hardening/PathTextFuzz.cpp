// The shell's bounded path composers, writing into buffers that end at a guard page.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FuzzSupport.h"
#include "PathText.h"

TEST(Fuzz, PathComposersFillTheirBufferOrLeaveItEmpty)
{
    static const std::string alphabet = "ab:\\/. " + kHighBytes;
    Fuzz("ComposePath/DirectoryOfPath", 100000, [](Random& random) {
        std::string first = random.Text(alphabet, 0, random.Percent(20) ? 300 : 30);
        std::string second = random.Text(alphabet, 0, random.Percent(20) ? 300 : 20);
        size_t size = random.Percent(50) ? random.Between(0, 40) : random.Between(240, 280);
        char* buffer = new char[size];

        bool composed = ComposePath(buffer, size, first.c_str(), second.c_str());
        bool fits = first.size() + second.size() < size;
        ASSERT_EQ(composed, fits) << Show(first) << " " << Show(second) << " into " << size;
        if (size > 0) {
            ASSERT_EQ(std::string(buffer), fits ? first + second : "");
        }

        // The directory part runs to the last separator that is a character of its own, not the
        // trail byte of a double-byte character.
        std::string path = first + second;
        std::string directory;
        for (const char* at = path.c_str(); *at != 0; at = CharNextExA(static_cast<WORD>(GetACP()), at, 0)) {
            if (*at == '\\' || *at == '/')
                directory = path.substr(0, static_cast<size_t>(at - path.c_str()) + 1);
        }
        bool found = DirectoryOfPath(path.c_str(), buffer, size);
        ASSERT_EQ(found, !directory.empty() && directory.size() < size) << Show(path) << " into " << size;
        if (size > 0) {
            ASSERT_EQ(std::string(buffer), found ? directory : "");
        }
        delete[] buffer;
    });
}
