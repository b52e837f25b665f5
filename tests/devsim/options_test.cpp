// The simulator refuses an option that would do nothing with the others
// given, and takes each option where it does its work.
#include <gtest/gtest.h>

#include "devsim_options.h"

TEST(DevsimOptions, AnOptionThatWouldDoNothingIsRefused) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--pace", "interval"}, "--pace: interval needs --script"},
        {{"--loop", "1"}, "--loop: needs --script"},
        {{"--script", "s", "--start", "0"}, "--start: does nothing with --script"},
        {{"--script=s", "--pace=recorded", "--interval=5"},
         "--interval: does nothing with --pace recorded"},
        {{"--interval", "0", "--max-queue", "8"}, "--max-queue: does nothing with --interval 0"},
        {{"--slow-client=wait", "--max-queue=8"},
         "--max-queue: does nothing with --slow-client wait"},
        {{"--first-message=10", "--corrupt-at=9"},
         "--corrupt-at: does nothing with --first-message 10"},
        {{"--count=3", "--stall-at=3"}, "--stall-at: does nothing with --count 3"},
        {{"--count", "3", "--close-after", "4"}, "--close-after: does nothing with --count 3"},
        {{"--exit-at-end"}, "--exit-at-end: needs --script"},
        {{"--skip", "5"}, "--skip: needs --skip-at"},
        {{"--skip-client=2"}, "--skip-client: needs --skip-at"},
        {{"--count=10", "--skip-at=10"}, "--skip-at: does nothing with --count 10"},
        {{"--script=s", "--loop=0", "--exit-at-end"}, "--exit-at-end: does nothing with --loop 0"},
        {{"--script=s", "--pace=recorded", "--max-queue=8", "--loop=1", "--exit-at-end"}, ""},
        {{"--first-message=9", "--count=3", "--corrupt-at=9", "--stall-at=11", "--close-after=3"},
         ""},
        {{"--skip-at=4", "--skip=767", "--skip-client=1"}, ""},
    };
    for (auto [words, line] : cases) {
        words.insert(words.begin(), "tavlo_devsim");
        std::vector<char *> argv;
        for (std::string &word : words) argv.push_back(word.data());
        const auto stop =
            tavlo::devsim::parse_devsim_command_line(static_cast<int>(argv.size()), argv.data())
                .stop;
        EXPECT_EQ(stop ? stop->text : "", line.empty() ? "" : "tavlo_devsim: " + line + "\n")
            << testing::PrintToString(words);
        EXPECT_EQ(stop ? stop->status : 2, 2);
    }
}
