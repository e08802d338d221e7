// The state of one attempt to start the application on the COM Java VM.
#pragma once

#include <windows.h>

#include "JavaVm.h"

class PropertyEnumerator;

class ComJavaRunner {
public:
    ComJavaRunner(int argc, char** argv);
    ~ComJavaRunner();
    ComJavaRunner(const ComJavaRunner&) = delete;
    ComJavaRunner& operator=(const ComJavaRunner&) = delete;

    // Text conversions at the COM boundary (length -1: up to and including the terminator).
    // The results are new blocks, freed with delete[]; null on failure.
    wchar_t* AnsiToWide(const char* text, int length);
    char* WideToAnsi(const wchar_t* text, int length);

    // Command line: 1 for success, 0 for failure (reported).
    int ParseCommandLine();
    int ParseSwitches(int* index);
    int AppendPath(char** list, const char* element);
    int ConvertArguments(int first);
    char* AllocText(int length);
    void ShowUsage();

    // Activation, on the main thread: 1 when javaExecute was obtained.
    int ActivateVm();

    // Execution, on the worker thread.
    HRESULT SetVmProperties();
    HRESULT ExecuteClass(IErrorInfo** errorInfo);

    DWORD mainThreadId;
    int argc;
    char** argv;
    int appletMode;
    int pauseOnError;
    int verifyClasses;
    char* classPath;
    char* appendPath;
    char* prependPath;
    char* className;
    int argCount;
    wchar_t** args;
    IJavaExecute* javaExecute;
    PropertyEnumerator* properties;
    // Set on the worker just before the VM's Execute is called; read once the worker has ended.
    int executeCalled;
};
