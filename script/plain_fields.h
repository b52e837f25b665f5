// The fields of a line of the plain shape a recording is written in: bare
// tokens one space apart, found in one pass, and numbers and times read as
// the general reader reads them. Anything else is left to the general
// reader, which says what is wrong with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "byte_words.h"
#include "script_words.h"
#include "tavlo.h"

namespace tavlo::script {

constexpr int64_t kPlainLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kPlainMost32 = std::numeric_limits<int32_t>::max();

// The high bit of each byte of `word` up to the space (the blanks and the
// control characters), exact for every byte: no carry leaves a byte.
inline uint64_t low_bytes(uint64_t word) {
    return ~(((word & kEachByte * 0x7f) + kEachByte * (0x80 - 0x21)) | word) & kEachByte * 0x80;
}

// The tokens of a line of the plain shape: up to `most` bare tokens one
// space apart, none in quotes. The bytes up to the space are found eight
// at a time, each the end of a token. Returns how many, or 0 when the line
// is not of that shape or holds more.
inline std::size_t plain_tokens(std::string_view line, std::string_view *tokens, std::size_t most) {
    const char *const first = line.data();
    const std::size_t size = line.size();
    std::size_t count = 0;
    std::size_t start = 0;
    // Ends the token at `end`, which must hold a space, when it is not the last.
    const auto end_tokens = [&](std::size_t at, uint64_t ends) {
        for (; ends != 0; ends &= ends - 1) {
            const std::size_t end = at + static_cast<std::size_t>(__builtin_ctzll(ends)) / 8;
            if (count == most - 1 || end == start || first[start] == '"' || first[end] != ' ') {
                return false;
            }
            tokens[count++] = std::string_view(first + start, end - start);
            start = end + 1;
        }
        return true;
    };
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        if (!end_tokens(at, low_bytes(eight_bytes(first + at)))) return 0;
    }
    if (at != size) {
        // The last bytes: in the last eight of the line, those before `at`
        // shifted out, or in a line shorter than that one by one.
        const auto left = static_cast<unsigned>(size - at);
        uint64_t word = 0;
        if (size >= 8) {
            word = eight_bytes(first + size - 8) >> (8 * (8 - left));
        } else {
            for (unsigned i = 0; i < left; ++i) {
                word |= uint64_t{static_cast<unsigned char>(first[at + i])} << (8 * i);
            }
        }
        if (!end_tokens(at, low_bytes(word) & ((uint64_t{1} << (8 * left)) - 1))) return 0;
    }
    if (start == size || first[start] == '"') return 0;
    tokens[count] = std::string_view(first + start, size - start);
    return count + 1;
}

// A whole number from `low` to `high`, and a time SECONDS or SECONDS.MMM,
// read by the general reader's own functions (each with a quick way for
// plain digits), so that a field reads the same on both paths.
inline bool plain_whole(std::string_view text, int64_t low, int64_t high, int64_t &value) {
    const auto number = whole_number(text, low, high);
    if (!number) return false;
    value = *number;
    return true;
}

inline bool plain_32(std::string_view text, int32_t &value) {
    int64_t number = 0;
    if (!plain_whole(text, kPlainLeast32, kPlainMost32, number)) return false;
    value = static_cast<int32_t>(number);
    return true;
}

inline bool plain_time(std::string_view text, TimeRecord &time) {
    const auto read = time_of(text);
    if (!read) return false;
    time = *read;
    return true;
}

}  // namespace tavlo::script
