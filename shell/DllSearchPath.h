// Keeps the current directory out of the search for libraries loaded by name.
#pragma once

// Libraries loaded by name are looked for in the application's folder, the system folders and
// the folders allowed below, never in the current directory or the PATH.
void RemoveCurrentDirectoryFromDllSearch();

// Lets the libraries that the given library needs be found in its own folder too.
void AllowDllDirectoryOf(const char* libraryPath);
