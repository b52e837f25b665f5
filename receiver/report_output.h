// The receiver's standard output and its stops: every byte of a report goes
// out, also when a signal cuts a write short, and a stop (SIGINT, SIGTERM,
// SIGHUP or the --timeout alarm) is honoured also while a write waits for a
// reader who does not read.
#pragma once

#include <chrono>
#include <cstdint>

#include "write_all.h"

namespace tavlo::receiver {

enum class StopReason { kNone, kSignal, kTimeout };

// Installs the stop handlers. Every blocking call of the receiver and of the
// client library returns early when one of them runs (none is restarted):
// the library's waits end, and a write of the report or the recording gives
// up if it cannot finish soon (write_deadline()). A closed output pipe turns
// into a write error instead of SIGPIPE.
void install_stop_handlers();

// Raises a timeout stop after `seconds`.
void arm_timeout(double seconds);

StopReason stop_reason();
inline bool stop_requested() {
    return stop_reason() != StopReason::kNone;
}

// The deadline of an output's writes: none until a stop is asked for, then
// a second after the output first asked, which `grace_end` keeps (each
// output its own, on the thread that writes it).
inline posix::WriteDeadline write_deadline(posix::WriteDeadline &grace_end) {
    constexpr std::chrono::seconds kStopGrace{1};
    if (!stop_requested()) return std::nullopt;
    if (!grace_end) grace_end = std::chrono::steady_clock::now() + kStopGrace;
    return grace_end;
}

enum class ReportBytes {
    kAsTheyAre,
    // For a terminal: the control bytes of a device's data shown as \xHH
    // (ControlEscaper).
    kControlsEscaped,
};

// Puts a stream of its own, fully buffered, in the place of stdout. Its
// writes wait for a slow reader as long as the reader makes them until a
// stop is asked for, and from then on for a second at most: a report that
// is still waiting then is cut there, and nothing after the cut goes out.
void open_report_output(ReportBytes bytes);

// Sends what was printed. False when output cannot go on: the reader went
// away, a write failed, or a stop cut the output short.
bool flush_report_output();

// The bytes that went out to standard output so far, escapes counted.
uint64_t report_output_bytes();

// Closes standard output. Returns `status`, or cli::kExitOutputFailed after
// one line on standard error when a write failed; a reader that went away
// and output that a stop cut short are no failure.
int close_report_output(int status);

}  // namespace tavlo::receiver
