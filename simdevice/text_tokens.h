// Blank-separated tokens of a line of text; a token in double quotes may
// hold blanks (the quotes are not part of it; an unclosed quote runs to the
// end of the line).
#pragma once

#include <string>
#include <vector>

namespace tavlo::sim {

std::vector<std::string> split_tokens(const std::string &line);

}  // namespace tavlo::sim
