// The COM Java VM for the tests: an in-process server of the VM's execution class, declared here
// from the VM's published identifiers, slot order and records. Each call is transcribed;
// VELKOR_STANDIN picks the behaviour (HR in hexadecimal): noclassobject (the server gives no class
// object), create=HR, noexecute2, setprops=HR, execute=HR and execute2=HR (the first and a second
// call's result), errorinfo=text|empty|null|fail, hold (Execute waits for the event named by
// VELKOR_HOLD_EVENT, 3 s at most), keepprops (the VM keeps the properties and reads them again at
// its end), crash (Execute faults on the worker thread), window (Execute posts WM_CLOSE to a
// window that CreateInstance made on the creator thread and waits 5 s at most for it to be
// dispatched).
#include <objbase.h>
#include <oaidl.h>

#include <cstdio>

#include "../Transcript.h"

// Only the loader implements the enumerator: declared outside the anonymous namespace so that
// the optimiser does not take calls through it for calls to nothing.
struct Property {
    LPOLESTR key, value;
};
struct EnumProperty : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(ULONG, Property*, ULONG*) = 0;
    virtual HRESULT STDMETHODCALLTYPE Skip(ULONG) = 0;
    virtual HRESULT STDMETHODCALLTYPE Reset() = 0;
    virtual HRESULT STDMETHODCALLTYPE Clone(EnumProperty**) = 0;
};
struct ExecuteInfo {
    DWORD size, flags;
    LPCOLESTR className;
    LPOLESTR* args;
    ULONG argCount;
    LPCOLESTR classPath;
    DWORD reserved;
};
#if !defined(_WIN64)
static_assert(sizeof(ExecuteInfo) == 28, "seven 32-bit fields");
#endif

namespace {

const CLSID kVmClass = {0x3EFB1800, 0xC2A1, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xC2, 0xBA, 0x87}};
const IID kJavaExecute = {0x3EFB1803, 0xC2A1, 0x11CF, {0x96, 0x0C, 0x00, 0x80, 0xC7, 0xC2, 0xBA, 0x87}};
const IID kJavaExecute2 = {0xD7658820, 0x01DD, 0x11D0, {0x97, 0x46, 0x00, 0xAA, 0x00, 0x34, 0x2B, 0xD8}};
const IID kEnumProperty = {0x56E7DF80, 0xF527, 0x11CF, {0xB7, 0x28, 0xFC, 0x87, 0x03, 0xC1, 0x00, 0x00}};

std::string Ansi(const wchar_t* text)
{
    char out[4096] = "(null)";
    if (text != nullptr && WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr) == 0)
        return "(unconvertible)";
    return out;
}

DWORD creatorThread;
HWND window;
const char* Thread() { return GetCurrentThreadId() == creatorThread ? "creator" : "other"; }

// "key=value" of a property, whose texts it frees.
std::string Taken(Property& p)
{
    std::string text = Ansi(p.key) + "=" + Ansi(p.value);
    CoTaskMemFree(p.key);
    CoTaskMemFree(p.value);
    return text;
}

void ReadProperties(EnumProperty* properties)
{
    // One at a time, without a count: COM allows that for a single element.
    for (Property p = {}; properties->Next(1, &p, nullptr) == S_OK;)
        Transcribe("  property " + Taken(p));
}

struct Unknown {
    volatile LONG references = 1;
    ULONG Add() { return InterlockedIncrement(&references); }
    ULONG Drop() { return InterlockedDecrement(&references); }
};

class ErrorInfo final : public IErrorInfo, Unknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override { *out = nullptr; return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = Drop();
        if (left == 0) {
            Transcribe("ErrorInfo released");
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* text) override
    {
        *text = StandInAsked("errorinfo=text") ? SysAllocString(L"Uncaught java.lang.Error: 100% d\u00e9j\u00e0 %s")
                : StandInAsked("errorinfo=empty") ? SysAllocString(L"") : nullptr;
        return StandInAsked("errorinfo=fail") ? E_FAIL : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD*) override { return E_NOTIMPL; }
};

// The VM's interfaces in slot order: IUnknown, one slot the loader never calls, Execute, then
// IJavaExecute2's SetSystemProperties.
class Vm final : public IUnknown, Unknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        bool second = IsEqualIID(iid, kJavaExecute2) && !StandInAsked("noexecute2");
        if (IsEqualIID(iid, kJavaExecute2))
            Transcribe(second ? "QueryInterface IJavaExecute2" : "QueryInterface IJavaExecute2 refused");
        *out = second || IsEqualIID(iid, kJavaExecute) || IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        return *out != nullptr ? (Add(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = Drop();
        if (left == 0) {
            // COM must still be set up on the releasing thread.
            HRESULT state = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
            if (SUCCEEDED(state))
                CoUninitialize();
            Transcribe(std::string("VM released on the ") + Thread() + " thread" + (state == S_OK ? " after COM was shut down" : ""));
            if (kept != nullptr) {
                kept->Reset();
                ReadProperties(kept);
                kept->Release();
            }
            delete this;
        }
        return left;
    }
    virtual HRESULT STDMETHODCALLTYPE NeverCalled(LPOLESTR*) { return Transcribe("the unused slot was called"), E_NOTIMPL; }
    virtual HRESULT STDMETHODCALLTYPE Execute(ExecuteInfo* info, IErrorInfo** error)
    {
        SignalMainEntered();
        std::string args = info->args == nullptr ? "none" : "";
        for (ULONG i = 0; info->args != nullptr && i < info->argCount; ++i)
            args += "[" + Ansi(info->args[i]) + "]";
        if (info->args != nullptr && info->args[info->argCount] != nullptr)
            args += " (unterminated)";
        Transcribe(std::string("Execute on the ") + Thread() + " thread size=" +
                   (info->size == sizeof(ExecuteInfo) ? "ok" : std::to_string(info->size)) + " flags=" +
                   std::to_string(info->flags) + " class=" + Ansi(info->className) + "\n  classpath=" +
                   Ansi(info->classPath) + "\n  args=" + args + " count=" + std::to_string(info->argCount));
        if (StandInAsked("hold"))
            WaitForSingleObject(OpenEventA(SYNCHRONIZE, FALSE, StandInEnv("VELKOR_HOLD_EVENT").c_str()), 3000);
        // Dispatched on its own thread, WM_CLOSE destroys the window.
        if (window != nullptr && PostMessageA(window, WM_CLOSE, 0, 0)) {
            for (DWORD start = GetTickCount(); IsWindow(window) && GetTickCount() - start < 5000;)
                Sleep(10);
            Transcribe(IsWindow(window) ? "window message not dispatched" : "window message dispatched");
        }
        if (StandInAsked("crash"))
            *static_cast<volatile int*>(nullptr) = 1;
        if (StandInEnv("VELKOR_STANDIN").find("errorinfo=") != std::string::npos)
            *error = new ErrorInfo;
        return static_cast<HRESULT>(calls++ == 0 ? StandInNumber("execute", 0, 16) : StandInNumber("execute2", 0, 16));
    }
    virtual HRESULT STDMETHODCALLTYPE SetSystemProperties(EnumProperty* properties)
    {
        IUnknown* same = nullptr;
        bool answers = properties->QueryInterface(kEnumProperty, reinterpret_cast<void**>(&same)) == S_OK && same->Release() > 0;
        Transcribe(answers ? "SetSystemProperties" : "SetSystemProperties (the enumerator denies its interface)");
        ReadProperties(properties);
        // Once more: skip one, fetch the rest in one call, ask for a clone.
        properties->Reset();
        Property batch[4] = {};
        ULONG fetched = 0;
        EnumProperty* clone = nullptr;
        char results[96];
        HRESULT skipped = properties->Skip(1), next = properties->Next(4, batch, &fetched), cloned = properties->Clone(&clone);
        std::snprintf(results, sizeof results, "  Skip(1) %lx, Next(4) %lx, Clone %lx, fetched:", skipped, next, cloned);
        std::string line = results;
        for (ULONG i = 0; i < fetched; ++i)
            line += " " + Taken(batch[i]);
        Transcribe(line);
        if (StandInAsked("keepprops") && (kept = properties) != nullptr)
            kept->AddRef();
        return static_cast<HRESULT>(StandInNumber("setprops", 0, 16));
    }

private:
    EnumProperty* kept = nullptr;
    int calls = 0;
};

class Factory final : public IClassFactory, Unknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IClassFactory) || IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        return *out != nullptr ? (Add(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return Add(); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        ULONG left = Drop();
        if (left == 1)
            Transcribe("Factory released");
        return left;
    }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        creatorThread = GetCurrentThreadId();
        Transcribe(std::string("CreateInstance") + (outer ? " aggregated" : "") + (IsEqualIID(iid, kJavaExecute) ? "" : " (other interface)"));
        *out = nullptr;
        HRESULT result = static_cast<HRESULT>(StandInNumber("create", 0, 16));
        if (result < 0)
            return result;
        if (StandInAsked("window"))
            window = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        Vm* vm = new Vm;
        result = vm->QueryInterface(iid, out);
        vm->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
} factory;

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    *out = nullptr;
    if (StandInAsked("noclassobject"))
        return Transcribe("DllGetClassObject refused"), CLASS_E_CLASSNOTAVAILABLE;
    return IsEqualCLSID(clsid, kVmClass) ? factory.QueryInterface(iid, out) : CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" __declspec(dllexport) HRESULT STDMETHODCALLTYPE DllCanUnloadNow() { return S_FALSE; }
