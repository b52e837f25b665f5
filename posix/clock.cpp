// The system's clock, and the clock in use.
#include "clock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>

#ifdef _WIN32
#include "stop_event.h"
#endif

namespace tavlo::posix {

namespace {

class SystemClock final : public Clock {
public:
    Time now() override { return std::chrono::steady_clock::now(); }

    std::chrono::system_clock::time_point calendar_now() override {
        return std::chrono::system_clock::now();
    }

#ifdef _WIN32
    bool sleep_for(Duration pause) override {
        if (pause <= Duration::zero()) return true;
        return !wait_for_stop_event(milliseconds_until(now() + pause));
    }

    // WSAPoll() in slices, between which the stop event is looked at.
    int poll_until(pollfd *fds, PollCount count, Time deadline) override {
        for (;;) {
            if (wait_for_stop_event(0)) {
                errno = EINTR;
                return -1;
            }
            const unsigned long left = milliseconds_until(deadline);
            const int ready = WSAPoll(fds, count, static_cast<int>(std::min(left, kStopLookEvery)));
            if (ready < 0) errno = EIO;
            if (ready != 0 || left <= kStopLookEvery) return ready;
        }
    }

private:
    static constexpr unsigned long kStopLookEvery = 100;

    // Rounded up, as on POSIX.
    unsigned long milliseconds_until(Time deadline) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now()).count();
        return static_cast<unsigned long>(std::clamp<decltype(left)>(left, 0, INT_MAX));
    }
#else
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

    int poll_until(pollfd *fds, PollCount count, Time deadline) override {
        // Rounded up, so that a wait never wakes just before its deadline
        // and spins through polls of no time.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now()).count();
        return poll(fds, count, static_cast<int>(std::clamp<decltype(left)>(left, 0, INT_MAX)));
    }
#endif
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
