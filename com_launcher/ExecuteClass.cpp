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
    // A failed conversion leaves a null text in the record; the VM answers for it.
    wchar_t* wideClassName = className != nullptr ? AnsiToWide(className, -1) : nullptr;
    wchar_t* wideClassPath = classPath != nullptr ? AnsiToWide(classPath, -1) : nullptr;

    JAVAEXECUTEINFO info = {};
    info.cbSize = sizeof info;
    info.dwFlags = verifyClasses ? JEIF_VERIFYCLASSES : 0;
    info.pszClassName = wideClassName;
    info.rgszArgs = args;
    info.cArgs = static_cast<ULONG>(argCount);
    info.pszClassPath = wideClassPath;
    info.dwReserved = 0;

    HRESULT result = javaExecute->Execute(&info, errorInfo);

    delete[] wideClassPath;
    delete[] wideClassName;
    return result;
}
