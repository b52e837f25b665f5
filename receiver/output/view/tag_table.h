// The live view's table of tags, without a terminal: one row per tag of a
// list of a device, in the order the tags were first seen, each with what
// the text report would show of it last and how often it was updated.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "message_filter.h"
#include "received_message.h"

namespace tavlo::receiver::view {

using Clock = std::chrono::steady_clock;

// One tag of one list (device, unit, list id and name without its padding).
// The texts are made when the row is asked for, not on every message.
struct TagRow {
    int32_t list_id = 0;
    std::string name;
    std::string_view data_type;  // as the type line says it; empty before descriptors came
    // As the text report shows it, on one line, but a TIME value as a
    // calendar time; empty before a value.
    std::string value;
    bool has_status = false;
    int32_t status = 0;
    std::string timestamp;        // a calendar time; empty before a timestamp came
    int64_t updates = 0;          // messages that brought the tag a value
    Clock::time_point updated{};  // when a value last came
    Clock::time_point changed{};  // when the value last changed (not when it first came)

    // The status table's text, or the code for a code without one; empty
    // before a status came.
    std::string status_text() const;
    bool status_is_good() const;
};

class TagTable {
public:
    // At most this many rows: tags that would make more are counted in
    // tags_left_out() instead, so that a device sending ever new names
    // cannot take all memory.
    static constexpr std::size_t kMostRows = 100000;
    // And of lists (a device and unit and list id): the tags of a list
    // beyond them are counted as left out too.
    static constexpr std::size_t kMostLists = 10000;

    TagTable();
    ~TagTable();
    TagTable(const TagTable &) = delete;
    TagTable &operator=(const TagTable &) = delete;

    // Takes the selected tags of a message at `now`: a cancel reply removes
    // every row of its list; any other message adds the rows of its tags
    // that are new and brings their data type, value, status and timestamp
    // up to date, as far as the message carries them. As in the text report,
    // the tags after one of an unknown data type are left out. Returns how
    // many tags it took.
    int32_t take(const ReceivedMessage &message, const TagSelection &selection,
                 Clock::time_point now);

    std::size_t size() const { return rows_.size(); }
    // Row `i` in the order first seen, its texts made up to date.
    const TagRow &row(std::size_t i);
    // Tags not shown because the table was full.
    int64_t tags_left_out() const { return left_out_; }
    // The length of the longest name of all rows, shown or not.
    std::size_t longest_name() const { return longest_name_; }

private:
    struct Row;
    struct List;
    // A list's device, unit and id; the device is a view of the list's own.
    using ListKey = std::tuple<std::string_view, int32_t, int32_t>;
    static ListKey key_of(const records::MessageView &message);
    static ListKey key_of(const List &list);

    // The message's list, made if new; null beyond kMostLists.
    List *list_of(const records::MessageView &message);
    // The row of that name in the list, made if new; null beyond kMostRows.
    Row *row_of(List &list, int32_t place, std::string_view name);
    void remove(const List &list);
    static void update(Row &row, const TypeDescriptor *descriptor, const unsigned char *value,
                       const TagStatus *status, const TimeRecord *timestamp, Clock::time_point now);

    std::vector<std::unique_ptr<Row>> rows_;  // in the order first seen
    std::map<ListKey, std::unique_ptr<List>> lists_;
    List *last_list_ = nullptr;  // messages mostly come for the list of the one before
    int64_t left_out_ = 0;
    std::size_t longest_name_ = 0;
};

}  // namespace tavlo::receiver::view
