// Answers the loader's file-name prompt with a name from the command line.
#pragma once

#include <functional>
#include <string>

namespace tavlo::check {

// What keeps `file_name` from being a tag-list file the loader can be given:
// a name longer than the loader reads (it would load another file, of the
// shorter name), or a folder. Empty when there is nothing.
std::string file_name_problem(const char *file_name);

// Makes standard input a pipe that holds the name and a line feed, so that
// the prompt's read takes it. False when that could not be arranged.
bool answer_file_name(const char *file_name);

// Runs `check`, a console load whose prompt answer_file_name() answered,
// and prints what it printed with the prompt left out at its front: a
// program given its file asks for nothing. False, before `check` ran, when
// what it prints could not be held back.
bool run_without_prompt(const std::function<void()> &check);

}  // namespace tavlo::check
