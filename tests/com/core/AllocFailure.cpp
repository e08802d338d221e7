#include "AllocFailure.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "LaunchLog.h"

namespace {
std::atomic<long> g_failAt{0}, g_count{0}, g_live{0};

void* Allocate(std::size_t size)
{
    if (++g_count == g_failAt)
        return nullptr;
    void* block = std::malloc(size != 0 ? size : 1);
    g_live += block != nullptr;
    return block;
}

void* AllocateOrThrow(std::size_t size)
{
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}

void Free(void* block)
{
    g_live -= block != nullptr;
    std::free(block);
}
} // namespace

void FailAllocationAt(long nth) { g_count = 0, g_failAt = nth; }
long Allocations() { return g_count; }
long LiveAllocations() { return g_live; }
void ClearLaunchLog() { LaunchLog = std::string(1 << 16, 'x').c_str(), LaunchLog = ""; }
std::string LogText() { return std::string(LaunchLog); }
std::string OemText(std::string ansi) { return CharToOemA(&ansi[0], &ansi[0]), ansi; }

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
