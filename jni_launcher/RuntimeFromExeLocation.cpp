#include <cstring>

#include "AllocOrThrow.h"
#include "ExeDirectory.h"
#include "ModulePath.h"
#include "RuntimeDiscovery.h"

namespace {

bool IsBinName(const char* name)
{
    return (name[0] | 0x20) == 'b' && (name[1] | 0x20) == 'i' && (name[2] | 0x20) == 'n';
}

}  // namespace

// The executable must lie directly in a directory named bin (any case); its parent is the home.
int RuntimeFromExeLocation(JavaRuntimeInfo* info)
{
    char path[kPathBufferSize];
    DWORD length = ExecutablePath(path, sizeof path);
    // 0: no path, or none that fits the buffer.
    if (length == 0)
        return -1;
    // Step over double-byte characters whole, so that a trail byte is never taken for '\'.
    char* last = nullptr;
    char* previous = nullptr;
    for (char* p = path; *p != 0; p = CharNextA(p)) {
        if (*p == '\\') {
            previous = last;
            last = p;
        }
    }
    if (previous == nullptr || last - previous != 4 || !IsBinName(previous + 1))
        return -1;
    *previous = 0;
    size_t homeLength = static_cast<size_t>(previous - path);
    info->javaHome = static_cast<char*>(AllocOrThrow(homeLength + 1));
    std::memcpy(info->javaHome, path, homeLength + 1);
    info->runtimeLib = DefaultRuntimeLib(info->javaHome);
    info->classPath = DefaultClassPath(info->javaHome);
    info->compiler = nullptr;
    info->majorVersion = nullptr;
    info->minorVersion = nullptr;
    info->microVersion = nullptr;
    return 0;
}
