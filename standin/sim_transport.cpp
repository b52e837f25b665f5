// The in-process simulated device.
#include "sim_transport.h"

#include <algorithm>

#include "transport.h"

namespace tavlo::standin {

namespace {

using std::chrono::milliseconds;

// Plant time between messages when they follow one another without pause.
constexpr int32_t kStepWithoutPause = 100;

int64_t calendar_ms() {
    return std::chrono::duration_cast<milliseconds>(
               posix::clock_in_use().calendar_now().time_since_epoch())
        .count();
}

}  // namespace

bool SimTransport::recognises(std::string_view device) {
    return parse_sim_device_name(device).has_value();
}

int32_t SimTransport::open(std::string_view device, const std::string &,
                           std::unique_ptr<Transport> &transport) {
    const auto name = parse_sim_device_name(device);
    if (!name) return kUnknownDevice;
    transport = std::make_unique<SimTransport>(*name);
    return 0;
}

SimTransport::SimTransport(const SimDeviceName &name)
    : interval_(milliseconds(name.interval_ms)),
      plant_(name.start_seconds ? *name.start_seconds * 1000 : calendar_ms(),
             name.interval_ms > 0 ? name.interval_ms : kStepWithoutPause),
      next_due_(posix::clock_in_use().now()) {}

int32_t SimTransport::read(milliseconds wait, records::MessageRecords &records) {
    posix::Clock &clock = posix::clock_in_use();
    const posix::Clock::Time now = clock.now();
    if (now < next_due_) {
        const posix::Clock::Duration pause =
            std::min<posix::Clock::Duration>(next_due_ - now, std::max(wait, milliseconds(0)));
        if (!clock.sleep_for(pause)) return kInterrupted;
        if (clock.now() < next_due_) return kNoMessage;
    }
    plant_.next(message_);
    records::lay_out(message_, records);
    // Keep the cadence; a reader that fell behind gets its next message at
    // once, but not a burst of all the overdue ones.
    next_due_ = std::max(next_due_ + interval_, clock.now());
    return 0;
}

}  // namespace tavlo::standin
