#include "LaunchLog.h"

#include <cstring>
#include <new>

namespace {

// No thread has this id: Windows gives threads multiples of four.
const LONG kFrozen = -1;

}  // namespace

CLaunchLog::~CLaunchLog() { Freeze(0, ""); }

template <typename Text>
const CLaunchLog& CLaunchLog::Add(const Text& text, int length)
{
    LONG self = static_cast<LONG>(GetCurrentThreadId());
    for (LONG writer; (writer = InterlockedCompareExchange(&m_writer, self, 0)) != 0; Sleep(0)) {
        if (writer == kFrozen)
            return *this;
    }
    try {
        int kept = GetLength();
        if (length > 0x7FFFFFFF - kTailRoom - kept)
            throw std::bad_alloc();
        // Room for the text and the tail first, so that the append itself takes no memory.
        GetBuffer(kept + length + kTailRoom);
        ReleaseBuffer(kept);
        m_tailKept = true;
        CString::operator+=(text);
    } catch (...) {
        InterlockedExchange(&m_writer, 0);
        throw;
    }
    InterlockedExchange(&m_writer, 0);
    return *this;
}

const CLaunchLog& CLaunchLog::operator+=(const char* text)
{
    return text != nullptr ? Add(text, static_cast<int>(std::strlen(text))) : *this;
}

const CLaunchLog& CLaunchLog::operator+=(const CString& text) { return Add(text, text.GetLength()); }

const CLaunchLog& CLaunchLog::operator+=(char ch) { return Add(ch, 1); }

const char* CLaunchLog::Freeze(DWORD crashedThread, const char* tail) noexcept
{
    for (LONG writer; (writer = InterlockedCompareExchange(&m_writer, kFrozen, 0)) != 0 && writer != kFrozen;) {
        // The crashed thread never ends its append: the text it holds is whole up to the length.
        if (writer == static_cast<LONG>(crashedThread) && InterlockedCompareExchange(&m_writer, kFrozen, writer) == writer)
            break;
        Sleep(1);
    }
    if (m_tailKept && *tail != 0) {
        // Within the room kept: GetBuffer takes no memory here.
        int length = GetLength();
        char* text = GetBuffer(0);
        lstrcpynA(text + length, tail, kTailRoom);
        ReleaseBuffer(length + lstrlenA(text + length));
    }
    return *this;
}
