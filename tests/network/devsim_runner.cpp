// Starts the device simulator on a free port and learns its address from
// its first line.
#include "devsim_runner.h"

#include <signal.h>

#include <algorithm>
#include <regex>
#include <stdexcept>

namespace tavlo::testing {

Devsim::Devsim(std::vector<std::string> args, int descriptor_limit) {
    ProcessSpec spec;
    spec.argv = {TAVLO_DEVSIM_PATH};
    if (descriptor_limit > 0) {
        // The shell lowers the limit, then becomes the simulator ($0).
        spec.argv = {"/bin/sh", "-c",
                     "ulimit -n " + std::to_string(descriptor_limit) + " && exec \"$0\" \"$@\"",
                     TAVLO_DEVSIM_PATH};
    }
    if (std::find(args.begin(), args.end(), "--port") == args.end()) {
        args.insert(args.begin(), {"--port", "0"});
    }
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    child_ = std::make_unique<ChildProcess>(spec);
    const std::string intro = "tavlo_devsim listening on ";
    if (!child_->wait_for_output(intro) || !child_->wait_for_output("\n")) {
        throw std::runtime_error("the simulator did not start: " + child_->out());
    }
    const std::string &out = child_->out();
    const auto start = out.find(intro) + intro.size();
    address_ = out.substr(start, out.find('\n', start) - start);
    port_ = address_.substr(address_.rfind(':') + 1);
}

ProcessResult Devsim::stop() {
    kill(child_->pid(), SIGTERM);
    return child_->finish();
}

std::multiset<long> sent_numbers(const std::string &devsim_output, int client) {
    static const std::regex sent("sent (\\d+) to client (\\d+)\n");
    std::multiset<long> numbers;
    for (auto it = std::sregex_iterator(devsim_output.begin(), devsim_output.end(), sent);
         it != std::sregex_iterator(); ++it) {
        if (client == 0 || std::stoi((*it)[2]) == client) numbers.insert(std::stol((*it)[1]));
    }
    return numbers;
}

std::vector<long> printed_numbers(const std::string &receiver_output) {
    static const std::regex number(
        "SIM\\.MESSAGE_NUMBER *\nType: LONG  Device Data Type: LONG\nValue= (\\d+)\n");
    std::vector<long> numbers;
    for (auto it = std::sregex_iterator(receiver_output.begin(), receiver_output.end(), number);
         it != std::sregex_iterator(); ++it) {
        numbers.push_back(std::stol((*it)[1]));
    }
    return numbers;
}

bool plant_prints_number(long n) {
    if (n < 2) return false;  // the opening declare replies
    const long step = (n - 2) % 12;
    return step != 7 && step != 9 && step != 10;  // other kind, declare, cancel
}

}  // namespace tavlo::testing
