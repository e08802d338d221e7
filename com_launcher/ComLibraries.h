// The COM functions that the COM launcher calls. ole32.dll and oleaut32.dll are loaded when the
// COM attempt begins, not imported: a launch that never gets that far does not load them.
#pragma once

#include <objbase.h>
#include <oleauto.h>

// Each pointer has the exact type of the function it stands for.
struct ComFunctions {
    decltype(&::CoInitialize) CoInitialize;
    decltype(&::CoUninitialize) CoUninitialize;
    decltype(&::CoGetClassObject) CoGetClassObject;
    decltype(&::CoTaskMemAlloc) CoTaskMemAlloc;
    decltype(&::CoTaskMemFree) CoTaskMemFree;
    decltype(&::SysFreeString) SysFreeString;
};

// The functions; set by LoadComLibraries, which the COM attempt calls before any of them.
extern ComFunctions Com;

// Loads ole32.dll and oleaut32.dll by their full paths in the system folder (not relying on the
// KnownDLLs list, which an administrator can change) and looks up Com's functions. Returns S_OK,
// or the failing call's Win32 error as an HRESULT (E_FAIL without one). The libraries stay
// loaded for the rest of the process: the VM may outlive the launcher.
HRESULT LoadComLibraries();
