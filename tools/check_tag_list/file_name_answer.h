// Answers the loader's file-name prompt with a name from the command line.
#pragma once

namespace tavlo::check {

// Makes standard input a pipe that holds the name and a line feed, so that
// the prompt's read takes it. False when that could not be arranged.
bool answer_file_name(const char *file_name);

}  // namespace tavlo::check
