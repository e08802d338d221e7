// Keeps the current directory out of the search for libraries loaded by name.
#pragma once

void RemoveCurrentDirectoryFromDllSearch();
