// Linked into a test build of the loader: the allocation numbered VELKOR_FAIL_ALLOC, counted
// from the framework's entry on, fails once ("N"), or it and every later one ("N+"); the
// transcript tells the first failure.
#include <cstdlib>

#include "../standins/Transcript.h"

extern "C" {
void* __real_malloc(size_t);
int __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE, HINSTANCE, LPSTR, int);
}

namespace {

long countdown = 0;
bool onward = false, failing = false;

bool FailsNow()
{
    if (failing)
        return true;
    if (countdown == 0 || --countdown > 0)
        return false;
    Transcribe(onward ? "allocation failed, and every one after it" : "allocation failed");
    failing = onward;
    return true;
}

}  // namespace

extern "C" {
int __wrap__Z10AfxWinMainP11HINSTANCE__S0_Pci(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show)
{
    std::string fail = StandInEnv("VELKOR_FAIL_ALLOC");
    countdown = std::atol(fail.c_str());
    onward = !fail.empty() && fail.back() == '+';
    return __real__Z10AfxWinMainP11HINSTANCE__S0_Pci(instance, previous, line, show);
}
void* __wrap_malloc(size_t size) { return FailsNow() ? nullptr : __real_malloc(size); }
}
