// The end of a program's standard output, checked: output that could not be
// written is said on standard error and ends the program with its own status.
#pragma once

namespace tavlo::cli {

// The exit status of every program whose standard output could not be
// written.
constexpr int kExitOutputFailed = 4;

// "PROGRAM: cannot write standard output: REASON" on standard error, REASON
// the text of `error` (none for 0). Returns kExitOutputFailed.
int report_output_failure(const char *program, int error);

// Flushes and closes standard output. Returns `status` when all that was
// ever written to it went out, else report_output_failure().
int close_standard_output(const char *program, int status);

}  // namespace tavlo::cli
