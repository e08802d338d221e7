#include "TestLaunchers.h"

#include <windows.h>

#include <stdexcept>

#include "ExeDirectory.h"
#include "LaunchLog.h"
#include "Launchers.h"

TestLauncher JniLauncher;
TestLauncher ComLauncher;

void ResetLaunchers()
{
    JniLauncher = TestLauncher();
    ComLauncher = TestLauncher();
}

namespace {

bool Writable(const void* address)
{
    MEMORY_BASIC_INFORMATION info;
    if (VirtualQuery(address, &info, sizeof info) == 0)
        return false;
    return (info.Protect & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

int Run(TestLauncher& launcher, int argc, char** argv)
{
    LauncherCall call;
    call.argc = argc;
    call.allWritable = true;
    for (int i = 0; i < argc; ++i) {
        call.argv.emplace_back(argv[i]);
        call.allWritable = call.allWritable && Writable(argv[i]);
    }
    call.nullTerminated = argv[argc] == nullptr;
    call.exeDirectory = ExeDirectory != nullptr ? ExeDirectory : "(null)";
    launcher.calls.push_back(call);
    LaunchLog += launcher.reason.c_str();
    switch (launcher.end) {
    case LauncherEnd::ThrowOne:
        throw 1;
    case LauncherEnd::ThrowInteger7:
        throw 7;
    case LauncherEnd::ThrowOther:
        throw std::runtime_error("not an integer");
    case LauncherEnd::Return:
        break;
    }
    return 0;
}

}  // namespace

void RunWithJniRuntime(int argc, char** argv) { Run(JniLauncher, argc, argv); }

int RunWithComRuntime(int argc, char** argv) { return Run(ComLauncher, argc, argv); }
