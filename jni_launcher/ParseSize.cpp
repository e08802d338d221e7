#include <cerrno>
#include <climits>
#include <cstdlib>

#include "LoaderOptions.h"

namespace {

// The number shifted left in 32-bit arithmetic: a product that does not fit wraps around.
int32_t ShiftWrapped(long number, int bits)
{
    uint32_t wrapped = static_cast<uint32_t>(number) << bits;
    return static_cast<int32_t>(wrapped);
}

}  // namespace

int32_t ParseSize(const char* text)
{
    char* end = nullptr;
    long number = std::strtol(text, &end, 10);
    // strtol saturates at the range of long; clamp to 32 bits where long is wider.
    if (number > INT32_MAX)
        number = INT32_MAX;
    if (number < INT32_MIN)
        number = INT32_MIN;
    int bits = 0;
    switch (*end) {
    case 0:
        return static_cast<int32_t>(number);
    case 'k':
    case 'K':
        bits = 10;
        break;
    case 'm':
    case 'M':
        bits = 20;
        break;
    default:
        return -1;
    }
    if (end[1] != 0)
        return -1;
    return ShiftWrapped(number, bits);
}
