// The main thread's side of a run: the message loop, the 500 ms join and the teardown.
#include <gtest/gtest.h>

#include "LaunchLog.h"
#include "Launchers.h"
#include "RunSupport.h"

namespace {

// Waits for a WM_QUIT in this thread's queue; true when one came within the time.
bool QuitMessageArrives(DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < timeoutMs) {
        if (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            return true;
        Sleep(10);
    }
    return false;
}

DWORD WINAPI RunFooOnThisThread(LPVOID parameter)
{
    *static_cast<RunOutcome*>(parameter) = RunWithStandIn({"C:\\Velkor\\Velkor.exe", "Foo"}, "execute=80070002");
    return 0;
}

// A stray quit message ends the loop while Execute is still running. The main thread must
// then leave the runner, the VM and its own COM initialisation to the worker.
TEST(Join, WorkerStillRunningAfterTheWaitKeepsItsRunnerAndVm)
{
    StandInVm& vm = StandInVm::Get();
    long alive = vm.ObjectsAlive();
    vm.Prepare("slow=1500");
    LaunchLog = "";
    ArgVector args{"C:\\Velkor\\Velkor.exe", "/d:velkor.home=C:\\Velkor\\", "Velkor"};
    {
        RegisteredVm registered;
        PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
        DWORD start = GetTickCount();
        EXPECT_EQ(RunWithComRuntime(args.Count(), args.Elements()), 0);
        DWORD elapsed = GetTickCount() - start;
        EXPECT_GE(elapsed, 450u);
        EXPECT_LT(elapsed, 1400u);
        EXPECT_EQ(vm.Executing(), 1);
        EXPECT_EQ(vm.ObjectsAlive(), alive + 1);

        // The worker finishes its class and posts its quit message as its last act.
        EXPECT_TRUE(QuitMessageArrives(5000));
        Sleep(100);
        EXPECT_EQ(vm.Executing(), 0);
        EXPECT_EQ(vm.ObjectsAlive(), alive + 1);
        EXPECT_EQ(vm.Record(), "CreateInstance\nQueryInterface IJavaExecute2\nSetSystemProperties\n"
                               "Property velkor.home=C:\\Velkor\\\n" +
                                   ExecuteLine("Velkor", ""));
        EXPECT_EQ(std::string(LaunchLog), "");
    }
    // The runner's initialisation of COM on this thread is still in place, on purpose.
    EXPECT_FALSE(ComUninitialisedHere());
    CoUninitialize();
    EXPECT_TRUE(ComUninitialisedHere());
}

// A worker that takes a while is waited for as long as the loop runs; only the join is
// bounded. A run on a thread that never had a message queue ends as well.
TEST(Join, SlowWorkerIsJoinedAndTornDownOnTheMainThread)
{
    StandInVm& vm = StandInVm::Get();
    long alive = vm.ObjectsAlive();
    RunOutcome outcome = RunWithStandIn({"C:\\Velkor\\Velkor.exe", "Velkor"}, "slow=800");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Velkor", "") + "Released thread=main executor=ended\n");
    EXPECT_TRUE(outcome.uninitialisedAtEnd);
    EXPECT_EQ(vm.ObjectsAlive(), alive);

    RunOutcome outcome2 = {};
    HANDLE thread = CreateThread(nullptr, 0, RunFooOnThisThread, &outcome2, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(outcome2.result, 1);
    EXPECT_EQ(outcome2.log, SystemErrorReport("Could not execute Foo", 0x80070002));
    EXPECT_TRUE(outcome2.uninitialisedAtEnd);
}

}  // namespace
