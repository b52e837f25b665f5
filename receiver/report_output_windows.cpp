// The receiver's standard output and its stops on Windows. The console's
// events (Ctrl-C, Ctrl-Break, the window closed, a logoff or shutdown) ask
// for the stop, and the stop event ends the waits of the receiver and of
// the client library, as the signals do on POSIX. Standard output is a pipe
// that a thread of its own empties into the real one: it counts the bytes,
// escapes a device's control bytes for the console, and makes each line end
// of the text report CR LF, as the console program's stdio in text mode
// does (main() puts JSON's standard output in binary mode first).
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>

#include "control_escapes.h"
#include "files.h"
#include "options.h"
#include "report_output.h"
#include "standard_output.h"
#include "stop_event.h"

namespace tavlo::receiver {

namespace {

std::atomic<int> g_stop_reason{0};

void request_stop(StopReason reason) {
    int none = 0;
    g_stop_reason.compare_exchange_strong(none, static_cast<int>(reason));
    posix::set_stop_event();
}

// Set when the receiver has closed its output: the end of its shutdown.
const HANDLE g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI on_console_event(DWORD event) {
    request_stop(StopReason::kSignal);
    // After these the system ends the process as the handler returns (at
    // the latest after five seconds): wait for the shutdown.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        WaitForSingleObject(g_finished, 4000);
    }
    return TRUE;
}

constexpr std::size_t kBufferSize = 1 << 16;
constexpr unsigned long kLookEvery = 100;  // ms, at a stop in a wait for the pump

struct OutputState {
    int system_fd = -1;  // the real standard output
    int pipe_fd = -1;    // the pipe's end that the pump reads
    bool line_ends_crlf = false;
    std::optional<ControlEscaper> escaper;
    std::thread pump;
    HANDLE pump_done = nullptr;
    std::atomic<bool> ended{false};  // a write gave up: nothing more goes out
    std::atomic<int> error{0};       // errno of the first write that failed
    std::atomic<uint64_t> written{0};
    posix::WriteDeadline grace_end;  // the pump's
};

OutputState g_output;

void send(const std::string &bytes) {
    if (g_output.ended || bytes.empty()) return;
    const int error = posix::write_all(g_output.system_fd, bytes.data(), bytes.size(),
                                       [] { return write_deadline(g_output.grace_end); });
    if (error == 0) {
        g_output.written += bytes.size();
        return;
    }
    g_output.ended = true;
    int none = 0;
    if (error != EPIPE && error != ETIMEDOUT) g_output.error.compare_exchange_strong(none, error);
}

// `piece`, escaped when that was asked for, with CR LF line ends for the
// text report.
std::string prepared(const char *data, std::size_t size) {
    std::string escaped;
    if (g_output.escaper) {
        g_output.escaper->escape(data, size, escaped);
    } else {
        escaped.assign(data, size);
    }
    if (!g_output.line_ends_crlf) return escaped;
    std::string out;
    out.reserve(escaped.size() + escaped.size() / 16);
    for (const char c : escaped) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The pump: what the receiver prints, read from the pipe to its end. After
// a write gave up the rest is read and dropped, so that printing never
// waits.
void pump() {
    static char buffer[kBufferSize];
    for (;;) {
        const ssize_t got = posix::read_from(g_output.pipe_fd, buffer, sizeof buffer);
        if (got <= 0) break;
        send(prepared(buffer, static_cast<std::size_t>(got)));
    }
    if (g_output.escaper) {
        std::string rest;
        g_output.escaper->finish(rest);
        send(rest);
    }
    SetEvent(g_output.pump_done);
}

// Waits until the pump has sent everything; after a stop at most until the
// grace is over. False when it had to be left behind.
bool wait_for_pump() {
    posix::WriteDeadline grace_end;
    for (;;) {
        if (WaitForSingleObject(g_output.pump_done, kLookEvery) == WAIT_OBJECT_0) return true;
        const posix::WriteDeadline until = write_deadline(grace_end);
        if (until && std::chrono::steady_clock::now() >= *until) return false;
    }
}

}  // namespace

void install_stop_handlers() {
    SetConsoleCtrlHandler(on_console_event, TRUE);
}

void arm_timeout(double seconds) {
    const double milliseconds = std::clamp(std::ceil(seconds * 1000), 1.0, 4e9);
    std::thread([wait = static_cast<unsigned long>(milliseconds)] {
        if (!posix::wait_for_stop_event(wait)) request_stop(StopReason::kTimeout);
    }).detach();
}

StopReason stop_reason() {
    return static_cast<StopReason>(g_stop_reason.load());
}

void open_report_output(ReportBytes bytes) {
    static char buffer[kBufferSize];
    int ends[2];
    std::fflush(stdout);
    if (posix::make_pipe(ends) != 0) return;  // stdio's own stdout stays in use
    const int system_fd = _dup(_fileno(stdout));
    if (system_fd < 0 || _dup2(ends[1], _fileno(stdout)) != 0) {
        if (system_fd >= 0) _close(system_fd);
        _close(ends[0]);
        _close(ends[1]);
        return;
    }
    _close(ends[1]);
    // The mode the real standard output had says how its lines end; the
    // pump writes its bytes as they are.
    g_output.line_ends_crlf = _setmode(system_fd, _O_BINARY) == _O_TEXT;
    _setmode(_fileno(stdout), _O_BINARY);
    std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
    if (bytes == ReportBytes::kControlsEscaped) g_output.escaper.emplace();
    g_output.system_fd = system_fd;
    g_output.pipe_fd = ends[0];
    g_output.pump_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_output.pump = std::thread(pump);
}

bool flush_report_output() {
    return std::fflush(stdout) == 0 && !g_output.ended;
}

uint64_t report_output_bytes() {
    return g_output.written;
}

int close_report_output(int status) {
    if (g_output.system_fd < 0) {
        status = cli::close_standard_output(kProgramName, status);
        SetEvent(g_finished);
        return status;
    }
    std::fclose(stdout);  // the pump reads to the pipe's end
    if (wait_for_pump()) {
        g_output.pump.join();
        if (_close(g_output.system_fd) != 0 && errno != EPIPE) {
            int none = 0;
            g_output.error.compare_exchange_strong(none, errno);
        }
    } else {
        g_output.pump.detach();  // its write waits for a reader who does not read
    }
    SetEvent(g_finished);
    return g_output.error != 0 ? cli::report_output_failure(kProgramName, g_output.error) : status;
}

}  // namespace tavlo::receiver
