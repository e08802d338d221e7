// A stand-in for the COM Java VM, for tests only: an in-process server of the VM's execution
// class that behaves as the test asks and records what the loader hands it (ComVmControl.h).
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ComVmControl.h"
#include "JavaVm.h"
#include "../MainEntered.h"

namespace {

// ---- Behaviour -------------------------------------------------------------------------

enum class ErrorInfoMode { None, Text, Empty, Fail };

struct Behaviour {
    bool noExecute2 = false;
    bool setPropertiesFails = false;
    bool createFails = false;
    bool keepProperties = false;
    std::vector<HRESULT> executeResults;
    ErrorInfoMode errorInfo = ErrorInfoMode::None;
    std::wstring description;
    DWORD slowMs = 0;
};

Behaviour g_behaviour;
CRITICAL_SECTION g_lock;
std::string g_record;
std::string g_recordCopy;
size_t g_executeCalls = 0;
DWORD g_mainThread = 0;
DWORD g_executorThread = 0;
volatile LONG g_factoryReferences = 0;
volatile LONG g_objectsAlive = 0;
volatile LONG g_executing = 0;
IEnumJAVAPROPERTY* g_keptProperties = nullptr;

Behaviour ParseBehaviour(const char* words, const wchar_t* description)
{
    Behaviour behaviour;
    behaviour.description = description != nullptr ? description : L"";
    std::string all = words != nullptr ? words : "";
    size_t position = 0;
    while (position < all.size()) {
        size_t end = all.find(' ', position);
        if (end == std::string::npos)
            end = all.size();
        std::string word = all.substr(position, end - position);
        position = end + 1;
        if (word == "noexecute2") {
            behaviour.noExecute2 = true;
        } else if (word == "setpropsfail") {
            behaviour.setPropertiesFails = true;
        } else if (word == "createfail") {
            behaviour.createFails = true;
        } else if (word == "keepprops") {
            behaviour.keepProperties = true;
        } else if (word.rfind("execute=", 0) == 0) {
            const char* cursor = word.c_str() + 8;
            while (*cursor != 0) {
                char* next = nullptr;
                behaviour.executeResults.push_back(static_cast<HRESULT>(std::strtoul(cursor, &next, 16)));
                cursor = *next == ',' ? next + 1 : next + std::strlen(next);
            }
        } else if (word == "errorinfo=text") {
            behaviour.errorInfo = ErrorInfoMode::Text;
        } else if (word == "errorinfo=empty") {
            behaviour.errorInfo = ErrorInfoMode::Empty;
        } else if (word == "errorinfo=fail") {
            behaviour.errorInfo = ErrorInfoMode::Fail;
        } else if (word.rfind("slow=", 0) == 0) {
            behaviour.slowMs = static_cast<DWORD>(std::strtoul(word.c_str() + 5, nullptr, 10));
        }
    }
    return behaviour;
}

// ---- Record ----------------------------------------------------------------------------

std::string Utf8(const wchar_t* text)
{
    if (text == nullptr)
        return "(null)";
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? static_cast<size_t>(size) : 1, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, &result[0], size, nullptr, nullptr);
    result.resize(std::strlen(result.c_str()));
    return result;
}

void Record(const std::string& line)
{
    EnterCriticalSection(&g_lock);
    g_record += line + "\n";
    char path[MAX_PATH * 2];
    DWORD length = GetEnvironmentVariableA("VELKOR_COMVM_RECORD", path, sizeof path);
    if (length > 0 && length < sizeof path) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            std::string text = line + "\n";
            DWORD written = 0;
            WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(file);
        }
    }
    LeaveCriticalSection(&g_lock);
}

const char* ThreadName(DWORD thread) { return thread == g_mainThread ? "main" : "other"; }

// Reads every remaining property through Next, one record at a time, into the record.
void ReadProperties(IEnumJAVAPROPERTY* properties)
{
    for (;;) {
        JAVAPROPERTY property = {};
        ULONG fetched = 0;
        HRESULT result = properties->Next(1, &property, &fetched);
        if (fetched == 1) {
            Record("Property " + Utf8(property.pszKey) + "=" + Utf8(property.pszValue));
            CoTaskMemFree(property.pszKey);
            CoTaskMemFree(property.pszValue);
        }
        if (result != S_OK || fetched != 1)
            return;
    }
}

// ---- IErrorInfo ------------------------------------------------------------------------

class StandInErrorInfo final : public IErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IErrorInfo)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&references);
        if (count == 0) {
            Record("ErrorInfo released");
            delete this;
        }
        return static_cast<ULONG>(count);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override
    {
        *guid = IID_IJavaExecute;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override
    {
        *source = SysAllocString(L"StandInVm");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override
    {
        if (g_behaviour.errorInfo == ErrorInfoMode::Fail) {
            *description = nullptr;
            return E_FAIL;
        }
        *description = SysAllocString(g_behaviour.errorInfo == ErrorInfoMode::Text ? g_behaviour.description.c_str() : L"");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override
    {
        *helpFile = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* context) override
    {
        *context = 0;
        return S_OK;
    }

private:
    volatile LONG references = 1;
};

// ---- The VM ----------------------------------------------------------------------------

class StandInVm final : public IJavaExecute2 {
public:
    StandInVm() { InterlockedIncrement(&g_objectsAlive); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IJavaExecute2)) {
            if (g_behaviour.noExecute2) {
                Record("QueryInterface IJavaExecute2 refused");
                *object = nullptr;
                return E_NOINTERFACE;
            }
            Record("QueryInterface IJavaExecute2");
        } else if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IJavaExecute)) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IJavaExecute2*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG count = InterlockedDecrement(&references);
        if (count == 0) {
            Record(std::string("Released thread=") + ThreadName(GetCurrentThreadId()) + " executor=" + ExecutorState());
            InterlockedDecrement(&g_objectsAlive);
            delete this;
        }
        return static_cast<ULONG>(count);
    }
    HRESULT STDMETHODCALLTYPE Reserved(LPOLESTR*) override { return E_NOTIMPL; }

    HRESULT STDMETHODCALLTYPE Execute(JAVAEXECUTEINFO* info, IErrorInfo** errorInfo) override
    {
        SignalMainEntered();
        InterlockedIncrement(&g_executing);
        g_executorThread = GetCurrentThreadId();
        std::string line = "Execute size=" + std::to_string(info->cbSize) + " flags=" + std::to_string(info->dwFlags) +
                           " class=" + Utf8(info->pszClassName) + " classpath=" + Utf8(info->pszClassPath) + " args=";
        if (info->rgszArgs == nullptr) {
            line += "none";
        } else {
            line += std::to_string(info->cArgs);
            for (ULONG i = 0; i < info->cArgs; ++i)
                line += " [" + Utf8(info->rgszArgs[i]) + "]";
            if (info->rgszArgs[info->cArgs] != nullptr)
                line += " unterminated";
        }
        line += " reserved=" + std::to_string(info->dwReserved) + " thread=" + ThreadName(g_executorThread);
        Record(line);

        if (g_behaviour.slowMs != 0)
            Sleep(g_behaviour.slowMs);
        HRESULT result = S_OK;
        if (!g_behaviour.executeResults.empty()) {
            size_t index = g_executeCalls < g_behaviour.executeResults.size() ? g_executeCalls
                                                                                : g_behaviour.executeResults.size() - 1;
            result = g_behaviour.executeResults[index];
        }
        ++g_executeCalls;
        if (errorInfo != nullptr && g_behaviour.errorInfo != ErrorInfoMode::None)
            *errorInfo = new StandInErrorInfo;
        InterlockedDecrement(&g_executing);
        return result;
    }

    HRESULT STDMETHODCALLTYPE SetSystemProperties(IEnumJAVAPROPERTY* properties) override
    {
        Record("SetSystemProperties");
        ReadProperties(properties);
        if (g_behaviour.keepProperties && g_keptProperties == nullptr) {
            properties->AddRef();
            g_keptProperties = properties;
        }
        return g_behaviour.setPropertiesFails ? E_FAIL : S_OK;
    }

private:
    static const char* ExecutorState()
    {
        if (g_executorThread == 0)
            return "none";
        HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, g_executorThread);
        if (thread == nullptr)
            return "ended";
        bool ended = WaitForSingleObject(thread, 0) == WAIT_OBJECT_0;
        CloseHandle(thread);
        return ended ? "ended" : "running";
    }

    volatile LONG references = 1;
};

class StandInFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *object = this;
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&g_factoryReferences)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&g_factoryReferences)); }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        *object = nullptr;
        Record("CreateInstance");
        g_mainThread = GetCurrentThreadId();
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        if (g_behaviour.createFails)
            return E_OUTOFMEMORY;
        StandInVm* vm = new StandInVm;
        HRESULT result = vm->QueryInterface(iid, object);
        vm->Release();
        return result;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

StandInFactory g_factory;

void ConfigureFromEnvironment()
{
    char words[512] = "";
    DWORD length = GetEnvironmentVariableA("VELKOR_COMVM", words, sizeof words);
    if (length >= sizeof words)
        words[0] = 0;
    wchar_t description[1024] = L"";
    length = GetEnvironmentVariableW(L"VELKOR_COMVM_DESCRIPTION", description, 1024);
    if (length >= 1024)
        description[0] = 0;
    g_behaviour = ParseBehaviour(words, description);
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        InitializeCriticalSection(&g_lock);
        ConfigureFromEnvironment();
    }
    return TRUE;
}

__declspec(dllexport) HRESULT STDMETHODCALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** object)
{
    if (!IsEqualCLSID(clsid, CLSID_JavaExecute)) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return g_factory.QueryInterface(iid, object);
}

// The stand-in stays loaded: a test may still hold a kept enumerator or read the record.
__declspec(dllexport) HRESULT STDMETHODCALLTYPE DllCanUnloadNow() { return S_FALSE; }

__declspec(dllexport) void __cdecl ComVmConfigure(const char* behaviour, const wchar_t* description)
{
    g_behaviour = ParseBehaviour(behaviour, description);
}

__declspec(dllexport) void __cdecl ComVmReset()
{
    EnterCriticalSection(&g_lock);
    g_record.clear();
    g_executeCalls = 0;
    g_executorThread = 0;
    g_mainThread = 0;
    LeaveCriticalSection(&g_lock);
}

__declspec(dllexport) const char* __cdecl ComVmRecord()
{
    EnterCriticalSection(&g_lock);
    g_recordCopy = g_record;
    LeaveCriticalSection(&g_lock);
    return g_recordCopy.c_str();
}

__declspec(dllexport) long __cdecl ComVmFactoryReferences() { return g_factoryReferences; }
__declspec(dllexport) long __cdecl ComVmObjectsAlive() { return g_objectsAlive; }
__declspec(dllexport) long __cdecl ComVmExecuting() { return g_executing; }

__declspec(dllexport) long __cdecl ComVmReleaseProperties()
{
    IEnumJAVAPROPERTY* properties = g_keptProperties;
    if (properties == nullptr)
        return -1;
    g_keptProperties = nullptr;
    properties->Reset();
    ReadProperties(properties);
    return static_cast<long>(properties->Release());
}

}  // extern "C"
