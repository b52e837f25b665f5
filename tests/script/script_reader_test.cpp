// The grown script lines that cannot be used, and a script read as it is
// sent: its first message before the rest of the file.
#include "script_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "read_script.h"
#include "temporary_files.h"

namespace {

using tavlo::script::ScriptError;
using tavlo::script::ScriptMessage;
using tavlo::script::ScriptReader;

TEST(ScriptReader, GrownLinesInErrorAreReportedWithTheirNumber) {
    const std::string good = "escapes\nmessage GET P 1 2\n";
    const std::string tag = "tag A REAL REAL 1 -1 0 0 0";
    struct Case {
        std::string line;
        std::string reason;
    };
    const Case cases[] = {
        {"message GET P 1 2 seq=1 seq=2",
         "a message line ends in options seq=N, tags=N, names=40|256, at=SECONDS.MMM, each at most "
         "once"},
        {"message GET P 1 2 speed=3",
         "a message line ends in options seq=N, tags=N, names=40|256, at=SECONDS.MMM, each at most "
         "once"},
        {"message GET P 1 2 seq=2147483648", "seq= needs a 32-bit whole number"},
        {"message GET P 1 2 names=41", "names= is 40 or 256"},
        {"message GET P 1 2 at=1.5", "at= needs SECONDS or SECONDS.MMM"},
        {"message GET \"P\\x00\" 1 2", "a device name holds no NUL"},
        {"escapes please", "an escapes line holds the word alone"},
        {tag + " elements",
         "a tag line ends in options elements=N, stamp-ms=N, more=N, each at most once"},
        {tag + " elements=x", "elements= needs a 32-bit whole number"},
        {"message GET P 1 2 tags=65537", "tags= needs a whole number from 0 to 65536"},
        {tag + " more=1", "more= needs a CODE:SIZE value and a whole number from 0"},
        {tag + " stamp-ms=-2147483649", "stamp-ms= needs a 32-bit whole number"},
        {"tag " + std::string(256, 'n') + " REAL REAL 1 -1 0 0 0",
         "a tag name has at most 255 bytes"},
        {"tag A 1:x REAL 1 -1 0 0 0",
         "CODE:SIZE needs a 16-bit type code and a size up to 16777216"},
        {"tag A 32768:4 REAL 1 -1 0 0 0",
         "CODE:SIZE needs a 16-bit type code and a size up to 16777216"},
        {"tag A 1:16777217 REAL \"\" -1 0 0 0",
         "CODE:SIZE needs a 16-bit type code and a size up to 16777216"},
        {"tag A 1:2 REAL 010203 -1 0 0 0",
         "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes"},
        {"tag A 1:2 REAL 0g -1 0 0 0",
         "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes"},
        {"tag A REAL REAL 1e-50 -1 0 0 0", "a REAL value must be a number"},
        {"more 00", "a more line follows the tag line of a CODE:SIZE value"},
        {tag + "\nmore 00", "a more line follows the tag line of a CODE:SIZE value"},
        {"tag A 1:2 REAL 01 -1 0 0 0\nmore 0203",
         "a CODE:SIZE value is hex digits, two for each byte, at most SIZE bytes"},
        {"tag A 1:2 REAL 01 -1 0 0 0\nmore", "a more line is: more HEX"},
    };
    for (const Case &c : cases) {
        const std::string text(good + c.line + "\n");
        std::vector<tavlo::records::Message> messages;
        ScriptError error;
        EXPECT_FALSE(tavlo::testing::read_script(text, messages, error)) << c.line;
        // The last line of the case, after the good two.
        EXPECT_EQ(error.line, 3 + std::count(c.line.begin(), c.line.end(), '\n')) << c.line;
        EXPECT_EQ(error.reason, c.reason) << c.line;
    }
}

TEST(ScriptReader, NamesGiveTheirLayoutAndWhatTheyHold) {
    const std::string text(
        "message GET P 1 2 names=256\ntag A REAL REAL 1 -1 0 0 0\n"
        "message GET P 1 2 names=40\ntag \"" +
        std::string(39, 'n') +
        "\" REAL REAL 1 -1 0 0 0\n"
        "message GET P 1 2 names=40\ntag \"" +
        std::string(40, 'n') + "\" REAL REAL 1 -1 0 0 0\n");
    std::vector<tavlo::records::Message> messages;
    ScriptError error;
    EXPECT_FALSE(tavlo::testing::read_script(text, messages, error));
    EXPECT_EQ(error.line, 6);
    EXPECT_EQ(error.reason, "a name of 40 bytes or more does not fit names=40");
}

// A file cut short (a full disk, a kill, a copy in progress) is an error of
// the message it cut, wherever the cut is, and never a shorter message.
TEST(ScriptReader, AMessageCutShortIsALineInError) {
    const std::string tag = "tag A LONG LONG 1 -1 0 0 0\n";
    const std::string hex(2 * 65536, '1');
    const std::string big = "tag B 7:200000 EU " + hex + " -1 0 0 0 more=2\nmore " + hex + "\n";
    struct Case {
        std::string text;
        int line;  // 0: the file reads
        std::string reason;
        bool cut_short;
    };
    const Case cases[] = {
        {"message GET P 1 2 tags=2\n" + tag + tag, 0, "", false},
        {"message GET P 1 2 tags=2\n" + tag, 1,
         "the message has 1 tag lines, not the 2 of its tags=", true},
        {"message GET P 1 2 tags=0\n" + tag + "message GET P 1 2\n", 1,
         "the message has 1 tag lines, not the 0 of its tags=", false},
        {"message GET P 1 2\n" + tag + "tag A LONG LONG 1 -1 0 0 170", 3,
         "the last line has no line end: the file is cut short", true},
        {"message GET P 1 2\n" + tag + "# a comment at the end", 0, "", false},
        {"message GET P 1 2 tags=1\n" + big, 2,
         "the tag has 1 more lines, not the 2 of its more=", true},
        {"message GET P 1 2\n" + big + tag, 2,
         "the tag has 1 more lines, not the 2 of its more=", false},
        {"message GET P 1 2\n" + big + "more " + hex.substr(0, 200) + "\n" + tag, 0, "", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(c.text);
        ScriptReader reader(file.get());
        ScriptMessage message;
        ScriptError error;
        ScriptReader::Status status;
        while ((status = reader.next(message, error)) == ScriptReader::Status::kMessage) {
        }
        EXPECT_EQ(status, c.line == 0 ? ScriptReader::Status::kEnd : ScriptReader::Status::kError);
        EXPECT_EQ(error.line, c.line);
        EXPECT_EQ(error.reason, c.reason);
        EXPECT_EQ(error.cut_short, c.cut_short);
    }
}

// A million messages are not read before the first goes out: the reader
// takes the lines of one message and the next message line, no more.
TEST(ScriptReader, TheFirstMessageComesBeforeTheRestIsRead) {
    std::string script;
    for (int n = 0; n < 20000; ++n) script += "message PUT P 1 2\ntag A LONG LONG 5 -1 0 0 0\n";
    script += "tag broken\n";
    const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(script);
    ScriptReader reader(file.get());
    ScriptMessage message;
    ScriptError error;
    ASSERT_EQ(reader.next(message, error), ScriptReader::Status::kMessage);
    EXPECT_EQ(message.message.sequence, 1);
    EXPECT_LE(lseek(file.get(), 0, SEEK_CUR), off_t{tavlo::script::kLineReaderBlock});
    int messages = 1;
    while (reader.next(message, error) == ScriptReader::Status::kMessage) ++messages;
    EXPECT_EQ(messages, 19999);
    EXPECT_EQ(error.line, 40001);
    EXPECT_EQ(reader.next(message, error), ScriptReader::Status::kError);
}

}  // namespace
