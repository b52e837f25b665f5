// Waits that a signal cuts short.
#include "interruptible_wait.h"

#include <cerrno>
#include <ctime>

namespace tavlo::standin {

int64_t monotonic_ms() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool sleep_ms(int64_t ms) {
    if (ms <= 0) return true;
    timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000};
    // nanosleep() is never restarted after a signal handler, whatever
    // SA_RESTART says, so a stop request ends the wait at once.
    return nanosleep(&wait, nullptr) == 0 || errno != EINTR;
}

}  // namespace tavlo::standin
