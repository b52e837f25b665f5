// The receiver against the stand-in client library's simulated device.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <string>
#include <vector>

#include "receiver_runner.h"
#include "terminal_session.h"

namespace {

using tavlo::testing::ChildProcess;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::TerminalSession;

// Plant clock at 2023-11-14 22:13:20 UTC.
const std::string kDevice = "sim:0:1700000000";
const std::string kUnknownDeviceLogged =
    "TAVLO TAVLOUNSOL: facility=20 error=20003 (unknown device name)\n";

std::vector<std::string> titles_of(const std::string &out) {
    static const std::regex title("\n\n([A-Za-z ]+) received for:\n");
    std::vector<std::string> titles;
    for (auto it = std::sregex_iterator(out.begin(), out.end(), title);
         it != std::sregex_iterator(); ++it) {
        titles.push_back((*it)[1]);
    }
    return titles;
}

std::size_t occurrences(const std::string &text, const std::string &what) {
    std::size_t count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
    return count;
}

TEST(ReceiverOnSimulatedDevice, PrintsEveryKindAndDataTypeOfThePlant) {
    const auto result = run_process(receiver_spec({"--count", "13", kDevice}));
    ASSERT_EQ(result.exit_status, 0) << result.err;
    const std::string &out = result.out;
    // Two declare replies, then the plant's cycle; its message of another
    // kind (the tenth message) is not printed.
    EXPECT_EQ(titles_of(out),
              (std::vector<std::string>{"Declare reply", "Declare reply", "Unsolicited Values",
                                        "Unsolicited Values", "Unsolicited Values", "Get reply",
                                        "Unsolicited Values", "Put reply", "Unsolicited Values",
                                        "Unsolicited Values", "Declare reply", "Cancel reply",
                                        "Unsolicited Values"}));
    for (const char *type : {"REAL", "SHORT", "LONG", "DOUBLE", "ASCII", "TIME"}) {
        EXPECT_NE(out.find(std::string("\nType: ") + type + "  Device Data Type: "),
                  std::string::npos)
            << type;
    }
    // The first unsolicited message: message number 2, compact names of the
    // boiler list, and the plant clock 200 ms after its start.
    const std::string first_values =
        "\n++++++++++++++++++++++++++++++++\n\nUnsolicited Values received for:\n"
        "Device: SIMPLANT Unit:   1 ListID: 101\n"
        "\nTagname [1]: SIM.MESSAGE_NUMBER" +
        std::string(21, ' ') +
        "\nType: LONG  Device Data Type: LONG\nValue= 2"
        "\nTimestamp: Tue Nov 14 22:13:20 2023\n";
    EXPECT_NE(out.find(first_values), std::string::npos);
    // The cooling list has a name of 44 characters: 256-byte entries, every
    // name read whole at the full stride.
    EXPECT_NE(out.find("\nTagname [2]: PLANT.AREA2.COOLING_TOWER.FAN_SPEED_SETPOINT" +
                       std::string(211, ' ') + "\nType: REAL  Device Data Type: ENGINEERING UNIT"),
              std::string::npos);
    EXPECT_NE(out.find("\nTagname [5]: COOLING.VALVE_ID" + std::string(239, ' ') + "\n"),
              std::string::npos);
    // ASCII values full and short, TIME values with their local time.
    EXPECT_NE(out.find("\nValue= VLV-0003-A  \n"), std::string::npos);
    EXPECT_NE(out.find("\nValue= STARTING"), std::string::npos);
    EXPECT_NE(out.find("\nValue= HEATING "), std::string::npos);
    EXPECT_NE(out.find("\nTime Value: Milliseconds= 74  Seconds= 1699996400\n"
                       "Tue Nov 14 21:13:20 2023\n"),
              std::string::npos);
    // Statuses: mostly GOOD, and others now and then.
    EXPECT_GT(occurrences(out, "\nStatus is GOOD (-1)"), occurrences(out, "\nStatus is") / 2);
    EXPECT_EQ(out.substr(out.size() - 29), "\nClosing Tavlo Connections.\n\n");
}

TEST(ReceiverOnSimulatedDevice, SameStartTimeGivesTheSameOutput) {
    const auto first = run_process(receiver_spec({"--count", "40", kDevice}));
    const auto second = run_process(receiver_spec({"--count", "40", kDevice}));
    EXPECT_EQ(first.exit_status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_NE(first.out.find("Status is SUSPECT"), std::string::npos);
    EXPECT_NE(first.out.find("Status is BAD"), std::string::npos);
    EXPECT_NE(first.out.find("Unknown status"), std::string::npos);
}

TEST(ReceiverOnSimulatedDevice, UnknownDeviceFailsToConnectAndIsLogged) {
    const auto result = run_process(receiver_spec({"--timeout", "1.5", "nowhere"}));
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out.rfind("\nError connecting to nowhere", 0), 0u) << result.out;
    // Into a pipe the log lines are their text alone.
    EXPECT_EQ(result.err.rfind(kUnknownDeviceLogged, 0), 0u) << result.err;
}

TEST(ReceiverOnSimulatedDevice, InATerminalTheLogLineStartsALineOfItsOwn) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    const TerminalSession terminal("'" + receiver_spec({}).argv[0] +
                                   "' --timeout 1.5 nowhere; echo receiver ended");
    ASSERT_TRUE(terminal.wait_for("receiver ended")) << terminal.screen();
    EXPECT_NE(terminal.screen().find("\nError connecting to nowhere\n" + kUnknownDeviceLogged),
              std::string::npos)
        << terminal.screen();
}

TEST(ReceiverOnSimulatedDevice, SigtermStopsAWaitingReceiverAndReportsArrivedInTime) {
    // At the default cadence of one message a second the receiver spends
    // its time waiting in the library's read.
    ChildProcess child(receiver_spec({"sim"}));
    ASSERT_TRUE(child.wait_for_output("Declare reply received for:"));
    kill(child.pid(), SIGTERM);
    const auto result = child.finish(10);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out.substr(result.out.size() - 29), "\nClosing Tavlo Connections.\n\n");
}

TEST(ReceiverOnSimulatedDevice, ClosedOutputPipeEndsTheReceiverCleanly) {
    // Without an end of its own the receiver would write on for ever once
    // the reader is gone; it notices the closed pipe and shuts down.
    tavlo::testing::ProcessSpec spec = receiver_spec({});
    const std::string receiver = spec.argv[0];
    spec.argv = {"/bin/bash", "-c",
                 "\"$0\" sim:0 | head -c 100000 >/dev/null; echo \"status=${PIPESTATUS[0]}\"",
                 receiver};
    const auto result = run_process(spec, 30);
    EXPECT_FALSE(result.timed_out);
    EXPECT_EQ(result.out, "status=0\n");
}

TEST(ReceiverOnSimulatedDevice, AStopEndsAReceiverWhoseOutputNobodyReads) {
    // Standard output is a pipe that a sleeping process holds and never
    // reads: the receiver fills it and then waits in its write.
    const std::string stops[] = {
        "\"$0\" --timeout 0.5 sim:0 >&3",
        "\"$0\" sim:0 >&3 & pid=$!; sleep 0.5; kill -TERM $pid; wait $pid",
    };
    for (const std::string &stop : stops) {
        tavlo::testing::ProcessSpec spec = receiver_spec({});
        const std::string receiver = spec.argv[0];
        spec.argv = {"/bin/bash", "-c",
                     "exec 3> >(exec sleep 30 >/dev/null 2>&1); holder=$!; " + stop +
                         "; status=$?; kill $holder; echo \"status=$status\"",
                     receiver};
        const auto result = run_process(spec, 20);
        EXPECT_FALSE(result.timed_out) << stop;
        EXPECT_EQ(result.out, "status=0\n") << stop;
        EXPECT_EQ(result.err, "") << stop;
    }
}

}  // namespace
