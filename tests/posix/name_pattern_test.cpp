// Shell patterns of tag names: the same answers from fnmatch() on POSIX and
// from the project's own matcher on Windows.
#include "name_pattern.h"

#include <gtest/gtest.h>

namespace {

struct PatternCase {
    const char *pattern;
    const char *name;
    bool matches;
};

TEST(NamePattern, MatchesAsTheShellDoes) {
    const PatternCase cases[] = {
        {"BOILER.*", "BOILER.TEMPERATURE", true},
        {"BOILER.*", "PUMP.BOILER", false},
        {"*", "", true},
        {"", "", true},
        {"?", "", false},
        {"*.SPEED", "PUMP.SPEED", true},
        {"*.SPEED", "PUMP.SPEEDS", false},
        {"*A*B*C", "xAyyBzzC", true},
        {"*A*B*C", "xAyyBzzCx", false},
        {"P?MP", "PUMP", true},
        {"P?MP", "PMP", false},
        {"[AB]1", "B1", true},
        {"[AB]1", "C1", false},
        {"[!AB]1", "C1", true},
        {"[^AB]1", "A1", false},
        {"T[0-9]", "T7", true},
        {"T[0-9]", "Tx", false},
        {"[]x]", "]", true},
        {"[[:digit:]]*", "7UP", true},
        {"[[:upper:]]", "a", false},
        {"a[", "a[", true},  // no closing bracket: a character like any other
        {"\\*", "*", true},
        {"\\*", "x", false},
        {"*/x", "a/b/x", true},
        {".*", ".hidden", true},
    };
    for (const PatternCase &c : cases) {
        EXPECT_EQ(tavlo::posix::matches_pattern(c.pattern, c.name), c.matches)
            << "pattern \"" << c.pattern << "\", name \"" << c.name << "\"";
    }
}

}  // namespace
