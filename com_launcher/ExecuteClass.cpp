// Handing the system properties to the VM and running the class through IJavaExecute.
#include <windows.h>

#include "ComJavaRunner.h"
#include "Messages.h"
#include "PropertyEnumerator.h"
#include "resource.h"

HRESULT ComJavaRunner::SetVmProperties()
{
    if (properties == nullptr)
        return S_OK;

    IJavaExecute2* javaExecute2 = nullptr;
    if (javaExecute->QueryInterface(IID_IJavaExecute2, reinterpret_cast<void**>(&javaExecute2)) != S_OK) {
        // A VM that answered with an interface after all must get its reference back.
        if (javaExecute2 != nullptr)
            javaExecute2->Release();
        ReportMessage(this, IDS_NO_CUSTOM_PROPERTIES);
        return E_FAIL;
    }
    HRESULT result = javaExecute2->SetSystemProperties(properties);
    javaExecute2->Release();
    return result;
}

HRESULT ComJavaRunner::ExecuteClass(IErrorInfo** errorInfo)
{
    wchar_t* wideClassName = className != nullptr ? AnsiToWide(className, -1) : nullptr;
    wchar_t* wideClassPath = classPath != nullptr ? AnsiToWide(classPath, -1) : nullptr;
    // A text that could not be converted would reach the VM as no text at all, which runs the
    // class without its class path or hands it no class: report the memory instead.
    if ((className != nullptr && wideClassName == nullptr) || (classPath != nullptr && wideClassPath == nullptr)) {
        delete[] wideClassPath;
        delete[] wideClassName;
        return E_OUTOFMEMORY;
    }

    JAVAEXECUTEINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = verifyClasses ? JEIF_VERIFYCLASSES : 0;
    info.pszClassName = wideClassName;
    info.rgszArgs = args;
    info.cArgs = static_cast<ULONG>(argCount);
    info.pszClassPath = wideClassPath;
    info.dwReserved = 0;

    executeCalled = 1;
    HRESULT result = javaExecute->Execute(&info, errorInfo);

    delete[] wideClassPath;
    delete[] wideClassName;
    return result;
}
