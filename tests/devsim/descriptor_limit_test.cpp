// The simulator out of file descriptors: it rests instead of spinning, and
// serves again once descriptors are free.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "devsim_runner.h"
#include "receiver_runner.h"
#include "unique_fd.h"

namespace {

using tavlo::posix::UniqueFd;

// Seconds of processor time the process has used so far.
double cpu_seconds(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::vector<std::string> field{std::istream_iterator<std::string>(fields), {}};
    // utime and stime, fields 14 and 15 of the line, in clock ticks.
    const double ticks = std::stod(field.at(11)) + std::stod(field.at(12));
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

UniqueFd connect_to(const std::string &port) {
    UniqueFd fd(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(port)));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    EXPECT_EQ(connect(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    return fd;
}

TEST(DescriptorLimit, ThirtyClientsOnSixteenDescriptorsNeitherSpinNorStopTheService) {
    tavlo::testing::Devsim devsim({"--interval", "100"}, 16);
    std::vector<UniqueFd> clients;
    for (int k = 0; k < 30; ++k) clients.push_back(connect_to(devsim.port()));
    const std::string full = "cannot accept connections: Too many open files;";
    ASSERT_TRUE(devsim.child().wait_for_output(full));

    // With the listener ready and no descriptor to take its connections, a
    // loop that polls it spins: a second of it would take about a second of
    // processor time.
    const double before = cpu_seconds(devsim.pid());
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(cpu_seconds(devsim.pid()) - before, 0.3);

    clients.clear();
    const auto result = tavlo::testing::run_process(
        tavlo::testing::receiver_spec({"--count", "1", devsim.address()}));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_NE(result.out.find("Declare reply received for:"), std::string::npos) << result.err;
    const std::string out = devsim.stop().out;
    // Said once while it lasted.
    const auto again = out.find("accepting connections again\n");
    ASSERT_NE(again, std::string::npos) << out;
    EXPECT_EQ(out.find(full), out.rfind(full, again)) << out;
}

}  // namespace
