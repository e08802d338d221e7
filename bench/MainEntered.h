// The start-up benchmark's mark: signals the event named by VELKOR_MAIN_ENTERED_EVENT, when there
// is one. The yardsticks call it where they stop; the test stand-ins as main or Execute is entered.
#pragma once

#include <windows.h>

inline void SignalMainEntered()
{
    char name[256];
    DWORD length = GetEnvironmentVariableA("VELKOR_MAIN_ENTERED_EVENT", name, sizeof name);
    HANDLE event = length > 0 && length < sizeof name ? OpenEventA(EVENT_MODIFY_STATE, FALSE, name) : nullptr;
    if (event != nullptr && SetEvent(event))
        CloseHandle(event);
}
