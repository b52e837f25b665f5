// Stop requests: SIGINT, SIGTERM and the --timeout alarm.
#pragma once

namespace tavlo::receiver {

enum class StopReason { kNone, kSignal, kTimeout };

// Installs the handlers. Blocking waits of the client library that use
// nanosleep, poll or select return early when one of them runs; other
// system calls are restarted, so no output is lost to an interruption.
// A closed output pipe turns into a write error instead of SIGPIPE.
void install_stop_handlers();

// Raises a timeout stop after `seconds`.
void arm_timeout(double seconds);

StopReason stop_reason();
inline bool stop_requested() {
    return stop_reason() != StopReason::kNone;
}

}  // namespace tavlo::receiver
