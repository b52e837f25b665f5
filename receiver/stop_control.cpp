// Stop requests: SIGINT, SIGTERM, SIGHUP and the --timeout alarm.
#include "stop_control.h"

#include <sys/time.h>

#include <atomic>
#include <cmath>
#include <csignal>

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

}  // namespace tavlo::receiver
