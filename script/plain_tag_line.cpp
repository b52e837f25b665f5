// The tag lines of a recording, read in one pass.
#include "plain_tag_line.h"

#include <charconv>
#include <cstring>
#include <limits>

#include "byte_words.h"
#include "script_words.h"
#include "value_text.h"

namespace tavlo::script {

namespace {

constexpr int64_t kLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMost32 = std::numeric_limits<int32_t>::max();
constexpr std::size_t kTagNameField = 256;  // a name's bytes and its NUL

constexpr std::size_t kTokens = 9;  // "tag" and its eight fields

// The high bit of each byte of `word` up to the space (the blanks and the
// control characters), exact for every byte: no carry leaves a byte.
uint64_t low_bytes(uint64_t word) {
    return ~(((word & kEachByte * 0x7f) + kEachByte * (0x80 - 0x21)) | word) & kEachByte * 0x80;
}

// The tokens of a line of the plain shape: kTokens bare tokens one space
// apart, none in quotes. The bytes up to the space are found eight at a
// time, each the end of a token.
bool plain_tokens(std::string_view line, std::array<std::string_view, kTokens> &tokens) {
    const char *const first = line.data();
    const std::size_t size = line.size();
    std::size_t count = 0;
    std::size_t start = 0;
    // Ends the token at `end`, which must hold a space, when it is not the last.
    const auto end_tokens = [&](std::size_t at, uint64_t ends) {
        for (; ends != 0; ends &= ends - 1) {
            const std::size_t end = at + static_cast<std::size_t>(__builtin_ctzll(ends)) / 8;
            if (count == kTokens - 1 || end == start || first[start] == '"' || first[end] != ' ') {
                return false;
            }
            tokens[count++] = std::string_view(first + start, end - start);
            start = end + 1;
        }
        return true;
    };
    std::size_t at = 0;
    for (; size - at >= 8; at += 8) {
        if (!end_tokens(at, low_bytes(eight_bytes(first + at)))) return false;
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
        if (!end_tokens(at, low_bytes(word) & ((uint64_t{1} << (8 * left)) - 1))) return false;
    }
    if (count != kTokens - 1 || start == size || first[start] == '"') return false;
    tokens[count] = std::string_view(first + start, size - start);
    return true;
}

// Digits, a minus sign before them at most, from `low` to `high`.
bool plain_whole(std::string_view text, int64_t low, int64_t high, int64_t &value) {
    const char *at = text.data();
    const char *const end = at + text.size();
    const bool negative = at != end && *at == '-';
    if (negative) ++at;
    // Up to 18 digits add up in 64 bits; longer runs of leading zeros are
    // the general reader's.
    if (at == end || end - at > 18) return false;
    uint64_t magnitude = 0;
    for (; at != end; ++at) {
        const auto digit = static_cast<unsigned>(*at - '0');
        if (digit > 9) return false;
        magnitude = magnitude * 10 + digit;
    }
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return value >= low && value <= high;
}

bool plain_32(std::string_view text, int32_t &value) {
    int64_t number = 0;
    if (!plain_whole(text, kLeast32, kMost32, number)) return false;
    value = static_cast<int32_t>(number);
    return true;
}

// SECONDS or SECONDS.MMM: up to 10 digits of seconds, 3 of milliseconds.
bool plain_time(std::string_view text, TimeRecord &time) {
    const char *at = text.data();
    const char *const end = at + text.size();
    const char *const seconds_end = text.size() > 4 && end[-4] == '.' ? end - 4 : end;
    if (at == seconds_end || seconds_end - at > 10) return false;
    uint64_t seconds = 0;
    if (seconds_end - at >= 8) {
        seconds = eight_digits(at);
        if (seconds > kMostEightDigits) return false;
        at += 8;
    }
    for (; at != seconds_end; ++at) {
        const auto digit = static_cast<unsigned>(*at - '0');
        if (digit > 9) return false;
        seconds = seconds * 10 + digit;
    }
    if (seconds > kMost32) return false;
    time = TimeRecord{0, static_cast<int32_t>(seconds)};
    if (seconds_end == end) return true;
    const auto d0 = static_cast<unsigned>(end[-3] - '0');
    const auto d1 = static_cast<unsigned>(end[-2] - '0');
    const auto d2 = static_cast<unsigned>(end[-1] - '0');
    if (d0 > 9 || d1 > 9 || d2 > 9) return false;
    time.milliseconds = static_cast<int32_t>(d0 * 100 + d1 * 10 + d2);
    return true;
}

// A TYPE token of a text type: its keyword or code, or ASCII:N with its
// size, as read_value_type() has them; type_of() takes no CODE:SIZE.
bool plain_type(std::string_view token, int16_t &data_type, std::size_t &ascii_size) {
    ascii_size = 0;
    if (token.size() > 6 && token.compare(0, 6, "ASCII:") == 0) {
        int64_t size = 0;
        if (!plain_whole(token.substr(6), 1, kLongestText, size)) return false;
        data_type = TAVLO_TYPE_ASCII;
        ascii_size = static_cast<std::size_t>(size);
        return true;
    }
    const auto code = type_of(token, 1, TAVLO_TYPE_TIME);
    if (!code || *code > TAVLO_TYPE_TIME) return false;
    data_type = static_cast<int16_t>(*code);
    return true;
}

template <typename T>
void put_number(PlainTagLine &tag, T number) {
    static_assert(sizeof number <= sizeof tag.number, "a number's bytes fit");
    std::memcpy(tag.number.data(), &number, sizeof number);
    tag.size = sizeof number;
}

// A floating-point number as from_chars() reads it whole; the general
// reader takes what it does not (a plus sign, hex, a number out of range).
template <typename T>
bool plain_floating(std::string_view text, PlainTagLine &tag) {
    T number = 0;
    const char *const end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, number);
    if (error != std::errc() || stop != end) return false;
    put_number(tag, number);
    return true;
}

bool plain_value(std::string_view text, std::size_t ascii_size, PlainTagLine &tag) {
    switch (tag.data_type) {
        case TAVLO_TYPE_REAL: return plain_floating<float>(text, tag);
        case TAVLO_TYPE_DOUBLE: return plain_floating<double>(text, tag);
        case TAVLO_TYPE_SHORT:
        case TAVLO_TYPE_LONG: {
            const bool is_short = tag.data_type == TAVLO_TYPE_SHORT;
            int64_t number = 0;
            if (!plain_whole(text, is_short ? -32768 : kLeast32, is_short ? 32767 : kMost32,
                             number)) {
                return false;
            }
            if (is_short) {
                put_number(tag, static_cast<int16_t>(number));
            } else {
                put_number(tag, static_cast<int32_t>(number));
            }
            return true;
        }
        case TAVLO_TYPE_TIME: {
            TimeRecord time{};
            if (!plain_time(text, time)) return false;
            put_number(tag, time);
            return true;
        }
        default:  // ASCII
            tag.text = text;
            tag.size = ascii_size > 0 ? ascii_size : text.size();
            return text.size() <= tag.size;
    }
}

}  // namespace

bool read_plain_tag_line(std::string_view line, PlainTagLine &tag) {
    std::array<std::string_view, kTokens> t;
    if (line.size() < 4 || std::memcmp(line.data(), "tag ", 4) != 0 || !plain_tokens(line, t)) {
        return false;
    }
    tag.name = t[1];
    std::size_t ascii_size = 0;
    if (tag.name.size() >= kTagNameField || !plain_type(t[2], tag.data_type, ascii_size)) {
        return false;
    }
    const auto device = type_of(t[3], -32768, 32767);
    if (!device) return false;
    tag.device_data_type = static_cast<int16_t>(*device);
    return plain_value(t[4], ascii_size, tag) && plain_32(t[5], tag.status.status) &&
           plain_32(t[6], tag.status.facility) && plain_32(t[7], tag.status.driver_status) &&
           plain_time(t[8], tag.timestamp);
}

}  // namespace tavlo::script
