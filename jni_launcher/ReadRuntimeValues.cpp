#include "RuntimeDiscovery.h"

int ReadRuntimeValues(JavaRuntimeInfo* info, HKEY versionKey)
{
    info->javaHome = ReadStringValue(versionKey, "JavaHome");
    if (info->javaHome == nullptr)
        return -1;
    info->runtimeLib = ReadStringValue(versionKey, "RuntimeLib");
    if (info->runtimeLib == nullptr)
        info->runtimeLib = DefaultRuntimeLib(info->javaHome);
    info->classPath = ReadStringValue(versionKey, "ClassPath");
    if (info->classPath == nullptr)
        info->classPath = DefaultClassPath(info->javaHome);
    info->compiler = ReadStringValue(versionKey, "Compiler");
    info->microVersion = ReadStringValue(versionKey, "MicroVersion");
    return 0;
}
