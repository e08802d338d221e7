// The dash-style option grammar of the JNI launcher, the system properties that it collects
// and the usage text.
#pragma once

#include <cstdint>

#include "InitArgs.h"

// Pointers to name=value texts that the list does not own, followed by a null pointer once
// TerminatePropertyList has run. entries comes from AllocOrThrow and is released with free.
struct PropertyList {
    int32_t capacity;
    char** entries;
    int32_t count;
};

// The one list of the process; the record's properties point at its entries.
extern PropertyList JniPropertyList;

// Parses the options from *argv on (the element after the program name) into *args and the
// property list. Returns 0 with *argv at the class name (or the terminating null) and *argc
// reduced by the elements consumed; -1, with both left unchanged, on a bad or help option.
int ParseLoaderOptions(int* argc, char*** argv, JDK1_1InitArgs* args);

// A decimal size with an optional k/K or m/M suffix, in 32-bit arithmetic; -1 when malformed.
int32_t ParseSize(const char* text);

void AddProperty(char* property);
void TerminatePropertyList();

// Appends the usage text to the launch log.
void AppendUsage();
