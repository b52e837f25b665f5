// The deadline of an output's writes once a stop was asked for, on every
// system.
#include <chrono>

#include "report_output.h"

namespace tavlo::receiver {

namespace {

// How long output may still wait for its reader once a stop was asked for.
constexpr std::chrono::seconds kStopGrace{1};

}  // namespace

posix::WriteDeadline write_deadline(posix::WriteDeadline &grace_end) {
    if (!stop_requested()) return std::nullopt;
    if (!grace_end) grace_end = std::chrono::steady_clock::now() + kStopGrace;
    return grace_end;
}

}  // namespace tavlo::receiver
