// Owners of POSIX resources: a file descriptor closed by its one owner.
#pragma once

#include <unistd.h>

#include <utility>

namespace tavlo::posix {

// Owns one file descriptor (or none, -1) and closes it when it goes. It
// moves but is never copied, so each descriptor is closed exactly once, also
// when the code that opened it leaves by an exception.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    UniqueFd(UniqueFd &&other) noexcept : fd_(other.release()) {}
    UniqueFd &operator=(UniqueFd &&other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd &) = delete;
    UniqueFd &operator=(const UniqueFd &) = delete;
    ~UniqueFd() { reset(); }

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }

    // Gives the descriptor up without closing it.
    int release() noexcept { return std::exchange(fd_, -1); }

    // Closes the descriptor held, if any, and holds `fd` instead.
    void reset(int fd = -1) noexcept {
        const int old = std::exchange(fd_, fd);
        if (old >= 0 && old != fd) ::close(old);
    }

private:
    int fd_ = -1;
};

}  // namespace tavlo::posix
