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
bool read_floating(const std::string &text, T (*parse)(const char *, char **), T &number) {
    errno = 0;
    char *end = nullptr;
    number = parse(text.c_str(), &end);
    if (text.empty() || *end != '\0') return false;
    return errno == 0 || (std::isfinite(number) && number != 0);
}

// The quiet NaN that "nan" and "-nan" read as; other NaNs go in hex.
bool is_plain_nan(const unsigned char *bytes, float) {
    return (value_at<uint32_t>(bytes) & 0x7fffffffu) == 0x7fc00000u;
}
bool is_plain_nan(const unsigned char *bytes, double) {
    return (value_at<uint64_t>(bytes) & 0x7fffffffffffffffu) == 0x7ff8000000000000u;
}

// The shortest text that reads back to the same number.
template <typename T>
bool write_floating(const char *word, const unsigned char *bytes, std::size_t size,
                    std::string &type, std::string &value) {
    if (size != sizeof(T)) return false;
    const T number = value_at<T>(bytes);
    if (std::isnan(number) && !is_plain_nan(bytes, number)) return false;
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, number).ptr;
    type = word;
    value.assign(text, end);
    return true;
}

template <typename T>
bool write_whole(const char *word, const unsigned char *bytes, std::size_t size, std::string &type,
                 std::string &value) {
    if (size != sizeof(T)) return false;
    type = word;
    append_number(value, value_at<T>(bytes));
    return true;
}

// The value of a type that has a text of its own, when its size is the
// type's; false for the hex form.
bool write_text_value(int16_t data_type, const unsigned char *bytes, std::size_t size,
                      std::string &type, std::string &value) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: return write_floating<float>("REAL", bytes, size, type, value);
        case TAVLO_TYPE_DOUBLE: return write_floating<double>("DOUBLE", bytes, size, type, value);
        case TAVLO_TYPE_SHORT: return write_whole<int16_t>("SHORT", bytes, size, type, value);
        case TAVLO_TYPE_LONG: return write_whole<int32_t>("LONG", bytes, size, type, value);
        case TAVLO_TYPE_TIME: {
            if (size != sizeof(TimeRecord)) return false;
            const auto time = value_at<TimeRecord>(bytes);
            if (!time_has_text(time)) return false;
            type = "TIME";
            append_time(value, time);
            return true;
        }
        case TAVLO_TYPE_ASCII: {
            if (size < 1 || size > static_cast<std::size_t>(kLongestText)) return false;
            std::size_t length = size;
            while (length > 0 && bytes[length - 1] == 0) --length;
            type = "ASCII";
            if (length < size) {
                type += ':';
                append_number(type, static_cast<int64_t>(size));
            }
            append_token(value, {reinterpret_cast<const char *>(bytes), length});
            return true;
        }
        default: return false;
    }
}

// TIME and the numbers.
const char *read_text_value(int16_t data_type, const std::string &text,
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

const char *read_value_type(const std::string &token, ValueType &type) {
    type = ValueType{};
    const auto colon = token.find(':');
    if (token.rfind("ASCII:", 0) == 0) {
        const auto size = whole_number(token.substr(6), 1, kLongestText);
        if (!size) return "ASCII:N needs a size from 1 to 65536";
        type.data_type = TAVLO_TYPE_ASCII;
        type.ascii_size = static_cast<int32_t>(*size);
        return nullptr;
    }
    if (colon != std::string::npos) {
        const auto code = whole_number(token.substr(0, colon), -32768, 32767);
        const auto size = whole_number(token.substr(colon + 1), 0, wire::kLongestFrame);
        if (!code || !size) return "CODE:SIZE needs a 16-bit type code and a size up to 16777216";
        type.data_type = static_cast<int16_t>(*code);
        type.raw_size = static_cast<int32_t>(*size);
        return nullptr;
    }
    const auto code = type_of(token, 1, kLastTextType);
    if (!code || *code > kLastTextType) return "unknown data type";
    type.data_type = static_cast<int16_t>(*code);
    return nullptr;
}

const char *read_value(const ValueType &type, const std::string &text,
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

HexRest write_value(int16_t data_type, const unsigned char *bytes, std::size_t size,
                    std::string &type, std::string &value) {
    type.clear();
    value.clear();
    if (write_text_value(data_type, bytes, size, type, value)) return {};
    std::size_t end = size;
    while (end > 0 && bytes[end - 1] == 0) --end;
    append_number(type, data_type);
    type += ':';
    append_number(type, static_cast<int64_t>(size));
    const std::size_t here = std::min(end, kHexBytesALine);
    if (here == 0) value = "\"\"";
    append_hex(value, bytes, here);
    return HexRest{here, end};
}

}  // namespace tavlo::script
