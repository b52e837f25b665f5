// Standard error kept off the live view's screen: while the view is shown,
// what the process writes there (the client library's log lines, the
// reason a run failed) goes into a pipe that the view reads line by line,
// and onto the terminal once the view is gone.
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

    // Puts standard error back. When it is a terminal, what was written
    // while the view was up goes out on it then (the last 64 KiB of it at
    // most, after a line that says how much was left out); else what was
    // left in the pipe goes on to it.
    void stop();

private:
    void read_pipe();
    // Keeps `data` for the terminal, the latest bytes within the bound.
    void keep(const char *data, std::size_t size);
    void write_kept();

    int saved_ = -1;         // the standard error from before
    int pipe_ = -1;          // the pipe's read end
    bool terminal_ = false;  // standard error is the view's terminal
    bool forward_ = false;
    std::string pending_;       // read, not yet handed on
    std::string kept_;          // for the terminal after the view: its latest bytes
    std::size_t left_out_ = 0;  // bytes before those, not kept
};

}  // namespace tavlo::receiver::view
