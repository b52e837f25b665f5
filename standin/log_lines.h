// Where the library's log lines start.
#pragma once

namespace tavlo::standin {

// Whether a log line written to `log_fd` starts with a line end: when
// `log_fd` and `report_fd` are the same terminal, the caller's text there
// may end without one, and the log line would run on from it. Into a file
// or a pipe, or to a terminal of its own, a log line is just its text.
bool log_starts_with_line_end(int log_fd, int report_fd);

}  // namespace tavlo::standin
