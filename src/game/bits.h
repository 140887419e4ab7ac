#pragma once

#include <cstdint>

// Bits set in x. GCC turns std::popcount into a library call unless the
// whole program is built for processors with POPCNT, and this sits in the
// innermost loops of the wheel search and of the filters.
inline int bitCount(std::uint64_t x)
{
    x = x - ((x >> 1) & 0x5555555555555555ULL);
    x = (x & 0x3333333333333333ULL) + ((x >> 2) & 0x3333333333333333ULL);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0FULL;
    return int((x * 0x0101010101010101ULL) >> 56);
}
