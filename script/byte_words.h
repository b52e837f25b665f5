// Eight bytes of text at a time, for the script reader's scans.
#pragma once

#include <cstdint>
#include <cstring>

namespace tavlo::script {

// The eight bytes at `at` in a word, the first in the lowest bits.
inline uint64_t eight_bytes(const char *at) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

constexpr uint64_t kEachByte = 0x0101010101010101u;

constexpr uint64_t kMostEightDigits = 99999999;

// The number that eight decimal digits make, or more than kMostEightDigits
// when they are not all digits: the bytes add up in pairs, fours, eights.
inline uint64_t eight_digits(const char *at) {
    uint64_t word = eight_bytes(at);
    // A digit is 0x30 to 0x39: its high half 3, and 3 still after adding 6.
    constexpr uint64_t kHighHalves = kEachByte * 0xf0;
    if ((word & kHighHalves) != kEachByte * 0x30 ||
        ((word + kEachByte * 0x06) & kHighHalves) != kEachByte * 0x30) {
        return kMostEightDigits + 1;
    }
    word -= kEachByte * 0x30;
    word = (word * 10 + (word >> 8)) & 0x00ff00ff00ff00ffu;
    word = (word * 100 + (word >> 16)) & 0x0000ffff0000ffffu;
    return (word * 10000 + (word >> 32)) & 0xffffffffu;
}

}  // namespace tavlo::script
