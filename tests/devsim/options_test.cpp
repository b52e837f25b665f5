// The simulator's command line refuses every option that would do nothing
// with the others given, as it refuses --speed without --pace recorded, and
// takes the combinations where each option does its work.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devsim_options.h"

namespace {

// The error line of a command line, or "" when it is taken.
std::string refusal(std::vector<std::string> words) {
    words.insert(words.begin(), "tavlo_devsim");
    std::vector<char *> argv;
    for (std::string &word : words) argv.push_back(word.data());
    const auto parsed =
        tavlo::devsim::parse_devsim_command_line(static_cast<int>(argv.size()), argv.data());
    if (!parsed.stop) return "";
    EXPECT_EQ(parsed.stop->status, 2) << parsed.stop->text;
    return parsed.stop->text;
}

TEST(DevsimOptions, AnOptionThatWouldDoNothingIsRefused) {
    struct Case {
        std::vector<std::string> words;
        std::string line;  // after "tavlo_devsim: "; "" when taken
    };
    const Case cases[] = {
        {{"--pace", "interval"}, "--pace: interval needs --script"},
        {{"--loop", "1"}, "--loop: needs --script"},
        {{"--script", "s", "--start", "1700000000"}, "--start: does nothing with --script"},
        {{"--script", "s", "--pace", "recorded", "--interval", "5"},
         "--interval: does nothing with --pace recorded"},
        {{"--interval", "0", "--max-queue", "8"}, "--max-queue: does nothing with --interval 0"},
        {{"--script", "s", "--pace", "recorded", "--speed", "0", "--max-queue", "8"},
         "--max-queue: does nothing with --speed 0"},
        {{"--slow-client", "wait", "--max-queue", "8"},
         "--max-queue: does nothing with --slow-client wait"},
        {{"--first-message", "10", "--corrupt-at", "9"},
         "--corrupt-at: does nothing with --first-message 10"},
        {{"--first-message", "10", "--count", "3", "--stall-at", "13"},
         "--stall-at: does nothing with --count 3"},
        {{"--count", "3", "--oversize-at", "3"}, "--oversize-at: does nothing with --count 3"},
        {{"--count", "3", "--truncate-at", "3"}, "--truncate-at: does nothing with --count 3"},
        {{"--count", "3", "--close-after", "4"}, "--close-after: does nothing with --count 3"},
        {{"--exit-at-end"}, "--exit-at-end: needs --script"},
        {{"--script", "s", "--loop", "0", "--exit-at-end"},
         "--exit-at-end: does nothing with --loop 0"},
        // Each option at work: taken.
        {{"--script", "s", "--loop", "2", "--exit-at-end"}, ""},
        {{"--script", "s", "--pace", "interval", "--interval", "0", "--loop", "1"}, ""},
        {{"--script", "s", "--pace", "recorded", "--max-queue", "8"}, ""},
        {{"--start", "0", "--interval", "1", "--max-queue", "8", "--slow-client", "drop"}, ""},
        {{"--first-message", "10", "--count", "3", "--corrupt-at", "10", "--stall-at", "12"}, ""},
        {{"--count", "3", "--close-after", "3", "--truncate-at", "0"}, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(refusal(c.words), c.line.empty() ? "" : "tavlo_devsim: " + c.line + "\n")
            << testing::PrintToString(c.words);
    }
}

}  // namespace
