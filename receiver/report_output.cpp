// The receiver's standard output, written whole through signals and slow
// readers, and for a terminal with a device's control bytes escaped; and
// the stop requests that end its waits.
#include "report_output.h"

#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "control_escapes.h"
#include "options.h"
#include "standard_output.h"

namespace tavlo::receiver {

namespace {

// Set in a signal handler, read by the receiver and the recording's writer
// thread: an atomic that needs no lock is safe for both.
std::atomic<int> g_stop_reason{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void on_stop_signal(int signal_number) {
    int none = 0;
    g_stop_reason.compare_exchange_strong(
        none,
        static_cast<int>(signal_number == SIGALRM ? StopReason::kTimeout : StopReason::kSignal));
}

// Without SA_RESTART: a write that waits for a reader who does not read
// returns when the signal comes, so that the stop is seen.
void handle(int signal_number) {
    struct sigaction action {};
    action.sa_handler = on_stop_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;
    sigaction(signal_number, &action, nullptr);
}

// Whole messages go out at once: the report flushes after each.
constexpr std::size_t kBufferSize = 1 << 16;

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

// Writes all of `data` to standard output. False when the output has
// ended.
bool send(const char *data, std::size_t size) {
    if (g_output.ended) return false;
    const int error = posix::write_all(STDOUT_FILENO, data, size,
                                       [] { return write_deadline(g_output.grace_end); });
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

void install_stop_handlers() {
    handle(SIGINT);
    handle(SIGTERM);
    handle(SIGHUP);  // the terminal went away
    handle(SIGALRM);
    std::signal(SIGPIPE, SIG_IGN);
}

void arm_timeout(double seconds) {
    itimerval timer{};
    double whole = 0;
    const double fraction = std::modf(seconds, &whole);
    timer.it_value.tv_sec = static_cast<time_t>(whole);
    timer.it_value.tv_usec = static_cast<suseconds_t>(fraction * 1e6);
    if (timer.it_value.tv_sec == 0 && timer.it_value.tv_usec == 0) timer.it_value.tv_usec = 1;
    setitimer(ITIMER_REAL, &timer, nullptr);
}

StopReason stop_reason() {
    return static_cast<StopReason>(g_stop_reason.load());
}

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
