// The stand-in's local time against localtime_r: across DST changes, the
// same seconds asked again, and TZ changed between calls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "scoped_environment.h"
#include "tavlo.h"

namespace {

using tavlo::testing::ScopedEnvironmentVariable;

// Zones with DST by rule, so that no zone files are needed.
constexpr const char *kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char *kNewYork = "EST5EDT,M3.2.0,M11.1.0";

// The asctime text and the zone of a calendar time; "none" for null.
std::string text_of(const std::tm *time) {
    char text[26];
    return time == nullptr ? "none" : asctime_r(time, text) + std::string(time->tm_zone);
}

std::string stand_in_text(int32_t seconds) {
    const TimeRecord record{0, seconds};
    return text_of(TAVLO_CLIENT_LOCALTIME(&record));
}

std::string localtime_r_text(int32_t seconds) {
    tzset();
    const std::time_t time = seconds;
    std::tm local{};
    return text_of(localtime_r(&time, &local));
}

TEST(LocalTime, FollowsDstChangesAndTzChangedBetweenCalls) {
    // A second and an hour either side of the changes of 2021 in both
    // zones, each asked twice; then the same seconds under each zone in
    // turn, with no tzset of the caller, TZ gone, and TZ back.
    for (const char *zone : {kBerlin, kNewYork}) {
        const ScopedEnvironmentVariable tz("TZ", zone);
        for (int32_t change : {1616893200, 1635642000, 1615705200, 1636264800}) {
            for (int32_t offset : {-3601, -1, 0, 1, 3600}) {
                const std::string expected = localtime_r_text(change + offset);
                EXPECT_EQ(stand_in_text(change + offset), expected) << zone << change + offset;
                EXPECT_EQ(stand_in_text(change + offset), expected) << zone << change + offset;
            }
        }
    }
    const ScopedEnvironmentVariable tz("TZ", kBerlin);
    EXPECT_EQ(stand_in_text(1625140800), "Thu Jul  1 14:00:00 2021\nCEST");
    setenv("TZ", kNewYork, 1);
    EXPECT_EQ(stand_in_text(1625140800), "Thu Jul  1 08:00:00 2021\nEDT");
    unsetenv("TZ");
    EXPECT_EQ(stand_in_text(1625140800), localtime_r_text(1625140800));
    setenv("TZ", kBerlin, 1);
    EXPECT_EQ(stand_in_text(1625140800), "Thu Jul  1 14:00:00 2021\nCEST");
}

TEST(LocalTime, ACallerChangingTheResultDoesNotChangeTheNext) {
    const TimeRecord record{0, 86400};
    TAVLO_CLIENT_LOCALTIME(&record);
    std::tm *first = TAVLO_CLIENT_LOCALTIME(&record);
    ASSERT_NE(first, nullptr);
    first->tm_year = 300;
    EXPECT_EQ(text_of(TAVLO_CLIENT_LOCALTIME(&record)), "Fri Jan  2 00:00:00 1970\nUTC");
}

}  // namespace
