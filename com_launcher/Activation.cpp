// Activation of the COM Java VM on the main thread.
#include <windows.h>

#include "ComJavaRunner.h"
#include "ComLibraries.h"
#include "Messages.h"
#include "resource.h"

namespace {

// In-process server, in-process handler and local server.
const DWORD kVmClassContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

}  // namespace

int ComJavaRunner::ActivateVm()
{
    // Without the COM libraries, COM cannot be initialised either: the same report.
    HRESULT result = LoadComLibraries();
    if (SUCCEEDED(result))
        result = Com.CoInitialize(nullptr);
    if (FAILED(result)) {
        ReportSystemError(this, result, IDS_OLE_INIT_FAILED);
        return 0;
    }

    // Each failure gives back what it holds before it is reported, so that a report that
    // cannot grow the launch log leaves nothing behind.
    IClassFactory* factory = nullptr;
    result = Com.CoGetClassObject(CLSID_JavaExecute, kVmClassContext, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory));
    if (FAILED(result)) {
        Com.CoUninitialize();
        ReportSystemError(this, result, IDS_NO_JAVA_VM);
        return 0;
    }

    result = factory->CreateInstance(nullptr, IID_IJavaExecute, reinterpret_cast<void**>(&javaExecute));
    factory->Release();
    // A factory that claims success without an interface has given nothing to run the class on.
    if (SUCCEEDED(result) && javaExecute == nullptr)
        result = E_NOINTERFACE;
    if (FAILED(result)) {
        javaExecute = nullptr;
        Com.CoUninitialize();
        ReportSystemError(this, result, IDS_NO_CLASS_LOADER);
        return 0;
    }
    return 1;
}
