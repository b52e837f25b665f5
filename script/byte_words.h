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

}  // namespace tavlo::script
