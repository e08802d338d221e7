// Watches this process for the failure dialog from a second thread, reads it and closes it,
// so that a test can call code that runs the dialog modally.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "E2eSupport.h"

class DialogWatcher {
public:
    explicit DialogWatcher(velkor_e2e::CloseBy how = velkor_e2e::CloseBy::Ok);
    ~DialogWatcher();
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    // Stops watching. Afterwards the fields below hold what was seen.
    void Stop();

    int dialogsSeen = 0;
    std::string text;      // the log box of the last dialog seen
    RECT windowRect = {};  // its place on the screen

private:
    void Watch();

    velkor_e2e::CloseBy how;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
