// A clock the test drives in place of the system's.
#include "driven_clock.h"

#include <poll.h>

#include <algorithm>
#include <utility>

namespace tavlo::testing {

namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;

// Calendar time of the start: 2023-11-14 22:13:20 UTC.
constexpr std::chrono::seconds kCalendarStart{1700000000};

}  // namespace

DrivenClock::DrivenClock()
    : start_(std::chrono::hours(1)), now_(start_), previous_(posix::install_clock(this)) {}

DrivenClock::~DrivenClock() {
    posix::install_clock(previous_);
}

std::chrono::system_clock::time_point DrivenClock::calendar_now() {
    return std::chrono::system_clock::time_point(kCalendarStart) +
           duration_cast<std::chrono::system_clock::duration>(now_ - start_);
}

bool DrivenClock::sleep_for(Duration pause) {
    sleeps_ms_.push_back(duration_cast<milliseconds>(pause).count());
    now_ += std::max(pause, Duration::zero());
    return true;
}

int DrivenClock::poll_until(pollfd *fds, nfds_t count, Time deadline) {
    int ready = poll(fds, count, 0);
    if (ready == 0 && on_idle_wait) {
        on_idle_wait();
        ready = poll(fds, count, 0);
    }
    if (ready == 0) now_ = std::max(now_, deadline);
    return ready;
}

int64_t DrivenClock::elapsed_ms() const {
    return duration_cast<milliseconds>(now_ - start_).count();
}

std::vector<int64_t> DrivenClock::drain_sleeps() {
    return std::exchange(sleeps_ms_, {});
}

}  // namespace tavlo::testing
