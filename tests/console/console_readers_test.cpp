// The console readers: lines cut to size, lenient numbers, end of input.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "console_capture.h"
#include "console_input.h"
#include "tavlo_testsupport.h"

namespace {

using tavlo::testing::capture_stdout;
using tavlo::testing::ConsoleCapture;
using tavlo::ts::console_input_ended;

struct LineCase {
    const char *what;
    std::string input;
    int32_t size;
    std::string stored;
    std::string left;  // input left for the next read
};

TEST(ReadLine, StoresTheFirstSizeMinusOneCharactersAndDropsTheRestOfTheLine) {
    const std::vector<LineCase> cases = {
        {"cut at size", "12-31-2020\nnext\n", 9, "12-31-20", "next\n"},
        {"size 1", "12-31-2020\nnext\n", 1, "", "next\n"},
        {"fits", "abc\nnext\n", 9, "abc", "next\n"},
        {"empty line", "\nnext\n", 9, "", "next\n"},
        {"end of input", "", 9, "", ""},
        {"last line without its line feed", "last", 9, "last", ""},
        {"1199 characters kept whole", std::string(1199, 'a') + "\nnext\n", 2000,
         std::string(1199, 'a'), "next\n"},
        {"1200 characters cut to 1199", std::string(1200, 'b') + "\nnext\n", 2000,
         std::string(1199, 'b'), "next\n"},
        {"1500 characters, then another line", std::string(1500, 'c') + "\nsecond\n", 2000,
         std::string(1199, 'c'), "second\n"},
    };
    for (const LineCase &c : cases) {
        std::vector<char> buffer(static_cast<std::size_t>(c.size) + 8, 'X');
        ConsoleCapture capture(c.input);
        EXPECT_EQ(read_line(buffer.data(), c.size), 0) << c.what;
        EXPECT_EQ(std::string(buffer.data()), c.stored) << c.what;
        // Nothing is written past the NUL that ends what was stored.
        for (std::size_t i = c.stored.size() + 1; i < buffer.size(); ++i) {
            ASSERT_EQ(buffer[i], 'X') << c.what << ": byte " << i;
        }
        EXPECT_EQ(capture.unread_input(), c.left) << c.what;
        EXPECT_EQ(capture.output(), "") << c.what;
    }
}

TEST(ReadLine, TheNextReadAfterAnOverlongLineGetsTheFollowingLine) {
    ConsoleCapture capture(std::string(1500, 'x') + "\nsecond\n");
    char first[16];
    char second[16];
    read_line(first, sizeof first);
    read_line(second, sizeof second);
    EXPECT_EQ(std::string(first), std::string(15, 'x'));
    EXPECT_EQ(std::string(second), "second");
}

TEST(ReadLine, ANullBufferOrASizeBelowOneStillReadsTheLine) {
    ConsoleCapture capture("dropped\nkept\n");
    EXPECT_EQ(read_line(nullptr, 10), 0);
    char buffer[4] = {'X', 'X', 'X', 'X'};
    EXPECT_EQ(read_line(buffer, 0), 0);
    EXPECT_EQ(buffer[0], 'X');
    EXPECT_EQ(capture.unread_input(), "");
}

TEST(ReadLine, KnowsWhenInputEndedBeforeAnyCharacter) {
    ConsoleCapture capture("\nlast");
    char buffer[8];
    read_line(buffer, sizeof buffer);
    EXPECT_FALSE(console_input_ended()) << "an empty line is a line";
    read_line(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), "last");
    EXPECT_FALSE(console_input_ended()) << "a last line without its line feed is a line";
    read_line(buffer, sizeof buffer);
    EXPECT_EQ(std::string(buffer), "");
    EXPECT_TRUE(console_input_ended());
}

TEST(PromptLine, PrintsThePromptAsItStandsThenReads) {
    char buffer[16];
    const std::string out =
        capture_stdout([&] { EXPECT_EQ(prompt_line("\nName 100%: ", buffer, 16), 0); }, "TEMP\n");
    EXPECT_EQ(out, "\nName 100%: ");
    EXPECT_EQ(std::string(buffer), "TEMP");
}

struct LongCase {
    std::string input;
    int32_t expected;
};

TEST(ReadLong, ConvertsTheLeadingNumberAndKeepsTheTargetOnAnEmptyLine) {
    const std::vector<LongCase> cases = {
        {" -42xyz\n", -42},
        {"12abc\n", 12},
        {"abc\n", 0},
        {"   \n", 0},
        {"\n", 77},  // unchanged
        {"", 77},    // end of input: unchanged
        {"2147483647\n", 2147483647},
        {"5000000000\n", 705032704},  // the low 32 bits of 5000000000
        {"-1\n", -1},
        // Only the first 255 characters are converted: 254 blanks and "1".
        {std::string(254, ' ') + "12\n", 1},
    };
    for (const LongCase &c : cases) {
        int32_t target = 77;
        ConsoleCapture capture(c.input);
        EXPECT_EQ(read_long(&target), 0);
        EXPECT_EQ(target, c.expected) << '"' << c.input << '"';
    }
}

TEST(ReadIntAndShort, AnEmptyLineGivesZeroAndShortKeepsTheLow16Bits) {
    const std::vector<std::pair<std::string, int>> int_cases = {
        {"123\n", 123}, {"-7x\n", -7}, {"\n", 0}, {"", 0}};
    for (const auto &[input, expected] : int_cases) {
        int target = 99;
        ConsoleCapture capture(input);
        EXPECT_EQ(read_int(&target), 0);
        EXPECT_EQ(target, expected) << '"' << input << '"';
    }
    const std::vector<std::pair<std::string, int16_t>> short_cases = {
        {"70000\n", 4464}, {"-1\n", -1}, {"32768\n", -32768}, {"\n", 0}, {"abc\n", 0}};
    for (const auto &[input, expected] : short_cases) {
        int16_t target = 99;
        ConsoleCapture capture(input);
        EXPECT_EQ(read_short(&target), 0);
        EXPECT_EQ(target, expected) << '"' << input << '"';
    }
}

TEST(ReadDoubleAndFloat, ConvertLenientlyAndTreatAnEmptyLineAsTheirPartSays) {
    const std::vector<std::pair<std::string, double>> double_cases = {
        {"2.5e3x\n", 2500.0}, {" -0.125\n", -0.125}, {"abc\n", 0.0}, {"\n", 7.5}, {"", 7.5}};
    for (const auto &[input, expected] : double_cases) {
        double target = 7.5;
        ConsoleCapture capture(input);
        EXPECT_EQ(read_double(&target), 0);
        EXPECT_EQ(target, expected) << '"' << input << '"';
    }
    const std::vector<std::pair<std::string, float>> float_cases = {
        {"0.1\n", 0.1f}, {"-2.5kg\n", -2.5f}, {"\n", 0.0f}, {"", 0.0f}};
    for (const auto &[input, expected] : float_cases) {
        float target = 7.5f;
        ConsoleCapture capture(input);
        EXPECT_EQ(read_float(&target), 0);
        EXPECT_EQ(target, expected) << '"' << input << '"';
    }
    float huge = 0.0f;
    ConsoleCapture capture("1e300\n");
    read_float(&huge);
    EXPECT_TRUE(std::isinf(huge) && huge > 0) << huge;
}

TEST(NumberPrompts, PrintThePromptAndGiveZeroForAnEmptyLine) {
    struct Case {
        std::string input;
        float expected_float;
        int32_t expected_long;
    };
    for (const Case &c : {Case{"2.5\n-7\n", 2.5f, -7}, Case{"\n\n", 0.0f, 0}, Case{"", 0.0f, 0}}) {
        float real = 9.0f;
        int32_t whole = 9;
        const std::string out = capture_stdout(
            [&] {
                prompt_float("\nReal: ", &real);
                prompt_long("\nWhole: ", &whole);
            },
            c.input);
        EXPECT_EQ(out, "\nReal: \nWhole: ");
        EXPECT_EQ(real, c.expected_float);
        EXPECT_EQ(whole, c.expected_long);
    }
}

}  // namespace
