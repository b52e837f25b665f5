// The shared parser and its numbers on a table of options like the
// programs': both ways of giving a value, the end of the options, the edges
// of every range and every bad option.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "command_line.h"
#include "option_listings.h"
#include "option_rows.h"

namespace {

namespace cli = tavlo::cli;

const std::string kCount = "2 prog: --count: expects a whole number from 0 to 99\n";
const std::string kBig =
    "2 prog: --big: expects a whole number from -9223372036854775808 to 9223372036854775807\n";
const std::string kTimeout = "2 prog: --timeout: expects a decimal number from 0.001 to 10000000\n";

// What a command line gave: the stop's status and text, or the values
// taken in order, then "|" and the operands.
std::string outcome(std::vector<std::string> words, bool alone = false) {
    words.insert(words.begin(), "prog");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    argv.push_back(nullptr);  // as main() has it: the parser may look at argv[argc]
    std::string got;
    const auto note = [&got](const char *name) {
        return [&got, name](auto value) { got += name + testing::PrintToString(value) + " "; };
    };
    bool only = false;
    std::string name;
    std::vector<std::string> tags;
    const std::vector<cli::Option> options = {
        cli::whole_number("count", 0, 99, note("count=")),
        cli::whole_number("big", std::numeric_limits<int64_t>::min(),
                          std::numeric_limits<int64_t>::max(), note("big=")),
        cli::decimal_number("timeout", 0.001, 1e7, note("timeout=")),
        cli::flag("count-only", only),
        cli::text("name", name),
        cli::list("tag", tags)};
    const cli::Program program = {"prog", "the help\n"};
    const auto argc = static_cast<int>(words.size());
    const cli::Parsed parsed = alone ? cli::read_options_alone(program, options, argc, argv.data())
                                     : cli::read_options(program, options, argc, argv.data());
    if (parsed.stop) return std::to_string(parsed.stop->status) + " " + parsed.stop->text;
    if (only) got += "only ";
    if (!name.empty()) got += "name=" + name + " ";
    for (const std::string &tag : tags) got += "tag=" + tag + " ";
    got += "|";
    // operands is an index into argv, 1 or more.
    for (auto i = static_cast<std::size_t>(parsed.operands); i < words.size(); ++i) {
        got += " " + words[i];
    }
    return got;
}

TEST(ReadOptions, ValuesOperandsAndTheEndOfTheOptions) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "|"},
        {{"--count", "7", "dev", "id"}, "count=7 | dev id"},
        {{"--count=7", "--count-only", "dev"}, "count=7 only | dev"},
        {{"--count", "1", "--count", "2"}, "count=1 count=2 |"},
        {{"dev", "--count", "7"}, "| dev --count 7"},
        {{"--", "--count", "7"}, "| --count 7"},
        {{"--name", "--", "--", "-"}, "name=-- | -"},
        {{"--name=a=b"}, "name=a=b |"},
        {{"--tag", "a,b", "--tag=c"}, "tag=a tag=b tag=c |"},
        {{"--version", "--count"}, std::string("0 prog ") + TAVLO_VERSION + "\n"},
    };
    for (const auto &[words, expected] : cases) {
        EXPECT_EQ(outcome(words), expected) << testing::PrintToString(words);
    }
    EXPECT_EQ(outcome({"--help", "--bogus"}).rfind("0 the help\n  --count ", 0), 0u);
    EXPECT_EQ(outcome({"--count", "7", "dev"}, true), "2 prog: dev: unexpected argument\n");
    EXPECT_EQ(outcome({"--count", "7", "--"}, true), "count=7 |");
}

TEST(ReadOptions, NumbersAtTheEdgesOfTheirRanges) {
    const std::pair<std::string, std::string> taken[] = {
        {"--count=0", "count=0 |"},
        {"--count=99", "count=99 |"},
        {"--count=+7", "count=7 |"},
        {"--count=007", "count=7 |"},
        {"--big=-7", "big=-7 |"},
        {"--big=9223372036854775807", "big=9223372036854775807 |"},
        {"--big=-9223372036854775808", "big=-9223372036854775808 |"},
        {"--timeout=0.001", "timeout=0.001 |"},
        {"--timeout=10000000", "timeout=1e+07 |"},
        {"--timeout=+1.", "timeout=1 |"},
        {"--timeout=.5", "timeout=0.5 |"}};
    for (const auto &[word, expected] : taken) EXPECT_EQ(outcome({word}), expected) << word;
    struct Refused {
        std::string option, problem;
        std::vector<std::string> values;
    };
    const Refused refused[] = {
        {"--count=", kCount, {"-1", "100", "", "7x", " 7", "7 ", "++7", "0x7", "1e1"}},
        {"--big=",
         kBig,
         {"+-7", "-", "9223372036854775808", "-9223372036854775809", "99999999999999999999999"}},
        {"--timeout=",
         kTimeout,
         {"0.0009", "10000000.001", ".", "1.2.3", "-0.5", "nan", "inf", "1e3", "0x1p3"}}};
    for (const Refused &r : refused) {
        for (const std::string &value : r.values) {
            EXPECT_EQ(outcome({r.option + value}), r.problem) << r.option + value;
        }
    }
}

TEST(ReadOptions, BadOptionsStopWithOneLine) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"-cx"}, "2 prog: -cx: unknown option\n"},  // leaves getopt inside a word
        {{"--count"}, "2 prog: --count: needs a value\n"},
        {{"--count", "--count-only"}, kCount},
        {{"--coun", "7"}, "2 prog: --coun: unknown option\n"},
        {{"--count-o"}, "2 prog: --count-o: unknown option\n"},
        {{"--=1"}, "2 prog: --=1: unknown option\n"},
        {{"--count-only=yes"}, "2 prog: --count-only: takes no value\n"},
        {{"--help="}, "2 prog: --help: takes no value\n"},
        {{"--name="}, "2 prog: --name: needs a value\n"},
        {{"--tag", "a,,b"}, "2 prog: --tag: has an empty item\n"},
        {{"--count", "7", "--bogus", "--help"}, "2 prog: --bogus: unknown option\n"},
    };
    for (const auto &[words, expected] : cases) {
        EXPECT_EQ(outcome(words), expected) << testing::PrintToString(words);
    }
}

}  // namespace

// --help lays out the rows of any table: the column two past the longest
// name that fits beside its description, a longer one on a line of its own,
// descriptions wrapped at 79 columns, a group's paragraph, the common
// options closing the first group, the statuses aligned on their last digit.
TEST(HelpText, RowsAndStatusesLaidOut) {
    const auto ignore = [](auto) {};
    const std::vector<cli::Option> options = {
        cli::whole_number("count", 0, 99, ignore).help("N", "stop after N"),
        cli::one_of("choice-of-words", {"first", "second"}, ignore)
            .help("first|second", "picks one"),
        cli::whole_number("close-after", 1, 9, ignore)
            .help("N",
                  "close each connection after N messages, a description long enough to go on "
                  "to a second line")
            .after_paragraph("Faults:"),
        cli::whole_number("long", 1, 9, ignore)
            .help("N",
                  "one_word_longer_than_a_whole_line_of_help_where_it_is_said_on_a_line_"
                  "of_its_own")};
    const cli::Program program = {
        "prog", "Usage: prog\n\n", "\nAfter.\n", {{0, "done"}, {10, "the broker refused"}}, true};
    EXPECT_EQ(cli::help_text(program, options),
              "Usage: prog\n\n"
              "  --count N        stop after N\n"
              "  --choice-of-words first|second\n"
              "                   picks one\n"
              "  --help           print this text\n"
              "  --version        print the version\n"
              "  --               end of options\n"
              "\nFaults:\n"
              "  --close-after N  close each connection after N messages, a description long\n"
              "                   enough to go on to a second line\n"
              "  --long N         one_word_longer_than_a_whole_line_of_help_where_it_is_said_on_a_"
              "line_of_its_own\n"
              "\nAfter.\n"
              "\nExit status:\n"
              "   0  done\n"
              "  10  the broker refused\n");
}
