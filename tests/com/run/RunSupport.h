// Support for the COM launcher's run tests: the VM stand-in loaded in-process and registered
// with real COM, argument vectors, and the texts the reporters produce.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

// The stand-in VM (tests/standins/comvm), loaded into this process.
struct StandInVm {
    static StandInVm& Get();

    // Sets the stand-in's behaviour and clears its record.
    void Prepare(const char* behaviour, const wchar_t* description = L"");
    std::string Record() const;
    long FactoryReferences() const;
    long ObjectsAlive() const;
    long Executing() const;
    long ReleaseProperties() const;
    IClassFactory* Factory() const;

private:
    StandInVm();
    HMODULE module;
};

// Makes the stand-in the VM's class on this thread for its lifetime: COM initialised here,
// the factory registered; revoked and uninitialised again at the end.
class RegisteredVm {
public:
    RegisteredVm();
    ~RegisteredVm();
    RegisteredVm(const RegisteredVm&) = delete;
    RegisteredVm& operator=(const RegisteredVm&) = delete;

private:
    DWORD cookie = 0;
};

// True when COM is not initialised on this thread: a fresh CoInitialize answers S_OK. The
// probe's own initialisation is undone again either way.
bool ComUninitialisedHere();

// A writable argument vector, element 0 being the program path.
class ArgVector {
public:
    ArgVector(std::initializer_list<std::string> elements) : ArgVector(std::vector<std::string>(elements)) {}
    explicit ArgVector(const std::vector<std::string>& elements);
    int Count() const { return static_cast<int>(storage.size()); }
    // The elements and a closing null entry; valid while this vector lives unchanged.
    char** Elements();

private:
    std::vector<std::vector<char>> storage;
    std::vector<char*> pointers;
};

// What one RunWithComRuntime with the registered stand-in gave.
struct RunOutcome {
    int result;
    std::string log;
    std::string record;
    // COM's state on this thread right after the run (still initialised by the test itself),
    // and after the test's own CoUninitialize.
    bool initialisedAfterRun;
    bool uninitialisedAtEnd;
};

// Runs RunWithComRuntime on this thread with the stand-in registered and behaving as asked.
RunOutcome RunWithStandIn(ArgVector args, const char* behaviour, const wchar_t* description = L"");

// The report of ReportSystemError for a message text and an HRESULT, as the launch log gets it
// (className fills the hint that a system text for DISP_E_MEMBERNOTFOUND brings along).
std::string SystemErrorReport(const std::string& message, HRESULT result, const std::string& className = "");

// The stand-in's record line of an Execute call.
std::string ExecuteLine(const std::string& className, const std::string& classPath, const std::string& args = "none",
                        DWORD flags = 0);

// Makes the nothrow allocations of exactly this many bytes fail (0: none).
void FailNothrowAllocationsOf(size_t size);

// Writes past the end of a 261-byte block (the full-path buffer) found when it was freed.
long BufferOverruns();
