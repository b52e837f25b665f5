// The words of a script line, both ways.
#include "script_text.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string_view>

#include "hex_digits.h"
#include "tavlo.h"
#include "type_keywords.h"
#include "wire_format.h"

namespace tavlo::script {

namespace {

constexpr char kNulInToken[] = "a token holds a NUL byte";
constexpr char kQuoteNotClosed[] = "a quote is not closed before the end of the line";

// The token in quotes from line[i], after its opening quote; i ends after
// the closing quote. Its text is a view of the line when it holds no
// escape, else it goes to the end of `unescaped`. Returns "", or why
// the line cannot be split: a NUL byte in the quotes (or to the line's end
// when they are not closed), else the line's end before the closing quote.
std::string take_quoted(std::string_view line, Quoting quoting, std::size_t &i,
                        std::string &unescaped, std::string_view &token) {
    const std::size_t start = i;
    const std::size_t first =
        quoting == Quoting::kEscapes ? line.find_first_of("\"\\", i) : line.find('"', i);
    if (first != std::string_view::npos && line[first] == '"') {
        token = line.substr(start, first - start);
        i = first + 1;
        if (token.find('\0') != std::string_view::npos) return kNulInToken;
        return {};
    }
    // Unescaped text is never longer than the line: the views into it stay.
    unescaped.reserve(line.size());
    const std::size_t from = unescaped.size();
    while (i < line.size()) {
        const char c = line[i++];
        if (c == '"') {
            token = std::string_view(unescaped).substr(from);
            return {};
        }
        if (c == '\0') return kNulInToken;
        if (c == '\\' && i < line.size()) {
            const char next = line[i];
            if (next == '"' || next == '\\') {
                unescaped += next;
                ++i;
                continue;
            }
            if (next == 'x' && i + 2 < line.size() && hex_digit(line[i + 1]) >= 0 &&
                hex_digit(line[i + 2]) >= 0) {
                unescaped +=
                    static_cast<char>(hex_digit(line[i + 1]) * 16 + hex_digit(line[i + 2]));
                i += 3;
                continue;
            }
        }
        unescaped += c;
    }
    return kQuoteNotClosed;
}

// What a byte of a token is when written: bare (as it is, outside quotes or
// in), a quote (bare but for a token's first byte; escaped in quotes), a
// blank (as it is in quotes), escaped with a backslash in quotes, or in hex
// in quotes (what a line cannot show).
enum ByteClass : unsigned char { kBare, kQuote, kBlank, kEscaped, kHexByte };

constexpr auto kByteClass = [] {
    std::array<ByteClass, 256> classes{};
    for (std::size_t c = 0; c < classes.size(); ++c) {
        if (c < 0x20 || c == 0x7f) {
            classes[c] = kHexByte;
        } else if (c == ' ') {
            classes[c] = kBlank;
        } else if (c == '\\') {
            classes[c] = kEscaped;
        } else if (c == '"') {
            classes[c] = kQuote;
        } else {
            classes[c] = kBare;
        }
    }
    return classes;
}();

}  // namespace

std::string split_tokens(std::string_view line, Quoting quoting,
                         std::vector<std::string_view> &tokens, std::string &unescaped) {
    tokens.clear();
    unescaped.clear();
    // A NUL byte anywhere is the line's fault, before an open quote at its
    // end: each part of the line is looked at for it as it is passed.
    const char *const first = line.data();
    const char *const end = first + line.size();
    for (const char *at = first;;) {
        while (at != end && is_token_blank(*at)) ++at;
        if (at == end) return {};
        if (*at == '"') {
            auto i = static_cast<std::size_t>(at - first) + 1;
            std::string reason = take_quoted(line, quoting, i, unescaped, tokens.emplace_back());
            if (!reason.empty()) return reason;
            at = first + i;
            continue;
        }
        const char *const start = at;
        for (; at != end && !is_token_blank(*at); ++at) {
            if (*at == '\0') return kNulInToken;
        }
        tokens.emplace_back(start, static_cast<std::size_t>(at - start));
        if (at == end) return {};
        ++at;  // the blank after the token
    }
}

void append_token(TextBuffer &line, std::string_view text) {
    // Copied as it is while every byte may stand bare; started again in
    // quotes at the first that may not. Room for the quoted form first.
    char *const start = line.room(4 * text.size() + 2);
    std::size_t i = 0;
    while (i < text.size() && kByteClass[static_cast<unsigned char>(text[i])] <= kQuote) {
        start[i] = text[i];
        ++i;
    }
    if (i == text.size() && i > 0 && text.front() != '"') {
        line.commit(start + i);
        return;
    }
    char *at = start;
    *at++ = '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (kByteClass[byte]) {
            case kBare:
            case kBlank: *at++ = c; break;
            case kQuote:
            case kEscaped:
                *at++ = '\\';
                *at++ = c;
                break;
            default:
                *at++ = '\\';
                *at++ = 'x';
                *at++ = posix::kHexDigits[byte >> 4];
                *at++ = posix::kHexDigits[byte & 0xf];
        }
    }
    *at++ = '"';
    line.commit(at);
}

namespace {

using records::Keyword;

constexpr Keyword kKinds[] = {{"GET", TAVLO_MSG_GET_REPLY},
                              {"PUT", TAVLO_MSG_PUT_REPLY},
                              {"DECLARE", TAVLO_MSG_DECLARE_REPLY},
                              {"CANCEL", TAVLO_MSG_CANCEL_REPLY},
                              {"UNSOLICITED", TAVLO_MSG_UNSOLICITED}};

constexpr int64_t kLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMost32 = std::numeric_limits<int32_t>::max();

// The code of the keyword `word`, else the number it is from `low` to `high`.
template <std::size_t N>
std::optional<int32_t> code_of(const Keyword (&table)[N], std::string_view word, int64_t low,
                               int64_t high) {
    for (const Keyword &keyword : table) {
        if (keyword.word == word) return keyword.code;
    }
    if (const auto number = whole_number(word, low, high)) return static_cast<int32_t>(*number);
    return std::nullopt;
}

// The keyword of `code`, else its number.
template <std::size_t N>
void append_code(TextBuffer &line, const Keyword (&table)[N], int32_t code) {
    for (const Keyword &keyword : table) {
        if (keyword.code == code) {
            line += keyword.word;
            return;
        }
    }
    append_number(line, code);
}

}  // namespace

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<int32_t> kind_of(std::string_view word) {
    return code_of(kKinds, word, kLeast32, kMost32);
}

void append_kind(TextBuffer &line, MessageKind kind) {
    append_code(line, kKinds, kind);
}

std::optional<int32_t> type_of(std::string_view word, int64_t low, int64_t high) {
    return code_of(records::kTypeKeywords, word, low, high);
}

void append_type(TextBuffer &line, int32_t code) {
    append_code(line, records::kTypeKeywords, code);
}

bool time_has_text(const TimeRecord &time) {
    return time.milliseconds >= 0 && time.milliseconds <= 999;
}

namespace {

// ".MMM" after the seconds of a time, or nothing for 0 milliseconds.
void append_milliseconds(TextBuffer &line, int ms) {
    if (ms == 0) return;
    char *at = line.room(4);
    at[0] = '.';
    at[1] = static_cast<char>('0' + ms / 100);
    at[2] = static_cast<char>('0' + ms / 10 % 10);
    at[3] = static_cast<char>('0' + ms % 10);
    line.commit(at + 4);
}

}  // namespace

void append_time(TextBuffer &line, const TimeRecord &time) {
    append_number(line, time.seconds);
    append_milliseconds(line, time.milliseconds);
}

std::optional<int64_t> received_time_of(std::string_view text) {
    constexpr int64_t kMostSeconds = (int64_t{1} << 53) / 1000;
    const auto dot = text.find('.');
    const auto seconds = whole_number(text.substr(0, dot), -kMostSeconds, kMostSeconds);
    if (!seconds) return std::nullopt;
    if (dot == std::string_view::npos) return *seconds * 1000;
    const std::string_view millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    return *seconds * 1000 + *ms;
}

void append_received_time(TextBuffer &line, int64_t milliseconds) {
    // Seconds rounded down, so that the milliseconds after them are 0 to 999.
    const int64_t seconds =
        milliseconds >= 0 ? milliseconds / 1000 : -((999 - milliseconds) / 1000);
    append_number(line, seconds);
    append_milliseconds(line, static_cast<int>(milliseconds - seconds * 1000));
}

std::optional<std::size_t> hex_bytes(std::string_view text, unsigned char *out, std::size_t room) {
    if (text.size() % 2 != 0 || text.size() / 2 > room) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit(text[i]);
        const int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i / 2] = static_cast<unsigned char>(high * 16 + low);
    }
    return text.size() / 2;
}

void append_hex(TextBuffer &line, const unsigned char *bytes, std::size_t size) {
    char *at = line.room(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        *at++ = posix::kHexDigits[bytes[i] >> 4];
        *at++ = posix::kHexDigits[bytes[i] & 0xf];
    }
    line.commit(at);
}

void append_number(TextBuffer &line, int64_t number) {
    constexpr std::size_t kLongest = 20;  // -9223372036854775808
    char *const at = line.room(kLongest);
    line.commit(std::to_chars(at, at + kLongest, number).ptr);
}

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
std::string read_text_value(int16_t data_type, std::string_view text,
                            std::vector<unsigned char> &value) {
    switch (data_type) {
        case TAVLO_TYPE_REAL: {
            float number = 0;
            if (!read_floating(text, std::strtof, number)) return "a REAL value must be a number";
            set_value(value, number);
            return {};
        }
        case TAVLO_TYPE_DOUBLE: {
            double number = 0;
            if (!read_floating(text, std::strtod, number)) return "a DOUBLE value must be a number";
            set_value(value, number);
            return {};
        }
        case TAVLO_TYPE_SHORT: {
            const auto number = whole_number(text, -32768, 32767);
            if (!number) return "a SHORT value must be a whole number from -32768 to 32767";
            set_value(value, static_cast<int16_t>(*number));
            return {};
        }
        case TAVLO_TYPE_LONG: {
            const auto number = whole_number(text, std::numeric_limits<int32_t>::min(),
                                             std::numeric_limits<int32_t>::max());
            if (!number) return "a LONG value must be a 32-bit whole number";
            set_value(value, static_cast<int32_t>(*number));
            return {};
        }
        default: {
            const auto time = time_of(text);
            if (!time) return "a TIME value must be SECONDS or SECONDS.MMM";
            set_value(value, *time);
            return {};
        }
    }
}

}  // namespace

std::string read_value_type(std::string_view token, ValueType &type) {
    type = ValueType{};
    const auto colon = token.find(':');
    if (colon == std::string::npos) {
        const auto code = type_of(token, 1, kLastTextType);
        if (!code || *code > kLastTextType) return "unknown data type";
        type.data_type = static_cast<int16_t>(*code);
        return {};
    }
    if (token.rfind("ASCII:", 0) == 0) {
        const auto size = whole_number(token.substr(6), 1, kLongestText);
        if (!size) return "ASCII:N needs a size from 1 to 65536";
        type.data_type = TAVLO_TYPE_ASCII;
        type.ascii_size = static_cast<int32_t>(*size);
        return {};
    }
    const auto code = whole_number(token.substr(0, colon), -32768, 32767);
    const auto size = whole_number(token.substr(colon + 1), 0, wire::kLongestFrame);
    if (!code || !size) return "CODE:SIZE needs a 16-bit type code and a size up to 16777216";
    type.data_type = static_cast<int16_t>(*code);
    type.raw_size = static_cast<int32_t>(*size);
    return {};
}

std::string read_value(const ValueType &type, std::string_view text,
                       std::vector<unsigned char> &value, std::size_t &given) {
    if (type.raw_size) {
        value.assign(static_cast<std::size_t>(*type.raw_size), 0);
        const auto bytes = hex_bytes(text, value.data(), value.size());
        if (!bytes) return "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes";
        given = *bytes;
        return {};
    }
    if (type.data_type != TAVLO_TYPE_ASCII) return read_text_value(type.data_type, text, value);
    const std::size_t size = type.ascii_size ? static_cast<std::size_t>(*type.ascii_size)
                                             : std::max<std::size_t>(text.size(), 1);
    if (text.size() > size) return "the ASCII text is longer than its field";
    value.assign(size, 0);
    std::memcpy(value.data(), text.data(), text.size());
    return {};
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
