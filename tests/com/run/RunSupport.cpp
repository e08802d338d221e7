#include "RunSupport.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <stdexcept>

#include "ComVmControl.h"
#include "JavaVm.h"
#include "LaunchLog.h"
#include "Launchers.h"

namespace {

// The stand-in's path as Wine's Z: drive shows it.
std::string StandInPath()
{
    std::string path = "Z:" VELKOR_COMVM_DLL;
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    return path;
}

template <typename Function>
Function Export(HMODULE module, const char* name)
{
    FARPROC address = GetProcAddress(module, name);
    if (address == nullptr)
        throw std::runtime_error(std::string("stand-in lacks ") + name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

std::atomic<size_t> g_failingSize{0};

}  // namespace

StandInVm::StandInVm() : module(LoadLibraryA(StandInPath().c_str()))
{
    if (module == nullptr)
        throw std::runtime_error("cannot load " + StandInPath());
}

StandInVm& StandInVm::Get()
{
    static StandInVm vm;
    return vm;
}

void StandInVm::Prepare(const char* behaviour, const wchar_t* description)
{
    Export<ComVmConfigureFn>(module, "ComVmConfigure")(behaviour, description);
    Export<ComVmResetFn>(module, "ComVmReset")();
}

std::string StandInVm::Record() const { return Export<ComVmRecordFn>(module, "ComVmRecord")(); }
long StandInVm::FactoryReferences() const { return Export<ComVmCounterFn>(module, "ComVmFactoryReferences")(); }
long StandInVm::ObjectsAlive() const { return Export<ComVmCounterFn>(module, "ComVmObjectsAlive")(); }
long StandInVm::Executing() const { return Export<ComVmCounterFn>(module, "ComVmExecuting")(); }
long StandInVm::ReleaseProperties() const
{
    return Export<ComVmReleasePropertiesFn>(module, "ComVmReleaseProperties")();
}

IClassFactory* StandInVm::Factory() const
{
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    IClassFactory* factory = nullptr;
    Export<GetClassObjectFn>(module, "DllGetClassObject")(CLSID_JavaExecute, IID_IClassFactory,
                                                          reinterpret_cast<void**>(&factory));
    return factory;
}

RegisteredVm::RegisteredVm()
{
    if (CoInitialize(nullptr) != S_OK)
        throw std::runtime_error("COM was already initialised on the test thread");
    IClassFactory* factory = StandInVm::Get().Factory();
    HRESULT result = CoRegisterClassObject(CLSID_JavaExecute, factory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    factory->Release();
    if (FAILED(result))
        throw std::runtime_error("CoRegisterClassObject failed");
}

RegisteredVm::~RegisteredVm()
{
    CoRevokeClassObject(cookie);
    CoUninitialize();
}

bool ComUninitialisedHere()
{
    HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_OK;
}

ArgVector::ArgVector(const std::vector<std::string>& elements)
{
    for (const std::string& element : elements)
        storage.emplace_back(element.c_str(), element.c_str() + element.size() + 1);
}

char** ArgVector::Elements()
{
    pointers.clear();
    for (std::vector<char>& element : storage)
        pointers.push_back(element.data());
    pointers.push_back(nullptr);
    return pointers.data();
}

RunOutcome RunWithStandIn(ArgVector args, const char* behaviour, const wchar_t* description)
{
    StandInVm& vm = StandInVm::Get();
    vm.Prepare(behaviour, description);
    LaunchLog = "";
    RunOutcome outcome;
    {
        RegisteredVm registered;
        outcome.result = RunWithComRuntime(args.Count(), args.Elements());
        outcome.initialisedAfterRun = !ComUninitialisedHere();
    }
    outcome.uninitialisedAtEnd = ComUninitialisedHere();
    outcome.log = static_cast<const char*>(LaunchLog);
    outcome.record = vm.Record();
    return outcome;
}

std::string SystemErrorReport(const std::string& message, HRESULT result, const std::string& className)
{
    // The system's own text, where it has one (Wine has none for several codes).
    char text[512];
    std::string hint;
    if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(result), 0x0800, text, sizeof text,
                       nullptr) != 0) {
        CharToOemA(text, text);
        if (result == DISP_E_MEMBERNOTFOUND)
            hint = "\t" + className + " must have a method of the following form to be run using Velkor:\r\n"
                   "\t\tpublic static void main(String args[])\r\n\tIf " + className +
                   " is an applet, you must run it using a browser.";
    } else {
        std::snprintf(text, sizeof text, "SCODE 0x%lx: Error message unavailable.", static_cast<unsigned long>(result));
    }
    return "\r\nERROR: " + message + "\n: " + text + "\n" + hint + "\n";
}

std::string ExecuteLine(const std::string& className, const std::string& classPath, const std::string& args,
                        DWORD flags)
{
    return "Execute size=" + std::to_string(sizeof(JAVAEXECUTEINFO)) + " flags=" + std::to_string(flags) +
           " class=" + className + " classpath=" + classPath + " args=" + args + " reserved=0 thread=other\n";
}

void FailNothrowAllocationsOf(size_t size) { g_failingSize = size; }

// ---- The heap as the tests see it -----------------------------------------------------------
// Nothrow allocations of the full-path buffer's size carry a guard zone behind them, checked
// when they are freed; any size can be made to fail.

namespace {

const size_t kGuardedSize = 261;
const size_t kGuardBytes = 64;
const unsigned char kGuardByte = 0xA5;

std::mutex& GuardLock()
{
    static std::mutex lock;
    return lock;
}
std::vector<void*> g_guarded;
std::atomic<long> g_overruns{0};

void Release(void* block) noexcept
{
    if (block == nullptr)
        return;
    {
        std::lock_guard<std::mutex> hold(GuardLock());
        for (size_t i = 0; i < g_guarded.size(); ++i) {
            if (g_guarded[i] != block)
                continue;
            const unsigned char* guard = static_cast<const unsigned char*>(block) + kGuardedSize;
            for (size_t j = 0; j < kGuardBytes; ++j)
                if (guard[j] != kGuardByte) {
                    ++g_overruns;
                    break;
                }
            g_guarded.erase(g_guarded.begin() + static_cast<ptrdiff_t>(i));
            break;
        }
    }
    std::free(block);
}

}  // namespace

long BufferOverruns() { return g_overruns; }

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    if (size == g_failingSize)
        return nullptr;
    if (size != kGuardedSize)
        return std::malloc(size != 0 ? size : 1);
    void* block = std::malloc(size + kGuardBytes);
    if (block == nullptr)
        return nullptr;
    std::memset(static_cast<unsigned char*>(block) + size, kGuardByte, kGuardBytes);
    try {
        std::lock_guard<std::mutex> hold(GuardLock());
        g_guarded.push_back(block);
    } catch (...) {
    }
    return block;
}

void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
