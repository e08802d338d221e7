// Turning the class argument into what the VM expects: a file path becomes a class name in a
// directory placed on the class path, and a class-file suffix is cut off the name.
#pragma once

#include <cstddef>

class ComJavaRunner;

// Capacity, in characters, of the buffer in which a class file's full path is formed.
constexpr int kFullPathCharacters = 260;

// Position returned by CutClassSuffix when nothing was cut.
constexpr ptrdiff_t kNoSuffixCut = -1;

// True when the class argument is to be looked up as a file: it is longer than two
// characters and names a drive (second character ':') or contains a backslash.
bool NamesClassFile(const char* name, size_t length);

// Looks the runner's className up as a file (trying the name with ".class" appended when the
// name itself is not found). When an entry is found, className becomes the entry's name and
// its directory goes in front of classPath. Otherwise, or when the full path does not fit in
// kFullPathCharacters, both stay as they are. Returns the length of className afterwards.
size_t ResolveClassFile(ComJavaRunner* runner, size_t length);

// Cuts ".cla" or ".class" (any case) off the end of name by overwriting its '.' with a
// terminator; the characters behind it stay, so writing the '.' back restores the name.
// Returns the position of the '.', or kNoSuffixCut.
ptrdiff_t CutClassSuffix(char* name, size_t length);
