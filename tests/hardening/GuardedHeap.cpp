// Page-guarded heap. Each block lies at the end of its own committed pages, and the page after
// it is reserved but never committed. Small blocks come from slots of fixed size classes carved
// out of large reservations and recycled first in, first out (a freed slot waits behind many
// others before it is used again); large blocks get a reservation of their own, released on free.
#include "GuardedHeap.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <new>

extern "C" {
void __real_free(void* block);
void* __real_realloc(void* block, size_t size);
}

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kSlack = 16;        // bytes before each block that must stay as filled
constexpr unsigned char kSlackFill = 0xAB;
constexpr unsigned char kNewFill = 0xCD;
constexpr unsigned char kFreedFill = 0xDD;
constexpr size_t kFreeSlot = SIZE_MAX;
constexpr uint32_t kNoSlot = UINT32_MAX;
constexpr size_t kQuarantine = 256;  // freed slots that wait before one is used again
constexpr uint64_t kDirectMagic = 0x6b636f6c42647247ULL;
constexpr size_t kExhaustedBelow = 1 << 24;

struct SlotInfo {
    size_t size;  // kFreeSlot while free
    uint64_t serial;
    uint32_t nextFree;
    bool fromMalloc;
    bool guardSeen;  // the slot's guard page was found inaccessible once; it never changes
};

struct SizeClass {
    size_t dataPages;
    uint32_t slotCount;
    char* base;
    size_t slotBytes;
    SlotInfo* info;
    uint32_t carved;
    uint32_t freeHead;
    uint32_t freeTail;
    size_t freeCount;
};

// A block too large for the classes: [header page][data pages][guard page].
struct DirectHeader {
    uint64_t magic;
    void* block;
    size_t size;
    uint64_t serial;
    bool fromMalloc;
};

struct Captured {
    void* block;
    uint64_t serial;
};
constexpr size_t kCaptureCapacity = 1 << 16;

#if defined(_WIN64)
constexpr uint32_t kSlotScale = 1;
#else
constexpr uint32_t kSlotScale = 16;  // a 32-bit address space holds far fewer reservations
#endif

SizeClass g_classes[] = {
    {1, (1u << 16) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
    {2, (1u << 15) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
    {4, (1u << 14) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
    {8, (1u << 13) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
    {16, (1u << 12) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
    {64, (1u << 10) / kSlotScale, nullptr, 0, nullptr, 0, kNoSlot, kNoSlot, 0},
};

volatile LONG g_lock = 0;
bool g_ready = false;
uint64_t g_serial = 0;
bool g_capturing = false;
Captured* g_captured = nullptr;
size_t g_capturedCount = 0;
void (*g_reporter)() = nullptr;

void WriteError(const char* text)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

[[noreturn]] void Fatal(const char* what, const void* address)
{
    char line[160];
    wsprintfA(line, "\nguarded heap: %s at %p\n", what, address);
    WriteError(line);
    if (g_reporter != nullptr)
        g_reporter();
    TerminateProcess(GetCurrentProcess(), 0xC0000005);
    for (;;) {
    }
}

class Lock {
public:
    Lock()
    {
        while (InterlockedCompareExchange(&g_lock, 1, 0) != 0)
            SwitchToThread();
    }
    ~Lock() { InterlockedExchange(&g_lock, 0); }
};

LONG CALLBACK GuardFault(EXCEPTION_POINTERS* exception)
{
    const EXCEPTION_RECORD* record = exception->ExceptionRecord;
    // First chance, before any handler: the system's string functions swallow faults.
    if (record->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && record->NumberParameters >= 2) {
        const void* address = reinterpret_cast<const void*>(record->ExceptionInformation[1]);
        if (IsGuardAddress(address))
            Fatal(record->ExceptionInformation[0] == 1 ? "write to a guard page" : "read of a guard page", address);
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

void Initialise()
{
    for (SizeClass& c : g_classes) {
        c.slotBytes = (c.dataPages + 1) * kPage;
        c.base = static_cast<char*>(VirtualAlloc(nullptr, c.slotBytes * c.slotCount, MEM_RESERVE, PAGE_NOACCESS));
        c.info = static_cast<SlotInfo*>(
            VirtualAlloc(nullptr, sizeof(SlotInfo) * c.slotCount, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        if (c.base == nullptr || c.info == nullptr)
            c.slotCount = 0;  // every block goes to the direct reservations
    }
    g_captured = static_cast<Captured*>(
        VirtualAlloc(nullptr, sizeof(Captured) * kCaptureCapacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    AddVectoredExceptionHandler(1, GuardFault);
    g_ready = true;
}

bool FindSlot(const void* address, SizeClass** sizeClass, uint32_t* index)
{
    const char* at = static_cast<const char*>(address);
    for (SizeClass& c : g_classes) {
        if (c.slotCount != 0 && at >= c.base && at < c.base + c.slotBytes * c.slotCount) {
            *sizeClass = &c;
            *index = static_cast<uint32_t>(static_cast<size_t>(at - c.base) / c.slotBytes);
            return true;
        }
    }
    return false;
}

char* SlotEnd(const SizeClass& c, uint32_t index)
{
    return c.base + c.slotBytes * index + c.dataPages * kPage;
}

DirectHeader* FindDirect(const void* address)
{
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(address, &region, sizeof region) == 0 || region.AllocationBase == nullptr)
        return nullptr;
    MEMORY_BASIC_INFORMATION first;
    if (VirtualQuery(region.AllocationBase, &first, sizeof first) == 0 || first.State != MEM_COMMIT ||
        (first.Protect & (PAGE_READWRITE | PAGE_READONLY)) == 0)
        return nullptr;
    DirectHeader* header = static_cast<DirectHeader*>(region.AllocationBase);
    return header->magic == kDirectMagic ? header : nullptr;
}

void Record(void* block, uint64_t serial, bool fromMalloc)
{
    if (!g_capturing || !fromMalloc)
        return;
    if (g_capturedCount == kCaptureCapacity)
        Fatal("too many captured blocks", block);
    g_captured[g_capturedCount++] = {block, serial};
}

void* AllocateSlot(size_t size, bool fromMalloc)
{
    for (SizeClass& c : g_classes) {
        if (c.slotCount == 0 || size + kSlack > c.dataPages * kPage)
            continue;
        uint32_t index = kNoSlot;
        if (c.freeCount > kQuarantine || (c.carved == c.slotCount && c.freeCount > 0)) {
            index = c.freeHead;
            c.freeHead = c.info[index].nextFree;
            if (--c.freeCount == 0)
                c.freeTail = kNoSlot;
        } else if (c.carved < c.slotCount) {
            index = c.carved;
            if (VirtualAlloc(c.base + c.slotBytes * index, c.dataPages * kPage, MEM_COMMIT, PAGE_READWRITE) == nullptr)
                continue;
            ++c.carved;
        } else {
            continue;
        }
        char* block = SlotEnd(c, index) - size;
        std::memset(block - kSlack, kSlackFill, kSlack);
        std::memset(block, kNewFill, size);
        c.info[index] = {size, ++g_serial, kNoSlot, fromMalloc, c.info[index].guardSeen};
        Record(block, g_serial, fromMalloc);
        return block;
    }
    return nullptr;
}

void* AllocateDirect(size_t size, bool fromMalloc)
{
    if (size > SIZE_MAX / 2)
        return nullptr;
    size_t dataBytes = (size + kPage - 1) / kPage * kPage;
    char* base = static_cast<char*>(VirtualAlloc(nullptr, dataBytes + 2 * kPage, MEM_RESERVE, PAGE_NOACCESS));
    if (base == nullptr)
        return nullptr;
    if (VirtualAlloc(base, dataBytes + kPage, MEM_COMMIT, PAGE_READWRITE) == nullptr) {
        VirtualFree(base, 0, MEM_RELEASE);
        return nullptr;
    }
    char* block = base + kPage + dataBytes - size;
    std::memset(block, kNewFill, size);
    *reinterpret_cast<DirectHeader*>(base) = {kDirectMagic, block, size, ++g_serial, fromMalloc};
    Record(block, g_serial, fromMalloc);
    return block;
}

void* Allocate(size_t size, bool fromMalloc)
{
    Lock lock;
    if (!g_ready)
        Initialise();
    void* block = AllocateSlot(size, fromMalloc);
    if (block == nullptr)
        block = AllocateDirect(size, fromMalloc);
    // Only a request that no heap could serve may fail; running out of guarded pages is the
    // test's fault and must not pass for the loader's out-of-memory handling.
    if (block == nullptr && size < kExhaustedBelow)
        Fatal("guarded pages exhausted", nullptr);
    return block;
}

// Frees a block of this heap; false when the block is not one of ours. The lock is held.
bool ReleaseLocked(void* block, bool fromMalloc, uint64_t serial = 0)
{
    SizeClass* c = nullptr;
    uint32_t index = 0;
    if (FindSlot(block, &c, &index)) {
        SlotInfo& info = c->info[index];
        if (info.size == kFreeSlot)
            Fatal("block freed twice", block);
        if (serial != 0 && info.serial != serial)
            return false;
        char* start = SlotEnd(*c, index) - info.size;
        if (start != block)
            Fatal("free of an address inside a block", block);
        if (info.fromMalloc != fromMalloc)
            Fatal(fromMalloc ? "free of a block from new" : "delete of a block from malloc", block);
        for (size_t i = 1; i <= kSlack; ++i) {
            if (static_cast<unsigned char>(start[-static_cast<ptrdiff_t>(i)]) != kSlackFill)
                Fatal("write before the start of a block", block);
        }
        std::memset(start, kFreedFill, info.size);
        info.size = kFreeSlot;
        info.nextFree = kNoSlot;
        info.fromMalloc = false;
        if (c->freeTail == kNoSlot)
            c->freeHead = index;
        else
            c->info[c->freeTail].nextFree = index;
        c->freeTail = index;
        ++c->freeCount;
        return true;
    }
    DirectHeader* header = FindDirect(block);
    if (header == nullptr || header->block != block || (serial != 0 && header->serial != serial))
        return false;
    if (header->fromMalloc != fromMalloc)
        Fatal(fromMalloc ? "free of a block from new" : "delete of a block from malloc", block);
    VirtualFree(header, 0, MEM_RELEASE);
    return true;
}

bool Release(void* block, bool fromMalloc)
{
    Lock lock;
    return g_ready && ReleaseLocked(block, fromMalloc);
}

// Size of a live block of ours, or kFreeSlot.
size_t LiveSize(const void* block)
{
    SizeClass* c = nullptr;
    uint32_t index = 0;
    if (FindSlot(block, &c, &index)) {
        const SlotInfo& info = c->info[index];
        return info.size != kFreeSlot && SlotEnd(*c, index) - info.size == block ? info.size : kFreeSlot;
    }
    DirectHeader* header = FindDirect(block);
    return header != nullptr && header->block == block ? header->size : kFreeSlot;
}

void OperatorDelete(void* block)
{
    if (block != nullptr && !Release(block, false))
        Fatal("delete of a block that is not from new", block);
}

void* OperatorNew(size_t size)
{
    void* block = Allocate(size, false);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}

}  // namespace

bool IsGuardedBlock(const void* block, size_t size)
{
    Lock lock;
    if (!g_ready || LiveSize(block) != size)
        return false;
    const char* end = static_cast<const char*>(block) + size;
    if (reinterpret_cast<uintptr_t>(end) % kPage != 0)
        return false;
    SizeClass* c = nullptr;
    uint32_t index = 0;
    bool inSlot = FindSlot(block, &c, &index);
    if (inSlot && c->info[index].guardSeen)
        return true;
    MEMORY_BASIC_INFORMATION region;
    bool guarded = VirtualQuery(end, &region, sizeof region) != 0 &&
                   (region.State != MEM_COMMIT || (region.Protect & (PAGE_NOACCESS | PAGE_GUARD)) != 0);
    if (inSlot)
        c->info[index].guardSeen = guarded;
    return guarded;
}

bool IsGuardAddress(const void* address)
{
    if (!g_ready)
        return false;
    SizeClass* c = nullptr;
    uint32_t index = 0;
    if (FindSlot(address, &c, &index))
        return true;  // inside a class reservation only guard pages and uncarved slots fault
    MEMORY_BASIC_INFORMATION region;
    if (VirtualQuery(address, &region, sizeof region) == 0 || region.State == MEM_COMMIT)
        return false;
    return FindDirect(region.AllocationBase) != nullptr;
}

void BeginMallocCapture()
{
    Lock lock;
    if (!g_ready)
        Initialise();
    g_capturing = true;
    g_capturedCount = 0;
}

void EndMallocCapture()
{
    Lock lock;
    g_capturing = false;
}

size_t ReleaseMallocCapture()
{
    Lock lock;
    size_t released = 0;
    for (size_t i = 0; i < g_capturedCount; ++i) {
        if (LiveSize(g_captured[i].block) != kFreeSlot && ReleaseLocked(g_captured[i].block, true, g_captured[i].serial))
            ++released;
    }
    g_capturedCount = 0;
    return released;
}

void SetHeapFaultReporter(void (*reporter)())
{
    g_reporter = reporter;
}

extern "C" void* __wrap_malloc(size_t size)
{
    return Allocate(size, true);
}

extern "C" void* __wrap_calloc(size_t count, size_t size)
{
    if (size != 0 && count > SIZE_MAX / size)
        return nullptr;
    void* block = Allocate(count * size, true);
    if (block != nullptr)
        std::memset(block, 0, count * size);
    return block;
}

extern "C" void __wrap_free(void* block)
{
    // Blocks that the C runtime allocated inside its own DLL go back to it.
    if (block != nullptr && !Release(block, true))
        __real_free(block);
}

extern "C" void* __wrap_realloc(void* block, size_t size)
{
    if (block == nullptr)
        return Allocate(size, true);
    size_t oldSize;
    {
        Lock lock;
        oldSize = g_ready ? LiveSize(block) : kFreeSlot;
    }
    if (oldSize == kFreeSlot)
        return __real_realloc(block, size);
    if (size == 0) {
        Release(block, true);
        return nullptr;
    }
    void* grown = Allocate(size, true);
    if (grown == nullptr)
        return nullptr;
    std::memcpy(grown, block, oldSize < size ? oldSize : size);
    Release(block, true);
    return grown;
}

// The replaceable forms that the program's code calls; the C++ runtime's nothrow deletes come
// here through the plain ones.
void* operator new(size_t size) { return OperatorNew(size); }
void* operator new[](size_t size) { return OperatorNew(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size, false); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size, false); }
void operator delete(void* block) noexcept { OperatorDelete(block); }
void operator delete[](void* block) noexcept { OperatorDelete(block); }
void operator delete(void* block, size_t) noexcept { OperatorDelete(block); }
void operator delete[](void* block, size_t) noexcept { OperatorDelete(block); }
