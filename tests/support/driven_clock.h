// A clock the test drives in place of the system's.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "clock.h"

namespace tavlo::testing {

// While alive, it is the clock in use (the stand-in's), and a test can
// hand it to the simulator's server. A sleep moves the time on at once; a
// wait on descriptors takes what is ready now, and when nothing is, even
// after on_idle_wait, moves the time on to the deadline. So a test of five
// seconds of silence takes no time at all.
class DrivenClock final : public posix::Clock {
public:
    DrivenClock();
    ~DrivenClock() override;
    DrivenClock(const DrivenClock &) = delete;
    DrivenClock &operator=(const DrivenClock &) = delete;

    Time now() override { return now_; }
    std::chrono::system_clock::time_point calendar_now() override;
    bool sleep_for(Duration pause) override;
    int poll_until(pollfd *fds, nfds_t count, Time deadline) override;

    // Milliseconds since the clock was installed.
    int64_t elapsed_ms() const;

    // The sleeps since the last call, in milliseconds, and forgets them.
    std::vector<int64_t> drain_sleeps();

    // Runs when a wait on a descriptor finds nothing ready, before the time
    // moves on: a test can play the other end there, in the same thread.
    std::function<void()> on_idle_wait;

private:
    Time start_;
    Time now_;
    std::vector<int64_t> sleeps_ms_;
    posix::Clock *previous_;
};

}  // namespace tavlo::testing
