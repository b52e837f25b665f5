// Stop requests: SIGINT, SIGTERM, SIGHUP and the --timeout alarm.
#pragma once

namespace tavlo::receiver {

enum class StopReason { kNone, kSignal, kTimeout };

// Installs the handlers. Every blocking call of the receiver and of the
// client library returns early when one of them runs (none is restarted):
// the library's waits end, and a write of the report gives up if it cannot
// finish soon (report_output.h). A closed output pipe turns into a write
// error instead of SIGPIPE.
void install_stop_handlers();

// Raises a timeout stop after `seconds`.
void arm_timeout(double seconds);

StopReason stop_reason();
inline bool stop_requested() {
    return stop_reason() != StopReason::kNone;
}

}  // namespace tavlo::receiver
