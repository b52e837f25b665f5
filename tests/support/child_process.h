// Runs a program as a child process and collects what it writes.
#pragma once

#include <sys/types.h>

#include <map>
#include <string>
#include <vector>

#include "unique_fd.h"

namespace tavlo::testing {

struct ProcessResult {
    int exit_status = -1;  // when it exited
    int signal = 0;        // when a signal ended it
    bool timed_out = false;
    std::string out;
    std::string err;
};

struct ProcessSpec {
    std::vector<std::string> argv;           // argv[0] is the program's path
    std::map<std::string, std::string> env;  // set (or replaced) in the child
    std::vector<std::string> unset_env;      // removed in the child
    std::string input;                       // standard input, then end of input
};

// A child whose standard output and error are read through pipes.
class ChildProcess {
public:
    explicit ChildProcess(const ProcessSpec &spec);
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    pid_t pid() const { return pid_; }

    // Reads standard output until it holds `text` or the child closes it;
    // gives up after `limit_seconds` (a guard against hangs, not a timing
    // check). Returns whether the text was seen.
    bool wait_for_output(const std::string &text, double limit_seconds = 30);

    // The same for standard error.
    bool wait_for_error_output(const std::string &text, double limit_seconds = 30);

    // Waits for the end of the child, reading all it writes; kills it after
    // `limit_seconds` and reports timed_out.
    ProcessResult finish(double limit_seconds = 60);

    const std::string &out() const { return out_; }
    const std::string &err() const { return err_; }

private:
    bool pump(int timeout_ms);
    bool wait_for(const std::string &collected, const std::string &text, double limit_seconds);

    pid_t pid_ = -1;
    posix::UniqueFd out_fd_;
    posix::UniqueFd err_fd_;
    std::string out_;
    std::string err_;
};

// Runs the child to its end.
ProcessResult run_process(const ProcessSpec &spec, double limit_seconds = 60);

}  // namespace tavlo::testing
