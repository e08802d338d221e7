// The application object of the allocation-failure build of the loader: the loader's own launch
// sequence, with the failure injector armed for exactly its duration. Afterwards it writes a
// report to the file named by VELKOR_ALLOC_REPORT:
//   allocations=K\ninjected=N\nfailures=F\nescaped=0|1\ncallers=A1 A2 ... AK\nlog=<the launch log>
// The callers are the code addresses that made each allocation (for addr2line on this exe);
// the launch log follows byte for byte.
// "escaped" tells that an exception left the launch sequence (the framework then swallows it).
#include <windows.h>

#include <cstdio>

#include "AllocInjector.h"
#include "LaunchLog.h"
#include "LoaderApp.h"

namespace {

void WriteReport(bool escaped)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("VELKOR_ALLOC_REPORT", path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return;
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    char head[160];
    int headLength = std::snprintf(head, sizeof head, "allocations=%ld\ninjected=%ld\nfailures=%ld\nescaped=%d\ncallers=",
                                   CountedAllocations(), FirstInjectedFailure(), InjectedFailures(), escaped ? 1 : 0);
    DWORD written = 0;
    WriteFile(file, head, static_cast<DWORD>(headLength), &written, nullptr);
    for (long number = 1; number <= CountedAllocations(); ++number) {
        char caller[32];
        int callerLength = std::snprintf(caller, sizeof caller, number > 1 ? " %p" : "%p", AllocationCaller(number));
        WriteFile(file, caller, static_cast<DWORD>(callerLength), &written, nullptr);
    }
    WriteFile(file, "\nlog=", 5, &written, nullptr);
    WriteFile(file, static_cast<const char*>(LaunchLog), static_cast<DWORD>(LaunchLog.GetLength()), &written, nullptr);
    CloseHandle(file);
}

class CAllocTestApp : public CLoaderApp {
public:
    BOOL InitInstance() override
    {
        ArmAllocationFailures();
        BOOL result = FALSE;
        try {
            result = CLoaderApp::InitInstance();
        } catch (...) {
            DisarmAllocationFailures();
            WriteReport(true);
            throw;
        }
        DisarmAllocationFailures();
        WriteReport(false);
        return result;
    }
};

}  // namespace

CAllocTestApp theApp;
