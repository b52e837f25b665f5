// The time of the simulator's loop and its one wait, on the sockets.
#include "loop_clock.h"

#include <ctime>

namespace tavlo::devsim {

namespace {

class SystemLoopClock final : public LoopClock {
public:
    int64_t now_ms() override {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<int64_t>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
    }

    int wait(pollfd *fds, nfds_t count, int timeout_ms) override {
        return poll(fds, count, timeout_ms);
    }
};

}  // namespace

LoopClock &system_loop_clock() {
    static SystemLoopClock clock;
    return clock;
}

}  // namespace tavlo::devsim
