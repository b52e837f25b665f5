// The verdict on one expectation, and the words of the evidence it gives.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "expression.h"

namespace tavlo::expect {

using Calendar = std::chrono::system_clock::time_point;

struct Verdict {
    std::string expression;  // as it was given
    bool passed = false;
    // After the expression: "passed at message 12, 10:13:22.406",
    // "failed, highest value 58.5 at 10:13:22.406, 41 updates", "never seen".
    std::string reason;
    double seconds = 0;  // from the start of the run to the decision

    std::string line() const { return expression + ": " + reason; }
};

// What one update of a tag showed, kept as evidence.
struct Reading {
    enum class Type { kNone, kNumber, kText, kTime, kStatus, kOther } type = Type::kNone;
    double number = 0;
    bool single = false;  // a REAL: written as the float it was
    std::string text;
    int64_t time_ms = 0;  // a TIME value, since 1970 in UTC
    int32_t status = 0;
    Calendar when;
};

// "10:13:22.406": the local time of day, to the millisecond.
std::string time_of_day(Calendar when);

// "1.5s", "250ms", "2m30s".
std::string duration_text(std::chrono::nanoseconds length);

// "58.5", "'HEATING'", "2023-11-14 21:13:20.000", "BAD (-6)".
std::string reading_text(const Reading &reading);

}  // namespace tavlo::expect
