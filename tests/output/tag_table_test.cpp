// The live view's table and header facts, without a terminal: rows keyed by
// device, unit, list and name in the order first seen; values, statuses and
// timestamps as the text report shows them; updates, changes, declare,
// cancel and a full table; the link's state, last error and rate.
#include "tag_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_status.h"
#include "name_layouts.h"

namespace {

using namespace tavlo::receiver;
using namespace tavlo::receiver::view;
using std::chrono::milliseconds;

struct TestTag {
    std::string name;
    int16_t type = TAVLO_TYPE_LONG;
    std::string bytes;  // the value, packed
    int32_t status = -1;
    int32_t seconds = 0;
    int32_t milliseconds = 0;
};

template <typename T>
std::string bytes_of(const T &value) {
    return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

TestTag long_tag(const std::string &name, int32_t value, int32_t status = -1) {
    return {name, TAVLO_TYPE_LONG, bytes_of(value), status, 0, 0};
}

// The arrays of one message, laid out as a read returns them.
struct TestMessage {
    std::string device;
    std::string names;
    std::vector<TypeDescriptor> descriptors;
    std::string values;
    std::vector<TagStatus> statuses;
    std::vector<TimeRecord> timestamps;
    tavlo::records::MessageView view;

    TestMessage(MessageKind kind, const std::string &device_name, int32_t unit, int32_t list,
                const std::vector<TestTag> &tags)
        : device(device_name) {
        std::vector<std::string> tag_names;
        descriptors.push_back({TAVLO_TYPE_STRUCTURE, 0, static_cast<int32_t>(tags.size()), 1});
        for (const TestTag &tag : tags) {
            tag_names.push_back(tag.name);
            descriptors.push_back({tag.type, 0, static_cast<int32_t>(tag.bytes.size()), 1});
            values += tag.bytes;
            statuses.push_back({tag.status, 0, 0});
            timestamps.push_back({tag.milliseconds, tag.seconds});
        }
        names = tavlo::testing::compact_layout(tag_names, tags.size());
        view = {kind,
                device.data(),
                unit,
                list,
                0,
                static_cast<int32_t>(tags.size()),
                names.data(),
                40,
                descriptors.data(),
                reinterpret_cast<const unsigned char *>(values.data()),
                statuses.data(),
                timestamps.data()};
    }
};

const TagSelection kEveryTag{};
const Clock::time_point kStart{};

int32_t take(TagTable &table, const TestMessage &message, Clock::time_point now = kStart) {
    return table.take(ReceivedMessage(message.view, {}), kEveryTag, now);
}

// "list name=value xupdates" of every row, in order.
std::vector<std::string> rows_of(TagTable &table) {
    std::vector<std::string> rows;
    for (std::size_t i = 0; i < table.size(); ++i) {
        const TagRow &row = table.row(i);
        rows.push_back(std::to_string(row.list_id) + " " + row.name + "=" + row.value + " x" +
                       std::to_string(row.updates));
    }
    return rows;
}

TEST(TagTable, KeysRowsByDeviceUnitListAndNameInTheOrderFirstSeenAndMarksChanges) {
    TagTable table;
    const Clock::time_point later = kStart + milliseconds(100);
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 101, {long_tag("B", 1), long_tag("A", 2)}});
    // The same names in another list, on another unit, on another device:
    // rows of their own; the same tags again and in another order: none.
    take(table, {TAVLO_MSG_GET_REPLY, "PLANT", 1, 102, {long_tag("A", 3)}});
    take(table, {TAVLO_MSG_GET_REPLY, "PLANT", 2, 101, {long_tag("A", 4)}});
    take(table, {TAVLO_MSG_GET_REPLY, "OTHER", 1, 101, {long_tag("A", 5)}});
    const TestMessage put(TAVLO_MSG_PUT_REPLY, "PLANT", 1, 101,
                          {long_tag("A", 2, -6), long_tag("C", 7), long_tag("B", 8)});
    take(table, put, later);
    EXPECT_EQ(rows_of(table), (std::vector<std::string>{"101 B=8 x2", "101 A=2 x2", "102 A=3 x1",
                                                        "101 A=4 x1", "101 A=5 x1", "101 C=7 x1"}));
    // A value changed when other bytes came, not when it first came nor when
    // only its status changed.
    EXPECT_EQ(table.row(0).changed, later);
    EXPECT_EQ(table.row(1).changed, Clock::time_point{});
    EXPECT_EQ(table.row(5).changed, Clock::time_point{});
}

TEST(TagTable, ShowsEachValueAndStatusAsTheTextReportDoesOnOneLine) {
    struct ValueCase {
        int16_t type;
        std::string bytes;
        std::string type_text;
        std::string value_text;
        int32_t status;
        std::string status_text;  // the table's text without quotes, or the code
    };
    const ValueCase cases[] = {
        {TAVLO_TYPE_REAL, bytes_of(1.5f), "REAL", "1.500000", -1, "GOOD"},
        {TAVLO_TYPE_DOUBLE, bytes_of(-0.25), "DOUBLE", "-0.250000", -6, "BAD"},
        {TAVLO_TYPE_SHORT, bytes_of(int16_t{-2}), "SHORT", "-2", -9, "Out of Range"},
        {TAVLO_TYPE_LONG, bytes_of(-70000), "LONG", "-70000", -15, "Undefined Value"},
        // Padded with blanks to the field, as the report does; bytes a
        // terminal would act on are shown as '?'.
        {TAVLO_TYPE_ASCII, std::string("a\x1b[2Jb\n\xc3\xa9\0zz", 10), "ASCII", "a?[2Jb ?? ", -7,
         "-7"},
        // A TIME value as a calendar time, to the millisecond.
        {TAVLO_TYPE_TIME, bytes_of(TimeRecord{500, 86400}), "TIME", "1970-01-02 00:00:00.500",
         -32768, "No Field"},
        // One the library has no calendar time for: the report's numbers.
        {TAVLO_TYPE_TIME, bytes_of(TimeRecord{1500, 86400}), "TIME",
         "Milliseconds= 1500  Seconds= 86400", -1, "GOOD"},
        {TAVLO_TYPE_STRUCTURE, "", "STRUCTURE", "Structures are currently not supported", 12345,
         "12345"},
        {TAVLO_TYPE_REAL, "", "REAL", "0.000000", 0,
         "initial"},  // no bytes: zero, as in the report
        {99, bytes_of(1), "UNKNOWN TYPE", "Unknown data type", -1, "GOOD"},
    };
    for (const ValueCase &c : cases) {
        TagTable table;
        // As in the report, the tags after one of an unknown type are left out.
        const TestMessage message(
            TAVLO_MSG_GET_REPLY, "PLANT", 1, 7,
            {{"T", c.type, c.bytes, c.status, 86400, 250}, long_tag("AFTER", 1)});
        EXPECT_EQ(take(table, message), c.type == 99 ? 1 : 2);
        const TagRow &row = table.row(0);
        EXPECT_EQ(row.data_type, c.type_text);
        EXPECT_EQ(row.value, c.value_text);
        EXPECT_EQ(row.timestamp, "1970-01-02 00:00:00.250");
        EXPECT_EQ(row.status_text(), c.status_text);
        EXPECT_EQ(row.status_is_good(), c.status == -1);
        EXPECT_EQ(table.size(), c.type == 99 ? 1u : 2u);
    }
}

TEST(TagTable, DeclareAddsTheRowsOfItsListAndCancelRemovesThemOnly) {
    TagTable table;
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 101, {long_tag("KEEP", 1)}});
    // A declare reply carries names and descriptors but no values.
    TestMessage declare(TAVLO_MSG_DECLARE_REPLY, "PLANT", 1, 103,
                        {long_tag("X", 9), long_tag("Y", 9)});
    EXPECT_EQ(take(table, declare), 2);
    EXPECT_EQ(table.row(1).data_type, "LONG");
    take(table, {TAVLO_MSG_GET_REPLY, "PLANT", 1, 103, {long_tag("Y", 5)}});
    // A cancel of another unit's list of that id leaves them.
    take(table, {TAVLO_MSG_CANCEL_REPLY, "PLANT", 2, 103, {}});
    EXPECT_EQ(rows_of(table),
              (std::vector<std::string>{"101 KEEP=1 x1", "103 X= x0", "103 Y=5 x1"}));
    take(table, {TAVLO_MSG_CANCEL_REPLY, "PLANT", 1, 103, {long_tag("X", 0)}});
    EXPECT_EQ(rows_of(table), (std::vector<std::string>{"101 KEEP=1 x1"}));
    // Declared again, the list starts anew at the end.
    take(table, declare);
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 101, {long_tag("KEEP", 2)}});
    EXPECT_EQ(rows_of(table),
              (std::vector<std::string>{"101 KEEP=2 x2", "103 X= x0", "103 Y= x0"}));
}

TEST(TagTable, TakesOnlyTheSelectedTagsAndStopsAddingRowsWhenFull) {
    TagTable table;
    const unsigned char shown[] = {0, 1, 0};
    const TestMessage message(TAVLO_MSG_UNSOLICITED, "PLANT", 1, 7,
                              {long_tag("A", 1), long_tag("B", 2), long_tag("C", 3)});
    EXPECT_EQ(table.take(ReceivedMessage(message.view, {}), {shown, 1}, kStart), 1);
    EXPECT_EQ(rows_of(table), (std::vector<std::string>{"7 B=2 x1"}));

    TagTable full;
    std::vector<TestTag> tags;
    for (int i = 0; i < 1000; ++i) tags.push_back(long_tag("T" + std::to_string(i), i));
    for (std::size_t list = 0; list <= TagTable::kMostRows / tags.size(); ++list) {
        take(full, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, static_cast<int32_t>(list), tags});
    }
    EXPECT_EQ(full.size(), TagTable::kMostRows);
    EXPECT_EQ(full.tags_left_out(), 1000);
    // Rows already there are still brought up to date.
    tags[0] = long_tag("T0", -5);
    take(full, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 0, tags});
    EXPECT_EQ(full.row(0).value, "-5");

    // Lists past the bound take no row; a cancel of one makes room.
    TagTable many;
    const std::vector<TestTag> one = {long_tag("A", 1)};
    for (std::size_t list = 0; list <= TagTable::kMostLists; ++list) {
        take(many, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, static_cast<int32_t>(list), one});
    }
    EXPECT_EQ(many.size(), TagTable::kMostLists);
    EXPECT_EQ(many.tags_left_out(), 1);
    take(many, {TAVLO_MSG_CANCEL_REPLY, "PLANT", 1, 0, {}});
    const auto last = static_cast<int32_t>(TagTable::kMostLists);
    EXPECT_EQ(take(many, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, last, one}), 1);
    EXPECT_EQ(many.size(), TagTable::kMostLists);
}

TEST(LinkStatus, SaysConnectedReconnectingAndTheLastError) {
    LinkStatus link;
    EXPECT_EQ(link.state(), LinkState::kConnecting);
    StatusBlock block{};
    block.facility[0] = 20;
    const std::string unreachable = "TAVLO APP: facility=20 error=20008 (device unreachable)";
    // The log line of the failure says it better; other lines, and one of
    // an error whose number only starts the same, do not.
    for (const int32_t error : {2000, 20008}) {
        block.error[0] = error;
        link.failed(block);
        EXPECT_EQ(link.state(), LinkState::kReconnecting);
        EXPECT_EQ(link.error(), "facility=20 error=" + std::to_string(error));
        link.logged(unreachable);
        link.logged("TAVLO APP: facility=20 error=20004 (not connected to a device)");
    }
    EXPECT_EQ(link.error(), unreachable);
    const LinkStatus::Wall::time_point when{std::chrono::seconds(1700000000)};
    const Clock::time_point start{std::chrono::seconds(50)};
    EXPECT_EQ(link.rate(start), 0);
    for (int i = 0; i < 30; ++i) link.message_came(when, start);
    EXPECT_EQ(link.state(), LinkState::kConnected);
    EXPECT_EQ(link.last_message(), when);
}

TEST(LinkStatus, TheRateIsOfTheLastTwoSecondsAndDecaysWhenNoMessageComes) {
    // Ten messages a second for three seconds, then none; the rate is taken
    // at each drawing, messages or not.
    LinkStatus link;
    const Clock::time_point start{std::chrono::seconds(50)};
    for (int i = 0; i < 30; ++i) link.message_came({}, start + milliseconds(100 * i + 50));
    const std::pair<int, double> draws[] = {{2999, 10.0}, {3999, 5.0}, {4899, 0.5}, {4900, 0}};
    for (const auto &[at, rate] : draws) {
        EXPECT_DOUBLE_EQ(link.rate(start + milliseconds(at)), rate) << at;
    }
    link.message_came({}, start + milliseconds(60000));
    EXPECT_DOUBLE_EQ(link.rate(start + milliseconds(60001)), 0.5);
}

TEST(TagTable, TheLongestNameIsOfAllRowsAndGoesWithItsList) {
    TagTable table;
    EXPECT_EQ(table.longest_name(), 0u);
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 101, {long_tag("AB", 1), long_tag("A", 2)}});
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 102, {long_tag(std::string(30, 'N'), 1)}});
    take(table, {TAVLO_MSG_UNSOLICITED, "PLANT", 1, 101, {long_tag("ABC", 3)}});
    EXPECT_EQ(table.longest_name(), 30u);
    take(table, {TAVLO_MSG_CANCEL_REPLY, "PLANT", 1, 102, {}});
    EXPECT_EQ(table.longest_name(), 3u);
}

}  // namespace
