// Runs code with a given standard input and captures its standard output.
#include "console_capture.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "temporary_files.h"

namespace tavlo::testing {

namespace {

std::string read_from(const posix::UniqueFd &fd, off_t offset) {
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t n = pread(fd.get(), buffer, sizeof buffer, offset);
        if (n <= 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
    return text;
}

}  // namespace

ConsoleCapture::ConsoleCapture(const std::string &input)
    : saved_stdin_(dup(STDIN_FILENO)),
      saved_stdout_(dup(STDOUT_FILENO)),
      input_fd_(unlinked_file(input)),
      output_fd_(unlinked_file("")) {
    std::fflush(stdout);
    // Drop what stdin had buffered from the file it read so far, and the
    // offset it remembers there; else the seek below can take the old bytes
    // for the start of the new input.
    std::fflush(stdin);
    dup2(input_fd_.get(), STDIN_FILENO);
    dup2(output_fd_.get(), STDOUT_FILENO);
    // Forget anything stdin had buffered or reached before.
    std::clearerr(stdin);
    std::fseek(stdin, 0, SEEK_SET);
}

ConsoleCapture::~ConsoleCapture() {
    std::fflush(stdout);
    std::fflush(stdin);
    dup2(saved_stdout_.get(), STDOUT_FILENO);
    dup2(saved_stdin_.get(), STDIN_FILENO);
    std::clearerr(stdin);
}

std::string ConsoleCapture::output() {
    std::fflush(stdout);
    return read_from(output_fd_, 0);
}

std::string ConsoleCapture::unread_input() {
    const long position = std::ftell(stdin);
    return read_from(input_fd_, position < 0 ? 0 : position);
}

std::string capture_stdout(const std::function<void()> &code, const std::string &input) {
    ConsoleCapture capture(input);
    code();
    return capture.output();
}

}  // namespace tavlo::testing
