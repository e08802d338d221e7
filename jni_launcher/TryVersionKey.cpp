#include <cstdlib>
#include <cstring>

#include "JoinText.h"
#include "RegistryKey.h"
#include "RuntimeDiscovery.h"

int TryVersionKey(JavaRuntimeInfo* info, const char* version, const char* baseKeyPath)
{
    RegistryKey base;
    if (!base.Open(HKEY_LOCAL_MACHINE, baseKeyPath))
        return -1;
    char* major = nullptr;
    char* minor = nullptr;
    char* micro = nullptr;
    if (ParseVersion(version, &major, &minor, &micro) != 0)
        return -1;
    // 1.1.7 selects the subkey 1.1: the micro part is checked against the subkey's values.
    char* subkeyName = JoinText({major, ".", minor});
    info->majorVersion = major;
    info->minorVersion = minor;

    int result = -1;
    RegistryKey versionKey;
    if (versionKey.Open(base, subkeyName)) {
        result = ReadRuntimeValues(info, versionKey);
        if (result == 0 && micro != nullptr &&
            (info->microVersion == nullptr || std::strcmp(info->microVersion, micro) != 0))
            result = -1;
    }
    std::free(micro);
    std::free(subkeyName);
    return result;
}
