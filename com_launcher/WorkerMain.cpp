// The worker thread: parses the command line, resolves the class, runs it on the VM and
// reports the outcome, then ends the main thread's message loop.
#include <windows.h>

#include <cstring>

#include "ClassResolution.h"
#include "ComLibraries.h"
#include "ComJavaRunner.h"
#include "Messages.h"
#include "Worker.h"
#include "resource.h"

namespace {

// What the VM answers when it finds no class file under the name it was given.
const HRESULT kClassFileNotFound = static_cast<HRESULT>(0x80070002);

void ReleaseErrorInfo(IErrorInfo** errorInfo)
{
    if (*errorInfo != nullptr) {
        (*errorInfo)->Release();
        *errorInfo = nullptr;
    }
}

// Logs the description of an error with which the class ended.
void ReportErrorDescription(ComJavaRunner* runner, IErrorInfo* errorInfo)
{
    BSTR description = nullptr;
    if (FAILED(errorInfo->GetDescription(&description))) {
        ReportMessage(runner, IDS_UNKNOWN_ERROR);
        return;
    }
    // A null description converts to no text at all, which is reported as an unknown error.
    char* text = runner->WideToAnsi(description, -1);
    if (text != nullptr) {
        CharToOemA(text, text);
        ReportMessage(runner, 0, text);
        delete[] text;
    } else {
        ReportMessage(runner, IDS_UNKNOWN_ERROR);
    }
    Com.SysFreeString(description);
}

// Everything the worker does before its quit message. Returns the thread's exit code.
DWORD RunClass(ComJavaRunner* runner)
{
    if (!runner->ParseCommandLine() || runner->className == nullptr)
        return 1;

    IErrorInfo* errorInfo = nullptr;
    size_t length = std::strlen(runner->className);
    if (NamesClassFile(runner->className, length))
        length = ResolveClassFile(runner, length);
    ptrdiff_t cut = CutClassSuffix(runner->className, length);

    if (runner->SetVmProperties() != S_OK)
        return 1;

    HRESULT result = runner->ExecuteClass(&errorInfo);
    if (result == kClassFileNotFound && cut != kNoSuffixCut) {
        // Perhaps the suffix belongs to the class's name: try the whole name once.
        ReleaseErrorInfo(&errorInfo);
        runner->className[cut] = '.';
        result = runner->ExecuteClass(&errorInfo);
    }

    if (FAILED(result)) {
        ReleaseErrorInfo(&errorInfo);
        // The name's characters only, never its terminator, which CharToOemA would take
        // together with a lone lead byte at the end of the name in a double-byte code page.
        CharToOemBuffA(runner->className, runner->className, static_cast<DWORD>(lstrlenA(runner->className)));
        ReportSystemError(runner, result, IDS_COULD_NOT_EXECUTE, runner->className);
        return 1;
    }
    if (errorInfo != nullptr) {
        ReportErrorDescription(runner, errorInfo);
        ReleaseErrorInfo(&errorInfo);
        return 1;
    }
    return 0;
}

}  // namespace

DWORD WINAPI WorkerMain(LPVOID parameter)
{
    ComJavaRunner* runner = static_cast<ComJavaRunner*>(parameter);
    DWORD result = 1;
    try {
        result = RunClass(runner);
    } catch (...) {
        // The launch log could not grow. The run has failed, and the main thread still has
        // to be told.
        result = 1;
    }
    // The last use of the runner: from here on the main thread may destroy it.
    PostThreadMessageA(runner->mainThreadId, WM_QUIT, 0, 0);
    return result;
}
