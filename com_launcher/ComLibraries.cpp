#include "ComLibraries.h"

#include "Win32Helpers.h"

ComFunctions Com = {};

HRESULT LoadComLibraries()
{
    HMODULE ole = LoadSystemLibrary("\\ole32.dll");
    HMODULE automation = ole != nullptr ? LoadSystemLibrary("\\oleaut32.dll") : nullptr;
    if (automation != nullptr && LookUpExport(ole, "CoInitialize", &Com.CoInitialize) &&
        LookUpExport(ole, "CoUninitialize", &Com.CoUninitialize) && LookUpExport(ole, "CoGetClassObject", &Com.CoGetClassObject) &&
        LookUpExport(ole, "CoTaskMemAlloc", &Com.CoTaskMemAlloc) && LookUpExport(ole, "CoTaskMemFree", &Com.CoTaskMemFree) &&
        LookUpExport(automation, "SysFreeString", &Com.SysFreeString))
        return S_OK;
    HRESULT error = HresultFromLastError();
    return error != 0 ? error : E_FAIL;
}
