// The standard asctime() text of a calendar time, made safely.
#include "asctime_text.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace tavlo::ts {

namespace {

// The longest text of any fields: names, "%3d", three "%.2d" of INT_MIN, a
// year of 1900 + INT_MIN, the blanks, colons and the newline.
constexpr std::size_t kLongestText = 3 + 1 + 3 + 11 + 1 + 3 * 11 + 2 + 1 + 11 + 1;

// Two decimal digits of a value from 0 to 99.
char *digit_pair(char *at, int value) {
    *at++ = static_cast<char>('0' + value / 10);
    *at++ = static_cast<char>('0' + value % 10);
    return at;
}

// "%3d": right-justified in three characters.
char *right_justified(char *at, int value) {
    if (value >= 0 && value < 100) {
        *at++ = ' ';
        at = digit_pair(at, value);
        if (value < 10) at[-2] = ' ';
        return at;
    }
    char digits[12];
    const auto length =
        static_cast<std::size_t>(std::to_chars(digits, digits + 12, value).ptr - digits);
    if (length < 3) at = std::fill_n(at, 3 - length, ' ');
    return std::copy_n(digits, length, at);
}

// "%.2d": the sign, then at least two digits.
char *two_digits(char *at, int value) {
    if (value >= 0 && value < 100) return digit_pair(at, value);
    if (value < 0) *at++ = '-';
    const unsigned magnitude =
        value < 0 ? 0U - static_cast<unsigned>(value) : static_cast<unsigned>(value);
    if (magnitude < 10) *at++ = '0';
    return std::to_chars(at, at + 10, magnitude).ptr;
}

}  // namespace

std::size_t format_asctime(const std::tm &time, char (&text)[kAsctimeTextSize]) {
    static const char kDays[] = "SunMonTueWedThuFriSat";
    static const char kMonths[] = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const char *day = (time.tm_wday >= 0 && time.tm_wday < 7) ? kDays + 3 * time.tm_wday : "???";
    const char *month = (time.tm_mon >= 0 && time.tm_mon < 12) ? kMonths + 3 * time.tm_mon : "???";
    char whole[kLongestText];
    char *at = std::copy_n(day, 3, whole);
    *at++ = ' ';
    at = std::copy_n(month, 3, at);
    at = right_justified(at, time.tm_mday);
    *at++ = ' ';
    at = two_digits(at, time.tm_hour);
    *at++ = ':';
    at = two_digits(at, time.tm_min);
    *at++ = ':';
    at = two_digits(at, time.tm_sec);
    *at++ = ' ';
    const long long year = 1900LL + time.tm_year;
    if (year >= 1000 && year <= 9999) {
        at = digit_pair(at, static_cast<int>(year / 100));
        at = digit_pair(at, static_cast<int>(year % 100));
    } else {
        at = std::to_chars(at, whole + kLongestText, year).ptr;
    }
    *at++ = '\n';
    const auto length = std::min(static_cast<std::size_t>(at - whole), kAsctimeTextSize - 1);
    std::memcpy(text, whole, length);
    text[length] = '\0';
    return length;
}

}  // namespace tavlo::ts
