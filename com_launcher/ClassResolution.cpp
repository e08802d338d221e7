// Class argument resolution: a file path becomes a class name plus a class-path entry, and a
// class-file suffix is cut off the name before the VM sees it.
#include "ClassResolution.h"

#include <windows.h>

#include <cstring>

#include "ComJavaRunner.h"

namespace {

const char kClassSuffix[] = ".class";
const size_t kClassSuffixLength = sizeof kClassSuffix - 1;
const char kShortClassSuffix[] = ".cla";
const size_t kShortClassSuffixLength = sizeof kShortClassSuffix - 1;

// Searches for path; when nothing is there, appends ".class" (if it still fits in the buffer)
// and searches once more. Returns the open search, or INVALID_HANDLE_VALUE.
HANDLE FindClassFile(char* path, WIN32_FIND_DATAA* found)
{
    HANDLE search = FindFirstFileA(path, found);
    if (search != INVALID_HANDLE_VALUE)
        return search;
    size_t length = std::strlen(path);
    if (length + kClassSuffixLength > static_cast<size_t>(kFullPathCharacters))
        return INVALID_HANDLE_VALUE;
    std::memcpy(path + length, kClassSuffix, sizeof kClassSuffix);
    return FindFirstFileA(path, found);
}

}  // namespace

bool NamesClassFile(const char* name, size_t length)
{
    return length > 2 && (name[1] == ':' || std::strchr(name, '\\') != nullptr);
}

size_t ResolveClassFile(ComJavaRunner* runner, size_t length)
{
    // On failure AllocText has reported "Out of memory"; the argument then goes on as given.
    char* directory = runner->AllocText(kFullPathCharacters);
    if (directory == nullptr)
        return length;

    // A result beyond the buffer's capacity is the size the path would need, not a path.
    // A full path ending in a separator has no file-name part to look for.
    char* filePart = nullptr;
    DWORD fullLength = GetFullPathNameA(runner->className, kFullPathCharacters + 1, directory, &filePart);
    if (fullLength == 0 || fullLength > static_cast<DWORD>(kFullPathCharacters) || filePart == nullptr ||
        filePart <= directory) {
        delete[] directory;
        return length;
    }

    WIN32_FIND_DATAA found;
    HANDLE search = FindClassFile(directory, &found);
    if (search == INVALID_HANDLE_VALUE) {
        delete[] directory;
        return length;
    }
    FindClose(search);

    // The directory without its trailing separator; for a drive's root, the bare "C:".
    filePart[-1] = 0;

    size_t nameLength = std::strlen(found.cFileName);
    char* name = runner->AllocText(static_cast<int>(nameLength));
    if (name == nullptr) {
        delete[] directory;
        return length;
    }
    std::memcpy(name, found.cFileName, nameLength + 1);

    // The directory goes in front of the class path. Without memory for that, the name and
    // the class path both stay as they were ("Out of memory" has been reported).
    if (runner->classPath != nullptr && runner->classPath[0] != 0 &&
        !runner->AppendPath(&directory, runner->classPath)) {
        delete[] directory;
        delete[] name;
        return length;
    }
    delete[] runner->classPath;
    runner->classPath = directory;
    delete[] runner->className;
    runner->className = name;
    return nameLength;
}

ptrdiff_t CutClassSuffix(char* name, size_t length)
{
    if (length <= kShortClassSuffixLength)
        return kNoSuffixCut;
    size_t cut = length - kShortClassSuffixLength;
    if (_stricmp(name + cut, kShortClassSuffix) != 0) {
        if (length < kClassSuffixLength)
            return kNoSuffixCut;
        cut = length - kClassSuffixLength;
        if (_stricmp(name + cut, kClassSuffix) != 0)
            return kNoSuffixCut;
    }
    name[cut] = 0;
    return static_cast<ptrdiff_t>(cut);
}
