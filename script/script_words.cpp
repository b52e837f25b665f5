// The words and numbers of a script, both ways.
#include "script_words.h"

#include <charconv>
#include <limits>
#include <string_view>

namespace tavlo::script {

namespace {

struct Keyword {
    std::string_view word;
    int32_t code;
};

constexpr Keyword kKinds[] = {{"GET", TAVLO_MSG_GET_REPLY},
                              {"PUT", TAVLO_MSG_PUT_REPLY},
                              {"DECLARE", TAVLO_MSG_DECLARE_REPLY},
                              {"CANCEL", TAVLO_MSG_CANCEL_REPLY},
                              {"UNSOLICITED", TAVLO_MSG_UNSOLICITED}};
constexpr Keyword kTypes[] = {{"REAL", 1},   {"SHORT", 2},  {"ASCII", 3}, {"LONG", 4},
                              {"DOUBLE", 5}, {"TIME", 6},   {"ENUM", 8},  {"ORDINAL", 9},
                              {"DTIME", 10}, {"EXTID", 11}, {"CBAW", 12}, {"CBST", 13},
                              {"EU", 14},    {"DESC", 15}};

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
    return code_of(kTypes, word, low, high);
}

void append_type(TextBuffer &line, int32_t code) {
    append_code(line, kTypes, code);
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
    static constexpr char kHex[] = "0123456789abcdef";
    char *at = line.room(2 * size);
    for (std::size_t i = 0; i < size; ++i) {
        *at++ = kHex[bytes[i] >> 4];
        *at++ = kHex[bytes[i] & 0xf];
    }
    line.commit(at);
}

void append_number(TextBuffer &line, int64_t number) {
    constexpr std::size_t kLongest = 20;  // -9223372036854775808
    char *const at = line.room(kLongest);
    line.commit(std::to_chars(at, at + kLongest, number).ptr);
}

}  // namespace tavlo::script
