// What a program's table of options says of itself: the text of --help,
// and the rows of the bash completion.
#pragma once

#include <string>
#include <vector>

#include "command_line.h"

namespace tavlo::cli {

// The text of --help: the program's usage, its rows and the options that
// every program has, each with its description wrapped beside it, the text
// after them, then the exit statuses.
std::string help_text(const Program &program, const std::vector<Option> &options);

// Bash lines that fill the completion's tables for the program: its
// options, and for each option that takes a value what to offer for it.
std::string completion_data(const Program &program, const std::vector<Option> &options);

}  // namespace tavlo::cli
