// Starts the device simulator on a free port and learns its address from
// its first line.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"

namespace tavlo::testing {

class Devsim {
public:
    // Starts tavlo_devsim with `args` (and --port 0 unless a port is given)
    // and waits for its first line. A `descriptor_limit` above 0 is the most
    // file descriptors the simulator may hold open (its RLIMIT_NOFILE).
    explicit Devsim(std::vector<std::string> args, int descriptor_limit = 0);

    const std::string &address() const { return address_; }
    const std::string &port() const { return port_; }
    pid_t pid() const { return child_->pid(); }
    ChildProcess &child() { return *child_; }

    // Sends SIGTERM and waits for the end.
    ProcessResult stop();

    // Waits for the simulator to end by itself (after --count).
    ProcessResult finish() { return child_->finish(); }

private:
    std::unique_ptr<ChildProcess> child_;
    std::string address_;
    std::string port_;
};

// The message numbers of "sent N to client K" lines (--verbose).
std::multiset<long> sent_numbers(const std::string &devsim_output, int client = 0);

// The values of SIM.MESSAGE_NUMBER in a receiver's output, in order.
std::vector<long> printed_numbers(const std::string &receiver_output);

// Whether the plant prints message n with its number: declare and cancel
// replies carry no values, and its message of another kind is not printed.
bool plant_prints_number(long n);

}  // namespace tavlo::testing
