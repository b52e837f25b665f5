// The asctime text of a calendar time, and what it does with odd fields.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ctime>

#include "report_lines.h"

namespace {

using tavlo::ts::format_asctime;
using tavlo::ts::kAsctimeTextSize;

std::string text_of(const std::tm &time) {
    char text[kAsctimeTextSize];
    format_asctime(time, text);
    return text;
}

TEST(AsctimeText, MatchesTheStandardTextForValidTimes) {
    for (std::time_t seconds : {std::time_t{0}, std::time_t{3600}, std::time_t{951782400},
                                std::time_t{1700000000}, std::time_t{2147483647}}) {
        std::tm time{};
        gmtime_r(&seconds, &time);
        char standard[26];
        ASSERT_NE(asctime_r(&time, standard), nullptr);
        EXPECT_EQ(text_of(time), standard) << seconds;
    }
}

TEST(AsctimeText, OutOfRangeFieldsNeverIndexPastTheNames) {
    std::tm time{};
    time.tm_wday = 9;
    time.tm_mon = -1;
    time.tm_mday = 5;
    time.tm_year = 2147483647;
    EXPECT_EQ(text_of(time), "??? ???  5 00:00:00 2147485547\n");
}

TEST(AsctimeText, AnyFieldsPrintAsTheStandardFormatCutTo63Characters) {
    // Each field at each value in turn, the others at 5, against snprintf
    // of the format the text is defined by; then all at INT_MIN.
    const char *const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    int std::tm::*const fields[] = {&std::tm::tm_wday, &std::tm::tm_mday, &std::tm::tm_hour,
                                    &std::tm::tm_min,  &std::tm::tm_sec,  &std::tm::tm_year};
    for (int std::tm::*field : fields) {
        for (int value : {INT_MIN, -100, -10, -9, -1, 0, 6, 9, 10, 99, 100, 1000, INT_MAX}) {
            std::tm time{};
            for (int std::tm::*other : fields) time.*other = 5;
            time.*field = value;
            char expected[kAsctimeTextSize];
            const bool day_known = time.tm_wday >= 0 && time.tm_wday < 7;
            std::snprintf(expected, sizeof expected, "%.3s Jan%3d %.2d:%.2d:%.2d %lld\n",
                          day_known ? kDays[time.tm_wday] : "???", time.tm_mday, time.tm_hour,
                          time.tm_min, time.tm_sec, 1900LL + time.tm_year);
            EXPECT_EQ(text_of(time), expected) << value;
        }
    }
    std::tm time{};
    time.tm_mday = time.tm_hour = time.tm_min = time.tm_sec = time.tm_year = INT_MIN;
    EXPECT_EQ(text_of(time).size(), kAsctimeTextSize - 1);
}

}  // namespace
