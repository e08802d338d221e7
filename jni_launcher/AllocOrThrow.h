// Heap allocation of the JNI launcher: an exhausted heap abandons the attempt.
#pragma once

#include <cstddef>

// malloc, or perror("malloc") and throw 1 when the heap is exhausted. Release with free.
void* AllocOrThrow(size_t size);
