// The time of the simulator's loop and its one wait, on the sockets.
#pragma once

#include <poll.h>

#include <cstdint>

namespace tavlo::devsim {

// The server reads the time and waits only through this, so that a test
// can drive its loop on a clock of its own: HELLO deadlines, slow clients
// and the pause after a failed accept, with no real wait.
class LoopClock {
public:
    virtual ~LoopClock() = default;

    // Milliseconds on a clock that never goes back.
    virtual int64_t now_ms() = 0;

    // Waits as poll() does, at most `timeout_ms`, and returns what it returns.
    virtual int wait(pollfd *fds, nfds_t count, int timeout_ms) = 0;
};

// The system's monotonic clock and poll().
LoopClock &system_loop_clock();

}  // namespace tavlo::devsim
