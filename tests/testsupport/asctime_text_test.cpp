// The asctime text of a calendar time, and what it does with odd fields.
#include "asctime_text.h"

#include <gtest/gtest.h>

#include <ctime>

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

}  // namespace
