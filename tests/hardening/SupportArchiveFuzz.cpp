// The support archive locator, whose one result buffer is static and cannot be guarded: checked
// by what it returns and logs, for folders of every length around the 260-character buffer.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "LaunchLog.h"
#include "SupportArchive.h"

namespace {

// Folders beside which the archive lies as a file, as a folder, or not at all, and runtime
// homes with and without it in lib.
struct ArchiveTree {
    std::string root;
    std::vector<std::string> created;  // removed in reverse order

    ArchiveTree()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        root = std::string(temp) + "vfa" + std::to_string(GetCurrentProcessId());
        for (const char* folder : {"", "\\file", "\\folder", "\\folder\\swingall.jar", "\\none", "\\home",
                                   "\\home\\lib", "\\home\\lib\\swingall.jar", "\\bare"})
            Make(root + folder, true);
        Make(root + "\\file\\swingall.jar", false);
    }

    ~ArchiveTree()
    {
        for (auto it = created.rbegin(); it != created.rend(); ++it) {
            if (!RemoveDirectoryA(it->c_str()))
                DeleteFileA(it->c_str());
        }
    }

    void Make(const std::string& path, bool folder)
    {
        bool made = folder ? CreateDirectoryA(path.c_str(), nullptr) != 0
                           : CloseHandle(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        if (made)
            created.push_back(path);
    }
};

// A folder text padded with ".\" after root so that it is about length characters long; it
// names the same folder however long it gets.
std::string Padded(const std::string& folder, const std::string& root, size_t length)
{
    std::string padded = folder;
    while (padded.size() < length)
        padded.insert(root.size() + 1, ".\\");
    return padded;
}

std::string Folder(Random& random, const ArchiveTree& tree, bool home)
{
    static const std::vector<std::string> exeFolders = {"\\file\\", "\\folder\\", "\\none\\", "\\home\\", "\\nowhere\\"};
    static const std::vector<std::string> homes = {"\\home", "\\bare", "\\file", "\\nowhere", "\\home\\"};
    if (random.Percent(15))
        return random.Text("ab\\:. *?" + kHighBytes, 0, random.Percent(50) ? 600 : 20);
    std::string folder = tree.root + random.Pick(home ? homes : exeFolders);
    if (random.Percent(40)) {
        // Probes of 255 to 265 characters: the buffer holds 259 and the terminator.
        size_t tail = home ? std::strlen("\\lib\\swingall.jar") : std::strlen("swingall.jar");
        folder = Padded(folder, tree.root, random.Between(255, 265) - tail);
    }
    return folder;
}

// The tree does not change while the inputs run: the first paths asked about are remembered
// (the random ones rarely come again, and every block of the guarded heap takes a page).
bool Exists(const std::string& path)
{
    static std::map<std::string, bool> known;
    auto it = known.find(path);
    if (it != known.end())
        return it->second;
    bool exists = GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (known.size() < 2000)
        known.emplace(path, exists);
    return exists;
}

}  // namespace

TEST(Fuzz, SupportArchiveIsAnExistingPathThatFitsOrNullAndTheLogNamesEveryProbe)
{
    static ArchiveTree tree;
    // Every input asks the file system up to four times: fewer inputs by default, more through
    // VELKOR_FUZZ_COUNT.
    Fuzz("FindSupportArchive", 50000, [](Random& random) {
        bool hasExe = random.Percent(85);
        bool hasHome = random.Percent(70);
        std::string exe = hasExe ? Folder(random, tree, false) : "";
        std::string home = hasHome ? Folder(random, tree, true) : "";
        char* exeText = hasExe ? GuardedText(exe) : nullptr;
        char* homeText = hasHome ? GuardedText(home) : nullptr;
        LaunchLog = "";
        const char* found = FindSupportArchive(homeText, exeText);
        std::string log = static_cast<const char*>(LaunchLog);
        std::string result = found != nullptr ? found : "";
        delete[] exeText;
        delete[] homeText;

        // A probe counts as found when its whole path fits the buffer and names something.
        std::string wantedLog, wanted;
        std::vector<std::string> probes;
        if (hasExe)
            probes.push_back(exe + "swingall.jar");
        if (hasHome)
            probes.push_back(home + "\\lib\\swingall.jar");
        for (const std::string& probe : probes) {
            if (probe.size() < 260 && Exists(probe)) {
                wanted = probe;
                break;
            }
            wantedLog += "Did not find swingall.jar in " + probe + "\r\n";
        }
        ASSERT_EQ(result, wanted) << "exe folder " << Show(exe) << ", home " << Show(home);
        ASSERT_EQ(found == nullptr, wanted.empty());
        ASSERT_EQ(log, wantedLog);
        if (found != nullptr) {
            ASSERT_LT(std::strlen(found), 260u);
        }
    });
}
