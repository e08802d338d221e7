// The COM Java VM as this loader sees it: identifiers, interfaces in slot order, records.
// Declared at namespace scope (not in an anonymous namespace): only the VM implements them.
#pragma once

#include <objbase.h>
#include <oaidl.h>

#include <cstddef>

extern "C" const CLSID CLSID_JavaExecute;          // {3EFB1800-C2A1-11CF-960C-0080C7C2BA87}
extern "C" const IID IID_IJavaExecute;             // {3EFB1803-C2A1-11CF-960C-0080C7C2BA87}
extern "C" const IID IID_IJavaExecute2;            // {D7658820-01DD-11D0-9746-00AA00342BD8}
extern "C" const IID IID_IEnumJAVAPROPERTY;        // {56E7DF80-F527-11CF-B728-FC8703C10000}

// One system property handed to the VM. Both texts are task memory owned by the receiver.
struct JAVAPROPERTY {
    LPOLESTR pszKey;
    LPOLESTR pszValue;
};

// The execution record that Execute reads.
struct JAVAEXECUTEINFO {
    DWORD cbSize;              // 28 in the 32-bit process
    DWORD dwFlags;             // JEIF_VERIFYCLASSES or 0
    LPCOLESTR pszClassName;
    LPOLESTR* rgszArgs;        // null when the class gets no arguments
    ULONG cArgs;
    LPCOLESTR pszClassPath;
    DWORD dwReserved;          // never given a value by the loader: always 0
};

constexpr DWORD JEIF_VERIFYCLASSES = 2;

#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(JAVAEXECUTEINFO) == 28, "the execution record is seven 32-bit fields");
static_assert(offsetof(JAVAEXECUTEINFO, dwFlags) == 4, "execution record layout");
static_assert(offsetof(JAVAEXECUTEINFO, pszClassName) == 8, "execution record layout");
static_assert(offsetof(JAVAEXECUTEINFO, rgszArgs) == 12, "execution record layout");
static_assert(offsetof(JAVAEXECUTEINFO, cArgs) == 16, "execution record layout");
static_assert(offsetof(JAVAEXECUTEINFO, pszClassPath) == 20, "execution record layout");
static_assert(offsetof(JAVAEXECUTEINFO, dwReserved) == 24, "execution record layout");
#endif

struct IEnumJAVAPROPERTY : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG count, JAVAPROPERTY* properties, ULONG* fetched) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG count) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(IEnumJAVAPROPERTY** clone) = 0;
};

struct IJavaExecute : public IUnknown {
    // A slot that the loader never calls.
    virtual HRESULT STDMETHODCALLTYPE Reserved(LPOLESTR* unused) = 0;
    virtual HRESULT STDMETHODCALLTYPE Execute(JAVAEXECUTEINFO* info, IErrorInfo** errorInfo) = 0;
};

struct IJavaExecute2 : public IJavaExecute {
    virtual HRESULT STDMETHODCALLTYPE SetSystemProperties(IEnumJAVAPROPERTY* properties) = 0;
};
