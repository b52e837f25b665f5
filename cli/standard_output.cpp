// The end of a program's standard output, checked.
#include "standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavlo::cli {

int report_output_failure(const char *program, int error) {
    std::fprintf(stderr, "%s: cannot write standard output%s%s\n", program, error != 0 ? ": " : "",
                 error != 0 ? std::strerror(error) : "");
    return kExitOutputFailed;
}

int close_standard_output(const char *program, int status) {
    // A write that failed earlier leaves the stream's error mark; its data
    // is gone, and the reason with it unless the flush fails again.
    const bool failed_before = std::ferror(stdout) != 0;
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int flush_error = errno;
    const bool closed = std::fclose(stdout) == 0;
    const int close_error = errno;
    if (flushed && closed && !failed_before) return status;
    return report_output_failure(program, !flushed ? flush_error : !closed ? close_error : 0);
}

}  // namespace tavlo::cli
