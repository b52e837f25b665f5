// Numbers on the command line: the edges of each range and every way a
// text can fail to be a number.
#include "number_reading.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace {

using tavlo::cli::read_decimal_number;
using tavlo::cli::read_whole_number;

constexpr int64_t kLeast = std::numeric_limits<int64_t>::min();
constexpr int64_t kMost = std::numeric_limits<int64_t>::max();

TEST(NumberReading, WholeNumbers) {
    struct Case {
        const char *text;
        int64_t low, high;
        std::optional<int64_t> read;  // none: refused
    };
    const Case cases[] = {
        {"0", 0, 65535, 0},
        {"65535", 0, 65535, 65535},
        {"-1", 0, 65535, {}},
        {"65536", 0, 65535, {}},
        {"", 0, 9, {}},
        {"7x", 0, 9, {}},
        {" 7", 0, 9, {}},
        {"7 ", 0, 9, {}},
        {"+7", 0, 9, 7},
        {"++7", 0, 9, {}},
        {"+-7", -9, 9, {}},
        {"-7", -9, 9, -7},
        {"-", -9, 9, {}},
        {"+", 0, 9, {}},
        {"007", 0, 9, 7},
        {"0x7", 0, 9, {}},
        {"7.0", 0, 9, {}},
        {"1e3", 0, 10000, {}},
        {"9223372036854775807", kLeast, kMost, kMost},
        {"-9223372036854775808", kLeast, kMost, kLeast},
        {"9223372036854775808", kLeast, kMost, {}},
        {"-9223372036854775809", kLeast, kMost, {}},
        {"99999999999999999999999", kLeast, kMost, {}},
    };
    for (const Case &c : cases) {
        int64_t value = 42;
        const std::string problem = read_whole_number(c.text, c.low, c.high, value);
        if (c.read) {
            EXPECT_EQ(problem, "") << c.text;
            EXPECT_EQ(value, *c.read) << c.text;
        } else {
            EXPECT_EQ(problem, "expects a whole number from " + std::to_string(c.low) + " to " +
                                   std::to_string(c.high))
                << c.text;
            EXPECT_EQ(value, 42) << c.text;
        }
    }
}

TEST(NumberReading, DecimalNumbers) {
    struct Case {
        const char *text;
        std::optional<double> read;  // none: refused
    };
    const Case cases[] = {
        {"0.001", 0.001}, {"0.0009", {}}, {"10000000", 1e7}, {"10000000.001", {}}, {"1.", 1.0},
        {".5", 0.5},      {".", {}},      {"", {}},          {"+2.5", 2.5},        {"-2.5", {}},
        {"1.2.3", {}},    {" 1", {}},     {"1 ", {}},        {"nan", {}},          {"inf", {}},
        {"1e3", {}},      {"0x1p3", {}},  {"1,5", {}},
    };
    for (const Case &c : cases) {
        double value = 42;
        const std::string problem = read_decimal_number(c.text, 0.001, 1e7, value);
        if (c.read) {
            EXPECT_EQ(problem, "") << c.text;
            EXPECT_EQ(value, *c.read) << c.text;
        } else {
            EXPECT_EQ(problem, "expects a decimal number from 0.001 to 10000000") << c.text;
            EXPECT_EQ(value, 42) << c.text;
        }
    }
}

}  // namespace
