// What the receiver records reads back to the same message: the writer's
// text, read by the simulator's reader and laid out, gives every byte that a
// caller of the read saw.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

#include "bytes.h"
#include "client_records.h"
#include "name_layouts.h"
#include "script_reader.h"
#include "script_text.h"
#include "script_writer.h"
#include "temporary_files.h"

namespace {

using tavlo::records::MessageRecords;
using tavlo::testing::Bytes;
using tavlo::testing::bytes_of;
using tavlo::testing::compact_entry;
using tavlo::testing::full_entry;

struct Tag {
    std::string entry;  // the name entry's bytes, as the caller steps by them
    TypeDescriptor descriptor;
    Bytes value;
    TagStatus status{-1, 0, 0};
    TimeRecord stamp{0, 3600};
};

// A read as a library may return it, the names stepped through by `stride`.
MessageRecords read_of(int32_t kind, const std::string &device, int32_t stride,
                       const std::vector<Tag> &tags) {
    MessageRecords r;
    r.kind = kind;
    r.device = device;
    r.unit = -2;
    r.list_id = 2147483647;
    r.sequence = -5;
    r.count = static_cast<int32_t>(tags.size());
    r.name_stride = stride;
    r.descriptors.push_back({TAVLO_TYPE_STRUCTURE, 0, r.count, 1});
    for (const Tag &tag : tags) {
        r.names.insert(r.names.end(), tag.entry.begin(), tag.entry.end());
        r.descriptors.push_back(tag.descriptor);
        r.values.insert(r.values.end(), tag.value.begin(), tag.value.end());
        r.statuses.push_back(tag.status);
        r.timestamps.push_back(tag.stamp);
    }
    return r;
}

Tag tag(const std::string &entry, int16_t type, const Bytes &value, int32_t elements = 1) {
    return Tag{entry, {type, 14, static_cast<int32_t>(value.size()), elements}, value};
}

std::string name_at(const MessageRecords &r, int32_t k) {
    const char *entry = r.names.data() + static_cast<std::size_t>(k) * std::size_t(r.name_stride);
    return {entry, strnlen(entry, static_cast<std::size_t>(r.name_stride))};
}

Bytes float_bits(uint32_t bits) {
    return bytes_of(bits);
}

struct Case {
    const char *what;
    MessageRecords read;
};

std::vector<Case> odd_reads() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Bytes long_text(70000, 'x');
    Bytes control_text(65536, 0x01);
    control_text[100] = 0;
    std::vector<Case> cases = {
        {"every type, compact names with blanks and quotes",
         read_of(TAVLO_MSG_GET_REPLY, "PLANT 9 \"A\"", 40,
                 {tag(compact_entry("TANK \"LEVEL\" \\"), 1, bytes_of(0.1f)),
                  tag(compact_entry("S"), 2, bytes_of(int16_t{-32768})),
                  tag(compact_entry(""), 3, Bytes{'a', 0, 'b', 0, 0}),
                  tag(compact_entry("L"), 4, bytes_of(std::numeric_limits<int32_t>::min())),
                  tag(compact_entry("D"), 5, bytes_of(-0.0)),
                  tag(compact_entry("T"), 6, bytes_of(TimeRecord{999, -7})),
                  tag(compact_entry("F"), 3, Bytes{'f', 'u', 'l', 'l'})})},
        {"short names in full entries",
         read_of(TAVLO_MSG_UNSOLICITED, "D", 256,
                 {tag(full_entry("A", ' '), 1, bytes_of(1.5f)),
                  tag(full_entry("B\xff\x01", ' '), 4, bytes_of(int32_t{7}))})},
        {"a long name and a name that ends in blanks",
         read_of(TAVLO_MSG_PUT_REPLY, "D", 256,
                 {tag(full_entry(std::string(200, 'N'), ' '), 5, bytes_of(nan)),
                  tag(full_entry("  ", ' '), 5, bytes_of(-nan))})},
        {"names that end in a NUL before the entry's last byte",
         read_of(TAVLO_MSG_DECLARE_REPLY, "D", 40,
                 {tag(std::string("AB\0", 3) + std::string(37, 'q'), 2, bytes_of(int16_t{1})),
                  tag(std::string(40, '\0'), 2, bytes_of(int16_t{2}))})},
        {"full entries stepped through by 40, as the receiver does after a short first name",
         read_of(TAVLO_MSG_CANCEL_REPLY, "D", 40,
                 {tag(full_entry("X", '\0').substr(0, 40), 4, bytes_of(int32_t{1})),
                  tag(full_entry("Y", '\0').substr(40, 40), 4, bytes_of(int32_t{2}))})},
        {"numbers at their edges",
         read_of(12, "", 40,
                 {tag(compact_entry("a"), 1, bytes_of(std::numeric_limits<float>::denorm_min())),
                  tag(compact_entry("b"), 1, bytes_of(-std::numeric_limits<float>::infinity())),
                  tag(compact_entry("c"), 1, float_bits(0x7fc00001)),
                  tag(compact_entry("d"), 1, float_bits(0xffc00000)),
                  tag(compact_entry("e"), 5, bytes_of(std::numeric_limits<double>::max())),
                  tag(compact_entry("f"), 5, bytes_of(uint64_t{0x7ff0000000000001})),
                  tag(compact_entry("g"), 1, bytes_of(16777217.0f))})},
        {"sizes and codes that have no text",
         read_of(std::numeric_limits<int32_t>::min(), "D", 40,
                 {tag(compact_entry("R3"), 1, Bytes{1, 2, 3}), tag(compact_entry("A0"), 3, Bytes{}),
                  tag(compact_entry("S20"), 7, Bytes(20, 0), 0),
                  tag(compact_entry("U"), 99, Bytes{0, 9, 0, 0}, -3),
                  tag(compact_entry("N"), -32768, Bytes{}, 7),
                  tag(compact_entry("T"), 6, bytes_of(TimeRecord{1000, 5})),
                  tag(compact_entry("L8"), 4, Bytes(8, 0xee))})},
        {"long values: hex over more lines, escaped text on one",
         read_of(
             TAVLO_MSG_GET_REPLY, "D", 40,
             {tag(compact_entry("BIG"), 3, long_text), tag(compact_entry("CTL"), 3, control_text),
              tag(compact_entry("RAW"), 7, Bytes(3 * 65536 + 5, 0x5a))})},
    };
    // Statuses and timestamps that no valid time has.
    MessageRecords &edges = cases[5].read;
    edges.statuses[0] = {std::numeric_limits<int32_t>::min(), -1, 2147483647};
    edges.timestamps[0] = {-1, -2147483647 - 1};
    edges.timestamps[1] = {1000, 0};
    edges.timestamps[2] = {-2147483647 - 1, 2147483647};
    // Runs of tags with the same status and timestamp, each run ended by a
    // change of one field.
    std::vector<Tag> runs;
    const TagStatus statuses[] = {{-1, 0, 0}, {-1, 0, 0}, {-1, 0, 5}, {-1, 3, 5}, {-2, 3, 5}};
    const TimeRecord stamps[] = {{100, 3600}, {100, 3600}, {100, 3601}, {200, 3601}, {200, 3601}};
    for (std::size_t k = 0; k < std::size(statuses); ++k) {
        runs.push_back(tag(compact_entry("R" + std::to_string(k)), 4, bytes_of(int32_t{1})));
        runs.back().status = statuses[k];
        runs.back().stamp = stamps[k];
    }
    cases.push_back({"statuses and timestamps that repeat, or change in one field",
                     read_of(TAVLO_MSG_UNSOLICITED, "D", 40, runs)});
    return cases;
}

TEST(ScriptRoundTrip, EveryReadComesBackAsItsCallerSawIt) {
    for (const Case &c : odd_reads()) {
        SCOPED_TRACE(c.what);
        const MessageRecords &read = c.read;
        tavlo::script::TextBuffer written;
        tavlo::script::append_recording_start(written);
        tavlo::script::append_message(written, tavlo::records::view_of(read), 1700000000250);
        const std::string text(written.view());
        // The reader's limit on a line holds.
        for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
            end = text.find('\n', start);
            ASSERT_LE(end - start, tavlo::script::kLongestScriptLine);
        }
        const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(text);
        tavlo::script::ScriptReader reader(file.get());
        tavlo::script::ScriptMessage message;
        tavlo::script::ScriptError error;
        ASSERT_EQ(reader.next(message, error), tavlo::script::ScriptReader::Status::kMessage)
            << error.line << ": " << error.reason << "\n"
            << text.substr(0, 2000);
        EXPECT_EQ(reader.next(message, error), tavlo::script::ScriptReader::Status::kEnd);
        EXPECT_EQ(message.received, 1700000000250);
        MessageRecords again;
        tavlo::records::lay_out(message.message, again);
        EXPECT_EQ(again.kind, read.kind);
        EXPECT_EQ(again.device, read.device);
        EXPECT_EQ(again.unit, read.unit);
        EXPECT_EQ(again.list_id, read.list_id);
        EXPECT_EQ(again.sequence, read.sequence);
        ASSERT_EQ(again.count, read.count);
        EXPECT_EQ(again.name_stride, read.name_stride);
        for (int32_t k = 0; k < read.count; ++k) EXPECT_EQ(name_at(again, k), name_at(read, k));
        EXPECT_EQ(again.descriptors, read.descriptors);
        EXPECT_TRUE(again.values == read.values);
        EXPECT_EQ(again.statuses, read.statuses);
        EXPECT_EQ(again.timestamps, read.timestamps);
    }
}

// The receiver's writer thread writes its copy of each read, made before
// the library reuses the read's arrays: the copy writes as the read did,
// null arrays and a null device too.
TEST(ScriptRoundTrip, ACopyOfAReadWritesAsTheRead) {
    using tavlo::records::MessageView;
    const auto text_of = [](const MessageView &read) {
        tavlo::script::TextBuffer text;
        tavlo::script::append_message(text, read, 1700000000250);
        return std::string(text.view());
    };
    const std::vector<void (*)(MessageView &)> nulled = {
        [](MessageView &) {},
        [](MessageView &r) { r.names = nullptr; },
        [](MessageView &r) { r.values = nullptr; },
        [](MessageView &r) { r.device = nullptr; },
        [](MessageView &r) { r.descriptors = nullptr; },
        [](MessageView &r) {
            r.statuses = nullptr;
            r.timestamps = nullptr;
        },
    };
    for (const Case &c : odd_reads()) {
        for (std::size_t i = 0; i < nulled.size(); ++i) {
            MessageView read = tavlo::records::view_of(c.read);
            nulled[i](read);
            const tavlo::script::ReadCopy copy(read, 1700000000250);
            EXPECT_EQ(copy.received(), 1700000000250);
            EXPECT_EQ(text_of(copy.view()), text_of(read)) << c.what << ", row " << i;
        }
    }
}

TEST(ScriptRoundTrip, ValuesAreWrittenInTheirPlainestText) {
    const MessageRecords read = read_of(
        TAVLO_MSG_UNSOLICITED, "PLANT 9", 256,
        {tag(full_entry("TANK \"A\"", ' '), 1, bytes_of(0.1f)),
         tag(full_entry("N", ' '), 5, bytes_of(-std::numeric_limits<double>::quiet_NaN())),
         tag(full_entry("C", ' '), 1, float_bits(0x7fc00001), 2),
         tag(full_entry("Z", ' '), 5, bytes_of(-0.0)),
         tag(full_entry("E", ' '), 5, bytes_of(1e300)),
         tag(full_entry("P", ' '), 3, Bytes{'a', ' ', 0, 'b', 0, 0}),
         tag(full_entry("Q", ' '), 3, Bytes{'q', '\t'}),
         tag(full_entry("S", ' '), 7, Bytes{0, 1, 0, 0}),
         tag(std::string("W\0", 2) + std::string(254, 'w'), 6, bytes_of(TimeRecord{5, 86400}))});
    MessageRecords stamped = read;
    stamped.timestamps[1] = {-3, 60};
    tavlo::script::TextBuffer text;
    tavlo::script::append_message(text, tavlo::records::view_of(stamped), 1700000000007);
    EXPECT_EQ(
        text.view(),
        "message UNSOLICITED \"PLANT 9\" -2 2147483647 seq=-5 tags=9 names=256 at=1700000000.007\n"
        "tag \"TANK \\\"A\\\"\" REAL EU 0.1 -1 0 0 3600\n"
        "tag N DOUBLE EU -nan -1 0 0 60 stamp-ms=-3\n"
        "tag C 1:4 EU 0100c07f -1 0 0 3600 elements=2\n"
        "tag Z DOUBLE EU -0 -1 0 0 3600\n"
        "tag E DOUBLE EU 1e+300 -1 0 0 3600\n"
        "tag P ASCII:6 EU \"a \\x00b\" -1 0 0 3600\n"
        "tag Q ASCII EU \"q\\x09\" -1 0 0 3600\n"
        "tag S 7:4 EU 0001 -1 0 0 3600\n"
        "tag \"W\\x00\" TIME EU 86400.005 -1 0 0 3600\n");
}

std::vector<std::string> tokens_of(
    const std::string &line, tavlo::script::Quoting quoting = tavlo::script::Quoting::kEscapes) {
    std::vector<std::string_view> tokens;
    std::string unescaped;
    EXPECT_EQ(tavlo::script::split_tokens(line, quoting, tokens, unescaped), "") << line;
    return {tokens.begin(), tokens.end()};
}

// Receive times in 64 bits: past 2038 and before 1970 they come back as
// they were, never wrapped.
TEST(ScriptRoundTrip, ReceiveTimesComeBackPast2038) {
    const std::pair<int64_t, const char *> times[] = {
        {0, " at=0\n"},
        {2147483647566, " at=2147483647.566\n"},
        {2147483648066, " at=2147483648.066\n"},
        {4102444800001, " at=4102444800.001\n"},
        {-1500, " at=-2.500\n"},
    };
    for (const auto &[ms, text] : times) {
        const MessageRecords read = read_of(TAVLO_MSG_GET_REPLY, "P", 40, {});
        tavlo::script::TextBuffer written;
        tavlo::script::append_message(written, tavlo::records::view_of(read), ms);
        const std::string line(written.view());
        EXPECT_EQ(line.substr(line.find(" at=")), text);
        const tavlo::posix::UniqueFd file = tavlo::testing::unlinked_file(line);
        tavlo::script::ScriptReader reader(file.get());
        tavlo::script::ScriptMessage message;
        tavlo::script::ScriptError error;
        ASSERT_EQ(reader.next(message, error), tavlo::script::ScriptReader::Status::kMessage);
        EXPECT_EQ(message.received, ms);
    }
}

TEST(TextTokens, EveryByteComesBackAndOldTokensKeepTheirMeaning) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    for (const std::string &text :
         {all, std::string("\"quoted\""), std::string("a\\"), std::string(" "), std::string("")}) {
        tavlo::script::TextBuffer written;
        written += "tag ";
        tavlo::script::append_token(written, text);
        written += " end";
        const std::string line(written.view());
        EXPECT_EQ(tokens_of(line), (std::vector<std::string>{"tag", text, "end"})) << line;
    }
    // Without escapes, as before them, a quoted token ends at the next quote.
    EXPECT_EQ(tokens_of(R"("a \" "\\x41")", tavlo::script::Quoting::kPlain),
              (std::vector<std::string>{R"(a \)", R"(\\x41)"}));
    // Outside quotes a backslash is a backslash; inside, one before another
    // character than ", \ or xHH is one too.
    EXPECT_EQ(
        tokens_of(R"(C:\dir "C:\temp\x4" "\x41\\\"" a"b "" "x\"y")"),
        (std::vector<std::string>{R"(C:\dir)", R"(C:\temp\x4)", R"(A\")", "a\"b", "", "x\"y"}));
}

}  // namespace
