// The tag lines of a recording, read in one pass.
#include "plain_tag_line.h"

#include <charconv>
#include <cstring>

#include "plain_fields.h"
#include "script_words.h"
#include "value_text.h"

namespace tavlo::script {

namespace {

constexpr std::size_t kTagNameField = 256;  // a name's bytes and its NUL

constexpr std::size_t kTokens = 9;  // "tag" and its eight fields

// A type keyword, as type_of() has them, or a plain number from `low` to
// `high`. The token is TYPE or DEVICE_TYPE, which the line's other tokens
// follow: eight bytes from its first may be read.
bool type_code(std::string_view token, int64_t low, int64_t high, int32_t &code) {
    if (token.size() < kLongestPacked) {
        code = type_keyword(packed_word(eight_bytes(token.data()), token.size()));
        if (code >= 0) return true;
    }
    int64_t number = 0;
    if (!plain_whole(token, low, high, number)) return false;
    code = static_cast<int32_t>(number);
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
    int32_t code = 0;
    if (!type_code(token, 1, TAVLO_TYPE_TIME, code) || code > TAVLO_TYPE_TIME) return false;
    data_type = static_cast<int16_t>(code);
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
            if (!plain_whole(text, is_short ? -32768 : kPlainLeast32,
                             is_short ? 32767 : kPlainMost32, number)) {
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
    if (line.size() < 4 || std::memcmp(line.data(), "tag ", 4) != 0 ||
        plain_tokens(line, t.data(), kTokens) != kTokens) {
        return false;
    }
    tag.name = t[1];
    std::size_t ascii_size = 0;
    if (tag.name.size() >= kTagNameField || !plain_type(t[2], tag.data_type, ascii_size)) {
        return false;
    }
    int32_t device = 0;
    if (!type_code(t[3], -32768, 32767, device)) return false;
    tag.device_data_type = static_cast<int16_t>(device);
    return plain_value(t[4], ascii_size, tag) && plain_32(t[5], tag.status.status) &&
           plain_32(t[6], tag.status.facility) && plain_32(t[7], tag.status.driver_status) &&
           plain_time(t[8], tag.timestamp);
}

}  // namespace tavlo::script
