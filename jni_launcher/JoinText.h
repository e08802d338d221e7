// Composition of texts into new heap strings sized to fit.
#pragma once

#include <initializer_list>

// A new string holding the parts one after the other, from AllocOrThrow. Release with free.
char* JoinText(std::initializer_list<const char*> parts);
