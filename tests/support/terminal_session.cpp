// A program run in a real terminal: a detached tmux session on a server of
// its own, driven with send-keys and read with capture-pane.
#include "terminal_session.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "child_process.h"

namespace tavlo::testing {

namespace {

constexpr const char kSession[] = "dialogue";

// The path of `program` in a directory of PATH, or "".
std::string find_on_path(const std::string &program) {
    const char *path = std::getenv("PATH");
    const std::string directories = path != nullptr ? path : "";
    std::size_t start = 0;
    while (start <= directories.size()) {
        const std::size_t end = std::min(directories.find(':', start), directories.size());
        const std::string candidate = directories.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

double now_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void pause_a_moment() {
    const timespec poll_interval{0, 50 * 1000 * 1000};
    nanosleep(&poll_interval, nullptr);
}

}  // namespace

bool TerminalSession::available() {
    return !find_on_path("tmux").empty();
}

TerminalSession::TerminalSession(const std::string &command) : TerminalSession(command, 160, 50) {}

TerminalSession::TerminalSession(const std::string &command, int width, int height)
    : tmux_path_(find_on_path("tmux")),
      directory_("tavlo_terminal"),
      socket_(directory_.file("tmux")) {
    if (tmux_path_.empty()) throw std::runtime_error("tmux is not on PATH");
    must({"new-session", "-d", "-s", kSession, "-x", std::to_string(width), "-y",
          std::to_string(height), command});
    // Set before any key is sent, so before the command can end.
    must({"set-option", "-t", kSession, "remain-on-exit", "on"});
}

TerminalSession::~TerminalSession() {
    tmux({"kill-server"});
}

void TerminalSession::type_line(const std::string &text) {
    if (!text.empty()) must({"send-keys", "-t", kSession, "-l", text});
    must({"send-keys", "-t", kSession, "Enter"});
}

std::string TerminalSession::screen() const {
    const Result result = tmux({"capture-pane", "-p", "-J", "-S", "-", "-t", kSession});
    return result.ok ? result.out : "(capture-pane failed: " + result.err + ")";
}

bool TerminalSession::wait_for(const std::string &text, double limit_seconds) const {
    const double deadline = now_seconds() + limit_seconds;
    for (;;) {
        if (screen().find(text) != std::string::npos) return true;
        if (now_seconds() > deadline) return false;
        pause_a_moment();
    }
}

void TerminalSession::press(const std::vector<std::string> &keys) {
    std::vector<std::string> arguments = {"send-keys", "-t", kSession};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    must(arguments);
}

void TerminalSession::resize(int width, int height) {
    must({"resize-window", "-t", kSession, "-x", std::to_string(width), "-y",
          std::to_string(height)});
}

std::string TerminalSession::visible(bool escapes) const {
    std::vector<std::string> arguments = {"capture-pane", "-p", "-t", kSession};
    if (escapes) arguments.push_back("-e");
    const Result result = tmux(arguments);
    return result.ok ? result.out : "(capture-pane failed: " + result.err + ")";
}

std::string TerminalSession::wait_until(const std::function<bool(const std::string &)> &ready,
                                        double limit_seconds, bool escapes) const {
    const double deadline = now_seconds() + limit_seconds;
    for (;;) {
        const std::string shown = visible(escapes);
        if (ready(shown)) return shown;
        if (now_seconds() > deadline) return "";
        pause_a_moment();
    }
}

TerminalSession::Result TerminalSession::tmux(const std::vector<std::string> &arguments) const {
    ProcessSpec process;
    process.argv = {tmux_path_, "-S", socket_, "-f", "/dev/null"};
    process.argv.insert(process.argv.end(), arguments.begin(), arguments.end());
    const ProcessResult result = run_process(process, 30);
    return {result.exit_status == 0, result.out, result.err};
}

void TerminalSession::must(const std::vector<std::string> &arguments) const {
    const Result result = tmux(arguments);
    if (!result.ok) throw std::runtime_error("tmux " + arguments[0] + " failed: " + result.err);
}

}  // namespace tavlo::testing
