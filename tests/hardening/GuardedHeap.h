// The fuzz program's heap: operator new/delete and (through the linker's --wrap) malloc, calloc,
// realloc and free hand out blocks that end flush against a page that faults on any access, so
// that a read or write one byte past a block stops the program at once.
#pragma once

#include <cstddef>

// Whether block is a live block of this heap, exactly size bytes long, whose last byte is
// followed at once by an inaccessible page.
bool IsGuardedBlock(const void* block, size_t size);

// Whether address lies in a page that this heap keeps inaccessible (a guard page).
bool IsGuardAddress(const void* address);

// malloc-family blocks allocated between BeginMallocCapture and EndMallocCapture are recorded;
// ReleaseMallocCapture frees those that are still live and returns their number. For code that
// leaves its allocations to process exit on purpose.
void BeginMallocCapture();
void EndMallocCapture();
size_t ReleaseMallocCapture();

// Captures for its lifetime (or until Stop) and releases what it captured when it goes.
class MallocCapture {
public:
    MallocCapture() { BeginMallocCapture(); }
    ~MallocCapture()
    {
        EndMallocCapture();
        ReleaseMallocCapture();
    }
    MallocCapture(const MallocCapture&) = delete;
    MallocCapture& operator=(const MallocCapture&) = delete;
    void Stop() { EndMallocCapture(); }
};

// Called, before the process ends, when a guard page is touched or the heap finds misuse.
void SetHeapFaultReporter(void (*reporter)());
