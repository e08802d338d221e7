// An open registry key that is closed on every path out of its scope.
#pragma once

#include <windows.h>

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (handle != nullptr)
            RegCloseKey(handle);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens path below parent for reading. Returns false when the key cannot be opened.
    bool Open(HKEY parent, const char* path)
    {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(parent, path, 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        handle = opened;
        return true;
    }

    operator HKEY() const { return handle; }

private:
    HKEY handle = nullptr;
};
