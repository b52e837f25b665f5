// The shared parser on a table of options like the programs': both ways of
// giving a value, the end of the options, and every bad option.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"
#include "option_rows.h"

namespace {

namespace cli = tavlo::cli;

constexpr cli::Program kProgram = {"prog", "the help\n"};

// What a command line gave: its stop, or the options and the operands.
std::string outcome(std::vector<std::string> words, bool alone = false) {
    words.insert(words.begin(), "prog");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int64_t count = -1;
    bool count_only = false;
    std::string name = "-";
    std::vector<std::string> tags;
    const std::vector<cli::Option> options = {cli::whole("count", count, 0, 99),
                                              cli::flag("count-only", count_only),
                                              cli::text("name", name), cli::list("tag", tags)};
    const auto argc = static_cast<int>(words.size());
    const cli::Parsed parsed = alone ? cli::read_options_alone(kProgram, options, argc, argv.data())
                                     : cli::read_options(kProgram, options, argc, argv.data());
    if (parsed.stop) return std::to_string(parsed.stop->status) + " " + parsed.stop->text;
    std::string text = "count=" + std::to_string(count) + " only=" + std::to_string(count_only) +
                       " name=" + name + " tags=";
    for (const std::string &tag : tags) text += tag + "|";
    text += " operands=";
    for (int i = parsed.operands; i < argc; ++i) text += words[i] + "|";
    return text;
}

TEST(ReadOptions, ValuesOperandsAndTheEndOfTheOptions) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "count=-1 only=0 name=- tags= operands="},
        {{"--count", "7", "dev", "id"}, "count=7 only=0 name=- tags= operands=dev|id|"},
        {{"--count=7", "--count-only", "dev"}, "count=7 only=1 name=- tags= operands=dev|"},
        {{"--count", "1", "--count", "2"}, "count=2 only=0 name=- tags= operands="},
        {{"dev", "--count", "7"}, "count=-1 only=0 name=- tags= operands=dev|--count|7|"},
        {{"--", "--count", "7"}, "count=-1 only=0 name=- tags= operands=--count|7|"},
        {{"--name", "--", "--", "x"}, "count=-1 only=0 name=-- tags= operands=x|"},
        {{"--name=a=b", "-"}, "count=-1 only=0 name=a=b tags= operands=-|"},
        {{"--tag", "a,b", "--tag=c"}, "count=-1 only=0 name=- tags=a|b|c| operands="},
        {{"--help", "--bogus"}, "0 the help\n"},
        {{"--version", "--count"}, std::string("0 prog ") + TAVLO_VERSION + "\n"},
    };
    for (const auto &[words, expected] : cases) {
        EXPECT_EQ(outcome(words), expected) << testing::PrintToString(words);
    }
}

TEST(ReadOptions, BadOptionsStopWithOneLine) {
    const std::string count = "2 prog: --count: expects a whole number from 0 to 99\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-cx"}, "2 prog: -cx: unknown option\n"},  // leaves getopt inside a word
        {{"--count"}, "2 prog: --count: needs a value\n"},
        {{"--count="}, count},
        {{"--count", "100"}, count},
        {{"--count", "--count-only"}, count},
        {{"--coun", "7"}, "2 prog: --coun: unknown option\n"},
        {{"--count-o"}, "2 prog: --count-o: unknown option\n"},
        {{"--c=1"}, "2 prog: --c: unknown option\n"},
        {{"--=1"}, "2 prog: --=1: unknown option\n"},
        {{"--count-only=yes"}, "2 prog: --count-only: takes no value\n"},
        {{"--help="}, "2 prog: --help: takes no value\n"},
        {{"--name="}, "2 prog: --name: needs a value\n"},
        {{"--tag", "a,,b"}, "2 prog: --tag: has an empty item\n"},
        {{"--tag", "a,"}, "2 prog: --tag: has an empty item\n"},
        {{"--count", "7", "--bogus", "--help"}, "2 prog: --bogus: unknown option\n"},
    };
    for (const auto &[words, expected] : cases) {
        EXPECT_EQ(outcome(words), expected) << testing::PrintToString(words);
    }
    EXPECT_EQ(outcome({"--count", "7", "dev"}, true), "2 prog: dev: unexpected argument\n");
    EXPECT_EQ(outcome({"--count", "7", "--"}, true), "count=7 only=0 name=- tags= operands=");
}

}  // namespace
