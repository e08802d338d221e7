// The launch log: every step of a launch appends its progress and errors here.
#pragma once

#include <windows.h>

#include "CString.h"

// One process-wide text. It only grows; the failure dialog shows it.
//
// The one guard it has is for the crash report, which may read it while another thread (the
// COM worker) appends, or while the crashed thread itself stopped inside an append: one word
// holds the id of the thread appending, or the mark of a frozen log. An append claims the word
// and drops its text once the log is frozen; the report freezes the log without waiting for the
// crashed thread. The log is frozen when it is destroyed too, so a worker that outlives the
// launch appends nothing into a log that is gone. Every append also keeps room after the text
// for the report's last line, which then needs no memory of the heap.
class CLaunchLog : public CString {
public:
    CLaunchLog() = default;
    ~CLaunchLog();

    using CString::operator=;
    const CLaunchLog& operator+=(const char* text);
    const CLaunchLog& operator+=(const CString& text);
    const CLaunchLog& operator+=(char ch);

    // Ends every append for good and returns the whole text, with tail (at most kTailRoom - 1
    // characters) appended in the room kept for it. An append of another thread is waited
    // for; one of crashedThread is not (the text it had not yet counted is left out). Takes
    // no memory and no lock, and throws nothing.
    const char* Freeze(DWORD crashedThread, const char* tail) noexcept;

    static constexpr int kTailRoom = 32;

private:
    template <typename Text>
    const CLaunchLog& Add(const Text& text, int length);

    volatile LONG m_writer = 0;  // the id of the thread appending, 0, or kFrozen
    bool m_tailKept = false;     // room for the tail was made
};

extern CLaunchLog LaunchLog;
