// Parsing a time of day (HH-MM-SS or HH-MM) and a date (MM-DD-YY) into
// second counts.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "tavlo_testsupport.h"

namespace {

static_assert(sizeof(std::time_t) == 8, "dates are converted with a 64-bit mktime");

// Result codes of both parsers.
enum : int32_t {
    kAccepted = 0,
    kMissingSeparator = -1,
    kEmptyOrFirstFieldOutOfRange = -2,
    kLaterFieldOutOfRange = -3,
    kTooLong = -4,
    kNotConvertible = -5,
};

constexpr std::size_t kLongestText = 255;

// A copy of the text cut at its first two '-': first() is what stands
// before the first, second() what follows it (up to the second '-' if there
// is one), third() what follows the second, or null.
class DashFields {
public:
    DashFields() = default;
    DashFields(const DashFields &) = delete;
    DashFields &operator=(const DashFields &) = delete;

    // False, with no fields, for a text longer than 255 characters.
    bool split(const char *text) {
        const std::size_t length = text != nullptr ? strnlen(text, kLongestText + 1) : 0;
        if (length > kLongestText) return false;
        if (length > 0) std::memcpy(copy_, text, length);
        copy_[length] = '\0';
        second_ = cut_after_dash(copy_);
        third_ = second_ != nullptr ? cut_after_dash(second_) : nullptr;
        return true;
    }

    const char *first() const { return copy_; }
    const char *second() const { return second_; }
    const char *third() const { return third_; }

private:
    // Ends the field at its first '-' and returns what follows, or null.
    static char *cut_after_dash(char *field) {
        char *dash = std::strchr(field, '-');
        if (dash == nullptr) return nullptr;
        *dash = '\0';
        return dash + 1;
    }

    char copy_[kLongestText + 1] = {};
    char *second_ = nullptr;
    char *third_ = nullptr;
};

// The field's leading number as atoi takes it, but never wrapped: a number
// beyond the range of long long saturates, so it is out of every range.
long long leading_number(const char *field) {
    return std::strtoll(field, nullptr, 10);
}

bool empty(const char *field) {
    return field[0] == '\0';
}

bool within(long long value, long long lowest, long long highest) {
    return value >= lowest && value <= highest;
}

int32_t time_of_day(const char *text, int32_t &seconds) {
    DashFields fields;
    if (!fields.split(text)) return kTooLong;
    if (fields.second() == nullptr) return kMissingSeparator;
    const long long hours = leading_number(fields.first());
    if (empty(fields.first()) || !within(hours, 0, 23)) return kEmptyOrFirstFieldOutOfRange;
    if (empty(fields.second())) return kEmptyOrFirstFieldOutOfRange;
    const long long minutes = leading_number(fields.second());
    if (!within(minutes, 0, 59)) return kLaterFieldOutOfRange;
    long long total = hours * 3600 + minutes * 60;
    if (fields.third() != nullptr) {
        if (empty(fields.third())) return kEmptyOrFirstFieldOutOfRange;
        const long long extra_seconds = leading_number(fields.third());
        if (!within(extra_seconds, 0, 59)) return kLaterFieldOutOfRange;
        total += extra_seconds;
    }
    seconds = static_cast<int32_t>(total);
    return kAccepted;
}

// Seconds since 1970-01-01 00:00:00 UTC of 00:00:00 local standard time on
// the day; false when that cannot be held in a signed 32-bit count.
bool local_midnight(long long year_since_1900, int month, int day, int32_t &seconds) {
    if (!within(year_since_1900, INT_MIN, INT_MAX)) return false;
    std::tm calendar{};
    calendar.tm_mday = day;
    calendar.tm_mon = month - 1;
    calendar.tm_year = static_cast<int>(year_since_1900);
    calendar.tm_isdst = 0;  // standard time, whatever the season
    calendar.tm_wday = -1;  // mktime sets it only when it converts
    const std::time_t converted = std::mktime(&calendar);
    if (converted == static_cast<std::time_t>(-1) && calendar.tm_wday == -1) return false;
    if (!within(converted, INT32_MIN, INT32_MAX)) return false;
    seconds = static_cast<int32_t>(converted);
    return true;
}

int32_t date(const char *text, int32_t &seconds) {
    DashFields fields;
    if (!fields.split(text)) return kTooLong;
    if (fields.second() == nullptr) return kMissingSeparator;
    const long long month = leading_number(fields.first());
    if (empty(fields.first()) || !within(month, 1, 12)) return kEmptyOrFirstFieldOutOfRange;
    if (fields.third() == nullptr) return kMissingSeparator;
    if (empty(fields.second())) return kEmptyOrFirstFieldOutOfRange;
    const long long day = leading_number(fields.second());
    if (!within(day, 1, 31)) return kLaterFieldOutOfRange;
    if (empty(fields.third())) return kEmptyOrFirstFieldOutOfRange;
    long long year = leading_number(fields.third());
    if (year < 70) year += 100;  // 00 to 69 are 2000 to 2069
    if (!local_midnight(year, static_cast<int>(month), static_cast<int>(day), seconds)) {
        seconds = -1;
        return kNotConvertible;
    }
    return kAccepted;
}

}  // namespace

extern "C" int32_t parse_time_of_day(const char *text, int32_t *seconds) {
    int32_t result = 0;
    const int32_t code = time_of_day(text, result);
    if (seconds != nullptr) *seconds = code == kAccepted ? result : 0;
    return code;
}

extern "C" int32_t parse_date(const char *text, int32_t *seconds) {
    int32_t result = 0;
    const int32_t code = date(text, result);
    if (seconds != nullptr) *seconds = result;
    return code;
}
