// Launchers for the launch sequence's tests: each records how it was called, appends a reason
// to the launch log and then returns or throws as the test asked.
#pragma once

#include <string>
#include <vector>

enum class LauncherEnd { Return, ThrowOne, ThrowInteger7, ThrowOther };

struct LauncherCall {
    int argc = 0;
    std::vector<std::string> argv;  // the counted elements
    bool nullTerminated = false;    // argv[argc] is null
    bool allWritable = false;       // every element lies in writable memory
    std::string exeDirectory;       // ExeDirectory as published during the call ("(null)" if not)
};

struct TestLauncher {
    LauncherEnd end = LauncherEnd::Return;
    std::string reason;  // appended to the launch log before ending
    std::vector<LauncherCall> calls;
};

extern TestLauncher JniLauncher;
extern TestLauncher ComLauncher;

// Resets both launchers to "return, append nothing, no calls".
void ResetLaunchers();
