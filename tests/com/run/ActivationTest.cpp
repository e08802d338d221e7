// Activation of the VM on the calling thread, with real COM and the stand-in VM.
#include <gtest/gtest.h>

#include "ComJavaRunner.h"
#include "LaunchLog.h"
#include "Launchers.h"
#include "RunSupport.h"

namespace {

ArgVector LaunchVector()
{
    return ArgVector{"C:\\Velkor\\Velkor.exe", "/cp", "C:\\Velkor\\Velkor.jar", "/cp",
                     "C:\\Velkor\\swingall.jar", "/d:velkor.home=C:\\Velkor\\", "Velkor"};
}

TEST(Activation, FailuresAreLoggedAndLeaveComAsTheyFoundIt)
{
    ASSERT_TRUE(ComUninitialisedHere());
    StandInVm& vm = StandInVm::Get();

    // The class is not registered at all.
    {
        vm.Prepare("");
        LaunchLog = "";
        ArgVector args = LaunchVector();
        EXPECT_EQ(RunWithComRuntime(args.Count(), args.Elements()), 0);
        EXPECT_EQ(std::string(LaunchLog), SystemErrorReport("Could not locate Java Virtual Machine", REGDB_E_CLASSNOTREG));
        EXPECT_TRUE(ComUninitialisedHere());
        EXPECT_EQ(vm.Record(), "");
    }

    // CreateInstance fails: the factory gets its reference back, COM is uninitialised once.
    {
        long factoryReferences = vm.FactoryReferences();
        RunOutcome outcome = RunWithStandIn(LaunchVector(), "createfail");
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.log, SystemErrorReport("Could not obtain Java class loader", E_OUTOFMEMORY));
        EXPECT_EQ(outcome.record, "CreateInstance\n");
        EXPECT_EQ(vm.FactoryReferences(), factoryReferences);
        EXPECT_TRUE(outcome.initialisedAfterRun);
        EXPECT_TRUE(outcome.uninitialisedAtEnd);
    }

    // CoInitialize fails on a thread already in the multithreaded apartment: nothing is
    // activated and the thread's own initialisation is not undone.
    {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        vm.Prepare("");
        LaunchLog = "";
        ArgVector args = LaunchVector();
        EXPECT_EQ(RunWithComRuntime(args.Count(), args.Elements()), 0);
        EXPECT_EQ(std::string(LaunchLog), SystemErrorReport("Could not initialize Ole", RPC_E_CHANGED_MODE));
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE);
        CoUninitialize();
        CoUninitialize();
        EXPECT_TRUE(ComUninitialisedHere());
        EXPECT_EQ(vm.Record(), "");
    }

    // No memory for the runner: the report goes straight into the log, COM is never touched.
    {
        vm.Prepare("");
        LaunchLog = "";
        ArgVector args = LaunchVector();
        FailNothrowAllocationsOf(sizeof(ComJavaRunner));
        int result = RunWithComRuntime(args.Count(), args.Elements());
        FailNothrowAllocationsOf(0);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(std::string(LaunchLog), "\r\nERROR: Out of memory\n");
        EXPECT_EQ(vm.Record(), "");
        EXPECT_TRUE(ComUninitialisedHere());
    }
}

// An activation that succeeds on a thread where COM is already initialised (CoInitialize
// answers S_FALSE) still undoes exactly its own initialisation.
TEST(Activation, AlreadyInitialisedThreadKeepsItsOwnInitialisation)
{
    RunOutcome outcome = RunWithStandIn(LaunchVector(), "");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.log, "");
    EXPECT_TRUE(outcome.initialisedAfterRun);
    EXPECT_TRUE(outcome.uninitialisedAtEnd);
}

}  // namespace
