// The system's clock, and the clock in use.
#include "clock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>

namespace tavlo::posix {

namespace {

class SystemClock final : public Clock {
public:
    Time now() override { return std::chrono::steady_clock::now(); }

    std::chrono::system_clock::time_point calendar_now() override {
        return std::chrono::system_clock::now();
    }

    bool sleep_for(Duration pause) override {
        if (pause <= Duration::zero()) return true;
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(pause);
        const auto nanoseconds =
            std::chrono::duration_cast<std::chrono::nanoseconds>(pause - seconds);
        timespec wait{static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
        // nanosleep() is never restarted after a signal handler, whatever
        // SA_RESTART says, so a stop request ends the wait at once.
        return nanosleep(&wait, nullptr) == 0 || errno != EINTR;
    }

    int poll_until(pollfd *fds, nfds_t count, Time deadline) override {
        // Rounded up, so that a wait never wakes just before its deadline
        // and spins through polls of no time.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now()).count();
        return poll(fds, count, static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX)));
    }
};

SystemClock g_system_clock;
Clock *g_clock = &g_system_clock;

}  // namespace

Clock &system_clock() {
    return g_system_clock;
}

Clock &clock_in_use() {
    return *g_clock;
}

Clock *install_clock(Clock *replacement) {
    Clock *previous = g_clock == &g_system_clock ? nullptr : g_clock;
    g_clock = replacement != nullptr ? replacement : &g_system_clock;
    return previous;
}

}  // namespace tavlo::posix
