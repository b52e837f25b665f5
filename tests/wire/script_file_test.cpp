// Script files of the device simulator: what a person writes, what is sent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bytes.h"
#include "message_codec.h"
#include "read_script.h"
#include "script_reader.h"
#include "temporary_files.h"
#include "wire_format.h"

namespace {

using tavlo::records::Message;
using tavlo::script::ScriptError;

template <typename T>
T value_of(const tavlo::records::TagValue &tag) {
    EXPECT_EQ(tag.value.size(), sizeof(T));
    return tavlo::testing::get_at<T>(tag.value, 0);
}

TEST(ScriptFile, EveryKindAndDataTypeIsRead) {
    const std::string text(
        "# a comment, then a blank line\n"
        "\n"
        "message GET PLANT9 2 7\n"
        "tag \"TANK LEVEL\" REAL EU 12.5 -1 0 0 3600\n"
        "tag COUNT SHORT 2 -2 -3 4 5 3600.250\n"
        "message 12 PLANT9 -1 0\n"
        "tag TOTAL LONG ORDINAL -100000 -1 0 0 7200\n"
        "tag RATE DOUBLE DOUBLE 0.125 -1 0 0 0\n"
        "tag NOTE ASCII:6 DESC \"a b\" -6 1 2 0\n"
        "tag TEXT ASCII ASCII abc -1 0 0 0\n"
        "tag STAMP TIME DTIME 86400.500 -1 0 0 60\n");
    std::vector<Message> messages;
    ScriptError error;
    ASSERT_TRUE(tavlo::testing::read_script(text, messages, error))
        << error.line << ": " << error.reason;
    ASSERT_EQ(messages.size(), 2u);
    const Message &get = messages[0];
    EXPECT_EQ(get.kind, 1);
    EXPECT_EQ(get.device, "PLANT9");
    EXPECT_EQ(get.unit, 2);
    EXPECT_EQ(get.list_id, 7);
    ASSERT_EQ(get.tags.size(), 2u);
    EXPECT_EQ(get.tags[0].name, "TANK LEVEL");
    EXPECT_EQ(get.tags[0].data_type, 1);
    EXPECT_EQ(get.tags[0].device_data_type, 14);
    EXPECT_EQ(value_of<float>(get.tags[0]), 12.5f);
    EXPECT_EQ(get.tags[0].timestamp.seconds, 3600);
    EXPECT_EQ(value_of<int16_t>(get.tags[1]), -2);
    EXPECT_EQ(get.tags[1].status.status, -3);
    EXPECT_EQ(get.tags[1].status.facility, 4);
    EXPECT_EQ(get.tags[1].status.driver_status, 5);
    EXPECT_EQ(get.tags[1].timestamp.milliseconds, 250);

    const Message &other = messages[1];
    EXPECT_EQ(other.kind, 12);
    EXPECT_EQ(other.unit, -1);
    ASSERT_EQ(other.tags.size(), 5u);
    EXPECT_EQ(value_of<int32_t>(other.tags[0]), -100000);
    EXPECT_EQ(other.tags[0].device_data_type, 9);
    EXPECT_EQ(value_of<double>(other.tags[1]), 0.125);
    EXPECT_EQ(other.tags[2].value, (std::vector<unsigned char>{'a', ' ', 'b', 0, 0, 0}));
    EXPECT_EQ(other.tags[3].value, (std::vector<unsigned char>{'a', 'b', 'c'}));
    const auto stamp = value_of<TimeRecord>(other.tags[4]);
    EXPECT_EQ(stamp.milliseconds, 500);
    EXPECT_EQ(stamp.seconds, 86400);
}

// A message of 256 tags whose frame is exactly the longest frame when its
// last value has `last_size` bytes: 60 + 256 × (40 + 12 + 20) + 12 bytes
// and 255 × 65536 + 47031 bytes of values make 16 MiB with the type byte.
std::string largest_message(int last_size) {
    std::string text = "message GET P 1 2\nmessage GET P 1 2\n";
    for (int k = 0; k < 255; ++k) text += "tag T ASCII:65536 DESC x -1 0 0 0\n";
    return text + "tag T ASCII:" + std::to_string(last_size) + " DESC x -1 0 0 0\n";
}

struct BadLine {
    std::string script;
    int line;
    std::string reason;
};

TEST(ScriptFile, ALineInErrorIsReportedWithItsNumberAndNothingIsKept) {
    const std::string good = "message GET P 1 2\n";
    const std::string longest_line = "#" + std::string(tavlo::script::kLongestScriptLine - 1, 'x');
    const BadLine cases[] = {
        {"tag A REAL REAL 1 -1 0 0 0\n", 1, "a tag line before the first message line"},
        {good + "messages GET P 1 2\n", 2, "a line starts with message, tag or #"},
        {good + "message GOT P 1 2\n", 2, "unknown message kind"},
        {good + "message GET P 1\n", 2, "a message line is: message KIND DEVICE UNIT LIST_ID"},
        {good + "message GET " + std::string(32, 'D') + " 1 2\n", 2,
         "a device name has at most 31 characters"},
        {good + "message GET P x 2\n", 2, "UNIT and LIST_ID must be 32-bit whole numbers"},
        {good + "tag A REAL REAL 1 -1 0 0\n", 2,
         "a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS "
         "TIMESTAMP"},
        {good + "tag A STRUCT REAL 1 -1 0 0 0\n", 2, "unknown data type"},
        {good + "tag A 7 REAL 1 -1 0 0 0\n", 2, "unknown data type"},
        {good + "tag A REAL BOGUS 1 -1 0 0 0\n", 2, "unknown device data type"},
        {good + "tag A REAL REAL 1.5x -1 0 0 0\n", 2, "a REAL value must be a number"},
        {good + "tag A SHORT SHORT 40000 -1 0 0 0\n", 2,
         "a SHORT value must be a whole number from -32768 to 32767"},
        {good + "tag A LONG LONG 2147483648 -1 0 0 0\n", 2,
         "a LONG value must be a 32-bit whole number"},
        {good + "tag A TIME TIME 10.5 -1 0 0 0\n", 2,
         "a TIME value must be SECONDS or SECONDS.MMM"},
        {good + "tag A ASCII:2 ASCII abc -1 0 0 0\n", 2, "the ASCII text is longer than its field"},
        {good + "tag A ASCII:0 ASCII a -1 0 0 0\n", 2, "ASCII:N needs a size from 1 to 65536"},
        {good + "tag A REAL REAL 1 GOOD 0 0 0\n", 2,
         "STATUS, FACILITY and DRIVER_STATUS must be 32-bit whole numbers"},
        {good + "tag A REAL REAL 1 -1 0 0 yesterday\n", 2,
         "a TIMESTAMP must be SECONDS or SECONDS.MMM"},
        {good + "tag A REAL REAL 1 -1 0 0 \"0\n", 2,
         "a quote is not closed before the end of the line"},
        {good + "tag A" + std::string(1, '\0') + "B REAL REAL 1 -1 0 0 0\n", 2,
         "a token holds a NUL byte"},
        {good + "# a comment may hold \" and " + std::string(1, '\0') + "\nmessage GET P 1\n", 3,
         "a message line is: message KIND DEVICE UNIT LIST_ID"},
        {good + "\n" + longest_line + "x\n", 3, "a line is longer than 1 MiB (1048576 bytes)"},
        {largest_message(47032), 2, "the message does not fit in a frame of 16 MiB"},
        // A line of exactly 1 MiB is read.
        {longest_line + "\n" + good + "tag B\n", 3,
         "a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS "
         "TIMESTAMP"},
        {good + "\n# fine\ntag A REAL REAL 1 -1 0 0 0\ntag B\n", 5,
         "a tag line is: tag NAME TYPE DEVICE_TYPE VALUE STATUS FACILITY DRIVER_STATUS "
         "TIMESTAMP"},
    };
    for (const BadLine &c : cases) {
        const std::string text(c.script);
        std::vector<Message> messages;
        ScriptError error;
        EXPECT_FALSE(tavlo::testing::read_script(text, messages, error)) << c.script;
        EXPECT_EQ(error.line, c.line) << c.script;
        EXPECT_EQ(error.reason, c.reason) << c.script;
        EXPECT_TRUE(messages.empty());
    }
}

TEST(ScriptFile, AMessageOfTheLongestFrameIsKeptWhole) {
    const std::string longest(largest_message(47031));
    std::vector<Message> messages;
    ScriptError error;
    ASSERT_TRUE(tavlo::testing::read_script(longest, messages, error)) << error.reason;
    tavlo::records::MessageRecords records;
    tavlo::records::lay_out(messages[1], records);
    std::vector<unsigned char> frame;
    ASSERT_TRUE(tavlo::wire::encode_message_frame(records, frame));
    EXPECT_EQ(frame.size(), tavlo::wire::kLengthPrefix + tavlo::wire::kLongestFrame);
}

TEST(ScriptFile, AFolderOrAMissingFileIsNoScript) {
    const tavlo::testing::TemporaryDirectory folder;
    tavlo::script::ScriptFile file;
    EXPECT_EQ(file.open(folder.path()), folder.path() + ": is a folder, not a script");
    EXPECT_EQ(file.open(folder.file("none")),
              "cannot open " + folder.file("none") + ": No such file or directory");
}

}  // namespace
