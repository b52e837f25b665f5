// Standard error kept off the live view's screen.
#include "stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "write_all.h"

namespace tavlo::receiver::view {

namespace {

// A line longer than this without its end is handed on cut: memory stays
// bounded whatever is written.
constexpr std::size_t kLongestLine = 4096;
constexpr std::chrono::seconds kLongestForward{1};

}  // namespace

bool StderrCapture::start() {
    if (saved_ >= 0) return true;
    int ends[2];
    // Both ends non-blocking: a writer whose lines the view cannot take
    // fast enough loses them instead of hanging.
    if (pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) return false;
    std::fflush(stderr);
    saved_ = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved_ < 0 || dup2(ends[1], STDERR_FILENO) < 0) {
        if (saved_ >= 0) close(saved_);
        saved_ = -1;
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    close(ends[1]);
    pipe_ = ends[0];
    forward_ = isatty(saved_) == 0;
    return true;
}

void StderrCapture::read_pipe() {
    if (pipe_ < 0) return;
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(pipe_, buffer, sizeof buffer);
        if (n <= 0) {
            if (n < 0 && errno == EINTR) continue;
            break;
        }
        const auto size = static_cast<std::size_t>(n);
        if (forward_) {
            // A reader that does not read holds the view up for a second at
            // most, and the lines are lost for it.
            const posix::WriteDeadline until = std::chrono::steady_clock::now() + kLongestForward;
            if (posix::write_all(saved_, buffer, size, [until] { return until; }) != 0) {
                forward_ = false;
            }
        }
        pending_.append(buffer, size);
    }
    if (pending_.size() > kLongestLine && pending_.find('\n') == std::string::npos) {
        pending_.resize(kLongestLine);
        pending_ += '\n';
    }
}

void StderrCapture::stop() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    read_pipe();
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    close(pipe_);
    saved_ = -1;
    pipe_ = -1;
    pending_.clear();
}

}  // namespace tavlo::receiver::view
