// A library that the runtime stand-in loads or imports: it tells where it was loaded from.
#include "../Transcript.h"

extern "C" __declspec(dllexport) int VelkorDep() { return 1; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    char path[MAX_PATH] = "";
    if (reason == DLL_PROCESS_ATTACH && GetModuleFileNameA(self, path, sizeof path) != 0)
        Transcribe(std::string("velkordep.dll attached from ") + path);
    return TRUE;
}
