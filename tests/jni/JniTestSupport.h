// Shared pieces of the JNI launcher's tests.
#pragma once

#include <windows.h>

#include <string>

// HKEY_LOCAL_MACHINE of this process redirected to a fresh scratch key under HKEY_CURRENT_USER
// for the object's lifetime; the scratch key is removed at the end.
class ScratchMachineKey {
public:
    ScratchMachineKey();
    ~ScratchMachineKey();
    ScratchMachineKey(const ScratchMachineKey&) = delete;
    ScratchMachineKey& operator=(const ScratchMachineKey&) = delete;

    // Writes a value below the redirected HKEY_LOCAL_MACHINE, creating the key path.
    void Set(const std::string& keyPath, const char* name, const std::string& text, DWORD type = REG_SZ);
    void SetNumber(const std::string& keyPath, const char* name, DWORD number);
    // Removes a key path with everything below it.
    void Remove(const std::string& keyPath);

private:
    HKEY scratch = nullptr;
};

// Writes a value, creating the key path below root.
void SetRegistryValue(HKEY root, const std::string& keyPath, const char* name, DWORD type, const void* data, DWORD size);

extern const char kJreKey[];  // Software\JavaSoft\Java Runtime Environment
extern const char kJdkKey[];  // Software\JavaSoft\Java Development Kit

// The Windows path of a stand-in javai.dll: variant is "full", "no-defaults" or "no-create".
std::string StandInLibrary(const char* variant);

// The whole content of a file, or "" when it cannot be read.
std::string FileText(const std::string& path);
