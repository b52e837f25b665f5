// The words of the evidence a verdict gives.
#include "verdict.h"

#include <charconv>
#include <cstdio>
#include <ctime>

#include "report_lines.h"

namespace tavlo::expect {

namespace {

// "2023-11-14 21:13:20.000" in UTC.
std::string calendar_text(int64_t ms) {
    const auto seconds = static_cast<std::time_t>(ms >= 0 ? ms / 1000 : (ms - 999) / 1000);
    std::tm parts{};
    if (gmtime_r(&seconds, &parts) == nullptr) return std::to_string(ms) + "ms";
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<int>(ms - int64_t{seconds} * 1000));
    return text;
}

}  // namespace

std::string time_of_day(Calendar when) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
    const auto seconds = static_cast<std::time_t>(ms / 1000);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", parts.tm_hour, parts.tm_min,
                  parts.tm_sec, static_cast<int>(ms % 1000));
    return text;
}

std::string duration_text(std::chrono::nanoseconds length) {
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(length).count();
    if (ms < 0) return "-" + duration_text(-length);
    if (ms < 1000) return std::to_string(ms) + "ms";
    std::string text = std::to_string(ms / 1000);
    if (const int64_t part = ms % 1000; part != 0) {
        char digits[8];
        std::snprintf(digits, sizeof digits, ".%03d", static_cast<int>(part));
        text += digits;
        while (text.back() == '0') text.pop_back();
    }
    return text + "s";
}

std::string reading_text(const Reading &reading) {
    switch (reading.type) {
        case Reading::Type::kNumber: {
            char text[40];
            const auto end =
                reading.single
                    ? std::to_chars(text, text + sizeof text, static_cast<float>(reading.number))
                    : std::to_chars(text, text + sizeof text, reading.number);
            return std::string(text, end.ptr);
        }
        case Reading::Type::kText: return "'" + reading.text + "'";
        case Reading::Type::kTime: return calendar_text(reading.time_ms);
        case Reading::Type::kStatus: {
            const std::string_view name = ts::unquoted_status_text(reading.status);
            return (name.empty() ? std::string("code") : std::string(name)) + " (" +
                   std::to_string(reading.status) + ")";
        }
        case Reading::Type::kOther: return "a value of no known type";
        case Reading::Type::kNone: break;
    }
    return "nothing";
}

}  // namespace tavlo::expect
