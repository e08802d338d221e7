// The COM launcher's entry: activates the VM, runs the class on a worker thread while this
// thread pumps messages, and tears everything down again.
#include <windows.h>

#include <new>

#include "ComJavaRunner.h"
#include "LaunchLog.h"
#include "Launchers.h"
#include "Messages.h"
#include "Win32Helpers.h"
#include "Worker.h"
#include "resource.h"

namespace {

// How long the main thread waits for the worker once the message loop has ended.
const DWORD kJoinTimeoutMs = 500;

// The report for a runner that could not even be allocated: there is nothing to report through.
void ReportNoRunner()
{
    char prefix[64] = "";
    char message[64] = "";
    LoadMessageText(nullptr, IDS_ERROR_PREFIX, prefix, sizeof prefix);
    LoadMessageText(nullptr, IDS_OUT_OF_MEMORY, message, sizeof message);
    LaunchLog += prefix;
    LaunchLog += message;
    LaunchLog += '\n';
}

// Activates the VM and runs the worker. Returns the worker's exit code when it ended in time,
// else 0. Sets workerRunning while the worker may still use the runner.
int RunActivated(ComJavaRunner* runner, bool* workerRunning)
{
    if (!runner->ActivateVm())
        return 0;

    runner->mainThreadId = GetCurrentThreadId();
    // The worker may finish before this thread reaches its message loop: give the thread its
    // message queue now, so that the quit message has somewhere to wait.
    MSG message;
    PeekMessageA(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);

    HANDLE worker = CreateThread(nullptr, 0, WorkerMain, runner, 0, nullptr);
    if (worker == nullptr) {
        ReportSystemError(runner, HresultFromLastError(), IDS_NO_THREAD);
        return 0;
    }
    *workerRunning = true;

    PumpMessages();
    int result = 0;
    if (WaitForSingleObject(worker, kJoinTimeoutMs) == WAIT_OBJECT_0) {
        *workerRunning = false;
        DWORD exitCode = 1;
        if (!GetExitCodeThread(worker, &exitCode))
            exitCode = 1;
        result = static_cast<int>(exitCode);
    }
    CloseHandle(worker);
    return result;
}

}  // namespace

int RunWithComRuntime(int argc, char** argv, bool* classHandedOver)
{
    *classHandedOver = false;
    ComJavaRunner* runner = new (std::nothrow) ComJavaRunner(argc, argv);
    if (runner == nullptr) {
        try {
            ReportNoRunner();
        } catch (...) {
        }
        return 0;
    }

    bool workerRunning = false;
    int result = 0;
    try {
        result = RunActivated(runner, &workerRunning);
    } catch (...) {
        result = 0;
    }

    // A worker that has not ended may still be inside the VM with the runner. The runner, its
    // VM reference and this thread's COM initialisation then stay as they are: releasing them
    // could unload the VM under the worker's feet, and the process ends right after this. Such a
    // worker counts as having handed the class over: it may be inside Execute, and it may still
    // write the launch log, which nothing may read while it does.
    *classHandedOver = workerRunning || runner->executeCalled != 0;
    if (!workerRunning)
        delete runner;
    return result;
}
