// The text report made safe for a terminal: which bytes the escaper takes,
// and a hostile device's report on a terminal (tmux) and into a pipe.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "control_escapes.h"
#include "devsim_runner.h"
#include "temporary_files.h"
#include "terminal_session.h"

namespace {

using namespace tavlo::testing;

TEST(ControlEscapes, EscapeWhatATerminalActsOnWholeOrSplit) {
    const struct {
        std::vector<std::string> pieces;  // written one after the other
        std::string shown;
    } cases[] = {
        {{std::string("a\tb\n\x1b[2J\x07\r\x00\x7f\\", 13)},
         "a\tb\n\\x1b[2J\\x07\\x0d\\x00\\x7f\\"},
        // Lone C1, U+009B, U+00A0 and others in UTF-8, Latin-1.
        {{"\x9b\x80 \xc2\x9b \xc2\xa0 \xc3\xa9\xf0\x9f\x98\x80 \xe9t"},
         "\\x9b\\x80 \\xc2\\x9b \xc2\xa0 \xc3\xa9\xf0\x9f\x98\x80 \xe9t"},
        // Overlong, surrogate, beyond U+10FFFF, cut by a control.
        {{"\xc0\x9b \xe0\x80\x80 \xed\xa0\x80 \xf4\x90\x80 \xe2\x82\x1b"},
         "\xc0\\x9b \xe0\\x80\\x80 \xed\xa0\\x80 \xf4\\x90\\x80 \xe2\\x82\\x1b"},
        // Split between pieces, and cut short at the end.
        {{"\xe2", "\x82", "\xac!", "x\xc2", "\x9b", "\xf0\x9f\x98"},
         "\xe2\x82\xac!x\\xc2\\x9b\xf0\\x9f\\x98"},
    };
    for (const auto &c : cases) {
        tavlo::receiver::ControlEscaper escaper;
        std::string out;
        for (const std::string &piece : c.pieces) escaper.escape(piece.data(), piece.size(), out);
        escaper.finish(out);
        EXPECT_EQ(out, c.shown) << c.pieces[0];
    }
}

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
        for (const char *shown : {"Device: EVIL\\x1b[2J Unit:   2", ": T\\x1b]0;pwned\\x07\n",
                                  "Value= x\\x1b]52;c;cm0gLXJmIH4=\\x07y"}) {
            EXPECT_EQ(screen.find(shown) != std::string::npos, raw.empty()) << shown << screen;
        }
        // --raw: the terminal cleared the screen after "Device: EVIL".
        EXPECT_EQ(screen.find("Device: EVIL") == std::string::npos, !raw.empty()) << screen;
    }
}

}  // namespace
