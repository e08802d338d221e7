// The running executable's full path, spelled so that the ANSI file calls find it.
#pragma once

#include <windows.h>

// Writes the executable's full path in the ANSI code page, with its terminator, into buffer of
// size bytes and returns its length; 0 when the path cannot be obtained or does not fit.
// A path that the code page spells exactly comes out as GetModuleFileNameA gives it. Otherwise
// every folder or file name in it that the code page cannot spell is replaced by its short (8.3)
// name, and the other names stay as they are. Where such a name has no short name that the code
// page spells (short names switched off on that volume), GetModuleFileNameA's path is returned,
// which then names nothing. Where the ANSI code page is UTF-8, it spells every path.
DWORD ExecutablePath(char* buffer, DWORD size);
