// The text report of a hostile device: on a terminal (tmux) its control
// bytes show as \xHH and do nothing, unless --raw; into a pipe every byte
// goes out as it came.
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
    "escapes\n"
    "message UNSOLICITED \"EVIL\\x1b[2J\" 2 7\n"
    "tag \"T\\x1b]0;pwned\\x07\" ASCII DESC \"x\\x1b]52;c;cm0gLXJmIH4=\\x07y\" -1 0 0 3600\n";

const char kTitle[] = "\x1b]0;pwned\x07";
const char kShownTitle[] = ": T\\x1b]0;pwned\\x07\n";
const char kShownDevice[] = "Device: EVIL\\x1b[2J Unit:";
const char kShownValue[] = "Value= x\\x1b]52;c;cm0gLXJmIH4=\\x07y";

// The shell stays after the receiver: a pane that ends before the session
// is set up is gone.
std::string receiver_line(const std::string &options, const std::string &address) {
    return "'" TAVLO_RECEIVER_PATH "' " + options + " --count 1 " + address +
           "; echo \"receiver ended with status $?\"; sleep 60";
}

TEST(TerminalReport, ControlBytesShowEscapedOnATerminalAndWorkOnlyWithRaw) {
    if (!TerminalSession::available()) GTEST_SKIP() << "tmux is not installed";
    TemporaryDirectory dir("tavlo_hostile");
    Devsim devsim({"--script", dir.write("hostile.script", kHostileScript), "--interval", "100",
                   "--loop", "0"});
    {
        TerminalSession terminal(receiver_line("", devsim.address()), 150, 40);
        ASSERT_TRUE(terminal.wait_for("receiver ended with status 0")) << terminal.visible();
        const std::string screen = terminal.visible();
        for (const char *shown : {kShownDevice, kShownTitle, kShownValue}) {
            EXPECT_NE(screen.find(shown), std::string::npos) << shown << "\n" << screen;
        }
        EXPECT_NE(terminal.title(), "pwned");
    }
    TerminalSession raw(receiver_line("--raw", devsim.address()), 150, 40);
    ASSERT_TRUE(raw.wait_for("receiver ended with status 0")) << raw.visible();
    EXPECT_EQ(raw.title(), "pwned");
    EXPECT_EQ(raw.visible().find("\\x1b"), std::string::npos) << raw.visible();
}

TEST(TerminalReport, IntoAPipeEveryByteGoesOutAsItCame) {
    TemporaryDirectory dir("tavlo_hostile");
    Devsim devsim({"--script", dir.write("hostile.script", kHostileScript), "--interval", "100",
                   "--loop", "0"});
    ProcessSpec spec;
    spec.argv = {TAVLO_RECEIVER_PATH, "--count", "1", devsim.address()};
    const ProcessResult plain = run_process(spec);
    spec.argv.insert(spec.argv.begin() + 1, "--raw");
    const ProcessResult raw = run_process(spec);
    EXPECT_EQ(plain.exit_status, 0);
    EXPECT_NE(plain.out.find(std::string(": T") + kTitle), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("Device: EVIL\x1b[2J Unit:"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out, raw.out);
}

}  // namespace
