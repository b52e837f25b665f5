// The tag lines of a recording, read in one pass.
#include "plain_tag_line.h"

#include <cstring>
#include <limits>

#include "plain_fields.h"
#include "script_words.h"
#include "value_text.h"

namespace tavlo::script {

namespace {

constexpr std::size_t kTagNameField = 256;  // a name's bytes and its NUL

// A type given by its number, as type_of() has it, from `low` to `high`.
bool type_number(PlainFields &fields, int64_t low, int64_t high, int32_t &code) {
    int64_t number = 0;
    if (!fields.whole(low, high, number)) return false;
    code = static_cast<int32_t>(number);
    return true;
}

// A type keyword, as type_of() has them (what a recording holds), or its
// number.
inline bool type_code(PlainFields &fields, int64_t low, int64_t high, int32_t &code) {
    uint64_t word = 0;
    std::size_t size = 0;
    if (fields.short_field(word, size)) {
        code = type_keyword(packed_word(word, size));
        if (code >= 0) return fields.skip(size);
    }
    return type_number(fields, low, high, code);
}

// A TYPE of a text type: its keyword or code, or ASCII:N with its size, as
// read_value_type() has them; type_of() takes no CODE:SIZE.
bool plain_type(PlainFields &fields, int16_t &data_type, std::size_t &ascii_size) {
    ascii_size = 0;
    if (fields.starts("ASCII:")) {
        int64_t size = 0;
        if (!fields.whole(1, kLongestText, size)) return false;
        data_type = TAVLO_TYPE_ASCII;
        ascii_size = static_cast<std::size_t>(size);
        return true;
    }
    int32_t code = 0;
    if (!type_code(fields, 1, TAVLO_TYPE_TIME, code) || code > TAVLO_TYPE_TIME) return false;
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
// reader takes what it does not.
template <typename T>
bool plain_floating(PlainFields &fields, PlainTagLine &tag) {
    std::string_view text;
    T number = 0;
    if (!fields.token(text) || !plain_floating_number(text, number)) return false;
    put_number(tag, number);
    return true;
}

template <typename T>
bool plain_integer(PlainFields &fields, PlainTagLine &tag) {
    int64_t number = 0;
    if (!fields.whole(std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), number)) {
        return false;
    }
    put_number(tag, static_cast<T>(number));
    return true;
}

bool plain_value(PlainFields &fields, std::size_t ascii_size, PlainTagLine &tag) {
    switch (tag.data_type) {
        case TAVLO_TYPE_REAL: return plain_floating<float>(fields, tag);
        case TAVLO_TYPE_DOUBLE: return plain_floating<double>(fields, tag);
        case TAVLO_TYPE_SHORT: return plain_integer<int16_t>(fields, tag);
        case TAVLO_TYPE_LONG: return plain_integer<int32_t>(fields, tag);
        case TAVLO_TYPE_TIME: {
            TimeRecord time{};
            if (!fields.time(time)) return false;
            put_number(tag, time);
            return true;
        }
        default:  // ASCII
            if (!fields.token(tag.text)) return false;
            tag.size = ascii_size > 0 ? ascii_size : tag.text.size();
            return tag.text.size() <= tag.size;
    }
}

}  // namespace

bool read_plain_tag_line(std::string_view line, PlainTagLine &tag) {
    PlainFields fields(line);
    std::size_t ascii_size = 0;
    int32_t device = 0;
    if (!fields.starts("tag ") || !fields.token(tag.name) || tag.name.size() >= kTagNameField ||
        !plain_type(fields, tag.data_type, ascii_size) ||
        !type_code(fields, -32768, 32767, device)) {
        return false;
    }
    tag.device_data_type = static_cast<int16_t>(device);
    return plain_value(fields, ascii_size, tag) && fields.whole_32(tag.status.status) &&
           fields.whole_32(tag.status.facility) && fields.whole_32(tag.status.driver_status) &&
           fields.time(tag.timestamp) && fields.ended();
}

}  // namespace tavlo::script
