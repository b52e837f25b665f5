// The time-of-day and date parsers: result codes, results, time zones.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "scoped_environment.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::ScopedTimeZone;

struct ParseCase {
    std::string text;
    int32_t code;
    int32_t result;
};

TEST(ParseTimeOfDay, GivesTheCodesAndSecondsOfEachForm) {
    const std::vector<ParseCase> cases = {
        {"10-30-15", 0, 10 * 3600 + 30 * 60 + 15},
        {"10-30", 0, 10 * 3600 + 30 * 60},
        {"23-59-59", 0, 86399},
        {"00-00-00", 0, 0},
        {"10-20-30-40", 0, 10 * 3600 + 20 * 60 + 30},
        {"ab-cd-ef", 0, 0},
        {"24-00-00", -2, 0},
        {"12-60", -3, 0},
        {"12-30-60", -3, 0},
        {"10-20--5", -3, 0},
        {"1230", -1, 0},
        {"", -1, 0},
        {"-30-00", -2, 0},
        {"12--00", -2, 0},
        {"12-30-", -2, 0},
        {"12-", -2, 0},
        {"99999999999999999999-00", -2, 0},
        {"12-4294967296", -3, 0},  // not wrapped into range
    };
    for (const ParseCase &c : cases) {
        int32_t seconds = 12345;
        EXPECT_EQ(parse_time_of_day(c.text.c_str(), &seconds), c.code) << c.text;
        EXPECT_EQ(seconds, c.result) << c.text;
    }
}

TEST(ParseDate, GivesTheCodesAndUtcSecondsOfEachDate) {
    const std::vector<ParseCase> cases = {
        {"01-01-70", 0, 0},
        {"01-02-70", 0, 86400},
        {"12-31-20", 0, 1609372800},
        {"02-30-21", 0, 1614643200},  // rolls over into 2 March 2021
        {"03-02-21", 0, 1614643200},
        {"01-01-120", 0, 1577836800},  // 120 years after 1900
        {"01-01-20", 0, 1577836800},
        {"01-19-38", 0, 2147472000},
        {"01-01--31", 0, -31536000},    // -31 + 100: 1969
        {"12-14--99", 0, -2147472000},  // 1901, the first day a signed count holds
        {"01-20-38", -5, -1},
        {"12-13--99", -5, -1},
        {"01-01-69", -5, -1},  // 2069
        {"01-01--100", -5, -1},
        {"01-01-99999999999", -5, -1},
        {"13-01-20", -2, 0},
        {"00-10-20", -2, 0},
        {"12-32-20", -3, 0},
        {"12-00-20", -3, 0},
        {"12-01", -1, 0},
        {"120120", -1, 0},
        {"13-01", -2, 0},  // the month is checked before the second "-"
        {"12-01-", -2, 0},
        {"12--20", -2, 0},
        {"-01-20", -2, 0},
    };
    for (const ParseCase &c : cases) {
        int32_t seconds = 12345;
        EXPECT_EQ(parse_date(c.text.c_str(), &seconds), c.code) << c.text;
        EXPECT_EQ(seconds, c.result) << c.text;
    }
}

TEST(Parsers, Take255CharactersAndRefuse256) {
    // Characters after a field's leading number are ignored.
    const std::string time_255 = "10-30-15" + std::string(247, ' ');
    const std::string date_255 = "01-02-70" + std::string(247, ' ');
    ASSERT_EQ(time_255.size(), 255u);
    int32_t seconds = 12345;
    EXPECT_EQ(parse_time_of_day(time_255.c_str(), &seconds), 0);
    EXPECT_EQ(seconds, 10 * 3600 + 30 * 60 + 15);
    EXPECT_EQ(parse_date(date_255.c_str(), &seconds), 0);
    EXPECT_EQ(seconds, 86400);
    seconds = 12345;
    EXPECT_EQ(parse_time_of_day((time_255 + " ").c_str(), &seconds), -4);
    EXPECT_EQ(seconds, 0);
    seconds = 12345;
    EXPECT_EQ(parse_date((date_255 + " ").c_str(), &seconds), -4);
    EXPECT_EQ(seconds, 0);
    EXPECT_EQ(parse_date(std::string(5000, '-').c_str(), &seconds), -4);
}

TEST(Parsers, LeaveTheirTextAsItWasAndAcceptNullPointers) {
    const char text[] = "10-30-15";
    char copy[sizeof text];
    std::memcpy(copy, text, sizeof text);
    int32_t seconds = 0;
    parse_time_of_day(copy, &seconds);
    parse_date(copy, &seconds);
    EXPECT_STREQ(copy, text);
    EXPECT_EQ(parse_time_of_day(text, nullptr), 0);
    EXPECT_EQ(parse_date("01-01-70", nullptr), 0);
    EXPECT_EQ(parse_time_of_day(nullptr, &seconds), -1);
    EXPECT_EQ(parse_date(nullptr, &seconds), -1);
}

TEST(ParseDate, GivesLocalStandardTimeMidnightInOtherZones) {
    struct ZoneCase {
        const char *zone;
        const char *date;
        int32_t seconds;
    };
    const std::vector<ZoneCase> cases = {
        // Summer, yet standard time: 00:00 EST is 05:00 UTC.
        {"EST5EDT,M3.2.0,M11.1.0", "07-04-20", 1593838800},
        {"EST5EDT,M3.2.0,M11.1.0", "01-02-70", 86400 + 5 * 3600},
        // 00:00 CET is 23:00 UTC the day before.
        {"CET-1CEST,M3.5.0,M10.5.0/3", "07-04-20", 1593817200},
        // Before 1970 in UTC, yet a signed 32-bit count.
        {"CET-1CEST,M3.5.0,M10.5.0/3", "01-01-70", -3600},
    };
    for (const ZoneCase &c : cases) {
        ScopedTimeZone zone(c.zone);
        int32_t seconds = 0;
        EXPECT_EQ(parse_date(c.date, &seconds), 0) << c.zone << ' ' << c.date;
        EXPECT_EQ(seconds, c.seconds) << c.zone << ' ' << c.date;
    }
}

}  // namespace
