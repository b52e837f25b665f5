// The stand-in's one clock: the time, and every wait the library makes.
#pragma once

#include <chrono>

namespace tavlo::standin {

// The time and the waits of the library go through this one interface, so
// that a test can put a clock of its own in place of the system's and answer
// a wait by moving its time on instead of sleeping.
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
    // time was up (the caller then gives up waiting).
    virtual bool sleep_for(Duration pause) = 0;

    // Waits until `fd` is ready for `events` (those of poll()) or until
    // `deadline`. Returns what poll() returns: 1 when ready, 0 at the
    // deadline, -1 with errno set (EINTR when a signal handler ran).
    virtual int poll_until(int fd, short events, Time deadline) = 0;
};

// The clock in use: the system's, unless another was installed.
Clock &clock_in_use();

// Puts `replacement` in place of the clock in use (nullptr: the system's
// again) and returns the one it replaced, or nullptr for the system's.
Clock *install_clock(Clock *replacement);

}  // namespace tavlo::standin
