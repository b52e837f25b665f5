// The words of a script line, both ways: the buffer a line is written in,
// blank-separated tokens, message kinds, type codes, whole numbers, times,
// hex bytes, and a tag's TYPE and VALUE.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "tavlo.h"

namespace tavlo::script {

// The text of a message being written: a buffer that grows without filling
// its room first, and appends without more checks than one for room.

class TextBuffer {
public:
    void clear() { size_ = 0; }
    const char *data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::string_view view() const { return {data_.get(), size_}; }

    // Room for `count` more bytes: write them from the pointer returned,
    // then commit() where the writing ended.
    char *room(std::size_t count) {
        if (capacity_ - size_ < count) grow(count);
        return data_.get() + size_;
    }
    void commit(const char *end) { size_ = static_cast<std::size_t>(end - data_.get()); }

    TextBuffer &operator+=(std::string_view text) {
        if (!text.empty()) std::memcpy(room(text.size()), text.data(), text.size());
        size_ += text.size();
        return *this;
    }
    TextBuffer &operator+=(char c) {
        *room(1) = c;
        ++size_;
        return *this;
    }

private:
    void grow(std::size_t count) {
        std::size_t capacity = capacity_ > 0 ? capacity_ * 2 : 4096;
        while (capacity - size_ < count) capacity *= 2;
        std::unique_ptr<char[]> data(new char[capacity]);
        if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Blank-separated tokens of a line of text, both ways. A token in double
// quotes may hold blanks (the quotes are not part of it). With escapes,
// within the quotes \" stands for a quote, \\ for a backslash and \xHH for
// any byte, and a backslash before anything else is itself; without, the
// token ends at the next quote, as in the scripts before escapes.

// The characters between tokens.
constexpr char kTokenBlanks[] = " \t\r";
inline bool is_token_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

enum class Quoting { kPlain, kEscapes };

// Splits `line` into `tokens`: views of the line, or of `unescaped` for a
// token whose quotes held escapes, valid while both stay as they are.
// Returns "", or the reason why the line cannot be split: a quote that
// is not closed before the end of the line, or a NUL byte, which a line may
// not hold (\x00 puts one in a token).
std::string split_tokens(std::string_view line, Quoting quoting,
                         std::vector<std::string_view> &tokens, std::string &unescaped);

// Appends `text` as one token that split_tokens() with escapes gives back
// byte for byte:
// as it is when it can be, else in quotes, with \xHH for the bytes that a
// line cannot show (control characters, NUL) and \" and \\.
void append_token(TextBuffer &line, std::string_view text);

// The words and numbers of a script, both ways: message kinds, type codes,
// whole numbers, times and hex bytes.

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
// Whether a time has a text: its milliseconds are 0 to 999. append_time()
// writes it as SECONDS.MMM, or SECONDS alone for 0 milliseconds.
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

// A tag's data type and value as a script writes them, both ways: the TYPE
// and VALUE tokens of a tag line.
//
//   REAL SHORT LONG DOUBLE TIME (or 1 to 6)   the value as text: a number, a
//                                            time SECONDS or SECONDS.MMM
//   ASCII, ASCII:N                           the text, NUL-filled to N bytes
//   CODE:SIZE                                any data type code with any
//                                            size; the value in hex bytes,
//                                            zero-filled to SIZE

// The longest ASCII:N field, and the most bytes that one tag line holds in
// hex; "more" lines carry the rest of a longer value.
constexpr int32_t kLongestText = 65536;
constexpr std::size_t kHexBytesALine = 65536;

struct ValueType {
    int16_t data_type = 0;
    std::optional<int32_t> ascii_size;  // ASCII:N
    std::optional<int32_t> raw_size;    // CODE:SIZE: the value is hex bytes
};

// Reads a TYPE token. Returns a reason on failure.
std::string read_value_type(std::string_view token, ValueType &type);

// Reads the VALUE token of a tag of `type` into `value`. For CODE:SIZE the
// value has SIZE bytes and `given` says how many the token gave. Returns a
// reason on failure.
std::string read_value(const ValueType &type, std::string_view text,
                       std::vector<unsigned char> &value, std::size_t &given);

// The bytes of a CODE:SIZE value that its tag line leaves to "more" lines:
// from `from` to `to` (the bytes after `to` are zero).
struct HexRest {
    std::size_t from = 0;
    std::size_t to = 0;
};

// Appends "TYPE DEVICE_TYPE VALUE" of a value of `size` bytes at `bytes`,
// written so that read_value_type() and read_value() give back the data
// type code, the size and every byte: REAL and DOUBLE in the shortest text
// that reads back to the same number (NaN with its sign; a NaN with a
// payload in hex).
HexRest append_type_and_value(TextBuffer &line, int16_t data_type, int16_t device_data_type,
                              const unsigned char *bytes, std::size_t size);

}  // namespace tavlo::script
