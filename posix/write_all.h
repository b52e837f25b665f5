// Writing a whole buffer to a descriptor, through signals and slow readers.
#pragma once

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstddef>
#include <functional>
#include <optional>

#include "files.h"

namespace tavlo::posix {

using WriteDeadline = std::optional<std::chrono::steady_clock::time_point>;

namespace detail {

// How long a wait for room in a descriptor that never waits (O_NONBLOCK)
// lasts before the deadline is asked again.
constexpr std::chrono::milliseconds kRoomWaitSlice{100};

#ifdef _WIN32
// A file, a console or a pipe on Windows has no wait for room of its own: a
// write waits as long as its reader makes it, and the deadline is asked
// again between pieces of at most this many bytes.
constexpr std::size_t kPieceLimit = 4096;

inline int wait_for_room(int, const WriteDeadline &) {
    return 1;
}

inline bool writes_wait(int) {
    return true;
}
#else
// Where a write may wait, it goes in pieces that a pipe with room takes
// without waiting.
constexpr std::size_t kPieceLimit = PIPE_BUF;

// Waits until `fd` takes bytes, at most until `deadline` (none: as long as
// it takes). Returns 1 when it does, 0 at the deadline, -1 with errno set.
inline int wait_for_room(int fd, const WriteDeadline &deadline) {
    int timeout_ms = -1;
    if (deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(
            *deadline - std::chrono::steady_clock::now());
        timeout_ms = static_cast<int>(std::clamp<decltype(left.count())>(left.count(), 0, INT_MAX));
    }
    pollfd entry{fd, POLLOUT, 0};
    return poll(&entry, 1, timeout_ms);
}

// Whether a write to `fd` waits for room (no O_NONBLOCK); yes when unknown.
inline bool writes_wait(int fd) {
    const int flags = fcntl(fd, F_GETFL);
    return flags < 0 || (flags & O_NONBLOCK) == 0;
}
#endif

}  // namespace detail

// Writes all `size` bytes of `data` to `fd`, in as many writes as it takes,
// and counts in `written` the bytes that went out (all of them, or those
// before the failure). `deadline()` is asked before every write. None lets
// a write wait for the reader as long as the reader makes it; a time makes
// the writes wait for room only until then, and where a write would wait,
// go in pieces of PIPE_BUF bytes at most, which a pipe with room takes
// without waiting. A descriptor that never waits is waited for in poll(),
// asking the deadline again at least every 100 ms, so that one that comes
// meanwhile ends the wait. A write cut short by a signal handler (EINTR, or
// fewer bytes written) goes on after asking again, so no byte is lost or
// written twice. Returns 0 when all was written, ETIMEDOUT when the
// deadline came first, or the errno of the write that failed.
inline int write_all(int fd, const char *data, std::size_t size,
                     const std::function<WriteDeadline()> &deadline, std::size_t &written) {
    written = 0;
    while (written < size) {
        const WriteDeadline until = deadline();
        if (until) {
            const int ready = detail::wait_for_room(fd, until);
            if (ready == 0) return ETIMEDOUT;
            if (ready < 0 && errno != EINTR) return errno;
            if (ready < 0) continue;
        }
        const std::size_t left = size - written;
        const std::size_t piece = until && detail::writes_wait(fd)
                                      ? std::min<std::size_t>(left, detail::kPieceLimit)
                                      : left;
        const ssize_t n = write_to(fd, data + written, piece);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const auto slice_end = std::chrono::steady_clock::now() + detail::kRoomWaitSlice;
            const WriteDeadline wait_end = until ? std::min(*until, slice_end) : slice_end;
            if (detail::wait_for_room(fd, wait_end) < 0 && errno != EINTR) return errno;
        } else if (n == 0 || errno != EINTR) {
            return n == 0 ? EIO : errno;  // a write of nothing would repeat for ever
        }
    }
    return 0;
}

// The same without the count.
inline int write_all(int fd, const char *data, std::size_t size,
                     const std::function<WriteDeadline()> &deadline) {
    std::size_t written = 0;
    return write_all(fd, data, size, deadline, written);
}

}  // namespace tavlo::posix
