#include "AllocOrThrow.h"

#include <cstdio>
#include <cstdlib>

void* AllocOrThrow(size_t size)
{
    void* block = std::malloc(size);
    if (block == nullptr) {
        std::perror("malloc");
        throw 1;
    }
    return block;
}
