// Finding an installed JDK 1.1 generation Sun Java runtime: through the registry, or from the
// location of the running executable in the runtime's bin directory.
#pragma once

#include <windows.h>

// Every string comes from AllocOrThrow. A successful lookup sets all seven fields.
struct JavaRuntimeInfo {
    char* javaHome;
    char* runtimeLib;
    char* classPath;
    char* compiler;
    char* majorVersion;
    char* minorVersion;
    char* microVersion;
};

// Each returns 0 on success and -1 on failure, and none of them writes to the launch log.
int LocateRuntime(JavaRuntimeInfo* info);
int TryVersionKey(JavaRuntimeInfo* info, const char* version, const char* baseKeyPath);
int ParseVersion(const char* version, char** major, char** minor, char** micro);
int ReadRuntimeValues(JavaRuntimeInfo* info, HKEY versionKey);
int RuntimeFromExeLocation(JavaRuntimeInfo* info);

// A new string with the REG_SZ value's text, or null when it is absent or of another type.
char* ReadStringValue(HKEY key, const char* valueName);

// New strings with the defaults that a runtime installed in javaHome uses.
char* DefaultRuntimeLib(const char* javaHome);
char* DefaultClassPath(const char* javaHome);
