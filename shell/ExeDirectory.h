// The running executable's directory, ending with a backslash.
#pragma once

// Size of every path buffer of the loader, terminator included.
constexpr int kPathBufferSize = 260;

// Published by the launch sequence while it runs; null before and after.
extern const char* ExeDirectory;
