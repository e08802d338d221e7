// The checks themselves: every kind of block the loader allocates ends at a guard page, and
// touching that page or smashing a stack canary ends the program, even inside a system call
// that would swallow the fault.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "AllocOrThrow.h"
#include "ComJavaRunner.h"
#include "FuzzSupport.h"
#include "GuardedHeap.h"
#include "JoinText.h"

namespace {

volatile size_t g_overrun = 64;

__attribute__((noinline)) void WriteAt(char* block, size_t at)
{
    static_cast<volatile char*>(block)[at] = 'x';
}

__attribute__((noinline)) char ReadAt(const void* block, size_t at)
{
    return static_cast<const volatile char*>(block)[at];
}

// Built with -fstack-protector-all like the loader's own code.
__attribute__((noinline)) void OverrunStackBuffer(size_t length)
{
    char buffer[16];
    volatile char* at = buffer;
    for (size_t i = 0; i < length; ++i)
        at[i] = 'x';
}

}  // namespace

TEST(Guards, EveryKindOfBlockEndsAtAGuardPage)
{
    for (size_t size : {0, 1, 7, 16, 4079, 4080, 4096, 4097, 70000, 1 << 20}) {
        char* block = new char[size];
        EXPECT_TRUE(IsGuardedBlock(block, size)) << size;
        delete[] block;
        void* heap = std::malloc(size);
        EXPECT_TRUE(IsGuardedBlock(heap, size)) << size;
        std::free(heap);
    }
    // The loader's own allocations: AllocOrThrow and JoinText (malloc), AllocText (new[]).
    void* allocated = AllocOrThrow(13);
    EXPECT_TRUE(IsGuardedBlock(allocated, 13));
    std::free(allocated);
    char* joined = JoinText({"ab", ";", "c"});
    EXPECT_TRUE(IsGuardedBlock(joined, 5));
    std::free(joined);
    ComJavaRunner runner(0, nullptr);
    char* text = runner.AllocText(5);
    EXPECT_TRUE(IsGuardedBlock(text, 6));
    delete[] text;

    void* grown = std::realloc(std::calloc(3, 4), 30);
    EXPECT_TRUE(IsGuardedBlock(grown, 30));
    std::free(grown);
}

TEST(GuardsDeathTest, OverrunsEndTheProgram)
{
    EXPECT_DEATH(WriteAt(new char[5], 5), "write to a guard page");
    EXPECT_DEATH(ReadAt(AllocOrThrow(3), 3), "read of a guard page");
    // lstrcatA catches the fault itself and returns null; the first-chance handler still sees it.
    EXPECT_DEATH(lstrcatA(GuardedText("abc"), "d"), "write to a guard page");
    EXPECT_DEATH(OverrunStackBuffer(g_overrun), "stack smashing detected");
    EXPECT_DEATH(
        {
            char* block = new char[4];
            WriteAt(block, static_cast<size_t>(-1));
            delete[] block;
        },
        "write before the start of a block");
}
