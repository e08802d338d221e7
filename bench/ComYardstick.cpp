// The COM path's yardstick: with Velkor.exe's imports, it activates the same VM as Velkor.exe
// and calls Execute on a worker thread while the main thread pumps messages, then exits.
#include "JavaVm.h"
#include "SystemImports.h"

namespace {

IJavaExecute* g_vm = nullptr;
DWORD g_mainThread = 0;

DWORD WINAPI Worker(LPVOID)
{
    JAVAEXECUTEINFO info = {};
    info.cbSize = sizeof info;
    info.pszClassName = L"Velkor";
    info.pszClassPath = L"Velkor.jar";
    IErrorInfo* errorInfo = nullptr;
    g_vm->Execute(&info, &errorInfo);
    if (errorInfo != nullptr)
        errorInfo->Release();
    PostThreadMessageA(g_mainThread, WM_QUIT, 0, 0);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    ImportVelkorSystemDlls();
    if (FAILED(CoInitialize(nullptr)))
        return 1;
    IClassFactory* factory = nullptr;
    if (FAILED(CoGetClassObject(CLSID_JavaExecute, 7, nullptr, IID_IClassFactory, reinterpret_cast<void**>(&factory))))
        return 2;
    HRESULT created = factory->CreateInstance(nullptr, IID_IJavaExecute, reinterpret_cast<void**>(&g_vm));
    factory->Release();
    if (FAILED(created))
        return 3;
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue, before the quit is posted
    g_mainThread = GetCurrentThreadId();
    HANDLE worker = CreateThread(nullptr, 0, &Worker, nullptr, 0, nullptr);
    if (worker == nullptr)
        return 4;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    WaitForSingleObject(worker, INFINITE);
    CloseHandle(worker);
    g_vm->Release();
    CoUninitialize();
    return 0;
}
