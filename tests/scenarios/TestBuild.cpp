// Linked into a test build of the loader: the allocation numbered VELKOR_FAIL_ALLOC, counted
// from the framework's entry on, fails once, and the transcript says so.
#include <cstdlib>

#include <windows.h>

#include "../standins/Transcript.h"

extern "C" {
void* __real_malloc(size_t);
int __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE, HINSTANCE, LPSTR, int);
}

namespace {

long countdown = 0;

bool FailsNow()
{
    if (countdown == 0 || --countdown > 0)
        return false;
    Transcribe("allocation failed");
    return true;
}

}  // namespace

extern "C" {
int __wrap__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    countdown = std::atol(StandInEnv("VELKOR_FAIL_ALLOC").c_str());
    return __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(instance, previous, line, show);
}
void* __wrap_malloc(size_t size) { return FailsNow() ? nullptr : __real_malloc(size); }
}
