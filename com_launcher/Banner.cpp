// The version banner, from the executable's own fixed file version.
#include "Messages.h"

#include <new>

#include "ModulePath.h"
#include "Win32Helpers.h"
#include "resource.h"

namespace {

using GetFileVersionInfoSizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
using GetFileVersionInfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
using VerQueryValueFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);

bool ReadVersion(HMODULE library, DWORD* versionMS, DWORD* versionLS)
{
    auto getSize = LookUpExport<GetFileVersionInfoSizeFn>(library, "GetFileVersionInfoSizeA");
    auto getInfo = LookUpExport<GetFileVersionInfoFn>(library, "GetFileVersionInfoA");
    auto query = LookUpExport<VerQueryValueFn>(library, "VerQueryValueA");
    if (getSize == nullptr || getInfo == nullptr || query == nullptr)
        return false;

    char path[MAX_PATH];
    DWORD pathLength = ExecutablePath(path, sizeof path);
    if (pathLength == 0)
        return false;

    DWORD handle = 0;
    DWORD size = getSize(path, &handle);
    if (size == 0)
        return false;
    char* data = new (std::nothrow) char[size];
    if (data == nullptr)
        return false;
    bool found = false;
    void* block = nullptr;
    UINT blockSize = 0;
    if (getInfo(path, 0, size, data) && query(data, "\\", &block, &blockSize) && block != nullptr &&
        blockSize >= sizeof(VS_FIXEDFILEINFO)) {
        const VS_FIXEDFILEINFO* fixed = static_cast<const VS_FIXEDFILEINFO*>(block);
        *versionMS = fixed->dwFileVersionMS;
        *versionLS = fixed->dwFileVersionLS;
        found = true;
    }
    delete[] data;
    return found;
}

} // namespace

bool ReadOwnFileVersion(DWORD* versionMS, DWORD* versionLS)
{
    *versionMS = 0;
    *versionLS = 0;
    // Only the system's own copy: a version.dll planted beside the executable is never loaded.
    HMODULE library = LoadSystemLibrary("\\version.dll");
    if (library == nullptr)
        return false;
    bool found = ReadVersion(library, versionMS, versionLS);
    if (!found) {
        *versionMS = 0;
        *versionLS = 0;
    }
    FreeLibrary(library);
    return found;
}

void AppendBanner(DWORD versionMS, DWORD versionLS)
{
    char text[kMessageTextSize];
    LoadMessageText(nullptr, IDS_BANNER, text, sizeof text);
    char line[kMessageTextSize];
    FormatBounded(line, sizeof line, GetOEMCP(), text, static_cast<unsigned>(HIWORD(versionMS)),
                  static_cast<unsigned>(LOWORD(versionMS)), static_cast<unsigned>(LOWORD(versionLS)));
    AppendLogText(line);
    LoadMessageText(nullptr, IDS_NOTICE, text, sizeof text);
    AppendLogText(text);
    AppendLogText("\n");
}

void ShowBanner()
{
    // Without the version information the banner shows 0.00.0000.
    DWORD versionMS = 0;
    DWORD versionLS = 0;
    ReadOwnFileVersion(&versionMS, &versionLS);
    AppendBanner(versionMS, versionLS);
}
