#include <cstdlib>

#include "RegistryKey.h"
#include "RuntimeDiscovery.h"

namespace {

const char kRuntimeEnvironmentKey[] = "Software\\JavaSoft\\Java Runtime Environment";
const char kDevelopmentKitKey[] = "Software\\JavaSoft\\Java Development Kit";

}  // namespace

int LocateRuntime(JavaRuntimeInfo* info)
{
    RegistryKey runtimeEnvironment;
    if (!runtimeEnvironment.Open(HKEY_LOCAL_MACHINE, kRuntimeEnvironmentKey))
        return -1;
    char* version = ReadStringValue(runtimeEnvironment, "CurrentVersion");
    if (version == nullptr)
        return -1;
    // The runtime environment's version selects the subkey under the development kit key too.
    int result = TryVersionKey(info, version, kRuntimeEnvironmentKey);
    if (result != 0)
        result = TryVersionKey(info, version, kDevelopmentKitKey);
    std::free(version);
    return result;
}
