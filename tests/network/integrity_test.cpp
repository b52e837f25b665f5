// The receiver's integrity counts against the simulator's known gaps: the
// gap line, missing_before in JSON, the --stats totals, the metrics (file
// and scrape) that promtool accepts, the expectation of no gaps and the
// expectations' states in the metrics; and a metrics file that cannot be
// written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#if TAVLO_METRICS_ENDPOINT_BUILT
#include <httplib.h>
#endif

#include "devsim_runner.h"
#include "receiver_runner.h"
#include "temporary_files.h"

namespace {

using tavlo::testing::ChildProcess;
using tavlo::testing::Devsim;
using tavlo::testing::ProcessSpec;
using tavlo::testing::read_file;
using tavlo::testing::receiver_spec;
using tavlo::testing::run_process;
using tavlo::testing::TemporaryDirectory;

constexpr char kPromtool[] = "/usr/bin/promtool";

// promtool's verdict on a metrics text: "" when it accepts it.
std::string promtool_problems(const std::string &text) {
    ProcessSpec spec;
    spec.argv = {kPromtool, "check", "metrics"};
    spec.input = text;
    const auto result = run_process(spec);
    return result.exit_status == 0 ? "" : result.out + result.err;
}

// An expectation that holds at once, in the text a label must escape.
constexpr char kEscaped[] = "BOILER.MODE !=\n'a\"b\\c'";
constexpr char kEscapedLabel[] = "BOILER.MODE !=\\n'a\\\"b\\\\c'";

// The sample of an expectation's state, with its line end.
std::string state_line(const std::string &expectation, const char *state, bool in_it) {
    return "tavlo_receiver_expectation_state{expectation=\"" + expectation + "\",state=\"" + state +
           "\"} " + (in_it ? "1" : "0") + "\n";
}

TEST(Integrity, GapsOfTheSimulatorAreCountedEverywhere) {
    struct Case {
        std::vector<std::string> faults;
        int64_t missing;
        std::string gap_line;  // "" for none
    };
    const Case cases[] = {
        {{"--skip-at", "243", "--skip", "767"},
         767,
         "tavlo_t_receiver: 767 messages missing on SIMPLANT between sequence 243 and 1011, "
         "before list 101\n"},
        {{"--skip-at", "5"},
         1,
         "tavlo_t_receiver: 1 message missing on SIMPLANT between sequence 5 and 7, before list "
         "102\n"},
        // The receiver is client 1: a gap for client 2 is none of its.
        {{"--skip-at", "5", "--skip", "50", "--skip-client", "2"}, 0, ""},
    };
    constexpr int64_t kSent = 1200;
    for (const Case &c : cases) {
        const TemporaryDirectory folder;
        const std::string metrics = folder.file("receiver.prom");
        std::vector<std::string> args = {"--interval", "0", "--count", std::to_string(kSent)};
        args.insert(args.end(), c.faults.begin(), c.faults.end());
        Devsim devsim(args);
        const auto result = run_process(
            receiver_spec({"--format", "json", "--stats", "--metrics", metrics, "--expect",
                           " no  gaps", "--expect", kEscaped, "--expect", " no  gaps", "--count",
                           std::to_string(kSent - c.missing), devsim.address()}));
        // The expectation on the sequences fails the run with the count.
        ASSERT_EQ(result.exit_status, c.missing == 0 ? 0 : 6) << result.err;
        const std::string missing = std::to_string(c.missing);
        EXPECT_NE(result.err.find(c.missing == 0 ? " no  gaps: passed, no message missing in "
                                                 : " no  gaps: failed, " + missing +
                                                       " messages missing in the devices' "
                                                       "sequences\n"),
                  std::string::npos)
            << result.err;
        const std::string line = c.gap_line.empty() ? " missing on " : c.gap_line;
        EXPECT_EQ(result.err.find(line) != std::string::npos, !c.gap_line.empty()) << result.err;
        EXPECT_EQ(result.out.find("\"missing_before\":" + missing + ",") == std::string::npos,
                  c.missing == 0);
        EXPECT_NE(result.err.find("\nMessages missing: " + missing + "\n"), std::string::npos)
            << result.err;
        const std::string text = read_file(metrics);
        EXPECT_NE(text.find("\ntavlo_receiver_messages_missing_total{device=\"SIMPLANT\"} " +
                            missing + "\n"),
                  std::string::npos)
            << text;
        // The end of the run: the expectations' final states, a text given
        // twice once.
        const bool gaps = c.missing > 0;
        EXPECT_EQ(text.find(state_line(" no  gaps", "passed", !gaps)),
                  text.rfind(state_line(" no  gaps", "passed", !gaps)));
        EXPECT_NE(text.find(state_line(kEscapedLabel, "passed", true) +
                            state_line(kEscapedLabel, "failed", false) +
                            state_line(" no  gaps", "pending", false) +
                            state_line(" no  gaps", "passed", !gaps) +
                            state_line(" no  gaps", "failed", gaps)),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("\ntavlo_receiver_expectations_failed " + std::to_string(gaps) + "\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(access((metrics + ".tmp").c_str(), F_OK), -1) << "the temporary file is renamed";
        if (access(kPromtool, X_OK) == 0) {
            EXPECT_EQ(promtool_problems(text), "");
        }
    }
    if (access(kPromtool, X_OK) != 0) GTEST_SKIP() << "promtool (Debian's prometheus) is missing";
}

TEST(Integrity, AMetricsFileThatCannotBeWrittenStopsTheStartWithStatus8) {
    const TemporaryDirectory folder;
    const std::string file = folder.write("file", "");
    for (const std::string &path : {folder.file("missing/r.prom"), file + "/r.prom"}) {
        const auto result = run_process(receiver_spec({"--metrics", path, "sim:0"}));
        EXPECT_EQ(result.exit_status, 8);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err.rfind("tavlo_t_receiver: --metrics cannot write " + path + ": ", 0),
                  0u)
            << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
}

#if TAVLO_METRICS_ENDPOINT_BUILT
TEST(Integrity, AScrapeGetsTheMetricsWhileTheReceiverReads) {
    Devsim devsim({"--interval", "20", "--skip-at", "3", "--skip", "4"});
    // Nothing shown: a report that nobody reads would fill the pipe and hold
    // the reading loop (a scrape would still be answered, but not new counts).
    ChildProcess receiver(
        receiver_spec({"--metrics-listen", "0", "--list", "999", "--timeout", "20", "--expect",
                       "NOT.THERE > 1", "--expect", "no gaps", devsim.address()}));
    ASSERT_TRUE(receiver.wait_for_error_output("/metrics\n"));
    const std::string intro = "tavlo_t_receiver: metrics at http://";
    const std::string &err = receiver.err();
    ASSERT_EQ(err.rfind(intro, 0), 0u) << err;
    const std::string address = err.substr(intro.size(), err.find("/metrics") - intro.size());
    ASSERT_TRUE(receiver.wait_for_error_output("4 messages missing"));
    httplib::Client client("http://" + address);
    // The metrics are made again every second: the gap shows within two.
    std::string text;
    for (int tries = 0;
         tries < 30 && text.find("_missing_total{device=\"SIMPLANT\"} 4\n") == std::string::npos;
         ++tries) {
        const auto response = client.Get("/metrics");
        ASSERT_TRUE(response) << "no answer from " << address;
        EXPECT_EQ(response->status, 200);
        text = response->body;
        usleep(100000);
    }
    EXPECT_NE(text.find("tavlo_receiver_link_up 1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("tavlo_receiver_messages_missing_total{device=\"SIMPLANT\"} 4\n"),
              std::string::npos)
        << text;
    // During the run: one still open, and a gap fails 'no gaps' at once.
    for (const std::string &line :
         {state_line("NOT.THERE > 1", "pending", true), state_line("no gaps", "failed", true),
          std::string("\ntavlo_receiver_expectations_failed 1\n")}) {
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    }
    kill(receiver.pid(), SIGTERM);
    EXPECT_EQ(receiver.finish().exit_status, 6);
    if (access(kPromtool, X_OK) != 0) GTEST_SKIP() << "promtool (Debian's prometheus) is missing";
    EXPECT_EQ(promtool_problems(text), "");
}
#endif

}  // namespace
