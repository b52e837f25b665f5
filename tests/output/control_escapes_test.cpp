// The text report's escapes for a terminal: which bytes are escaped, UTF-8
// left whole, and a sequence split between two pieces of the report.
#include "control_escapes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tavlo::receiver::ControlEscaper;

struct Case {
    const char *what;
    std::vector<std::string> pieces;  // written one after the other
    std::string shown;
};

TEST(ControlEscapes, EscapeWhatATerminalActsOnWholeOrSplit) {
    const Case cases[] = {
        {"text, line end and tab", {"Value= 12.5\tok\n"}, "Value= 12.5\tok\n"},
        {"C0 and DEL", {std::string("a\x1b[2J\x07\r\x00\x7f", 9)}, "a\\x1b[2J\\x07\\x0d\\x00\\x7f"},
        {"lone C1",
         {"\x9b"
          "31m\x80\x9f"},
         "\\x9b31m\\x80\\x9f"},
        {"UTF-8 of two, three, four bytes",
         {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
         "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"U+009B in UTF-8",
         {"\xc2\x9b"
          "31m"},
         "\\xc2\\x9b31m"},
        {"U+00A0 in UTF-8", {"\xc2\xa0"}, "\xc2\xa0"},
        {"Latin-1 bytes", {"\xe9t\xe9"}, "\xe9t\xe9"},
        {"overlong, surrogate, beyond U+10FFFF",
         {"\xc0\x9b \xe0\x80\x80 \xed\xa0\x80 \xf4\x90\x80\x80"},
         "\xc0\\x9b \xe0\\x80\\x80 \xed\xa0\\x80 \xf4\\x90\\x80\\x80"},
        {"a sequence cut by a control", {"\xe2\x82\x1b"}, "\xe2\\x82\\x1b"},
        {"split between pieces", {"\xe2", "\x82", "\xac!"}, "\xe2\x82\xac!"},
        {"U+009B split", {"x\xc2", "\x9b"}, "x\\xc2\\x9b"},
        {"cut short at the end", {"ab\xf0\x9f\x98"}, "ab\xf0\\x9f\\x98"},
        {"backslash", {"\\x1b"}, "\\x1b"},
    };
    for (const Case &c : cases) {
        ControlEscaper escaper;
        std::string out;
        for (const std::string &piece : c.pieces) escaper.escape(piece.data(), piece.size(), out);
        escaper.finish(out);
        EXPECT_EQ(out, c.shown) << c.what;
    }
}

}  // namespace
