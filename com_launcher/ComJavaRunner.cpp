// The runner: construction, teardown and the text conversions at the COM boundary.
#include "ComJavaRunner.h"
#include "ComLibraries.h"

#include <climits>
#include <new>

#include "PropertyEnumerator.h"

ComJavaRunner::ComJavaRunner(int argc, char** argv)
    : argc(argc),
      argv(argv),
      appletMode(0),
      pauseOnError(0),
      verifyClasses(0),
      classPath(nullptr),
      appendPath(nullptr),
      prependPath(nullptr),
      className(nullptr),
      argCount(0),
      args(nullptr),
      javaExecute(nullptr),
      properties(nullptr),
      executeCalled(0)
{
    // mainThreadId is written by RunWithComRuntime before anything reads it.
}

ComJavaRunner::~ComJavaRunner()
{
    delete[] classPath;
    delete[] className;
    delete[] appendPath;
    delete[] prependPath;

    if (args != nullptr) {
        for (wchar_t** arg = args; *arg != nullptr; ++arg)
            delete[] *arg;
        delete[] args;
    }

    // The enumerator frees itself with its last reference, which the VM may still hold.
    if (properties != nullptr)
        properties->Release();

    // COM is initialised on this thread exactly while javaExecute is held.
    if (javaExecute != nullptr) {
        javaExecute->Release();
        Com.CoUninitialize();
    }
}

wchar_t* ComJavaRunner::AnsiToWide(const char* text, int length)
{
    int count = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (count <= 0 || count == INT_MAX)
        return nullptr;
    wchar_t* wide = new (std::nothrow) wchar_t[static_cast<size_t>(count) + 1];
    if (wide == nullptr)
        return nullptr;
    int converted = MultiByteToWideChar(CP_ACP, 0, text, length, wide, count + 1);
    // A length other than -1 converts no terminator: add one in the spare unit.
    wide[converted > 0 && converted <= count ? converted : 0] = 0;
    return wide;
}

char* ComJavaRunner::WideToAnsi(const wchar_t* text, int length)
{
    // No text (a null BSTR among them) converts to none.
    if (text == nullptr)
        return nullptr;
    int count = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (count <= 0 || count == INT_MAX)
        return nullptr;
    char* narrow = new (std::nothrow) char[static_cast<size_t>(count) + 1];
    if (narrow == nullptr)
        return nullptr;
    int converted = WideCharToMultiByte(CP_ACP, 0, text, length, narrow, count, nullptr, nullptr);
    narrow[converted > 0 && converted <= count ? converted : 0] = 0;
    return narrow;
}
