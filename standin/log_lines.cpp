// Where the library's log lines start.
#include "log_lines.h"

#include <sys/stat.h>
#include <unistd.h>

namespace tavlo::standin {

bool log_starts_with_line_end(int log_fd, int report_fd) {
    if (isatty(log_fd) != 1 || isatty(report_fd) != 1) return false;
    struct stat log_status {};
    struct stat report_status {};
    return fstat(log_fd, &log_status) == 0 && fstat(report_fd, &report_status) == 0 &&
           log_status.st_rdev == report_status.st_rdev;
}

}  // namespace tavlo::standin
