// The worker's run of a class on the stand-in VM: what the VM is handed, the retry without
// the suffix cut, the outcome reports and exit codes.
#include <gtest/gtest.h>

#include "RunSupport.h"

namespace {

const char kProgram[] = "C:\\Velkor\\Velkor.exe";
const char kReleased[] = "Released thread=main executor=ended\n";

TEST(Worker, LaunchVectorRunsVelkorOnceWithItsClassPathAndProperty)
{
    long alive = StandInVm::Get().ObjectsAlive();
    RunOutcome outcome = RunWithStandIn({kProgram, "/cp", "C:\\Velkor\\Velkor.jar", "/cp", "C:\\Velkor\\swingall.jar",
                                         "/d:velkor.home=C:\\Velkor\\", "Velkor"},
                                        "");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.log, "");
    // The runner is torn down on this thread, once the worker has ended.
    EXPECT_EQ(outcome.record, std::string("CreateInstance\n"
                                          "QueryInterface IJavaExecute2\n"
                                          "SetSystemProperties\n"
                                          "Property velkor.home=C:\\Velkor\\\n") +
                                  ExecuteLine("Velkor", "C:\\Velkor\\Velkor.jar;C:\\Velkor\\swingall.jar;") + kReleased);
    EXPECT_TRUE(outcome.initialisedAfterRun);
    EXPECT_TRUE(outcome.uninitialisedAtEnd);
    EXPECT_EQ(StandInVm::Get().ObjectsAlive(), alive);
}

TEST(Worker, PropertiesNewestFirstFlagsAndArgumentsReachTheVm)
{
    RunOutcome outcome = RunWithStandIn({kProgram, "/v", "/d:a=1", "/d:b=2", "/cp", "lib", "Main", "x", "/y"}, "");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.record, "CreateInstance\nQueryInterface IJavaExecute2\nSetSystemProperties\n"
                              "Property b=2\nProperty a=1\n" +
                                  ExecuteLine("Main", "lib;", "2 [x] [/y]", 2) + kReleased);

    // Without a "/d:" switch the VM is never asked for IJavaExecute2.
    outcome = RunWithStandIn({kProgram, "Main"}, "noexecute2");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Main", "") + kReleased);
}

TEST(Worker, SuffixIsRetriedOnlyAfterClassFileNotFound)
{
    struct Case {
        const char* argument;
        const char* behaviour;
        int result;
        std::string executes;
        std::string log;
    };
    const Case cases[] = {
        {"Foo.class", "execute=80070002,0", 0, ExecuteLine("Foo", "") + ExecuteLine("Foo.class", ""), ""},
        {"Foo.class", "execute=80070002", 1, ExecuteLine("Foo", "") + ExecuteLine("Foo.class", ""),
         SystemErrorReport("Could not execute Foo.class", 0x80070002)},
        {"Foo.CLA", "execute=80070002", 1, ExecuteLine("Foo", "") + ExecuteLine("Foo.CLA", ""),
         SystemErrorReport("Could not execute Foo.CLA", 0x80070002)},
        {"Foo.class", "execute=80020003", 1, ExecuteLine("Foo", ""),
         SystemErrorReport("Could not execute Foo", DISP_E_MEMBERNOTFOUND, "Foo")},
        {"Foo.cla", "execute=80004005", 1, ExecuteLine("Foo", ""), SystemErrorReport("Could not execute Foo", E_FAIL)},
        {"Foo", "execute=80070002", 1, ExecuteLine("Foo", ""), SystemErrorReport("Could not execute Foo", 0x80070002)},
        {"Velkor", "execute=1", 0, ExecuteLine("Velkor", ""), ""},
    };
    for (const Case& c : cases) {
        RunOutcome outcome = RunWithStandIn({kProgram, c.argument}, c.behaviour);
        EXPECT_EQ(outcome.result, c.result) << c.argument << " " << c.behaviour;
        EXPECT_EQ(outcome.record, "CreateInstance\n" + c.executes + kReleased) << c.argument << " " << c.behaviour;
        EXPECT_EQ(outcome.log, c.log) << c.argument << " " << c.behaviour;
    }
}

TEST(Worker, ErrorDescriptionsAreReportedAndReleased)
{
    // The description reaches the log verbatim behind the prefix, in the OEM code page.
    RunOutcome outcome = RunWithStandIn({kProgram, "Foo"}, "errorinfo=text", L"Boom: 100% failed \x00e9t\x00e9");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log, "\r\nERROR: Boom: 100% failed \x82t\x82\n");
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Foo", "") + "ErrorInfo released\n" + kReleased);

    outcome = RunWithStandIn({kProgram, "Foo"}, "errorinfo=empty");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log, "\r\nERROR: \n");

    outcome = RunWithStandIn({kProgram, "Foo"}, "errorinfo=fail");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log, "\r\nERROR: Unknown error!\n");
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Foo", "") + "ErrorInfo released\n" + kReleased);

    // Error information that comes back with a failure, or with the first of two attempts,
    // is given back too; only the last attempt's outcome is reported.
    outcome = RunWithStandIn({kProgram, "Foo.class"}, "execute=80070002,0 errorinfo=text", L"late");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log, "\r\nERROR: late\n");
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Foo", "") + "ErrorInfo released\n" +
                                  ExecuteLine("Foo.class", "") + "ErrorInfo released\n" + kReleased);
    outcome = RunWithStandIn({kProgram, "Foo"}, "execute=80004005 errorinfo=text", L"ignored");
    EXPECT_EQ(outcome.log, SystemErrorReport("Could not execute Foo", E_FAIL));
    EXPECT_EQ(outcome.record, "CreateInstance\n" + ExecuteLine("Foo", "") + "ErrorInfo released\n" + kReleased);
}

TEST(Worker, PropertyHandOverFailuresStopBeforeExecute)
{
    RunOutcome outcome = RunWithStandIn({kProgram, "/d:a=1", "Foo"}, "noexecute2");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log,
              "\r\nERROR: The current version of the Java VM does not support custom system properties.\n");
    EXPECT_EQ(outcome.record, std::string("CreateInstance\nQueryInterface IJavaExecute2 refused\n") +
                                  "Released thread=main executor=none\n");

    outcome = RunWithStandIn({kProgram, "/d:a=1", "Foo"}, "setpropsfail");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log, "");
    EXPECT_EQ(outcome.record, "CreateInstance\nQueryInterface IJavaExecute2\nSetSystemProperties\nProperty a=1\n"
                              "Released thread=main executor=none\n");

    // A vector with only the program path: usage text, no call into the VM.
    outcome = RunWithStandIn({kProgram}, "");
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.log.find("Tarnwick Java Runtime Loader Version 4.79.1202\r\n"), 0u);
    EXPECT_EQ(outcome.record, "CreateInstance\nReleased thread=main executor=none\n");
    EXPECT_TRUE(outcome.uninitialisedAtEnd);
}

TEST(Worker, EnumeratorOutlivesTheRunnerWhileTheVmKeepsIt)
{
    RunOutcome outcome = RunWithStandIn({kProgram, "/d:velkor.home=C:\\V\\", "Velkor"}, "keepprops");
    EXPECT_EQ(outcome.result, 0);
    // The runner and the VM object are gone; the VM's own reference still reads the property
    // and is the last one.
    EXPECT_EQ(StandInVm::Get().ReleaseProperties(), 0);
    std::string record = StandInVm::Get().Record();
    EXPECT_EQ(record.substr(outcome.record.size()), "Property velkor.home=C:\\V\\\n");
}

}  // namespace
