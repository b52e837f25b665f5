// The one clock of the programs: the time, and every wait on the time or on
// descriptors, so that a test can put a clock of its own in place.
#pragma once

#include <chrono>

#include "poll_entry.h"

namespace tavlo::posix {

// A test that puts its own clock in place answers a wait by moving its time
// on instead of sleeping.
class Clock {
public:
    using Time = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;

    // Now, on a clock that never goes back.
    virtual Time now() = 0;

    // Now, on the calendar.
    virtual std::chrono::system_clock::time_point calendar_now() = 0;

    // Sleeps for `pause`. Returns false when a signal handler ran before the
    // time was up, or on Windows a stop was asked for (the caller then gives
    // up waiting).
    virtual bool sleep_for(Duration pause) = 0;

    // Waits until one of the `count` descriptors of `fds` is ready for its
    // events, or until `deadline`, as poll() does. Returns what poll()
    // returns: how many are ready, 0 at the deadline, -1 with errno set
    // (EINTR when a signal handler ran, or on Windows a stop was asked for).
    virtual int poll_until(pollfd *fds, PollCount count, Time deadline) = 0;

    // The same for the one descriptor `fd` and its `events`.
    int poll_until(int fd, short events, Time deadline) {
        pollfd entry = poll_entry(fd, events);
        return poll_until(&entry, 1, deadline);
    }
};

// The system's clock: steady_clock, system_clock, nanosleep() and poll()
// (on Windows waits on the stop event and WSAPoll()).
Clock &system_clock();

// The clock in use where none is handed over (the client library's calls):
// the system's, unless another was installed.
Clock &clock_in_use();

// Puts `replacement` in place of the clock in use (nullptr: the system's
// again) and returns the one it replaced, or nullptr for the system's.
Clock *install_clock(Clock *replacement);

}  // namespace tavlo::posix
