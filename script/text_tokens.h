// Blank-separated tokens of a line of text; a token in double quotes may
// hold blanks (the quotes are not part of it).
#pragma once

#include <string>
#include <vector>

namespace tavlo::script {

// The characters between tokens.
constexpr char kTokenBlanks[] = " \t\r";

// Splits `line` into `tokens`. Returns nullptr, or the reason why the line
// cannot be split: a quote that is not closed before the end of the line,
// or a NUL byte, which no token may hold.
const char *split_tokens(const std::string &line, std::vector<std::string> &tokens);

}  // namespace tavlo::script
