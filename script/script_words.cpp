// The words and numbers of a script, both ways.
#include "script_words.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <limits>

namespace tavlo::script {

namespace {

struct Keyword {
    const char *word;
    int32_t code;
};

const Keyword kKinds[] = {{"GET", TAVLO_MSG_GET_REPLY},
                          {"PUT", TAVLO_MSG_PUT_REPLY},
                          {"DECLARE", TAVLO_MSG_DECLARE_REPLY},
                          {"CANCEL", TAVLO_MSG_CANCEL_REPLY},
                          {"UNSOLICITED", TAVLO_MSG_UNSOLICITED}};
const Keyword kTypes[] = {{"REAL", 1},  {"SHORT", 2}, {"ASCII", 3},   {"LONG", 4},   {"DOUBLE", 5},
                          {"TIME", 6},  {"ENUM", 8},  {"ORDINAL", 9}, {"DTIME", 10}, {"EXTID", 11},
                          {"CBAW", 12}, {"CBST", 13}, {"EU", 14},     {"DESC", 15}};

constexpr int64_t kLeast32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMost32 = std::numeric_limits<int32_t>::max();

template <std::size_t N>
std::optional<int32_t> code_of(const std::string &word, const Keyword (&table)[N], int64_t low,
                               int64_t high) {
    for (const Keyword &k : table) {
        if (word == k.word) return k.code;
    }
    if (const auto number = whole_number(word, low, high)) return static_cast<int32_t>(*number);
    return std::nullopt;
}

template <std::size_t N>
void append_word(std::string &line, int32_t code, const Keyword (&table)[N]) {
    for (const Keyword &k : table) {
        if (code == k.code) {
            line += k.word;
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

std::optional<int64_t> whole_number(const std::string &text, int64_t low, int64_t high) {
    if (text.empty()) return std::nullopt;
    errno = 0;
    char *end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < low || value > high) return std::nullopt;
    return value;
}

std::optional<int32_t> kind_of(const std::string &word) {
    return code_of(word, kKinds, kLeast32, kMost32);
}

void append_kind(std::string &line, MessageKind kind) {
    append_word(line, kind, kKinds);
}

std::optional<int32_t> type_of(const std::string &word, int64_t low, int64_t high) {
    return code_of(word, kTypes, low, high);
}

void append_type(std::string &line, int32_t code) {
    append_word(line, code, kTypes);
}

std::optional<TimeRecord> time_of(const std::string &text) {
    const auto dot = text.find('.');
    const auto seconds = whole_number(text.substr(0, dot), kLeast32, kMost32);
    if (!seconds) return std::nullopt;
    TimeRecord time{0, static_cast<int32_t>(*seconds)};
    if (dot == std::string::npos) return time;
    const std::string millis = text.substr(dot + 1);
    const auto ms = whole_number(millis, 0, 999);
    if (millis.size() != 3 || !ms) return std::nullopt;
    time.milliseconds = static_cast<int32_t>(*ms);
    return time;
}

bool time_has_text(const TimeRecord &time) {
    return time.milliseconds >= 0 && time.milliseconds <= 999;
}

void append_time(std::string &line, const TimeRecord &time) {
    append_number(line, time.seconds);
    if (time.milliseconds == 0) return;
    const int ms = time.milliseconds;
    line += '.';
    line += static_cast<char>('0' + ms / 100);
    line += static_cast<char>('0' + ms / 10 % 10);
    line += static_cast<char>('0' + ms % 10);
}

std::optional<std::size_t> hex_bytes(const std::string &text, unsigned char *out,
                                     std::size_t room) {
    if (text.size() % 2 != 0 || text.size() / 2 > room) return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = hex_digit(text[i]);
        const int low = hex_digit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        out[i / 2] = static_cast<unsigned char>(high * 16 + low);
    }
    return text.size() / 2;
}

void append_hex(std::string &line, const unsigned char *bytes, std::size_t size) {
    static constexpr char kHex[] = "0123456789abcdef";
    for (std::size_t i = 0; i < size; ++i) {
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0xf];
    }
}

void append_number(std::string &line, int64_t number) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    line.append(digits, end);
}

}  // namespace tavlo::script
