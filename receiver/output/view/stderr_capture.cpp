// Standard error kept off the live view's screen.
#include "stderr_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include "write_all.h"

namespace tavlo::receiver::view {

namespace {

// A line longer than this without its end is handed on cut: memory stays
// bounded whatever is written.
constexpr std::size_t kLongestLine = 4096;
constexpr std::chrono::seconds kLongestForward{1};
// What the terminal gets after the view: the end of what was written, where
// the reason a run failed is.
constexpr std::size_t kKeptBytes = 64 * 1024;

posix::WriteDeadline forward_deadline() {
    return std::chrono::steady_clock::now() + kLongestForward;
}

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
    terminal_ = isatty(saved_) != 0;
    forward_ = !terminal_;
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
            const posix::WriteDeadline until = forward_deadline();
            if (posix::write_all(saved_, buffer, size, [until] { return until; }) != 0) {
                forward_ = false;
            }
        } else if (terminal_) {
            keep(buffer, size);
        }
        pending_.append(buffer, size);
    }
    if (pending_.size() > kLongestLine && pending_.find('\n') == std::string::npos) {
        pending_.resize(kLongestLine);
        pending_ += '\n';
    }
}

void StderrCapture::keep(const char *data, std::size_t size) {
    kept_.append(data, size);
    // Cut down now and then rather than at every read: each cut moves the
    // bytes kept.
    if (kept_.size() > 2 * kKeptBytes) {
        const std::size_t cut = kept_.size() - kKeptBytes;
        kept_.erase(0, cut);
        left_out_ += cut;
    }
}

void StderrCapture::write_kept() {
    if (kept_.size() > kKeptBytes) {
        left_out_ += kept_.size() - kKeptBytes;
        kept_.erase(0, kept_.size() - kKeptBytes);
    }
    if (left_out_ > 0) {
        // From the first whole line on.
        const std::size_t end = kept_.find('\n');
        const std::size_t cut = end == std::string::npos ? kept_.size() : end + 1;
        kept_.erase(0, cut);
        left_out_ += cut;
        kept_.insert(0, "tavlo_t_receiver: --view: " + std::to_string(left_out_) +
                            " earlier bytes of standard error left out\n");
    }
    const posix::WriteDeadline until = forward_deadline();
    posix::write_all(STDERR_FILENO, kept_.data(), kept_.size(), [until] { return until; });
    kept_.clear();
    left_out_ = 0;
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
    write_kept();
}

}  // namespace tavlo::receiver::view
