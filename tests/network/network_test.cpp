// The receiver watching the device simulator over TCP: exact output of a
// script, restarts, faulty frames, two receivers, a stop while waiting, and
// a simulator out of file descriptors.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "devsim_runner.h"
#include "receiver_runner.h"
#include "temporary_files.h"
#include "unique_fd.h"

namespace {

using tavlo::testing::ChildProcess;
using tavlo::testing::Devsim;
using tavlo::testing::plant_prints_number;
using tavlo::testing::printed_numbers;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::sent_numbers;
using tavlo::testing::TemporaryFile;

const std::string kClosing = "\nClosing Tavlo Connections.\n\n";

std::string padded(const std::string &name) {
    return name + std::string(39 - name.size(), ' ');
}

std::size_t titles_count(const std::string &out) {
    std::size_t count = 0;
    for (auto at = out.find(" received for:\n"); at != std::string::npos;
         at = out.find(" received for:\n", at + 1)) {
        ++count;
    }
    return count;
}

TEST(Network, ScriptOfEveryKindAndDataTypePrintsExactly) {
    const TemporaryFile script(
        "message GET PLANT9 2 7\n"
        "tag \"TANK LEVEL\" REAL EU 12.5 -1 0 0 3600\n"
        "tag COUNT SHORT SHORT -2 -3 4 5 3600.250\n"
        "message PUT PLANT9 2 7\n"
        "tag TOTAL LONG ORDINAL -100000 -1 0 0 7200\n"
        "message DECLARE PLANT9 2 8\n"
        "tag RATE DOUBLE DOUBLE 0.125 -1 0 0 0\n"
        "tag NOTE ASCII:6 DESC \"a b\" -6 1 2 0\n"
        "message CANCEL PLANT9 2 8\n"
        "tag RATE DOUBLE DOUBLE 0 -7 0 0 0\n"
        "message 2 PLANT9 2 7\n"
        "tag IGNORED LONG LONG 1 -1 0 0 0\n"
        "message UNSOLICITED PLANT9 2 7\n"
        "tag STAMP TIME DTIME 86400.500 -1 0 0 60\n"
        "tag NOTE ASCII:6 DESC abcdef -32768 0 0 -1\n");
    Devsim devsim({"--script", script.path(), "--interval", "0"});
    const auto result = run_process(receiver_spec({"--count", "5", devsim.address()}));
    const std::string good = "\nStatus is GOOD (-1)\nFacility=0\nDriver Status=0\n";
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out,
              "\n+++++++++++++++++++++++\n\nGet reply received for:\n"
              "Device: PLANT9 Unit:   2 ListID: 7\n"
              "\nTagname [1]: " +
                  padded("TANK LEVEL") +
                  "\nType: REAL  Device Data Type: ENGINEERING UNIT\nValue= 12.500000"
                  "\nTimestamp: Thu Jan  1 01:00:00 1970\n" +
                  good + "\nTagname [2]: " + padded("COUNT") +
                  "\nType: SHORT  Device Data Type: SHORT\nValue= -2"
                  "\nTimestamp: Thu Jan  1 01:00:00 1970\n"
                  "\nStatus is SUSPECT (-3)\nFacility=4\nDriver Status=5\n"
                  "\n+++++++++++++++++++++++\n\nPut reply received for:\n"
                  "Device: PLANT9 Unit:   2 ListID: 7\n"
                  "\nTagname : " +
                  padded("TOTAL") +
                  "\nType: LONG  Device Data Type: ORDINAL\nValue= -100000"
                  "\nTimestamp: Thu Jan  1 02:00:00 1970\n" +
                  good +
                  "\n+++++++++++++++++++++++++++\n\nDeclare reply received for:\n"
                  "Device: PLANT9 Unit:   2 ListID: 8\n"
                  "\nTagname [1]: " +
                  padded("RATE") + "\nType: DOUBLE  Device Data Type: DOUBLE" + good +
                  "\nTagname [2]: " + padded("NOTE") +
                  "\nType: ASCII  Device Data Type: DESCRIPTION"
                  "\nStatus is BAD (-6)\nFacility=1\nDriver Status=2\n"
                  "\n++++++++++++++++++++++++++\n\nCancel reply received for:\n"
                  "Device: PLANT9 Unit:   2 ListID: 8\n"
                  "\nTagname : " +
                  padded("RATE") +
                  "\nUnknown status (-7)\nFacility=0\nDriver Status=0\n"
                  "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n"
                  "Device: PLANT9 Unit:   2 ListID: 7\n"
                  "\nTagname [1]: " +
                  padded("STAMP") +
                  "\nType: TIME  Device Data Type: DELTA TIME"
                  "\nTime Value: Milliseconds= 500  Seconds= 86400\nFri Jan  2 00:00:00 1970\n"
                  "\nTimestamp: Thu Jan  1 00:01:00 1970\n" +
                  good + "\nTagname [2]: " + padded("NOTE") +
                  "\nType: ASCII  Device Data Type: DESCRIPTION\nValue= abcdef"
                  "\nInvalid timestamp"
                  "\nStatus is 'No Field' (-32768)\nFacility=0\nDriver Status=0\n" +
                  kClosing);
    devsim.stop();
}

TEST(Network, ScriptWithABadLineSendsNothing) {
    const TemporaryFile script("message GET P 1 2\ntag A REAL REAL x -1 0 0 0\n");
    tavlo::testing::ProcessSpec spec;
    spec.argv = {TAVLO_DEVSIM_PATH, "--port", "0", "--script", script.path()};
    const auto result = run_process(spec);
    EXPECT_EQ(result.exit_status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "tavlo_devsim: " + script.path() + ":2: a REAL value must be a number\n");
}

TEST(Network, SimulatorRestartedMidRunLosesAndRepeatsNothingItFinishedSending) {
    Devsim first({"--interval", "20", "--verbose"});
    ChildProcess receiver(receiver_spec({first.address()}));
    ASSERT_TRUE(receiver.wait_for_output("\nValue= 14\n"));
    const auto first_run = first.stop();
    // While the simulator is down the receiver says so, calmly.
    ASSERT_TRUE(receiver.wait_for_output("\nError connecting to " + first.address()));
    const auto sent_first = sent_numbers(first_run.out);
    ASSERT_FALSE(sent_first.empty());
    const long resume = *sent_first.rbegin() + 1;
    Devsim second({"--port", first.port(), "--interval", "20", "--verbose", "--count", "30",
                   "--first-message", std::to_string(resume)});
    const auto second_run = second.finish();
    ASSERT_EQ(second_run.exit_status, 0);
    const auto sent_second = sent_numbers(second_run.out);
    ASSERT_EQ(sent_second.size(), 30u);
    long last = 0;
    for (long n : sent_second) last = plant_prints_number(n) ? n : last;
    ASSERT_TRUE(receiver.wait_for_output("\nValue= " + std::to_string(last) + "\n"));
    kill(receiver.pid(), SIGTERM);
    const auto received = receiver.finish();
    EXPECT_EQ(received.exit_status, 0);

    std::multiset<long> expected;
    for (const auto *sent : {&sent_first, &sent_second}) {
        for (long n : *sent) {
            if (plant_prints_number(n)) expected.insert(n);
        }
    }
    const auto printed = printed_numbers(received.out);
    EXPECT_EQ(std::multiset<long>(printed.begin(), printed.end()), expected);
    EXPECT_TRUE(std::is_sorted(printed.begin(), printed.end()));
}

struct FaultCase {
    const char *option;
    long at;
};

TEST(Network, FaultyFramesFailTheReadAndTheReceiverGoesOn) {
    // Each fault hits message 6, a value message of the plant; the receiver
    // drops the link, connects again and prints the messages after it.
    const FaultCase faults[] = {
        {"--corrupt-at", 6}, {"--truncate-at", 6}, {"--oversize-at", 6}, {"--stall-at", 6}};
    for (const FaultCase &fault : faults) {
        Devsim devsim({"--interval", "50", "--verbose", fault.option, std::to_string(fault.at)});
        ChildProcess receiver(receiver_spec({devsim.address()}));
        ASSERT_TRUE(receiver.wait_for_output("\nValue= 10\n", 60)) << fault.option;
        kill(receiver.pid(), SIGTERM);
        const auto received = receiver.finish();
        const auto devsim_run = devsim.stop();
        EXPECT_EQ(received.exit_status, 0) << fault.option;
        const auto printed = printed_numbers(received.out);
        const auto sent = sent_numbers(devsim_run.out);
        EXPECT_EQ(std::count(printed.begin(), printed.end(), fault.at), 0) << fault.option;
        EXPECT_EQ(sent.count(fault.at), 0u) << fault.option;
        for (long n : printed) EXPECT_EQ(sent.count(n), 1u) << fault.option << " printed " << n;
        EXPECT_TRUE(std::adjacent_find(printed.begin(), printed.end(),
                                       [](long a, long b) { return a >= b; }) == printed.end())
            << fault.option << ": printed in order, none twice";
        EXPECT_NE(std::find(printed.begin(), printed.end(), 10), printed.end()) << fault.option;
        EXPECT_NE(devsim_run.out.find("client 2 connected"), std::string::npos)
            << fault.option << ": the receiver connected again";
        EXPECT_NE(received.err.find("TAVLO TAVLOUNSOL: facility=20 error=200"), std::string::npos)
            << fault.option << ": the failed read is said on standard error";
    }
}

TEST(Network, AReaderWhoPausesLongerThanTheSilenceLimitLosesNothing) {
    // The reader of the receiver's output sleeps 6 seconds: the receiver
    // waits in its write meanwhile, and the device's messages wait in the
    // socket. They have arrived: the link is not lost, none is missing.
    Devsim devsim({"--interval", "10"});
    tavlo::testing::ProcessSpec spec = receiver_spec({});
    const std::string receiver = spec.argv[0];
    spec.argv = {"/bin/bash", "-c",
                 "\"$0\" --count 700 \"$1\" | { sleep 6; cat; }; exit ${PIPESTATUS[0]}", receiver,
                 devsim.address()};
    const auto result = run_process(spec, 60);
    devsim.stop();
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.err, "");
    const auto printed = printed_numbers(result.out);
    ASSERT_GT(printed.size(), 500u);
    std::vector<long> expected;
    for (long n = printed.front(); n <= printed.back(); ++n) {
        if (plant_prints_number(n)) expected.push_back(n);
    }
    EXPECT_TRUE(printed == expected) << "printed " << printed.size() << " numbers from "
                                     << printed.front() << " to " << printed.back();
}

TEST(Network, TwoReceiversBothGetEveryMessage) {
    Devsim devsim({"--interval", "0", "--clients", "2", "--count", "40", "--start", "1700000000"});
    ChildProcess one(receiver_spec({"--count", "37", devsim.address()}));
    ChildProcess two(receiver_spec({"--count", "37", devsim.address()}));
    const auto first = one.finish();
    const auto second = two.finish();
    EXPECT_EQ(devsim.finish().exit_status, 0);
    // Messages 0 to 39 hold 37 reports; the plant behind the simulator is
    // the in-process one, message for message.
    const auto local = run_process(receiver_spec({"--count", "37", "sim:0:1700000000"}));
    EXPECT_EQ(first.exit_status, 0);
    EXPECT_EQ(first.out, local.out);
    EXPECT_EQ(second.out, local.out);
}

TEST(Network, SigtermWhileTheReadWaitsStopsTheReceiver) {
    Devsim devsim({"--interval", "600000"});
    ChildProcess receiver(receiver_spec({devsim.address()}));
    ASSERT_TRUE(receiver.wait_for_output("Declare reply received for:"));
    kill(receiver.pid(), SIGTERM);
    const auto result = receiver.finish(10);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out.substr(result.out.size() - kClosing.size()), kClosing);
    devsim.stop();
}

TEST(Network, DeviceOnIpv6LoopbackByItsBracketedAddress) {
    std::unique_ptr<Devsim> devsim;
    try {
        devsim =
            std::make_unique<Devsim>(std::vector<std::string>{"--bind", "::1", "--interval", "0"});
    } catch (const std::runtime_error &) {
        GTEST_SKIP() << "no IPv6 loopback here";
    }
    ASSERT_EQ(devsim->address().rfind("[::1]:", 0), 0u) << devsim->address();
    const auto result = run_process(receiver_spec({"--count", "3", devsim->address()}));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(titles_count(result.out), 3u);
    devsim->stop();
}

tavlo::posix::UniqueFd connect_to(const Devsim &devsim) {
    tavlo::posix::UniqueFd fd(socket(AF_INET, SOCK_STREAM, 0));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(std::stoi(devsim.port())));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    EXPECT_EQ(connect(fd.get(), reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    return fd;
}

TEST(Network, SimulatorRefusesAnotherProtocolVersion) {
    Devsim devsim({});
    const tavlo::posix::UniqueFd fd = connect_to(devsim);
    // A hello of version 2: length 41, type 1, magic, version, reserved, id.
    std::string hello = std::string("\x29\0\0\0\x01TVLO\x02\0\0\0", 13) + std::string(32, '\0');
    ASSERT_EQ(write(fd.get(), hello.data(), hello.size()), static_cast<ssize_t>(hello.size()));
    char reply[256];
    std::string got;
    for (ssize_t n; (n = read(fd.get(), reply, sizeof reply)) > 0;)
        got.append(reply, static_cast<std::size_t>(n));
    ASSERT_GE(got.size(), 9u);
    EXPECT_EQ(got[4], 5) << "a refuse frame";
    EXPECT_NE(got.find("protocol version 1"), std::string::npos);
    devsim.stop();
}

double children_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(Network, SimulatorOutOfDescriptorsNeitherSpinsNorStopsServing) {
    const double cpu_before = children_cpu_seconds();
    Devsim devsim({"--interval", "100"}, 16);
    std::vector<tavlo::posix::UniqueFd> clients;
    for (int k = 0; k < 30; ++k) clients.push_back(connect_to(devsim));
    const std::string full = "cannot accept connections: Too many open files;";
    ASSERT_TRUE(devsim.child().wait_for_output(full));
    // A loop that kept polling the listener it cannot accept from would
    // take these 2 s of processor time.
    std::this_thread::sleep_for(std::chrono::seconds(2));
    clients.clear();
    const auto result = run_process(receiver_spec({"--count", "1", devsim.address()}));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(titles_count(result.out), 1u);
    const std::string out = devsim.stop().out;
    EXPECT_LT(children_cpu_seconds() - cpu_before, 0.5);
    const auto again = out.find("accepting connections again\n");
    ASSERT_NE(again, std::string::npos) << out;
    EXPECT_EQ(out.find(full), out.rfind(full, again)) << "said once: " << out;
}

}  // namespace
