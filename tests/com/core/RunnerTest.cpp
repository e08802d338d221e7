#include <gtest/gtest.h>

#include "AllocFailure.h"
#include "ComJavaRunner.h"
#include "PropertyEnumerator.h"

namespace {

// Whether COM is initialised on this thread, leaving that as it is.
bool ComIsUp()
{
    HRESULT result = CoInitialize(nullptr);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_FALSE;
}

// Stands in for the VM's execution object: notes its releases and whether COM was still up.
struct VmObject : IJavaExecute {
    int releases = 0;
    bool comUpAtRelease = false;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return ++releases, comUpAtRelease = ComIsUp(), 0; }
    HRESULT STDMETHODCALLTYPE Reserved(LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Execute(JAVAEXECUTEINFO*, IErrorInfo**) override { return E_NOTIMPL; }
};

char* g_argv[] = {const_cast<char*>("x.exe"), nullptr};

} // namespace

TEST(ComJavaRunner, ConversionsAtTheComBoundary)
{
    ComJavaRunner runner(1, g_argv);
    struct { const char* ansi; int length; const wchar_t* wide; } cases[] = {
        {"", -1, L""}, {"caf\xe9", -1, L"caf\u00e9"}, {"abcdef", 3, L"abc"}};
    for (auto& c : cases) {
        wchar_t* wide = runner.AnsiToWide(c.ansi, c.length);
        EXPECT_STREQ(wide, c.wide);
        char* narrow = runner.WideToAnsi(wide, c.length);
        EXPECT_EQ(std::string(narrow), std::string(c.ansi).substr(0, lstrlenW(c.wide)));
        delete[] wide;
        delete[] narrow;
    }
    FailAllocationAt(1);
    EXPECT_EQ(runner.AnsiToWide("abc", -1), nullptr);
    FailAllocationAt(1);
    EXPECT_EQ(runner.WideToAnsi(L"abc", -1), nullptr);
    FailAllocationAt(0);
    EXPECT_EQ(runner.AnsiToWide("\xff", 0), nullptr);  // a count of 0: nothing allocated
    EXPECT_EQ(Allocations(), 0);
}

TEST(ComJavaRunner, TeardownGivesBackEverythingOnce)
{
    long before = LiveAllocations();
    delete new ComJavaRunner(1, g_argv);  // nothing to free, release or uninitialise
    EXPECT_EQ(LiveAllocations(), before);
    EXPECT_FALSE(ComIsUp());

    VmObject vm;
    auto* properties = new PropertyEnumerator;
    properties->AddRef();  // the VM's own reference
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    auto* runner = new ComJavaRunner(1, g_argv);
    for (char** text : {&runner->classPath, &runner->className, &runner->appendPath, &runner->prependPath})
        *text = runner->AllocText(3);
    runner->argCount = 2;
    runner->args = new wchar_t*[3]{runner->AnsiToWide("a", -1), runner->AnsiToWide("b", -1), nullptr};
    runner->javaExecute = &vm;
    runner->properties = properties;
    delete runner;
    EXPECT_EQ(vm.releases, 1);
    EXPECT_TRUE(vm.comUpAtRelease);
    EXPECT_FALSE(ComIsUp());
    EXPECT_EQ(properties->Release(), 0u);  // alive until the VM lets go
    EXPECT_EQ(LiveAllocations(), before);
}
