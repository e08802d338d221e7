#include "JniTestSupport.h"

#include <shlwapi.h>

#include <fstream>
#include <sstream>

#include "E2eSupport.h"

const char kJreKey[] = "Software\\JavaSoft\\Java Runtime Environment";
const char kJdkKey[] = "Software\\JavaSoft\\Java Development Kit";

namespace {

// One fixed name: a death test's child process re-creates the same scratch key as its parent.
const char kScratchPath[] = "Software\\VelkorTests\\JniMachine";

}  // namespace

ScratchMachineKey::ScratchMachineKey()
{
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratchPath);
    RegCreateKeyExA(HKEY_CURRENT_USER, kScratchPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &scratch, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, scratch);
}

ScratchMachineKey::~ScratchMachineKey()
{
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratchPath);
}

void SetRegistryValue(HKEY root, const std::string& keyPath, const char* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    RegCreateKeyExA(root, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void ScratchMachineKey::Set(const std::string& keyPath, const char* name, const std::string& text, DWORD type)
{
    SetRegistryValue(scratch, keyPath, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void ScratchMachineKey::SetNumber(const std::string& keyPath, const char* name, DWORD number)
{
    SetRegistryValue(scratch, keyPath, name, REG_DWORD, &number, sizeof number);
}

void ScratchMachineKey::Remove(const std::string& keyPath)
{
    SHDeleteKeyA(scratch, keyPath.c_str());
}

std::string StandInLibrary(const char* variant)
{
    return velkor_e2e::WindowsPath(std::string(JAVAI_STANDIN_DIR) + "/" + variant + "/javai.dll");
}

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}
