// The COM launcher's class argument: the class-file suffix cut and the resolution of a file
// path into a class name and a class-path directory, with paths around the 260-character limit.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "ClassResolution.h"
#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "LaunchLog.h"
#include "Reference.h"

namespace {

const std::string kNameAlphabet = "abcXYZ01._-$" + kHighBytes;

bool EndsWithAnyCase(const std::string& text, const std::string& suffix)
{
    if (text.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = text[text.size() - suffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) != suffix[i])
            return false;
    }
    return true;
}

// Where the cut must fall: ".cla" on a name longer than four characters, else ".class".
ptrdiff_t ExpectedCut(const std::string& name)
{
    if (name.size() > 4 && EndsWithAnyCase(name, ".cla"))
        return static_cast<ptrdiff_t>(name.size() - 4);
    if (name.size() > 4 && EndsWithAnyCase(name, ".class"))
        return static_cast<ptrdiff_t>(name.size() - 6);
    return kNoSuffixCut;
}

// Cuts name (a guarded text holding original) and checks that only the one '.' changed.
void CheckCut(char* name, size_t length, const std::string& original)
{
    ptrdiff_t cut = CutClassSuffix(name, length);
    ASSERT_EQ(cut, ExpectedCut(original)) << Show(original);
    std::string after(name, original.size());
    if (cut != kNoSuffixCut) {
        ASSERT_EQ(after[static_cast<size_t>(cut)], 0) << Show(original);
        after[static_cast<size_t>(cut)] = '.';
    }
    ASSERT_EQ(after, original) << "more than the '.' changed in " << Show(original);
    ASSERT_EQ(name[original.size()], 0);
}

std::string SuffixedName(Random& random)
{
    static const std::vector<std::string> endings = {"",     ".cla",   ".CLA",  ".class", ".Class", ".clas", ".classx",
                                                     ".cl",  "cla",    ".c",    ".",      ".cla.class", "class", ".CLASS"};
    static const std::vector<size_t> lengths = {0, 1, 2, 4, 5, 6, 250, 254, 255, 256, 259, 260, 261, 265};
    std::string name = random.Text(kNameAlphabet, 0, random.Percent(30) ? random.Pick(lengths) : 12) + random.Pick(endings);
    return random.Percent(10) ? random.Mutate(name, kNameAlphabet) : name;
}

// A folder tree with class files, some of whose paths lie just inside and just beyond 260
// characters, and the current folder set to its root.
struct ClassTree {
    std::string root;
    std::vector<std::string> longFiles;  // full paths of "Foo.class" files, 250 to 262 characters long

    ClassTree()
    {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        root = std::string(temp) + "vfz" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(root.c_str(), nullptr);
        CreateDirectoryA((root + "\\sub").c_str(), nullptr);
        CreateDirectoryA((root + "\\Dir.class").c_str(), nullptr);
        for (const char* file : {"Foo.class", "Bar", "Baz.cla", "sub\\Qux.class", "sub\\Qux"})
            Touch(root + "\\" + file);
        for (size_t length = 250; length <= 262; ++length) {
            size_t folderLength = length - std::strlen("\\Foo.class") - root.size() - 1;
            std::string folder = root + "\\" + std::string(folderLength, 'L');
            bool made = CreateDirectoryW(Long(folder).c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
            if (made && Touch(folder + "\\Foo.class"))
                longFiles.push_back(folder + "\\Foo.class");
        }
        SetCurrentDirectoryA(root.c_str());
    }

    ~ClassTree()
    {
        SetCurrentDirectoryA("C:\\");
        for (const std::string& file : longFiles) {
            DeleteFileW(Long(file).c_str());
            RemoveDirectoryW(Long(file.substr(0, file.size() - std::strlen("\\Foo.class"))).c_str());
        }
        for (const char* file : {"Foo.class", "Bar", "Baz.cla", "sub\\Qux.class", "sub\\Qux"})
            DeleteFileA((root + "\\" + file).c_str());
        for (const char* folder : {"\\sub", "\\Dir.class", ""})
            RemoveDirectoryA((root + folder).c_str());
    }

    // Through the wide functions with the long-path prefix: the ANSI ones stop at 260 characters.
    static std::wstring Long(const std::string& path)
    {
        std::wstring wide(path.size(), L'\0');
        for (size_t i = 0; i < path.size(); ++i)
            wide[i] = static_cast<unsigned char>(path[i]);
        return L"\\\\?\\" + wide;
    }

    static bool Touch(const std::string& path)
    {
        HANDLE file = CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        CloseHandle(file);
        return true;
    }
};

// A class argument: a name in the tree in one of its forms, one of the long files, or junk.
// Which entry each tree name must find is checked case by case in the unit tests; here a long
// file whose path fits must be found, and nothing may be found that does not fit.
std::string ClassArgument(Random& random, const ClassTree& tree, bool* mustResolve)
{
    static const std::vector<std::string> names = {"Foo.class", "Foo",       "FOO.CLASS", "foo",         "Bar",
                                                   "Baz.cla",   "Baz",       "sub\\Qux",  "sub\\Qux.class", "Dir",
                                                   "Nope",      "sub\\..\\Foo", "F*",        "?oo.class",   "sub\\"};
    *mustResolve = false;
    switch (random.Below(4)) {
    case 0: {
        // Absolute, drive-relative from the current folder, relative with a backslash, or padded
        // with ".\\" that the full path loses: a long argument, a short path.
        std::string name = random.Pick(names);
        size_t form = random.Below(4);
        if (form < 3)
            return form == 0 ? tree.root + "\\" + name : form == 1 ? "C:" + name : ".\\" + name;
        std::string padded = tree.root + "\\" + name;
        for (size_t target = random.Between(250, 265); padded.size() < target;)
            padded.insert(tree.root.size() + 1, ".\\");
        return padded;
    }
    case 1: {
        const std::string& file = random.Pick(tree.longFiles);
        *mustResolve = file.size() <= 260;  // the full path, and without the suffix the path with it, fit
        return random.Percent(50) ? file : file.substr(0, file.size() - std::strlen(".class"));
    }
    default: {
        std::string name = random.Text("ab.\\/:*?C " + kHighBytes, 0, random.Percent(30) ? 300 : 20);
        return random.Percent(50) ? "C:" + name : name;
    }
    }
}

// The directory that the full path of name lies in, as the system forms it.
std::string FullDirectory(const std::string& name)
{
    char full[4096];
    char* filePart = nullptr;
    DWORD length = GetFullPathNameA(name.c_str(), sizeof full, full, &filePart);
    if (length == 0 || length >= sizeof full || filePart == nullptr)
        return std::string();
    return std::string(full, static_cast<size_t>(filePart - full - 1));
}

}  // namespace

TEST(Fuzz, SuffixCutMovesNothingButTheOneDot)
{
    Fuzz("CutClassSuffix", 100000, [](Random& random) {
        std::string name = SuffixedName(random);
        char* text = GuardedText(name);
        CheckCut(text, name.size(), name);
        delete[] text;
    });
}

TEST(Fuzz, PathResolutionNeverYieldsANameOrDirectoryBeyond260Characters)
{
    static ClassTree tree;
    ASSERT_FALSE(tree.longFiles.empty()) << "no class file with a path of 250 to 262 characters could be made";
    // Every input searches the file system several times (a few hundred microseconds under Wine),
    // so fewer inputs run by default; VELKOR_FUZZ_COUNT asks for more.
    Fuzz("ResolveClassFile", 10000, [](Random& random) {
        bool mustResolve = false;
        std::string given = ClassArgument(random, tree, &mustResolve);
        std::string oldPath = random.Percent(30) ? "" : random.Text("ab;.\\" + kHighBytes, 1, 30);
        bool hasPath = random.Percent(85);
        ComJavaRunner runner(0, nullptr);
        runner.className = GuardedText(given);
        runner.classPath = hasPath ? GuardedText(oldPath) : nullptr;
        char* classPathBefore = runner.classPath;
        LaunchLog = "";

        size_t length = given.size();
        bool lookedUp = NamesClassFile(runner.className, length);
        ASSERT_EQ(lookedUp, length > 2 && (given[1] == ':' || given.find('\\') != std::string::npos));
        if (lookedUp)
            length = ResolveClassFile(&runner, length);
        std::string name = runner.className;
        ASSERT_EQ(length, name.size());
        bool resolved = runner.classPath != classPathBefore;
        // The ANSI full-path function takes no argument of MAX_PATH characters or more.
        if (mustResolve && !FullDirectory(given).empty()) {
            ASSERT_TRUE(resolved) << Show(given);
            ASSERT_EQ(name, "Foo.class");
        }
        if (!resolved) {
            ASSERT_EQ(name, given);
        } else {
            std::string directory = FullDirectory(given);
            ASSERT_LE(name.size(), 260u) << Show(given);
            ASSERT_LE(directory.size(), 260u) << Show(given);
            ASSERT_EQ(name.find_first_of("\\/"), std::string::npos) << Show(name);
            ASSERT_NE(GetFileAttributesA((directory + "\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << Show(name);
            std::string wanted = hasPath && !oldPath.empty() ? AppendedPath(&directory, oldPath) : directory;
            ASSERT_EQ(std::string(runner.classPath), wanted) << Show(given);
            ASSERT_TRUE(IsGuardedBlock(runner.className, name.size() + 1));
        }
        EXPECT_EQ(LaunchLog.GetLength(), 0);
        CheckCut(runner.className, length, name);
    });
}
