// The stand-in's local time against localtime_r: across the DST changes of
// a zone, with the same seconds asked again and again, and after TZ changes
// between calls.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "tavlo.h"

namespace {

// Zones with DST given by rule, so that no zone files are needed.
constexpr const char *kBerlin = "CET-1CEST,M3.5.0,M10.5.0/3";
constexpr const char *kNewYork = "EST5EDT,M3.2.0,M11.1.0";

// The asctime text and the zone of a calendar time; "none" for null.
std::string text_of(const std::tm *time) {
    if (time == nullptr) return "none";
    char text[26];
    return std::string(asctime_r(time, text)) + time->tm_zone;
}

std::string stand_in_text(int32_t seconds) {
    const TimeRecord record{0, seconds};
    return text_of(TAVLO_CLIENT_LOCALTIME(&record));
}

std::string reference_text(int32_t seconds) {
    tzset();
    const std::time_t time = seconds;
    std::tm local{};
    return text_of(localtime_r(&time, &local));
}

class LocalTime : public ::testing::Test {
protected:
    void TearDown() override {
        setenv("TZ", "UTC0", 1);
        tzset();
    }
};

TEST_F(LocalTime, FollowsDstChangesAndTzChangesBetweenCalls) {
    // Around the spring and autumn changes of 2021 in both zones: a second
    // before, at and after each, an hour each way, and each asked twice in a
    // row and once more after another time.
    const int32_t changes[] = {1616893200, 1635642000, 1615705200, 1636264800};
    for (const char *zone : {kBerlin, kNewYork, "UTC0"}) {
        setenv("TZ", zone, 1);
        for (int32_t change : changes) {
            for (int32_t offset : {-3601, -1, 0, 1, 3599, 3600, -1}) {
                const int32_t seconds = change + offset;
                const std::string expected = reference_text(seconds);
                EXPECT_EQ(stand_in_text(seconds), expected) << zone << " " << seconds;
                EXPECT_EQ(stand_in_text(seconds), expected) << zone << " " << seconds;
            }
        }
    }
}

TEST_F(LocalTime, SameSecondsUnderAnotherZoneAreConvertedAgain) {
    // Without a tzset of the caller, and with TZ gone from the environment.
    setenv("TZ", kBerlin, 1);
    const std::string berlin = stand_in_text(1625140800);
    EXPECT_EQ(berlin, "Thu Jul  1 14:00:00 2021\nCEST");
    setenv("TZ", kNewYork, 1);
    EXPECT_EQ(stand_in_text(1625140800), "Thu Jul  1 08:00:00 2021\nEDT");
    unsetenv("TZ");
    EXPECT_EQ(stand_in_text(1625140800), reference_text(1625140800));
    setenv("TZ", kBerlin, 1);
    EXPECT_EQ(stand_in_text(1625140800), berlin);
}

TEST_F(LocalTime, ACallerChangingTheResultDoesNotChangeTheNext) {
    const TimeRecord record{0, 86400};
    std::tm *first = TAVLO_CLIENT_LOCALTIME(&record);
    ASSERT_NE(first, nullptr);
    first->tm_year = 300;
    EXPECT_EQ(text_of(TAVLO_CLIENT_LOCALTIME(&record)), "Fri Jan  2 00:00:00 1970\nUTC");
}

}  // namespace
