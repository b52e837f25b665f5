// Runs code with a given standard input and captures its standard output.
#pragma once

#include <functional>
#include <string>

#include "unique_fd.h"

namespace tavlo::testing {

// While alive, standard input reads `input` (from a regular file) and
// standard output goes to a file; the destructor restores both.
class ConsoleCapture {
public:
    explicit ConsoleCapture(const std::string &input = "");
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture &) = delete;
    ConsoleCapture &operator=(const ConsoleCapture &) = delete;

    // Everything written to standard output so far.
    std::string output();

    // What is left of the input, unread.
    std::string unread_input();

private:
    posix::UniqueFd saved_stdin_;
    posix::UniqueFd saved_stdout_;
    posix::UniqueFd input_fd_;
    posix::UniqueFd output_fd_;
};

// Runs `code` with `input` as standard input and returns what it printed.
std::string capture_stdout(const std::function<void()> &code, const std::string &input = "");

}  // namespace tavlo::testing
