// An expectation as the parser leaves it: tests of tags, joined by and, or
// and not, and the timing word that says when the whole must hold.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::expect {

using Milliseconds = std::chrono::milliseconds;

enum class Comparison {
    kEqual,
    kNotEqual,
    kLess,
    kLessOrEqual,
    kGreater,
    kGreaterOrEqual,
    kMatches
};

// What a test looks at in each update of its tags.
enum class TestKind {
    kValue,    // NAME CMP LITERAL, NAME ~ 'PATTERN'
    kAge,      // NAME age CMP DURATION: now minus a TIME value
    kStatus,   // NAME status [==|!=] GOOD
    kChanges,  // NAME changes: the value differs from the first one seen
    kUpdates,  // NAME updates CMP N
    kFresh,    // NAME fresh DURATION: never longer without an update
};

// The right side of a value comparison, as written: a number, or a text (a
// quoted one, or a word that is no number), which a TIME value reads as a
// calendar time in UTC when it is one.
struct Literal {
    bool is_number = false;
    double number = 0;
    std::string text;
    std::optional<int64_t> calendar_ms;  // since 1970-01-01 00:00:00 UTC
};

struct TagTest {
    std::string name;  // an exact name, or a shell-style pattern
    bool pattern = false;
    std::optional<int32_t> list_id;  // list N: only that list's tag
    std::string device;              // device D: only that device's; "" any
    TestKind kind = TestKind::kValue;
    Comparison comparison = Comparison::kEqual;
    Literal literal;        // kValue
    Milliseconds duration;  // kAge, kFresh
    int32_t status = 0;     // kStatus
    int64_t count = 0;      // kUpdates
};

// A node of the condition: a test (an index into the tests), or "and", "or"
// or "not" over its operands.
struct Condition {
    enum class Op { kTest, kAnd, kOr, kNot } op = Op::kTest;
    std::size_t test = 0;
    std::vector<Condition> operands;
};

enum class Timing {
    kEventually,  // holds at least once before the run ends
    kWithin,      // holds at least once within `duration` of the start
    kAlways,      // holds after every update of its tags
    kFor,         // holds without a break for `duration`
};

struct Expression {
    std::string text;  // as it was given, for the verdicts
    Condition condition;
    std::vector<TagTest> tests;
    Timing timing = Timing::kEventually;
    Milliseconds duration{0};  // kWithin, kFor
};

}  // namespace tavlo::expect
