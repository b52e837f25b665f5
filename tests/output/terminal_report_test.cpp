// A hostile device's text report: on a terminal (tmux) its control bytes
// show as \xHH and do nothing, unless --raw; into a pipe every byte goes out
// as it came.
#include <gtest/gtest.h>

#include <string>

#include "child_process.h"
#include "devsim_runner.h"
#include "temporary_files.h"
#include "terminal_session.h"

namespace {

using namespace tavlo::testing;

// A device name that clears the screen, a tag name that retitles the
// window, an ASCII value that writes the clipboard (OSC 52).
const char kHostileScript[] =
    "escapes\nmessage UNSOLICITED \"EVIL\\x1b[2J\" 2 7\n"
    "tag \"T\\x1b]0;pwned\\x07\" ASCII DESC \"x\\x1b]52;c;cm0gLXJmIH4=\\x07y\" -1 0 0 3600\n";

TEST(TerminalReport, ControlBytesShowEscapedOnATerminalWorkWithRawAndPassIntoAPipe) {
    TemporaryDirectory dir("tavlo_hostile");
    Devsim devsim({"--script", dir.write("hostile.script", kHostileScript), "--loop", "0"});
    ProcessSpec spec;
    spec.argv = {TAVLO_RECEIVER_PATH, "--count", "1", devsim.address()};
    const ProcessResult plain = run_process(spec);
    EXPECT_NE(plain.out.find(": T\x1b]0;pwned\x07"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("Device: EVIL\x1b[2J Unit:"), std::string::npos) << plain.out;
    spec.argv.insert(spec.argv.begin() + 1, "--raw");
    EXPECT_EQ(run_process(spec).out, plain.out);

    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    for (const std::string raw : {"", "--raw"}) {
        // The shell stays: a pane that ends before the session is set up is gone.
        TerminalSession terminal("'" TAVLO_RECEIVER_PATH "' " + raw + " --count 1 " +
                                     devsim.address() + "; echo \"ended with $?\"; sleep 60",
                                 150, 40);
        ASSERT_TRUE(terminal.wait_for("ended with 0")) << terminal.visible();
        const std::string screen = terminal.visible();
        // --raw: the terminal cleared the screen after "Device: EVIL".
        const bool escaped = raw.empty();
        EXPECT_EQ(screen.find("Device: EVIL\\x1b[2J Unit:   2") != std::string::npos, escaped);
        EXPECT_EQ(screen.find(": T\\x1b]0;pwned\\x07\n") != std::string::npos, escaped);
        EXPECT_EQ(screen.find("Value= x\\x1b]52;c;cm0gLXJmIH4=\\x07y") != std::string::npos,
                  escaped);
        EXPECT_EQ(screen.find("Device: EVIL") == std::string::npos, !escaped) << screen;
    }
}

}  // namespace
