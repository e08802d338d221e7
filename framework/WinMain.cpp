#include "CWinApp.h"

namespace {

// The C++ runtime builds its exception support on the first exception of the process: thread
// keys, once-flags and locks of the threads library and the thread's exception state, all from
// the heap, and it does not survive an allocation failing there. One exception thrown and
// caught here, before the launch, leaves all of that in place, so that the failure signals and
// a launch log that cannot grow find it ready even when the heap runs out during the launch.
void PrepareExceptionSupport()
{
    try {
        throw 0;
    } catch (int) {
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    PrepareExceptionSupport();
    return AfxWinMain(instance, previous, commandLine, show);
}
