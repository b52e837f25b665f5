// tavlo_define_tags: driven from files of answers, and in a real terminal.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "child_process.h"
#include "dialogue_texts.h"
#include "terminal_session.h"

namespace {

using namespace tavlo::testing;

const std::string kCountPrompt = "\nNumber of tags to define (0 to 100): ";
const std::string kHeading = "\n\nThe tags as defined (tag_name_stride 40):";
const std::string kGoodLines = "\nStatus is GOOD (-1)\nFacility=0\nDriver Status=0";

ProcessResult run_tool(const std::string &input, std::vector<std::string> arguments = {}) {
    ProcessSpec process;
    process.argv = {TAVLO_DEFINE_TAGS_PATH};
    process.argv.insert(process.argv.end(), arguments.begin(), arguments.end());
    process.env["TZ"] = "UTC0";
    process.input = input;
    return run_process(process);
}

TEST(DefineTagsTool, DefinesTagsFromAFileOfAnswersAndPrintsTheirRecords) {
    const ProcessResult result = run_tool("abc\n101\n1\nTEMP\n1\n\n1.5\n1\n1\n0.5\n");
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, kCountPrompt + kCountPrompt + kCountPrompt + name_prompt(1) +
                              data_type_menu("TEMP") + device_menu("REAL  ", "TEMP") +
                              real_prompt("TEMP") + output_type_menu("TEMP") +
                              deadband_menu("TEMP") + kAbsolutePrompt + kHeading +
                              "\nTagname : TEMP" + std::string(35, ' ') +
                              "\nType: REAL  Device Data Type: REAL"
                              "\nValue= 1.500000" +
                              kGoodLines + "\n" +
                              "\nTag 1: output type 0, deadband type 1, deadband value 0.500000"
                              "\n");
}

TEST(DefineTagsTool, DefinesHistoricalTagsAndPrintsTheirPeriodsAsLocalTime) {
    const ProcessResult result =
        run_tool("1\nHIST\n6\n\n-5\n10-30-15\n01-02-70\n11-00\n12-31-20\n", {"--historical"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, kCountPrompt + name_prompt(1) + historical_data_type_menu("HIST") +
                              device_menu("TIME  ", "HIST") + kValueCountPrompt + kStartTimePrompt +
                              kStartDatePrompt + kEndTimePrompt + kEndDatePrompt + kHeading +
                              "\nTag 1: HIST" + std::string(35, ' ') +
                              "\nData type 6 (TIME  )  Device data type 6 (TIME  )  Size 8"
                              "\nNumber of values: -5"
                              "\nStart: 124215 seconds, Fri Jan  2 10:30:15 1970"
                              "\nEnd:   1609412400 seconds, Thu Dec 31 11:00:00 2020"
                              "\n");
}

TEST(DefineTagsTool, AShortFileOfAnswersEndsTheDialogueAndListsWhatCameBack) {
    const ProcessResult result = run_tool("2\nA\n1\n\n1.5\n1\n1\n0\n");
    EXPECT_EQ(result.exit_status, 0);
    // The second tag was never asked for: its compact name entry is 40
    // blanks and its descriptor zero, where the report stops.
    EXPECT_EQ(result.out, kCountPrompt + name_prompt(1) + data_type_menu("A") +
                              device_menu("REAL  ", "A") + real_prompt("A") +
                              output_type_menu("A") + deadband_menu("A") + kAbsolutePrompt +
                              name_prompt(2) + input_ended(2, 2) + kHeading + "\nTagname [1]: A" +
                              std::string(38, ' ') +
                              "\nType: REAL  Device Data Type: REAL"
                              "\nValue= 1.500000" +
                              kGoodLines + "\n" + "\nTagname [2]: " + std::string(40, ' ') +
                              "\nType: UNKNOWN TYPE  UNKNOWN DEVICE DATA TYPE"
                              "\nUnknown data type"
                              "\nTag 1: output type 0, deadband type 1, deadband value 0.000000"
                              "\nTag 2: output type 0, deadband type 0, deadband value 0.000000"
                              "\n");
}

TEST(DefineTagsTool, CountZeroDefinesNothing) {
    const ProcessResult result = run_tool("0\n", {"--historical"});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.out, kCountPrompt + kHeading + "\n");
}

TEST(DefineTagsTool, EndOfInputBeforeTheCountEndsWithStatus1) {
    const std::string ended = "\nInput ended before the number of tags was given.\n";
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 1}, {"abc\n", 2}, {"7000", 1}, {"-1\n\n", 3}};
    for (const auto &[input, prompts] : cases) {
        const ProcessResult result = run_tool(input);
        EXPECT_EQ(result.exit_status, 1) << input;
        EXPECT_EQ(result.out, repeated(kCountPrompt, prompts) + ended) << input;
    }
}

TEST(DefineTagsTool, AReadErrorOfTheInputEndsItLikeItsEnd) {
    // Standard input closed, and a folder as standard input: every read
    // fails. A program that asked again for ever would be cut short by head.
    for (const char *input : {"<&-", "</"}) {
        ProcessSpec process;
        process.argv = {"/bin/bash", "-c",
                        std::string("\"$0\" ") + input + " | head -c 10000; exit ${PIPESTATUS[0]}",
                        TAVLO_DEFINE_TAGS_PATH};
        const ProcessResult result = run_process(process, 30);
        EXPECT_EQ(result.exit_status, 1) << input;
        EXPECT_EQ(result.out, kCountPrompt + "\nInput ended before the number of tags was given.\n")
            << input;
    }
}

TEST(DefineTagsTool, HelpAndUnknownArguments) {
    const ProcessResult help = run_tool("", {"--help"});
    EXPECT_EQ(help.exit_status, 0);
    EXPECT_EQ(help.out.rfind("Usage: tavlo_define_tags [--historical]\n", 0), 0u) << help.out;
    const ProcessResult unknown = run_tool("", {"--bogus"});
    EXPECT_EQ(unknown.exit_status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "tavlo_define_tags: --bogus: unknown option\n");
}

// Every prompt must be on the screen before the program waits for its
// answer: the next key is sent only once the prompt shows. With its output
// through a pipe the program's standard output is fully buffered, so only
// its own flush before each read brings the prompt to the screen.
TEST(DefineTagsTool, ShowsEachPromptInARealTerminalBeforeItsRead) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    const std::string program = std::string("TZ=UTC0 '") + TAVLO_DEFINE_TAGS_PATH + "'";
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"Number of tags to define (0 to 100):", "1"},
        {"Please enter tagname 1:", "TEMP"},
        {"Please select data type for tag 'TEMP':", "1"},
        {"Press RETURN for default:", ""},
        {"Enter real value for tag 'TEMP':", "1.5"},
        {"Please select output type for tag 'TEMP':", "2"},
        {"Please select deadband type for tag 'TEMP':", "1"},
        {"Please enter absolute deadband value:", "0.5"},
    };
    for (const std::string &command : {program, program + " | cat"}) {
        TerminalSession terminal(command);
        for (const auto &[prompt, answer] : steps) {
            ASSERT_TRUE(terminal.wait_for(prompt)) << command << ": " << prompt << "\n--- screen:\n"
                                                   << terminal.screen();
            terminal.type_line(answer);
        }
        ASSERT_TRUE(
            terminal.wait_for("Tag 1: output type 1, deadband type 1, deadband value 0.500000"))
            << command << "\n--- screen:\n"
            << terminal.screen();
        EXPECT_NE(terminal.screen().find("Value= 1.500000"), std::string::npos)
            << command << "\n--- screen:\n"
            << terminal.screen();
    }
}

}  // namespace
