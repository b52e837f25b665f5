// Every program through the shared parser: a bad command line gives one
// line on standard error and status 2; a value goes after "=" or apart;
// standard output that cannot be written gives one line and status 4.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"

namespace {

using tavlo::testing::ProcessResult;
using tavlo::testing::run_process;

const std::string kReceiver = TAVLO_RECEIVER_PATH;
const std::string kDevsim = TAVLO_DEVSIM_PATH;
const std::string kCheck = TAVLO_CHECK_TAG_LIST_PATH;
const std::string kDefine = TAVLO_DEFINE_TAGS_PATH;

ProcessResult run(const std::string &program, std::vector<std::string> args) {
    args.insert(args.begin(), program);
    return run_process({args, {}, {}, ""});
}

std::string name_of(const std::string &program) {
    return program.substr(program.rfind('/') + 1);
}

// Every option that a program's completion offers is a line of its --help
// with a description, with a value's name where it takes a value and
// without one where it takes none. A program that lists no options (its
// usage line names --help and --version) has none of its own.
TEST(ProgramCommandLines, HelpDescribesEveryOptionTheCompletionOffers) {
    const std::regex options_row("_tavlo_options\\[[a-z_]+\\]='(.*)'");
    for (const std::string &program : {kReceiver, kDevsim, kCheck, kDefine}) {
        const std::string help = run(program, {"--help"}).out;
        const std::string data = run(program, {"--completion-data"}).out;
        std::smatch listed;
        ASSERT_TRUE(std::regex_search(data, listed, options_row)) << data;
        std::istringstream names(listed[1].str());
        std::string option;
        int described = 0;
        while (names >> option) {
            if (option == "--" ||
                (program == kCheck && (option == "--help" || option == "--version"))) {
                continue;
            }
            const bool takes_value = data.find(" " + option + "]=") != std::string::npos;
            const std::regex line("\n  " + option + (takes_value ? " [A-Za-z|:\\[\\]]+" : "") +
                                  "(  +|\n {5,})[a-z(]");
            EXPECT_TRUE(std::regex_search(help, line)) << name_of(program) << " " << option;
            ++described;
        }
        EXPECT_EQ(described > 0, program != kCheck) << name_of(program);
    }
}

TEST(ProgramCommandLines, ABadCommandLineGivesOneLineAndStatus2) {
    struct Case {
        std::string program;
        std::vector<std::string> args;
        std::string line;  // after the program's name
    };
    const Case cases[] = {
        {kReceiver, {"--timeout", "1e3", "sim"}, "--timeout: expects a decimal number from 0.001"},
        {kDevsim, {"--port", "65536"}, "--port: expects a whole number from 0 to 65535"},
        {kDevsim, {"--script="}, "--script: needs a value"},
        {kDevsim, {"--slow-client", "skip"}, "--slow-client: expects drop or wait"},
        {kDevsim, {"--max-queue=0"}, "--max-queue: expects a whole number from 1 to 4096"},
        {kDevsim, {"--port", "0", "7301"}, "7301: unexpected argument"},
        {kDevsim, {"--pace", "recorded"}, "--pace: recorded needs --script"},
        {kDevsim, {"--loop", "0"}, "--loop: needs --script"},
        {kDevsim,
         {"--script", "/dev/zero", "--loop", "0"},
         "--loop: needs a script that can be read again, and /dev/zero is not a regular file"},
        {kDevsim,
         {"--script", "/dev/null", "--loop", "2"},
         "--loop: needs a script that can be read again, and /dev/null is not a regular file"},
        {kDevsim, {"--script", "x", "--speed", "2"}, "--speed: needs --pace recorded"},
        {kDevsim, {"--speed=-1"}, "--speed: expects 0 or a decimal number from 0.000001 to"},
        {kDevsim, {"--speed", "0.0000009"}, "--speed: expects 0 or a decimal number from"},
        {kCheck, {"--", "--help", "1"}, "FORMAT: expects names, types, values, deadbands or"},
        {kDefine, {"--hist"}, "--hist: unknown option"},
        {kDefine, {"--historical", "--", "x"}, "x: unexpected argument"},
    };
    for (const Case &c : cases) {
        const ProcessResult result = run(c.program, c.args);
        EXPECT_EQ(result.exit_status, 2) << c.line;
        EXPECT_EQ(result.err.rfind(name_of(c.program) + ": " + c.line, 0), 0u) << result.err;
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
        EXPECT_EQ(result.out, "") << c.line;
    }
}

// Values after "=" and apart are taken before --version ends the program.
TEST(ProgramCommandLines, ValuesAfterEqualsOrApartThenTheVersion) {
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {kReceiver, {"--count=2", "--timeout", "1.5", "--version"}},
        {kDevsim,
         {"--port=0", "--interval", "5", "--script=x", "--slow-client=wait", "--max-queue", "64",
          "--version"}},
        {kCheck, {"--version"}},
        {kDefine, {"--historical", "--version"}}};
    for (const auto &[program, args] : lines) {
        const ProcessResult result = run(program, args);
        EXPECT_EQ(result.exit_status, 0) << result.err;
        EXPECT_EQ(result.out, name_of(program) + " " + TAVLO_VERSION + "\n");
    }
}

// Output that cannot be written (a full device) is said on standard error
// and ends every program with status 4, --help and --version included.
TEST(ProgramCommandLines, OutputThatCannotBeWrittenGivesOneLineAndStatus4) {
    const std::pair<std::string, std::vector<std::string>> lines[] = {
        {kReceiver, {"--help"}},
        {kReceiver, {"--count", "5", "sim:0"}},
        {kReceiver, {"sim:0"}},  // without an end of its own
        {kDevsim, {"--version"}},
        {kCheck, {"--help"}},
        {kCheck, {"names", "0", "/dev/null"}},
        {kDefine, {"--version"}},
        {kDefine, {}},  // asks for a count; its input is empty
    };
    for (const auto &[program, args] : lines) {
        std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$@\" >/dev/full", "sh", program};
        argv.insert(argv.end(), args.begin(), args.end());
        const ProcessResult result = run_process({argv, {}, {}, ""}, 30);
        EXPECT_EQ(result.exit_status, 4) << testing::PrintToString(args);
        EXPECT_EQ(result.err,
                  name_of(program) + ": cannot write standard output: No space left on device\n")
            << testing::PrintToString(args);
    }
}

}  // namespace
