// The receiver's standard output: every byte of a report goes out, also when
// a signal cuts a write short, and a stop is honoured also while a write
// waits for a reader who does not read.
#pragma once

#include <cstdint>

namespace tavlo::receiver {

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
