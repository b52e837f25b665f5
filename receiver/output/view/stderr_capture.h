// Standard error kept off the live view's screen: while the view is shown,
// what the process writes there (the client library's log lines) goes into
// a pipe that the view reads line by line.
#pragma once

#include <string>
#include <string_view>

namespace tavlo::receiver::view {

class StderrCapture {
public:
    StderrCapture() = default;
    ~StderrCapture() { stop(); }
    StderrCapture(const StderrCapture &) = delete;
    StderrCapture &operator=(const StderrCapture &) = delete;

    // Puts a pipe in the place of standard error. False, with standard error
    // left as it was, when no pipe can be made.
    bool start();

    // Hands each complete line written since the last call to `take`,
    // without its line end. When standard error was not a terminal (a file,
    // a pipe), the lines also go on there as they were written.
    template <typename Take>
    void drain(Take &&take) {
        read_pipe();
        std::size_t start = 0;
        for (std::size_t end; (end = pending_.find('\n', start)) != std::string::npos;
             start = end + 1) {
            take(std::string_view(pending_).substr(start, end - start));
        }
        pending_.erase(0, start);
    }

    // Puts standard error back; what was left in the pipe goes on to it
    // when it is not a terminal.
    void stop();

private:
    void read_pipe();

    int saved_ = -1;  // the standard error from before
    int pipe_ = -1;   // the pipe's read end
    bool forward_ = false;
    std::string pending_;  // read, not yet handed on
};

}  // namespace tavlo::receiver::view
