// Numbers on the command line, each checked against its range.
#pragma once

#include <cstdint>
#include <string>

namespace tavlo::cli {

// Reads `text` as a whole number from `low` to `high` into `value`: decimal
// digits with at most one sign in front and nothing around them. Returns ""
// when it was read, else the problem: "expects a whole number from LOW to
// HIGH" (also for numbers beyond 64 bits). `value` is left alone then.
std::string read_whole_number(const char *text, int64_t low, int64_t high, int64_t &value);

// The same for a decimal number: digits with at most one point and one sign
// (no exponent, no "inf" or "nan"). The problem reads "expects a decimal
// number from LOW to HIGH".
std::string read_decimal_number(const char *text, double low, double high, double &value);

}  // namespace tavlo::cli
