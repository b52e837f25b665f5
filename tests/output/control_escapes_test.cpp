// The text report's escapes for a terminal: which bytes, UTF-8 left whole,
// a sequence split between two pieces of the report.
#include "control_escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(ControlEscapes, EscapeWhatATerminalActsOnWholeOrSplit) {
    const struct {
        std::vector<std::string> pieces;  // written one after the other
        std::string shown;
    } cases[] = {
        {{std::string("a\tb\n\x1b[2J\x07\r\x00\x7f\\", 13)},
         "a\tb\n\\x1b[2J\\x07\\x0d\\x00\\x7f\\"},
        // Lone C1, U+009B and U+00A0 in UTF-8, Latin-1.
        {{"\x9b\x80 \xc2\x9b \xc2\xa0 \xe9t"}, "\\x9b\\x80 \\xc2\\x9b \xc2\xa0 \xe9t"},
        {{"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
         "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
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
