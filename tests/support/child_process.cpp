// Runs a program as a child process and collects what it writes.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "temporary_files.h"

namespace tavlo::testing {

namespace {

double now_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// A pipe: its read end, then its write end.
std::pair<posix::UniqueFd, posix::UniqueFd> make_pipe() {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    return {posix::UniqueFd(ends[0]), posix::UniqueFd(ends[1])};
}

}  // namespace

ChildProcess::ChildProcess(const ProcessSpec &spec) {
    auto [out_read, out_write] = make_pipe();
    auto [err_read, err_write] = make_pipe();
    const posix::UniqueFd in_fd = unlinked_file(spec.input);
    std::vector<char *> argv;
    for (const std::string &arg : spec.argv) argv.push_back(const_cast<char *>(arg.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
        dup2(in_fd.get(), STDIN_FILENO);
        dup2(out_write.get(), STDOUT_FILENO);
        dup2(err_write.get(), STDERR_FILENO);
        for (const std::string &name : spec.unset_env) unsetenv(name.c_str());
        for (const auto &[name, value] : spec.env) setenv(name.c_str(), value.c_str(), 1);
        signal(SIGPIPE, SIG_DFL);
        execv(argv[0], argv.data());
        std::fprintf(stderr, "exec %s: %s\n", argv[0], std::strerror(errno));
        _exit(127);
    }
    out_fd_ = std::move(out_read);
    err_fd_ = std::move(err_read);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

// Reads what is ready within `timeout_ms`. Returns false when both pipes
// are closed.
bool ChildProcess::pump(int timeout_ms) {
    pollfd fds[2] = {{out_fd_.get(), POLLIN, 0}, {err_fd_.get(), POLLIN, 0}};
    if (!out_fd_ && !err_fd_) return false;
    if (poll(fds, 2, timeout_ms) <= 0) return true;
    posix::UniqueFd *fd_of[2] = {&out_fd_, &err_fd_};
    std::string *text_of[2] = {&out_, &err_};
    for (int i = 0; i < 2; ++i) {
        if (fds[i].fd < 0 || fds[i].revents == 0) continue;
        char buffer[65536];
        const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
        if (n > 0) {
            text_of[i]->append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            fd_of[i]->reset();
        }
    }
    return true;
}

bool ChildProcess::wait_for(const std::string &collected, const std::string &text,
                            double limit_seconds) {
    const double deadline = now_seconds() + limit_seconds;
    while (collected.find(text) == std::string::npos) {
        if (now_seconds() > deadline || !pump(100)) {
            return collected.find(text) != std::string::npos;
        }
    }
    return true;
}

bool ChildProcess::wait_for_output(const std::string &text, double limit_seconds) {
    return wait_for(out_, text, limit_seconds);
}

bool ChildProcess::wait_for_error_output(const std::string &text, double limit_seconds) {
    return wait_for(err_, text, limit_seconds);
}

ProcessResult ChildProcess::finish(double limit_seconds) {
    ProcessResult result;
    double deadline = now_seconds() + limit_seconds;
    while (pump(100)) {
        if (now_seconds() > deadline) {
            if (result.timed_out) break;  // something else holds the pipes open
            kill(pid_, SIGKILL);
            result.timed_out = true;
            deadline = now_seconds() + 5;
        }
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    if (WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    result.out = out_;
    result.err = err_;
    return result;
}

ProcessResult run_process(const ProcessSpec &spec, double limit_seconds) {
    ChildProcess child(spec);
    return child.finish(limit_seconds);
}

}  // namespace tavlo::testing
