// The in-process simulated device.
#include "sim_transport.h"

#include <algorithm>
#include <ctime>

#include "errors.h"
#include "interruptible_wait.h"

namespace tavlo::standin {

namespace {

// Plant time between messages when they follow one another without pause.
constexpr int32_t kStepWithoutPause = 100;

int64_t wall_clock_ms() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

SimTransport::SimTransport(const SimDeviceName &name)
    : interval_ms_(name.interval_ms),
      plant_(name.start_seconds ? *name.start_seconds * 1000 : wall_clock_ms(),
             name.interval_ms > 0 ? name.interval_ms : kStepWithoutPause),
      next_due_ms_(monotonic_ms()) {}

int32_t SimTransport::read(int64_t wait_ms, sim::MessageRecords &records) {
    const int64_t now = monotonic_ms();
    if (now < next_due_ms_) {
        const int64_t pause = std::min(next_due_ms_ - now, std::max<int64_t>(wait_ms, 0));
        if (!sleep_ms(pause)) return kInterrupted;
        if (monotonic_ms() < next_due_ms_) return kNoMessage;
    }
    plant_.next(message_);
    sim::lay_out(message_, records);
    // Keep the cadence; a reader that fell behind gets its next message at
    // once, but not a burst of all the overdue ones.
    next_due_ms_ = std::max(next_due_ms_ + interval_ms_, monotonic_ms());
    return 0;
}

}  // namespace tavlo::standin
