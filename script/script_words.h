// The words and numbers of a script, both ways: message kinds, type codes,
// whole numbers, times and hex bytes.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "tavlo.h"
#include "text_buffer.h"

namespace tavlo::script {

// A whole number in decimal from `low` to `high`, or nothing. Inline: an
// optional returned from a call is stored in parts and loaded whole, which
// stalled the loads and cost the reader 15% of its time in a profile.
inline std::optional<int64_t> whole_number(std::string_view text, int64_t low, int64_t high) {
    // A plus sign may lead, as strtoll() has it.
    if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.remove_prefix(1);
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

// A 32-bit whole number in decimal, or nothing.
inline std::optional<int32_t> whole_32(std::string_view text) {
    const auto number = whole_number(text, std::numeric_limits<int32_t>::min(),
                                     std::numeric_limits<int32_t>::max());
    if (!number) return std::nullopt;
    return static_cast<int32_t>(*number);
}

// GET, PUT, DECLARE, CANCEL, UNSOLICITED or any 32-bit number.
std::optional<int32_t> kind_of(std::string_view word);
void append_kind(TextBuffer &line, MessageKind kind);

// A type keyword (REAL, SHORT, ASCII, LONG, DOUBLE, TIME, ENUM, ORDINAL,
// DTIME, EXTID, CBAW, CBST, EU, DESC) or a number from `low` to `high`.
std::optional<int32_t> type_of(std::string_view word, int64_t low, int64_t high);
// The keyword of a code that has one, else the number.
void append_type(TextBuffer &line, int32_t code);

// SECONDS or SECONDS.MMM: seconds a 32-bit number, milliseconds 3 digits.
inline std::optional<TimeRecord> time_of(std::string_view text) {
    const auto dot = text.find('.');
    const auto seconds = whole_32(text.substr(0, dot));
    if (!seconds) return std::nullopt;
    TimeRecord time{0, *seconds};
    if (dot == std::string_view::npos) return time;
    const std::string_view millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    time.milliseconds = static_cast<int32_t>(*ms);
    return time;
}
// The same, for a time whose milliseconds are 0 to 999: SECONDS.MMM, or
// SECONDS alone for 0 milliseconds.
bool time_has_text(const TimeRecord &time);
void append_time(TextBuffer &line, const TimeRecord &time);

// A time the receiver got a message, in milliseconds since 1970 as 64 bits
// hold them: SECONDS or SECONDS.MMM, seconds of any sign (-1.500 is 500
// milliseconds before 1970), or nothing beyond 2^53 milliseconds either way.
std::optional<int64_t> received_time_of(std::string_view text);
void append_received_time(TextBuffer &line, int64_t milliseconds);

// The value of a hex digit, or -1.
int hex_digit(char c);

// Hex digits, two for each byte, into at most `room` bytes at `out`.
// Returns how many bytes they make, or nothing when the text is not hex
// or makes more than `room`.
std::optional<std::size_t> hex_bytes(std::string_view text, unsigned char *out, std::size_t room);
void append_hex(TextBuffer &line, const unsigned char *bytes, std::size_t size);

void append_number(TextBuffer &line, int64_t number);

}  // namespace tavlo::script
