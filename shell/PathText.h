// Bounded composition of narrow paths into fixed buffers.
#pragma once

#include <cstddef>

// Copies first and then second into buffer. Returns false, leaving buffer empty, when the
// result and its terminator would not fit in size bytes.
bool ComposePath(char* buffer, size_t size, const char* first, const char* second);

// Writes the directory part of a full path, with its trailing backslash, into buffer.
// Returns false, leaving buffer empty, when the path has no directory part or it does not fit.
// Double-byte characters are stepped over whole, so a trail byte is never taken for '\'.
bool DirectoryOfPath(const char* path, char* buffer, size_t size);
