// GoogleTest's hook for what a platform lacks, found before GoogleTest's own empty one. The
// win32-thread build of the compiler has no std::mutex or std::condition_variable, on which
// GoogleTest builds the one-shot gate of its thread support; here it is a Win32 event.
#pragma once

#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

class Notification {
public:
    Notification() : event(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event); }
    void Notify() { SetEvent(event); }
    void WaitForNotification() { WaitForSingleObject(event, INFINITE); }

private:
    HANDLE event;
};

}  // namespace testing::internal
