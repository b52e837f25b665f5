// Every program through the shared parser: a bad command line gives one
// line on standard error and status 2; a value goes after "=" or apart.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "child_process.h"

namespace {

using tavlo::testing::ChildProcess;
using tavlo::testing::ProcessResult;
using tavlo::testing::run_process;

ProcessResult run(const char *program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return run_process({args, {}, {}, ""});
}

TEST(ProgramCommandLines, ABadCommandLineGivesOneLineAndStatus2) {
    struct Case {
        const char *program;
        std::vector<std::string> args;
        std::string line;
    };
    const Case cases[] = {
        {TAVLO_RECEIVER_PATH,
         {"--count=0", "sim"},
         "tavlo_t_receiver: --count: expects a whole number from 1 to 9223372036854775807\n"},
        {TAVLO_RECEIVER_PATH,
         {"--timeout", "1e3", "sim"},
         "tavlo_t_receiver: --timeout: expects a decimal number from 0.001 to 10000000\n"},
        {TAVLO_RECEIVER_PATH, {"--time", "1", "sim"}, "tavlo_t_receiver: --time: unknown option\n"},
        {TAVLO_DEVSIM_PATH,
         {"--port", "65536"},
         "tavlo_devsim: --port: expects a whole number from 0 to 65535\n"},
        {TAVLO_DEVSIM_PATH,
         {"--port=-1"},
         "tavlo_devsim: --port: expects a whole number from 0 to 65535\n"},
        {TAVLO_DEVSIM_PATH, {"--interval", "5", "--port"}, "tavlo_devsim: --port: needs a value\n"},
        {TAVLO_DEVSIM_PATH, {"--script="}, "tavlo_devsim: --script: needs a value\n"},
        {TAVLO_DEVSIM_PATH, {"--verbose=1"}, "tavlo_devsim: --verbose: takes no value\n"},
        {TAVLO_DEVSIM_PATH, {"--port", "0", "7301"}, "tavlo_devsim: 7301: unexpected argument\n"},
        {TAVLO_CHECK_TAG_LIST_PATH,
         {"--version=2"},
         "tavlo_check_tag_list: --version: takes no value\n"},
        {TAVLO_CHECK_TAG_LIST_PATH,
         {"--", "--help", "1"},
         "tavlo_check_tag_list: FORMAT: expects names, types, values, deadbands or historical\n"},
        {TAVLO_DEFINE_TAGS_PATH, {"--hist"}, "tavlo_define_tags: --hist: unknown option\n"},
        {TAVLO_DEFINE_TAGS_PATH,
         {"--historical", "--", "x"},
         "tavlo_define_tags: x: unexpected argument\n"},
    };
    for (const Case &c : cases) {
        const ProcessResult result = run(c.program, c.args);
        EXPECT_EQ(result.exit_status, 2) << c.line;
        EXPECT_EQ(result.err, c.line);
        EXPECT_EQ(result.out, "") << c.line;
    }
}

TEST(ProgramCommandLines, EveryProgramPrintsTheProjectVersion) {
    for (const char *program : {TAVLO_RECEIVER_PATH, TAVLO_DEVSIM_PATH, TAVLO_CHECK_TAG_LIST_PATH,
                                TAVLO_DEFINE_TAGS_PATH}) {
        const ProcessResult result = run(program, {"--version"});
        const std::string name = std::string(program).substr(std::string(program).rfind('/') + 1);
        EXPECT_EQ(result.exit_status, 0) << name;
        EXPECT_EQ(result.out, name + " " + TAVLO_VERSION + "\n");
    }
}

TEST(ProgramCommandLines, TheReceiverTakesAValueAfterEqualsOrApart) {
    const ProcessResult apart = run(TAVLO_RECEIVER_PATH, {"--count", "2", "sim:0:1700000000"});
    const ProcessResult joined = run(TAVLO_RECEIVER_PATH, {"--count=2", "sim:0:1700000000"});
    EXPECT_EQ(apart.exit_status, 0);
    EXPECT_NE(apart.out.find("Closing Tavlo Connections."), std::string::npos) << apart.out;
    EXPECT_EQ(joined.exit_status, 0);
    EXPECT_EQ(joined.out, apart.out);
}

TEST(ProgramCommandLines, TheSimulatorTakesAValueAfterEquals) {
    ChildProcess devsim({{TAVLO_DEVSIM_PATH, "--port=0", "--interval=5"}, {}, {}, ""});
    const std::string intro = "tavlo_devsim listening on 127.0.0.1:";
    ASSERT_TRUE(devsim.wait_for_output(intro) && devsim.wait_for_output("\n")) << devsim.out();
    EXPECT_NE(devsim.out(), intro + "7301\n");  // a free port, not the default
    kill(devsim.pid(), SIGTERM);
    EXPECT_EQ(devsim.finish().exit_status, 0);
}

}  // namespace
