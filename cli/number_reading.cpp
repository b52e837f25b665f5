// Numbers on the command line, each checked against its range.
#include "number_reading.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <system_error>

namespace tavlo::cli {

namespace {

// A number's text and what follows its sign: std::from_chars reads
// `number`, which keeps a "-" but not a "+".
struct SignedText {
    std::string_view number;
    std::string_view digits;
};

SignedText split_sign(const char *text) {
    const std::string_view all(text);
    const bool has_sign = !all.empty() && (all[0] == '+' || all[0] == '-');
    const std::string_view unsigned_part = has_sign ? all.substr(1) : all;
    return {has_sign && all[0] == '+' ? unsigned_part : all, unsigned_part};
}

bool all_digits(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

template <typename Number, typename... Format>
bool read_all(std::string_view text, Number &value, Format... format) {
    const char *end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, format...);
    return result.ec == std::errc() && result.ptr == end;
}

template <typename Number, typename... Format>
std::string text_of(Number number, Format... format) {
    char text[64];
    return std::string(text, std::to_chars(text, text + sizeof text, number, format...).ptr);
}

}  // namespace

std::string read_whole_number(const char *text, int64_t low, int64_t high, int64_t &value) {
    const SignedText parts = split_sign(text);
    int64_t parsed = 0;
    if (parts.digits.empty() || !all_digits(parts.digits) || !read_all(parts.number, parsed) ||
        parsed < low || parsed > high) {
        return "expects a whole number from " + text_of(low) + " to " + text_of(high);
    }
    value = parsed;
    return "";
}

std::string read_decimal_number(const char *text, double low, double high, double &value) {
    const SignedText parts = split_sign(text);
    const auto point = parts.digits.find('.');
    const std::string_view before = parts.digits.substr(0, point);
    const std::string_view after =
        point == std::string_view::npos ? std::string_view() : parts.digits.substr(point + 1);
    double parsed = 0;
    if (before.size() + after.size() == 0 || !all_digits(before) || !all_digits(after) ||
        !read_all(parts.number, parsed, std::chars_format::fixed) || parsed < low ||
        parsed > high) {
        return "expects a decimal number from " + text_of(low, std::chars_format::fixed) + " to " +
               text_of(high, std::chars_format::fixed);
    }
    value = parsed;
    return "";
}

}  // namespace tavlo::cli
