// Every heap block of the program (operator new included: it calls malloc) ends where an
// inaccessible page begins, so a read or write past its end faults at once.
#include <windows.h>

extern "C" {
void* __wrap_malloc(size_t size)
{
    size += size == 0;
    size_t data = (size + 4095) & ~size_t{4095};
    char* base = size > (1u << 30) ? nullptr : static_cast<char*>(VirtualAlloc(nullptr, data + 4096, MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    return base != nullptr && VirtualProtect(base + data, 4096, PAGE_NOACCESS, &old) ? base + data - size : nullptr;
}

void __wrap_free(void* block)
{
    MEMORY_BASIC_INFORMATION region{};
    if (block != nullptr && VirtualQuery(block, &region, sizeof region) != 0)
        VirtualFree(region.AllocationBase, 0, MEM_RELEASE);
}

// Copies the old block's bytes (all up to its guard page) as far as they fit.
void* __wrap_realloc(void* block, size_t size)
{
    MEMORY_BASIC_INFORMATION region{};
    void* moved = __wrap_malloc(size);
    size_t old = block == nullptr || VirtualQuery(block, &region, sizeof region) == 0
                     ? 0 : static_cast<size_t>(static_cast<char*>(region.BaseAddress) + region.RegionSize - static_cast<char*>(block));
    if (moved != nullptr)
        CopyMemory(moved, block, old < size ? old : size), __wrap_free(block);
    return moved;
}

// VirtualAlloc gives zeroed pages.
void* __wrap_calloc(size_t count, size_t size) { return size != 0 && count > (1u << 30) / size ? nullptr : __wrap_malloc(count * size); }
}
