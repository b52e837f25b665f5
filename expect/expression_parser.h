// The language of --expect and --until, read by recursive descent:
//
//   expectation := condition [ "within" DURATION | "for" DURATION | "always" ]
//   condition   := conjunction { "or" conjunction }
//   conjunction := negation { "and" negation }
//   negation    := "not" negation | "(" condition ")" | tag-test
//   tag-test    := [ scope ":" ] NAME test
//   scope       := { "list" INTEGER | "device" NAME }
//   test        := CMP LITERAL | "~" PATTERN | "age" CMP DURATION
//                | "status" [ "==" | "!=" ] STATUS | "changes"
//                | "updates" CMP INTEGER | "fresh" DURATION
//
// A NAME is a word or a quoted text, and a shell-style pattern when it has
// * ? or [. A form that names no tag starts with a keyword of its own in
// `negation`, before the tag test is tried.
#pragma once

#include <optional>
#include <string>

#include "expression.h"

namespace tavlo::expect {

struct ParseResult {
    std::optional<Expression> expression;
    // Else why not, with the expression quoted and its column marked on the
    // two lines that follow.
    std::string problem;
};

// An expectation of --expect, with its timing word.
ParseResult parse_expectation(const std::string &text);

// Whether `text` is the expectation on the devices' sequence numbers, "no
// gaps" or "sequence unbroken" (blanks around and between the words as
// any): no message may be missing in the whole run, judged at its end.
bool is_sequence_check(const std::string &text);

// A condition of --until: no timing word.
ParseResult parse_condition(const std::string &text);

// A duration as the language writes it: a decimal number and ms, s, m or h.
std::optional<Milliseconds> parse_duration(const std::string &word);

}  // namespace tavlo::expect
