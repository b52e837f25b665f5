// Messages through the wire codec: round trips, and every rule a payload
// must keep before any of it is used.
#include "message_codec.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bytes.h"
#include "client_records.h"
#include "name_layouts.h"
#include "wire_format.h"

namespace {

using tavlo::records::Message;
using tavlo::records::MessageRecords;
using tavlo::records::TagValue;
using tavlo::testing::compact_entry;
using tavlo::testing::full_entry;
using tavlo::testing::get_at;
using tavlo::testing::put_at;

Message two_tags(const std::string &first_name = "FLOW") {
    Message m;
    m.kind = 11;
    m.device = "PLANT9";
    m.unit = 2;
    m.list_id = 7;
    m.sequence = 42;
    TagValue flow;
    flow.name = first_name;
    flow.data_type = 1;
    flow.device_data_type = 14;
    flow.value = {0, 0, 0xC0, 0x3F};  // 1.5f
    flow.status = TagStatus{-1, 0, 0};
    flow.timestamp = TimeRecord{250, 3600};
    TagValue note;
    note.name = "NOTE";
    note.data_type = 3;
    note.device_data_type = 15;
    note.value = {'a', 'b', 0, 0, 0, 0};
    note.status = TagStatus{-6, 5, 9};
    note.timestamp = TimeRecord{0, 7200};
    m.tags = {flow, note};
    return m;
}

std::vector<unsigned char> payload_of(const Message &message) {
    MessageRecords records;
    tavlo::records::lay_out(message, records);
    std::vector<unsigned char> frame;
    tavlo::wire::encode_message_frame(records, frame);
    EXPECT_EQ(frame[4], tavlo::wire::kMessage);
    EXPECT_EQ(get_at<uint32_t>(frame, 0), frame.size() - 4);
    return std::vector<unsigned char>(frame.begin() + 5, frame.end());
}

std::string text_of(const std::vector<char> &names) {
    return std::string(names.begin(), names.end());
}

TEST(MessageCodec, RoundTripKeepsEveryArrayByteForByte) {
    // Names of up to 39 characters take the compact 40-byte entries; one of
    // 40 or more makes every entry 256 bytes, blank-padded.
    for (const std::size_t first_size : {4u, 39u, 40u, 44u}) {
        const std::string first(first_size, 'L');
        MessageRecords sent;
        tavlo::records::lay_out(two_tags(first), sent);
        EXPECT_EQ(text_of(sent.names), first_size < 40
                                           ? compact_entry(first) + compact_entry("NOTE")
                                           : full_entry(first, ' ') + full_entry("NOTE", ' '))
            << first_size;
        const auto payload = payload_of(two_tags(first));
        MessageRecords got;
        ASSERT_TRUE(tavlo::wire::decode_message(payload.data(), payload.size(), got));
        EXPECT_EQ(got.kind, 11);
        EXPECT_EQ(got.device, "PLANT9");
        EXPECT_EQ(got.unit, 2);
        EXPECT_EQ(got.list_id, 7);
        EXPECT_EQ(got.sequence, 42);
        EXPECT_EQ(got.count, 2);
        EXPECT_EQ(got.name_stride, first.size() < 40 ? 40 : 256);
        EXPECT_EQ(got.names, sent.names);
        ASSERT_EQ(got.descriptors.size(), 3u);
        EXPECT_EQ(got.descriptors, sent.descriptors);
        EXPECT_EQ(got.values, sent.values);
        EXPECT_EQ(got.statuses, sent.statuses);
        EXPECT_EQ(got.timestamps, sent.timestamps);
    }
}

TEST(MessageCodec, MessageOfNoTagsRoundTrips) {
    Message empty = two_tags();
    empty.tags.clear();
    const auto payload = payload_of(empty);
    MessageRecords got;
    ASSERT_TRUE(tavlo::wire::decode_message(payload.data(), payload.size(), got));
    EXPECT_EQ(got.count, 0);
    EXPECT_TRUE(got.values.empty());
    // Laid out, the names are one empty compact entry, never no bytes.
    MessageRecords sent;
    tavlo::records::lay_out(empty, sent);
    EXPECT_EQ(sent.name_stride, 40);
    EXPECT_EQ(text_of(sent.names), compact_entry(""));
}

// Offsets in the payload of two_tags(): the fixed header of 60 bytes, two
// compact names (80), three descriptors (36), 10 value bytes, statuses and
// timestamps.
constexpr std::size_t kNames = 60;
constexpr std::size_t kDescriptors = kNames + 80;

struct Breach {
    const char *rule;
    std::function<void(std::vector<unsigned char> &)> apply;
};

TEST(MessageCodec, EveryBrokenRuleRejectsThePayload) {
    const Breach breaches[] = {
        {"shorter than the header", [](auto &p) { p.resize(59); }},
        {"one byte too many", [](auto &p) { p.push_back(0); }},
        {"one byte too few", [](auto &p) { p.pop_back(); }},
        {"negative tag count", [](auto &p) { put_at<int32_t>(p, 16, -1); }},
        {"tag count beyond the most", [](auto &p) { put_at<int32_t>(p, 16, 65537); }},
        {"tag count not matching the length", [](auto &p) { put_at<int32_t>(p, 16, 3); }},
        {"name stride neither 40 nor 256", [](auto &p) { put_at<int32_t>(p, 20, 41); }},
        {"value length beyond the buffer", [](auto &p) { put_at<uint32_t>(p, 24, 0xFFFFFFF0u); }},
        {"device name without NUL", [](auto &p) { std::memset(p.data() + 28, 'D', 32); }},
        {"name entry without NUL", [](auto &p) { p[kNames + 39] = ' '; }},
        {"header not STRUCTURE", [](auto &p) { put_at<int16_t>(p, kDescriptors, 6); }},
        {"header with a device data type",
         [](auto &p) { put_at<int16_t>(p, kDescriptors + 2, 1); }},
        {"header size not the tag count", [](auto &p) { put_at<int32_t>(p, kDescriptors + 4, 3); }},
        {"header element count not 1", [](auto &p) { put_at<int32_t>(p, kDescriptors + 8, 2); }},
        {"sizes larger than the values", [](auto &p) { put_at<int32_t>(p, kDescriptors + 16, 5); }},
        {"negative size", [](auto &p) { put_at<int32_t>(p, kDescriptors + 16, -4); }},
    };
    MessageRecords untouched;
    untouched.count = 77;
    for (const Breach &breach : breaches) {
        auto payload = payload_of(two_tags());
        breach.apply(payload);
        MessageRecords got = untouched;
        EXPECT_FALSE(tavlo::wire::decode_message(payload.data(), payload.size(), got))
            << breach.rule;
        EXPECT_EQ(got.count, 77) << breach.rule << ": nothing reaches the records";
    }
}

TEST(MessageCodec, SizesThatOverflow32BitsDoNotWrapIntoALegalSum) {
    // Two sizes of 0x7FFFFFFF add up to more than any value length; the sum
    // is kept in 64 bits, so it cannot wrap onto the real length.
    auto payload = payload_of(two_tags());
    put_at<int32_t>(payload, kDescriptors + 16, 0x7FFFFFFF);
    put_at<int32_t>(payload, kDescriptors + 28, 0x7FFFFFFF);
    MessageRecords got;
    EXPECT_FALSE(tavlo::wire::decode_message(payload.data(), payload.size(), got));
}

TEST(MessageCodec, LengthsIn64BitsAndNoFrameBeyondTheLongest) {
    EXPECT_EQ(tavlo::wire::message_payload_length(65536, 256, 0xFFFFFFFFu),
              uint64_t{60} + 65536 * 256 + 65537 * 12 + 0xFFFFFFFFull + 65536 * 20);
    MessageRecords records;
    tavlo::records::lay_out(two_tags(), records);
    records.values.resize(17u << 20);
    std::vector<unsigned char> frame = {7};
    EXPECT_FALSE(tavlo::wire::encode_message_frame(records, frame));
    EXPECT_EQ(frame, std::vector<unsigned char>{7}) << "nothing appended";
}

}  // namespace
