#include "ComLibraries.h"

#include "Messages.h"

ComFunctions Com = {};

namespace {

template <typename Function>
bool Find(HMODULE library, const char* name, Function* function)
{
    // Through a generic function pointer: FARPROC and the function's type are unrelated.
    *function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
    return *function != nullptr;
}

}  // namespace

HRESULT LoadComLibraries()
{
    HMODULE ole = LoadLibraryA("ole32.dll");
    HMODULE automation = ole != nullptr ? LoadLibraryA("oleaut32.dll") : nullptr;
    if (automation != nullptr && Find(ole, "CoInitialize", &Com.CoInitialize) &&
        Find(ole, "CoUninitialize", &Com.CoUninitialize) && Find(ole, "CoGetClassObject", &Com.CoGetClassObject) &&
        Find(ole, "CoTaskMemAlloc", &Com.CoTaskMemAlloc) && Find(ole, "CoTaskMemFree", &Com.CoTaskMemFree) &&
        Find(automation, "SysFreeString", &Com.SysFreeString))
        return S_OK;
    HRESULT error = HresultFromLastError();
    return error != 0 ? error : E_FAIL;
}
