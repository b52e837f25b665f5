// The language of --expect and --until: each form, and each mistake with
// the column it marks.
#include "expression_parser.h"

#include <gtest/gtest.h>

namespace tavlo::expect {
namespace {

struct FormRow {
    const char *text;
    TestKind kind;
    Comparison comparison;
    Timing timing;
    int64_t milliseconds;  // of the timing, or of the test's duration
    std::size_t tests;
};

TEST(ExpressionParser, ReadsEachForm) {
    using C = Comparison;
    using K = TestKind;
    using T = Timing;
    const FormRow rows[] = {
        {"BOILER.TEMPERATURE >= 60", K::kValue, C::kGreaterOrEqual, T::kEventually, 0, 1},
        {"A<-1.5e3 within 10s", K::kValue, C::kLess, T::kWithin, 10000, 1},
        {"A != 'x y' always", K::kValue, C::kNotEqual, T::kAlways, 0, 1},
        {"MODE ~ 'HEAT*' for 1.5m", K::kValue, C::kMatches, T::kFor, 90000, 1},
        {"COOLING.LAST_FLUSH age < 10m", K::kAge, C::kLess, T::kEventually, 600000, 1},
        {"P status GOOD", K::kStatus, C::kEqual, T::kEventually, 0, 1},
        {"P status != 'Out of Range'", K::kStatus, C::kNotEqual, T::kEventually, 0, 1},
        {"SIM.MESSAGE_NUMBER changes", K::kChanges, C::kEqual, T::kEventually, 0, 1},
        {"MIXER.SPEED updates >= 20", K::kUpdates, C::kGreaterOrEqual, T::kEventually, 0, 1},
        {"BOILER.MODE fresh 500ms", K::kFresh, C::kEqual, T::kEventually, 500, 1},
        {"list 102 device D7: 'COOLING.[!P]*' status -6", K::kStatus, C::kEqual, T::kEventually, 0,
         1},
        {"not (A == 1 or B == 2) and C > 3 always", K::kValue, C::kEqual, T::kAlways, 0, 3},
    };
    for (const FormRow &row : rows) {
        SCOPED_TRACE(row.text);
        const ParseResult parsed = parse_expectation(row.text);
        ASSERT_TRUE(parsed.expression) << parsed.problem;
        const Expression &e = *parsed.expression;
        EXPECT_EQ(e.text, row.text);
        ASSERT_EQ(e.tests.size(), row.tests);
        EXPECT_EQ(e.tests[0].kind, row.kind);
        EXPECT_EQ(e.tests[0].comparison, row.comparison);
        EXPECT_EQ(e.timing, row.timing);
        const bool test_timed = row.kind == K::kAge || row.kind == K::kFresh;
        EXPECT_EQ((test_timed ? e.tests[0].duration : e.duration).count(), row.milliseconds);
    }
}

TEST(ExpressionParser, KeepsWhatEachFormNames) {
    const Expression scoped =
        *parse_expectation("list 102 device D7: 'COOLING.[!P]*' status -6").expression;
    EXPECT_EQ(scoped.tests[0].list_id, 102);
    EXPECT_EQ(scoped.tests[0].device, "D7");
    EXPECT_TRUE(scoped.tests[0].pattern);
    EXPECT_EQ(scoped.tests[0].status, -6);
    EXPECT_EQ(parse_expectation("P status bad").expression->tests[0].status, -6);
    const Expression calendar = *parse_expectation("T > '2023-11-14 22:13:20.5Z'").expression;
    EXPECT_EQ(calendar.tests[0].literal.calendar_ms, int64_t{1700000000500});
    const Expression tree = *parse_expectation("not (A == 1 or B == 2) and C > 3").expression;
    ASSERT_EQ(tree.condition.op, Condition::Op::kAnd);
    EXPECT_EQ(tree.condition.operands[0].op, Condition::Op::kNot);
    EXPECT_EQ(tree.condition.operands[0].operands[0].op, Condition::Op::kOr);
    EXPECT_EQ(tree.condition.operands[1].test, 2u);
}

struct MistakeRow {
    const char *text;
    std::size_t column;
    const char *what;
};

TEST(ExpressionParser, MarksTheColumnOfEachMistake) {
    const MistakeRow rows[] = {
        {"BOILER.TEMPERATURE >> 60", 21, "expects a number or a text, not '>'"},
        {"A = 1", 3, "no operator '='"},
        {"A == 'open", 6, "a quote without its end"},
        {"", 1, "expects a tag name, 'not' or '(', not the end"},
        {"A", 2, "expects a comparison"},
        {"(A == 1", 8, "expects ')', not the end"},
        {"A == 1 within", 14, "expects a duration"},
        {"A == 1 within 10x", 15, "expects a duration"},
        {"A == 1 B == 2", 8, "expects and, or, within, for, always or the end"},
        {"list x: A == 1", 6, "expects a list id"},
        {"list 1 A == 1", 8, "expects ':' after the list or device"},
        {"A status FOO", 10, "no status of that name"},
        {"A status < GOOD", 10, "a status is compared with == or != alone"},
        {"A updates >= -1", 14, "expects a count of updates"},
        {"A age ~ 5s", 7, "expects == != < <= > or >= after age"},
        {"'[AB' == 1", 1, "has a '[' without its ']'"},
        {"A ~ 'x\\'", 5, "ends in a lone backslash"},
    };
    for (const MistakeRow &row : rows) {
        SCOPED_TRACE(row.text);
        const ParseResult parsed = parse_expectation(row.text);
        ASSERT_FALSE(parsed.expression);
        EXPECT_NE(parsed.problem.find(row.what), std::string::npos) << parsed.problem;
        const std::string marked = "at column " + std::to_string(row.column) + ":\n  " + row.text +
                                   "\n  " + std::string(row.column - 1, ' ') + "^";
        EXPECT_NE(parsed.problem.find(marked), std::string::npos) << parsed.problem;
    }
}

TEST(ExpressionParser, UntilTakesNoTimingWord) {
    EXPECT_TRUE(parse_condition("MODE == HEATING").expression);
    const ParseResult parsed = parse_condition("MODE == HEATING within 5s");
    ASSERT_FALSE(parsed.expression);
    EXPECT_NE(parsed.problem.find("expects and, or or the end at column 17"), std::string::npos);
}

TEST(ExpressionParser, ReadsDurations) {
    EXPECT_EQ(parse_duration("250ms"), Milliseconds(250));
    EXPECT_EQ(parse_duration("1.5s"), Milliseconds(1500));
    EXPECT_EQ(parse_duration("2h"), Milliseconds(7200000));
    for (const char *bad : {"s", "10", "-1s", "1..5s", "5 s", "1e12h"}) {
        EXPECT_FALSE(parse_duration(bad)) << bad;
    }
}

}  // namespace
}  // namespace tavlo::expect
