// ask_yes_no, wait_for_return and clear_screen.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "console_capture.h"
#include "scoped_environment.h"
#include "tavlo_testsupport.h"
#include "temporary_files.h"

namespace {

using tavlo::testing::ConsoleCapture;
using tavlo::testing::ScopedEnvironmentVariable;
using tavlo::testing::TemporaryDirectory;

const std::string kInvalid = "\nInvalid entry, please re-enter: ";

struct YesNoCase {
    const char *what;
    std::string input;
    int32_t answer;
    std::string output;
    std::string left;
};

TEST(AskYesNo, AnswersOnlyASingleYOrNAndNoAtEndOfInput) {
    const std::vector<YesNoCase> cases = {
        {"y", "y\nrest\n", 1, "", "rest\n"},
        {"Y", "Y\nrest\n", 1, "", "rest\n"},
        {"n", "n\nrest\n", 0, "", "rest\n"},
        {"N", "N\nrest\n", 0, "", "rest\n"},
        {"yes, then y", "yes\ny\n", 1, kInvalid, ""},
        {"empty, then n", "\nn\n", 0, kInvalid, ""},
        {"x, then Y", "x\nY\n", 1, kInvalid, ""},
        {"three wrong, then N", "yes\n\nx\nN\n", 0, kInvalid + kInvalid + kInvalid, ""},
        {"a 300-character line is cut and its rest dropped", std::string(300, 'y') + "\nn\n", 0,
         kInvalid, ""},
        {"last line without its line feed", "y", 1, "", ""},
        {"end of input", "", 0, "", ""},
        {"x, then end of input", "x\n", 0, kInvalid, ""},
    };
    for (const YesNoCase &c : cases) {
        ConsoleCapture capture(c.input);
        EXPECT_EQ(ask_yes_no(), c.answer) << c.what;
        EXPECT_EQ(capture.output(), c.output) << c.what;
        EXPECT_EQ(capture.unread_input(), c.left) << c.what;
    }
}

TEST(WaitForReturn, PrintsItsLineAndConsumesExactlyOneCharacter) {
    ConsoleCapture capture("abc\nnext\n");
    EXPECT_EQ(wait_for_return(), 'a');
    EXPECT_EQ(capture.output(), "\n\nPlease press RETURN to continue...");
    EXPECT_EQ(capture.unread_input(), "bc\nnext\n");
    EXPECT_EQ(wait_for_return(), 'b');
    EXPECT_EQ(capture.unread_input(), "c\nnext\n");
}

TEST(WaitForReturn, ReturnsTheEndOfInputIndicator) {
    ConsoleCapture capture("");
    EXPECT_EQ(wait_for_return(), EOF);
    EXPECT_EQ(capture.output(), "\n\nPlease press RETURN to continue...");
}

// A directory holding a "clear" command of the test's own, put first on
// PATH while the object lives.
class FakeClearCommand {
public:
    explicit FakeClearCommand(const std::string &script)
        : directory_("tavlo_clear"), path_("PATH", directory_.path() + ":" + path_now()) {
        if (chmod(directory_.write("clear", script).c_str(), 0700) != 0) {
            throw std::runtime_error("cannot make the clear command executable");
        }
    }

private:
    static std::string path_now() {
        const char *path = std::getenv("PATH");
        return path != nullptr ? path : "";
    }

    TemporaryDirectory directory_;
    ScopedEnvironmentVariable path_;
};

TEST(ClearScreen, RunsClearAfterWhatWasPrintedAndReturnsItsResult) {
    FakeClearCommand clear("#!/bin/sh\nprintf '[cleared %s]' \"$#\"\nexit 3\n");
    ConsoleCapture capture;
    std::fputs("before", stdout);
    const int result = clear_screen();
    ASSERT_TRUE(WIFEXITED(result)) << result;
    EXPECT_EQ(WEXITSTATUS(result), 3);
    EXPECT_EQ(capture.output(), "before[cleared 0]");
}

}  // namespace
