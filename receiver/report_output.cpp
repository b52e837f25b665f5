// The receiver's standard output, written whole through signals and slow
// readers, and for a terminal with a device's control bytes escaped.
#include "report_output.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

#include "control_escapes.h"
#include "options.h"
#include "standard_output.h"
#include "stop_control.h"
#include "write_all.h"

namespace tavlo::receiver {

namespace {

// Whole messages go out at once: the report flushes after each.
constexpr std::size_t kBufferSize = 1 << 16;
// How long output may still wait for its reader once a stop was asked for.
constexpr std::chrono::seconds kStopGrace{1};

struct OutputState {
    std::FILE *system_stdout = nullptr;
    bool ended = false;  // a write gave up: nothing more goes out
    int error = 0;       // errno of the first write that failed
    uint64_t written = 0;
    posix::WriteDeadline grace_end;
    std::optional<ControlEscaper> escaper;  // on a terminal, without --raw
    std::string escaped;                    // the escaper's output, reused
};

OutputState g_output;

posix::WriteDeadline write_deadline() {
    if (!stop_requested()) return std::nullopt;
    if (!g_output.grace_end) g_output.grace_end = std::chrono::steady_clock::now() + kStopGrace;
    return g_output.grace_end;
}

// Writes all of `data` to standard output. False when the output has
// ended.
bool send(const char *data, std::size_t size) {
    if (g_output.ended) return false;
    const int error = posix::write_all(STDOUT_FILENO, data, size, write_deadline);
    if (error == 0) {
        g_output.written += size;
        return true;
    }
    g_output.ended = true;
    // A closed pipe, and the end of the grace after a stop, end the output
    // quietly.
    if (error != EPIPE && error != ETIMEDOUT && g_output.error == 0) g_output.error = error;
    return false;
}

// The stream's write: all of `data`, or 0 when the output has ended.
ssize_t write_output(void *, const char *data, std::size_t size) {
    bool sent = false;
    if (g_output.escaper) {
        g_output.escaped.clear();
        g_output.escaper->escape(data, size, g_output.escaped);
        sent = send(g_output.escaped.data(), g_output.escaped.size());
    } else {
        sent = send(data, size);
    }
    return sent ? static_cast<ssize_t>(size) : 0;
}

int close_output(void *) {
    if (g_output.escaper) {
        g_output.escaped.clear();
        g_output.escaper->finish(g_output.escaped);
        send(g_output.escaped.data(), g_output.escaped.size());
    }
    if (close(STDOUT_FILENO) != 0 && errno != EPIPE && g_output.error == 0) {
        g_output.error = errno;
    }
    return 0;
}

}  // namespace

void open_report_output(ReportBytes bytes) {
    static char buffer[kBufferSize];
    std::FILE *stream = fopencookie(nullptr, "w", {nullptr, write_output, nullptr, close_output});
    if (stream == nullptr) return;  // stdio's own stdout stays in use
    std::setvbuf(stream, buffer, _IOFBF, sizeof buffer);
    if (bytes == ReportBytes::kControlsEscaped) g_output.escaper.emplace();
    g_output.system_stdout = stdout;
    stdout = stream;
}

bool flush_report_output() {
    return std::fflush(stdout) == 0 && !g_output.ended;
}

uint64_t report_output_bytes() {
    return g_output.written;
}

int close_report_output(int status) {
    if (g_output.system_stdout == nullptr) return cli::close_standard_output(kProgramName, status);
    std::fclose(stdout);
    stdout = g_output.system_stdout;
    return g_output.error != 0 ? cli::report_output_failure(kProgramName, g_output.error) : status;
}

}  // namespace tavlo::receiver
