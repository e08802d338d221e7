// Loading the runtime library without taking its dependencies from the current directory.
#pragma once

#include <windows.h>

// Loads the runtime library. A library given by its full path, with either separator, finds the
// libraries it needs in its own folder, the application folder and the system folders, never in
// the current directory; a bare or relative name is loaded with the system's usual search. The
// search order of the process stays as it is. Returns null when the library does not load.
HMODULE LoadRuntimeLibrary(const char* path);
