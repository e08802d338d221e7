// Inputs that once made the loader read past the end of a text, kept as fixed cases. They bite
// with a double-byte code page (the run with code page 932), where converting a text that ends
// in a lone lead byte to the OEM code page used to swallow its terminator.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "ComJavaRunner.h"
#include "ComVmControl.h"
#include "FuzzSupport.h"
#include "LaunchLog.h"
#include "Reference.h"
#include "Worker.h"

TEST(Regression, SwitchEndingInALoneLeadByteIsEchoedWithItsTerminator)
{
    for (std::string element : {"/\x81", "-x\xe9", "/CP\x9f"}) {
        GuardedVector vector({"C:\\Velkor\\Velkor.exe", element, "Velkor"});
        LaunchLog = "";
        ComJavaRunner runner(vector.Count(), vector.Array());
        EXPECT_EQ(runner.ParseCommandLine(), 0);
        std::string echoed = Oem(Lower(element));
        EXPECT_TRUE(vector.Holds(1, echoed)) << Show(element);
        EXPECT_EQ(std::string(LaunchLog), ReportLine("Invalid command line switch: " + echoed)) << Show(element);
    }
}

TEST(Regression, ClassNameEndingInALoneLeadByteIsReportedWithItsTerminator)
{
    std::string path = "Z:" VELKOR_COMVM_DLL;  // the build tree as Wine's Z: drive shows it
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    HMODULE standIn = LoadLibraryA(path.c_str());
    ASSERT_NE(standIn, nullptr);
    auto configure = reinterpret_cast<ComVmConfigureFn>(reinterpret_cast<void*>(GetProcAddress(standIn, "ComVmConfigure")));
    auto reset = reinterpret_cast<ComVmResetFn>(reinterpret_cast<void*>(GetProcAddress(standIn, "ComVmReset")));
    typedef HRESULT(STDAPICALLTYPE * GetClassObjectFn)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(standIn, "DllGetClassObject")));
    ASSERT_TRUE(configure != nullptr && reset != nullptr && getClassObject != nullptr);
    configure("execute=80004005", L"");
    reset();

    ASSERT_EQ(CoInitialize(nullptr), S_OK);  // the runner uninitialises with the VM it holds
    IClassFactory* factory = nullptr;
    ASSERT_EQ(getClassObject(CLSID_JavaExecute, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    IJavaExecute* vm = nullptr;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IJavaExecute, reinterpret_cast<void**>(&vm)), S_OK);
    factory->Release();

    GuardedVector vector({"C:\\Velkor\\Velkor.exe", "x\x81"});
    LaunchLog = "";
    {
        ComJavaRunner runner(vector.Count(), vector.Array());
        runner.javaExecute = vm;
        runner.mainThreadId = GetCurrentThreadId();
        EXPECT_EQ(WorkerMain(&runner), 1u);
        MSG quit;
        EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        std::string name = Oem("x\x81");
        EXPECT_EQ(std::string(LaunchLog), SystemErrorReport("Could not execute " + name, E_FAIL, name));
    }
    LaunchLog = "";
}
