// The whole numbers and times of a script at their limits: the digits the
// one-pass read takes (up to ten, a minus sign) and the rest, which
// from_chars() and the general time reader take, give the same values.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "script_text.h"

namespace {

using tavlo::script::time_of;
using tavlo::script::whole_number;

constexpr int64_t kLeast = std::numeric_limits<int32_t>::min();
constexpr int64_t kMost = std::numeric_limits<int32_t>::max();

TEST(ScriptNumbers, WholeNumbersReadTheSameAtEveryLength) {
    struct Case {
        std::string text;
        std::optional<int64_t> value;
    };
    const Case cases[] = {
        {"0", 0},
        {"-0", 0},
        {"7", 7},
        {"-1", -1},
        {"2147483647", kMost},
        {"-2147483648", kLeast},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"9999999999", std::nullopt},
        {"0000000042", 42},   // ten digits: read at once
        {"00000000042", 42},  // eleven: from_chars
        {"-000000000000042", -42},
        {"+5", 5},
        {"+-5", std::nullopt},
        {"-", std::nullopt},
        {"", std::nullopt},
        {"5 ", std::nullopt},
        {" 5", std::nullopt},
        {"5x", std::nullopt},
        {std::string("5\0", 2), std::nullopt},
        {"--5", std::nullopt},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(whole_number(c.text, kLeast, kMost), c.value) << '"' << c.text << '"';
    }
    // The limits are the caller's, at both ends.
    EXPECT_EQ(whole_number("32767", -32768, 32767), 32767);
    EXPECT_EQ(whole_number("32768", -32768, 32767), std::nullopt);
    EXPECT_EQ(whole_number("-32768", -32768, 32767), -32768);
    EXPECT_EQ(whole_number("-32769", -32768, 32767), std::nullopt);
    EXPECT_EQ(whole_number("0", 1, 65536), std::nullopt);
}

TEST(ScriptNumbers, TimesReadSecondsAndThreeDigitsOfMilliseconds) {
    struct Case {
        std::string text;
        bool valid;
        int32_t seconds;
        int32_t milliseconds;
    };
    const Case cases[] = {
        {"0", true, 0, 0},
        {"1700000000", true, 1700000000, 0},
        {"1700000000.100", true, 1700000000, 100},
        {"1.000", true, 1, 0},
        {"12345678.5", false, 0, 0},
        {"2147483647.999", true, 2147483647, 999},
        {"2147483648", false, 0, 0},
        {"99999999999", false, 0, 0},
        {"01700000000.001", true, 1700000000, 1},  // eleven digits: the general reader
        {"-1.500", true, -1, 500},
        {"+3", true, 3, 0},
        {"1.", false, 0, 0},
        {"1.12", false, 0, 0},
        {"1.1234", false, 0, 0},
        {".123", false, 0, 0},
        {"1.12x", false, 0, 0},
        {"1.123 ", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Case &c : cases) {
        const auto time = time_of(c.text);
        ASSERT_EQ(time.has_value(), c.valid) << '"' << c.text << '"';
        if (!time) continue;
        EXPECT_EQ(time->seconds, c.seconds) << c.text;
        EXPECT_EQ(time->milliseconds, c.milliseconds) << c.text;
    }
}

}  // namespace
