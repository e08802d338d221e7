// For the start-up benchmark: a stand-in signals the named event given in
// VELKOR_MAIN_ENTERED_EVENT as the application's main is entered.
#pragma once

#include <windows.h>

inline void SignalMainEntered()
{
    char name[256];
    DWORD length = GetEnvironmentVariableA("VELKOR_MAIN_ENTERED_EVENT", name, sizeof name);
    if (length == 0 || length >= sizeof name)
        return;
    HANDLE event = OpenEventA(EVENT_MODIFY_STATE, FALSE, name);
    if (event != nullptr) {
        SetEvent(event);
        CloseHandle(event);
    }
}
