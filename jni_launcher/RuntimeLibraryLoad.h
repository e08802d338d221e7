// Loading the runtime library without taking its dependencies from the current directory.
#pragma once

#include <windows.h>

// Loads the runtime library. A library given by its full path, with either separator, finds the
// libraries it needs in its own folder, in javaHome's bin folder (where a later runtime keeps
// its C runtime library, away from the VM library in bin\client), the application folder and the
// system folders, never in the user's current directory; a bare or relative name is loaded with
// the system's usual search. The search order of the process is as it was when this returns.
// Returns null when the library does not load.
HMODULE LoadRuntimeLibrary(const char* path, const char* javaHome);
