// The main thread's message loop while the worker runs.
#include <windows.h>

#include "Worker.h"

WPARAM PumpMessages()
{
    MSG message = {};
    // GetMessageA answers -1 only for a broken call; looping on it would spin for ever.
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return message.wParam;
}
