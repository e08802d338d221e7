// The worker thread that runs the class, and the main thread's message pump.
#pragma once

#include <windows.h>

// Thread routine; the parameter is the ComJavaRunner. Returns 0 when the class ran without error.
DWORD WINAPI WorkerMain(LPVOID parameter);

// Dispatches the calling thread's messages until WM_QUIT; returns its wParam.
WPARAM PumpMessages();
