// A tag's data type and value as a script writes them, both ways.
#include "value_text.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "script_words.h"
#include "tavlo.h"
#include "text_tokens.h"
#include "wire_format.h"

namespace tavlo::script {

namespace {

constexpr int32_t kLastTextType = TAVLO_TYPE_TIME;

template <typename T>
void set_value(std::vector<unsigned char> &value, T number) {
    value.resize(sizeof number);
    std::memcpy(value.data(), &number, sizeof number);
}

template <typename T>
T value_at(const unsigned char *bytes) {
    T number;
    std::memcpy(&number, bytes, sizeof number);
    return number;
}

// strtof() and strtod() say ERANGE also for a number that reads as a
// subnormal: that one is kept, overflow and underflow to zero are not.
template <typename T>
bool read_floating(std::string_view token, T (*parse)(const char *, char **), T &number) {
    const std::string text(token);
    errno = 0;
    char *end = nullptr;
    number = parse(text.c_str(), &end);
    if (text.empty() || *end != '\0') return false;
    return errno == 0 || (std::isfinite(number) && number != 0);
}

// A NaN other than the quiet NaN that "nan" and "-nan" read as: it goes
// in hex.
bool is_odd_nan(const unsigned char *bytes, std::size_t size) {
    if (size == sizeof(float)) {
        return std::isnan(value_at<float>(bytes)) &&
               (value_at<uint32_t>(bytes) & 0x7fffffffu) != 0x7fc00000u;
    }
    return std::isnan(value_at<double>(bytes)) &&
           (value_at<uint64_t>(bytes) & 0x7fffffffffffffffu) != 0x7ff8000000000000u;
}

// Whether a value has a text of its own: a type of one, in the type's size.
bool has_text(int16_t data_type, const unsigned char *bytes, std::size_t size) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: return size == sizeof(float) && !is_odd_nan(bytes, size);
        case TAVLO_TYPE_DOUBLE: return size == sizeof(double) && !is_odd_nan(bytes, size);
        case TAVLO_TYPE_SHORT: return size == sizeof(int16_t);
        case TAVLO_TYPE_LONG: return size == sizeof(int32_t);
        case TAVLO_TYPE_TIME:
            return size == sizeof(TimeRecord) && time_has_text(value_at<TimeRecord>(bytes));
        case TAVLO_TYPE_ASCII: return size >= 1 && size <= static_cast<std::size_t>(kLongestText);
        default: return false;
    }
}

// The shortest text that reads back to the same number.
template <typename T>
void append_floating(TextBuffer &line, const unsigned char *bytes) {
    const T number = value_at<T>(bytes);
    constexpr std::size_t kLongest = 32;  // -2.2250738585072014e-308
    char *at = line.room(kLongest);
    line.commit(std::to_chars(at, at + kLongest, number).ptr);
}

// The text of a value that has one; `length` the bytes of an ASCII text
// before the NULs that fill its field.
void append_text_value(TextBuffer &line, int16_t data_type, const unsigned char *bytes,
                       std::size_t length) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: append_floating<float>(line, bytes); break;
        case TAVLO_TYPE_DOUBLE: append_floating<double>(line, bytes); break;
        case TAVLO_TYPE_SHORT: append_number(line, value_at<int16_t>(bytes)); break;
        case TAVLO_TYPE_LONG: append_number(line, value_at<int32_t>(bytes)); break;
        case TAVLO_TYPE_TIME: append_time(line, value_at<TimeRecord>(bytes)); break;
        default: append_token(line, {reinterpret_cast<const char *>(bytes), length}); break;
    }
}

// TIME and the numbers.
const char *read_text_value(int16_t data_type, std::string_view text,
                            std::vector<unsigned char> &value) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: {
            float number = 0;
            if (!read_floating(text, std::strtof, number)) return "a REAL value must be a number";
            set_value(value, number);
            return nullptr;
        }
        case TAVLO_TYPE_DOUBLE: {
            double number = 0;
            if (!read_floating(text, std::strtod, number)) return "a DOUBLE value must be a number";
            set_value(value, number);
            return nullptr;
        }
        case TAVLO_TYPE_SHORT: {
            const auto number = whole_number(text, -32768, 32767);
            if (!number) return "a SHORT value must be a whole number from -32768 to 32767";
            set_value(value, static_cast<int16_t>(*number));
            return nullptr;
        }
        case TAVLO_TYPE_LONG: {
            const auto number = whole_number(text, std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max());
            if (!number) return "a LONG value must be a 32-bit whole number";
            set_value(value, static_cast<int32_t>(*number));
            return nullptr;
        }
        default: {
            const auto time = time_of(text);
            if (!time) return "a TIME value must be SECONDS or SECONDS.MMM";
            set_value(value, *time);
            return nullptr;
        }
    }
}

}  // namespace

const char *read_value_type(std::string_view token, ValueType &type) {
    type = ValueType{};
    const auto colon = token.find(':');
    if (colon == std::string::npos) {
        const auto code = type_of(token, 1, kLastTextType);
        if (!code || *code > kLastTextType) return "unknown data type";
        type.data_type = static_cast<int16_t>(*code);
        return nullptr;
    }
    if (token.rfind("ASCII:", 0) == 0) {
        const auto size = whole_number(token.substr(6), 1, kLongestText);
        if (!size) return "ASCII:N needs a size from 1 to 65536";
        type.data_type = TAVLO_TYPE_ASCII;
        type.ascii_size = static_cast<int32_t>(*size);
        return nullptr;
    }
    const auto code = whole_number(token.substr(0, colon), -32768, 32767);
    const auto size = whole_number(token.substr(colon + 1), 0, wire::kLongestFrame);
    if (!code || !size) return "CODE:SIZE needs a 16-bit type code and a size up to 16777216";
    type.data_type = static_cast<int16_t>(*code);
    type.raw_size = static_cast<int32_t>(*size);
    return nullptr;
}

const char *read_value(const ValueType &type, std::string_view text,
                       std::vector<unsigned char> &value, std::size_t &given) {
    if (type.raw_size) {
        value.assign(static_cast<std::size_t>(*type.raw_size), 0);
        const auto bytes = hex_bytes(text, value.data(), value.size());
        if (!bytes) return "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes";
        given = *bytes;
        return nullptr;
    }
    if (type.data_type != TAVLO_TYPE_ASCII) return read_text_value(type.data_type, text, value);
    const std::size_t size = type.ascii_size ? static_cast<std::size_t>(*type.ascii_size)
                                             : std::max<std::size_t>(text.size(), 1);
    if (text.size() > size) return "the ASCII text is longer than its field";
    value.assign(size, 0);
    std::memcpy(value.data(), text.data(), text.size());
    return nullptr;
}

HexRest append_type_and_value(TextBuffer &line, int16_t data_type, int16_t device_data_type,
                              const unsigned char *bytes, std::size_t size) {
    const bool text = has_text(data_type, bytes, size);
    // ASCII texts and hex values leave out the NULs at their end.
    std::size_t end = size;
    if (!text || data_type == TAVLO_TYPE_ASCII) {
        while (end > 0 && bytes[end - 1] == 0) --end;
    }
    if (text) {
        append_type(line, data_type);
    } else {
        append_number(line, data_type);
    }
    if (!text || end < size) {
        line += ':';
        append_number(line, static_cast<int64_t>(size));
    }
    line += ' ';
    append_type(line, device_data_type);
    line += ' ';
    if (text) {
        append_text_value(line, data_type, bytes, end);
        return {};
    }
    const std::size_t here = std::min(end, kHexBytesALine);
    if (here == 0) line += "\"\"";
    append_hex(line, bytes, here);
    return HexRest{here, end};
}

}  // namespace tavlo::script
