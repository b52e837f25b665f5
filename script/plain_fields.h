// The fields of a line of the plain shape a recording is written in, read
// in one pass from the line's start: bare fields one space apart, the last
// at the line's end. Whole numbers and times of plain digits are read here
// for the general reader too (whole_number(), time_of()), so that a field
// reads the same on both paths. Anything else is left to the general
// reader, which says what is wrong with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "byte_words.h"
#include "tavlo.h"

namespace tavlo::script {

constexpr int64_t kPlainLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kPlainMost32 = std::numeric_limits<int32_t>::max();

// The high bit of each byte of `word` up to the space (the blanks and the
// control characters), exact for every byte: no carry leaves a byte.
inline uint64_t low_bytes(uint64_t word) {
    return ~(((word & kEachByte * 0x7f) + kEachByte * (0x80 - 0x21)) | word) & kEachByte * 0x80;
}

// Reads the fields of a line one after another. Each read takes a field and
// the one space after it, or the line's end; a field that is not what the
// read asks for, or that any other byte ends, fails the read, and the line
// is not of the plain shape.
class PlainFields {
public:
    explicit PlainFields(std::string_view line)
        : at_(line.data()), end_(line.data() + line.size()) {}

    // Whether the line goes on with `text` (a space in it is the line's own);
    // if so, takes it.
    bool starts(std::string_view text) {
        if (static_cast<std::size_t>(end_ - at_) < text.size() ||
            text.compare(0, text.size(), at_, text.size()) != 0) {
            return false;
        }
        at_ += text.size();
        return true;
    }

    // A bare token: bytes above the space, the first not a quote.
    bool token(std::string_view &token) {
        const char *const stop = token_end();
        if (stop == at_ || *at_ == '"') return false;
        token = std::string_view(at_, static_cast<std::size_t>(stop - at_));
        return end_field(stop);
    }

    // The field from here when it is short (1 to 7 bytes) and eight bytes
    // from here are the line's: its bytes in `word` as packed_word() takes
    // them (the first lowest), and its size. Nothing is taken.
    bool short_field(uint64_t &word, std::size_t &size) const {
        if (end_ - at_ < 8) return false;
        word = eight_bytes(at_);
        const uint64_t ends = low_bytes(word);
        if (ends == 0) return false;
        size = static_cast<std::size_t>(__builtin_ctzll(ends)) / 8;
        return size > 0 && *at_ != '"';
    }

    // Takes a field of `size` bytes, as short_field() found it.
    bool skip(std::size_t size) { return end_field(at_ + size); }

    // A whole number from `low` to `high`: up to 10 digits, a minus sign
    // before them at most. Longer runs (of leading zeros) and plus signs are
    // the general reader's.
    bool whole(int64_t low, int64_t high, int64_t &value) {
        const char *at = at_;
        const bool negative = at != end_ && *at == '-';
        if (negative) ++at;
        const char *const first = at;
        uint64_t magnitude = 0;
        if (!digits(at, 10, magnitude) || at == first) return false;
        const int64_t number =
            negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        if (number < low || number > high) return false;
        value = number;
        return end_field(at);
    }

    bool whole_32(int32_t &value) {
        int64_t number = 0;
        if (!whole(kPlainLeast32, kPlainMost32, number)) return false;
        value = static_cast<int32_t>(number);
        return true;
    }

    // SECONDS or SECONDS.MMM: up to 10 digits of seconds, at most the
    // largest 32-bit number, and 3 of milliseconds.
    bool time(TimeRecord &time) {
        const char *at = at_;
        uint64_t seconds = 0;
        std::size_t most = 10;
        // Eight digits at once, as recorded seconds start.
        if (end_ - at >= 8) {
            const uint64_t eight = eight_digits(at);
            if (eight <= kMostEightDigits) {
                seconds = eight;
                at += 8;
                most -= 8;
            }
        }
        if (!digits(at, most, seconds) || at == at_ ||
            seconds > static_cast<uint64_t>(kPlainMost32)) {
            return false;
        }
        uint64_t milliseconds = 0;
        if (at != end_ && *at == '.') {
            const char *const first = ++at;
            if (!digits(at, 3, milliseconds) || at - first != 3) return false;
        }
        time = TimeRecord{static_cast<int32_t>(milliseconds), static_cast<int32_t>(seconds)};
        return end_field(at);
    }

    // The last field read ended the line.
    bool ended() const { return ended_; }

private:
    static unsigned digit(char c) { return static_cast<unsigned>(c - '0'); }

    // The digits from `at` on, added up after those of `number`; `at` is
    // left after them. False when there are more than `most`.
    bool digits(const char *&at, std::size_t most, uint64_t &number) const {
        for (; at != end_ && digit(*at) <= 9; ++at) {
            if (most-- == 0) return false;
            number = number * 10 + digit(*at);
        }
        return true;
    }

    // The first byte up to the space from here on, or the line's end: eight
    // at a time while eight are the line's.
    const char *token_end() const {
        const char *at = at_;
        for (; end_ - at >= 8; at += 8) {
            if (const uint64_t ends = low_bytes(eight_bytes(at))) {
                return at + __builtin_ctzll(ends) / 8;
            }
        }
        while (at != end_ && static_cast<unsigned char>(*at) > ' ') ++at;
        return at;
    }

    // The field read ends at `stop`: the line ends there, or one space
    // follows, which is taken. (Once the line has ended, every field is
    // empty, and none reads.)
    bool end_field(const char *stop) {
        if (stop == end_) {
            at_ = stop;
            ended_ = true;
            return true;
        }
        if (*stop != ' ') return false;
        at_ = stop + 1;
        return true;
    }

    const char *at_;
    const char *end_;
    bool ended_ = false;
};

}  // namespace tavlo::script
