#include "AllocInjector.h"

#include <windows.h>

#include <cstdlib>
#include <new>

extern "C" {
void* __real_malloc(size_t size);
void* __real_calloc(size_t count, size_t size);
void* __real_realloc(void* block, size_t size);
void* __wrap_malloc(size_t size);
void* __wrap_calloc(size_t count, size_t size);
void* __wrap_realloc(void* block, size_t size);
}

namespace {

// The worker thread of the COM path allocates too: the count is kept with interlocked steps.
volatile LONG g_armed = 0;
volatile LONG g_count = 0;
volatile LONG g_firstFailure = 0;
volatile LONG g_failures = 0;
LONG g_failAt = 0;
bool g_onward = false;

// The caller of each counted allocation, for the report (to tell where allocation N is made).
constexpr LONG kCallerCapacity = 512;
void* g_callers[kCallerCapacity];

// Reads a variable without allocating (the C runtime's getenv may).
bool ReadVariable(const char* name, char* value, DWORD size)
{
    DWORD length = GetEnvironmentVariableA(name, value, size);
    return length > 0 && length < size;
}

// Counts one allocation made from caller; true when it is to fail.
bool NextAllocationFails(void* caller)
{
    if (g_armed == 0)
        return false;
    LONG number = InterlockedIncrement(&g_count);
    if (number <= kCallerCapacity)
        g_callers[number - 1] = caller;
    if (g_failAt == 0 || number < g_failAt || (number > g_failAt && !g_onward))
        return false;
    InterlockedCompareExchange(&g_firstFailure, number, 0);
    InterlockedIncrement(&g_failures);
    return true;
}

void* NewBlock(size_t size, void* caller)
{
    if (NextAllocationFails(caller))
        throw std::bad_alloc();
    void* block = __real_malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

void* NewBlockOrNull(size_t size, void* caller) noexcept
{
    if (NextAllocationFails(caller))
        return nullptr;
    return __real_malloc(size != 0 ? size : 1);
}

}  // namespace

void ArmAllocationFailures()
{
    char value[32];
    g_failAt = ReadVariable("VELKOR_ALLOC_FAIL_AT", value, sizeof value) ? std::strtol(value, nullptr, 10) : 0;
    if (g_failAt < 0)
        g_failAt = 0;
    g_onward = ReadVariable("VELKOR_ALLOC_FAIL_MODE", value, sizeof value) && lstrcmpA(value, "onward") == 0;
    g_count = 0;
    g_firstFailure = 0;
    g_failures = 0;
    InterlockedExchange(&g_armed, 1);
}

void DisarmAllocationFailures() { InterlockedExchange(&g_armed, 0); }

long CountedAllocations() { return g_count; }
long FirstInjectedFailure() { return g_firstFailure; }
long InjectedFailures() { return g_failures; }

void* AllocationCaller(long number)
{
    return number >= 1 && number <= g_count && number <= kCallerCapacity ? g_callers[number - 1] : nullptr;
}

extern "C" void* __wrap_malloc(size_t size)
{
    return NextAllocationFails(__builtin_return_address(0)) ? nullptr : __real_malloc(size);
}

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    return NextAllocationFails(__builtin_return_address(0)) ? nullptr : __real_calloc(count, size);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    // A failed realloc leaves the block as it was.
    return NextAllocationFails(__builtin_return_address(0)) ? nullptr : __real_realloc(block, size);
}

// Every form of operator new and delete: the blocks come from the C heap without passing the
// wrapped malloc a second time, so each allocation is counted once.
void* operator new(size_t size) { return NewBlock(size, __builtin_return_address(0)); }
void* operator new[](size_t size) { return NewBlock(size, __builtin_return_address(0)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return NewBlockOrNull(size, __builtin_return_address(0)); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return NewBlockOrNull(size, __builtin_return_address(0)); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, size_t) noexcept { std::free(block); }
void operator delete[](void* block, size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
