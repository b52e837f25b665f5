// The live view's table of tags, without a terminal.
#include "tag_table.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>

#include "calendar_text.h"
#include "report_lines.h"

namespace tavlo::receiver::view {

namespace {

constexpr int32_t kGoodStatus = -1;

// A byte a terminal would act on instead of showing it, or one the view
// cannot know the width of.
bool unshowable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte >= 0x7f;
}

// Every byte that is not printable ASCII as '?'.
void make_showable(std::string &text) {
    std::replace_if(text.begin(), text.end(), unshowable, '?');
}

// The text of the report's lines in `text` on one line: without what opens
// it (a line end, "Value= ", "Time Value: ") and the line ends after it, a
// line end within it (before the local time of a TIME value) as a blank, and
// every other byte that is not printable ASCII as '?'.
void make_one_line(std::string &text) {
    std::size_t start = 0;
    if (!text.empty() && text.front() == '\n') start = 1;
    for (const std::string_view opening : {"Value= ", "Time Value: "}) {
        if (text.compare(start, opening.size(), opening) == 0) {
            start += opening.size();
            break;
        }
    }
    text.erase(0, start);
    while (!text.empty() && text.back() == '\n') text.pop_back();
    std::replace(text.begin(), text.end(), '\n', ' ');
    make_showable(text);
}

// "YYYY-MM-DD HH:MM:SS.mmm" of the record's local calendar time; empty when
// the client library has no calendar time for it.
std::string calendar_time(const TimeRecord &time) {
    const std::tm *local = TAVLO_CLIENT_LOCALTIME(&time);
    return local != nullptr ? calendar_text(*local, time.milliseconds) : std::string();
}

bool same_time(const TimeRecord &a, const TimeRecord &b) {
    return a.seconds == b.seconds && a.milliseconds == b.milliseconds;
}

}  // namespace

// A row with the bytes its texts are made of: they are made only when the
// row is drawn.
struct TagTable::Row : TagRow {
    const List *list = nullptr;
    std::string key;  // the name as the device sent it, without its padding
    int16_t value_type = 0;
    int32_t value_size = 0;
    std::vector<unsigned char> value_bytes;
    bool has_value = false;
    bool value_text_due = false;
    TimeRecord time{};
    bool has_time = false;
    bool time_text_due = false;
};

// The rows of one list of one device.
struct TagTable::List {
    std::string device;
    int32_t unit = 0;
    int32_t list_id = 0;
    std::map<std::string, Row *, std::less<>> by_name;
    // The row of each place of the list's last message: the next message
    // mostly carries the same tags in the same places.
    std::vector<Row *> by_place;
};

std::string TagRow::status_text() const {
    if (!has_status) return {};
    const std::string_view text = ts::unquoted_status_text(status);
    return text.empty() ? std::to_string(status) : std::string(text);
}

bool TagRow::status_is_good() const {
    return !has_status || status == kGoodStatus;
}

TagTable::TagTable() = default;
TagTable::~TagTable() = default;

const TagRow &TagTable::row(std::size_t i) {
    Row &row = *rows_[i];
    if (row.value_text_due) {
        row.value_text_due = false;
        row.value.clear();
        if (row.value_type == TAVLO_TYPE_TIME) {
            TimeRecord time{};  // fewer bytes read as zero, as in the report
            if (!row.value_bytes.empty()) {
                std::memcpy(&time, row.value_bytes.data(),
                            std::min(sizeof time, row.value_bytes.size()));
            }
            row.value = calendar_time(time);
        }
        // Other values, and a TIME value without a calendar time, as the
        // report says them.
        if (row.value.empty()) {
            {
                ts::ReportWriter out(row.value);
                // A value of no bytes reads as zero, from bytes that are there.
                static const unsigned char kNoBytes[1] = {};
                ts::write_value(out, row.value_type, row.value_size,
                                row.value_bytes.empty() ? kNoBytes : row.value_bytes.data());
            }
            make_one_line(row.value);
        }
    }
    if (row.time_text_due) {
        row.time_text_due = false;
        row.timestamp = calendar_time(row.time);
        if (row.timestamp.empty()) row.timestamp = "Invalid timestamp";
    }
    return row;
}

int32_t TagTable::take(const ReceivedMessage &message, const TagSelection &selection,
                       Clock::time_point now) {
    if (message.view.kind == TAVLO_MSG_CANCEL_REPLY) {
        const auto found = lists_.find(key_of(message.view));
        if (found != lists_.end()) remove(*found->second);
        return selection.count;
    }
    List *list = list_of(message.view);
    const records::MessageView tags = message.tags();
    const int32_t reported = ts::reported_tags(tags);
    const unsigned char *value = tags.values;
    int32_t taken = 0;
    for (int32_t k = 0; k < reported; ++k) {
        const TypeDescriptor *descriptor =
            tags.descriptors != nullptr ? &tags.descriptors[k + 1] : nullptr;
        if (selection.includes(k)) {
            Row *row = list != nullptr ? row_of(*list, k, unpadded(message.name(k))) : nullptr;
            if (row == nullptr) {
                ++left_out_;
            } else {
                update(*row, descriptor, descriptor != nullptr ? value : nullptr,
                       tags.statuses != nullptr ? &tags.statuses[k] : nullptr,
                       tags.timestamps != nullptr ? &tags.timestamps[k] : nullptr, now);
                ++taken;
            }
        }
        if (value != nullptr && descriptor != nullptr) value += ts::value_step(descriptor->size);
    }
    return taken;
}

TagTable::List *TagTable::list_of(const records::MessageView &message) {
    const ListKey key = key_of(message);
    if (last_list_ != nullptr && key_of(*last_list_) == key) return last_list_;
    if (const auto found = lists_.find(key); found != lists_.end()) {
        return last_list_ = found->second.get();
    }
    if (lists_.size() >= kMostLists) return nullptr;
    auto list = std::make_unique<List>();
    list->device = std::get<0>(key);
    list->unit = message.unit;
    list->list_id = message.list_id;
    last_list_ = list.get();
    // The key's device is the list's own copy, which lives as long as it.
    lists_.emplace(key_of(*list), std::move(list));
    return last_list_;
}

TagTable::ListKey TagTable::key_of(const records::MessageView &message) {
    return {message.device != nullptr ? message.device : "", message.unit, message.list_id};
}

TagTable::ListKey TagTable::key_of(const List &list) {
    return {list.device, list.unit, list.list_id};
}

TagTable::Row *TagTable::row_of(List &list, int32_t place, std::string_view name) {
    const auto index = static_cast<std::size_t>(place);
    if (index < list.by_place.size() && list.by_place[index] != nullptr &&
        list.by_place[index]->key == name) {
        return list.by_place[index];
    }
    Row *row = nullptr;
    if (const auto found = list.by_name.find(name); found != list.by_name.end()) {
        row = found->second;
    } else if (rows_.size() >= kMostRows) {
        return nullptr;
    } else {
        auto made = std::make_unique<Row>();
        made->list = &list;
        made->list_id = list.list_id;
        made->key = name;
        made->name = name;
        make_showable(made->name);
        longest_name_ = std::max(longest_name_, made->name.size());
        row = made.get();
        rows_.push_back(std::move(made));
        list.by_name.emplace(row->key, row);
    }
    if (index >= list.by_place.size()) list.by_place.resize(index + 1, nullptr);
    list.by_place[index] = row;
    return row;
}

void TagTable::remove(const List &list) {
    rows_.erase(std::remove_if(rows_.begin(), rows_.end(),
                               [&](const auto &row) { return row->list == &list; }),
                rows_.end());
    longest_name_ = 0;
    for (const auto &row : rows_) longest_name_ = std::max(longest_name_, row->name.size());
    if (last_list_ == &list) last_list_ = nullptr;
    lists_.erase(lists_.find(key_of(list)));  // not erase(key): the key's device dies with the list
}

void TagTable::update(Row &row, const TypeDescriptor *descriptor, const unsigned char *value,
                      const TagStatus *status, const TimeRecord *timestamp, Clock::time_point now) {
    if (descriptor != nullptr) {
        row.data_type = ts::data_type_name(descriptor->data_type);
        if (row.data_type.empty()) row.data_type = "UNKNOWN TYPE";
    }
    if (value != nullptr) {
        ++row.updates;
        row.updated = now;
        const auto size = static_cast<std::size_t>(ts::value_step(descriptor->size));
        const bool same = row.has_value && row.value_type == descriptor->data_type &&
                          row.value_size == descriptor->size &&
                          (size == 0 || std::memcmp(row.value_bytes.data(), value, size) == 0);
        if (!same) {
            if (row.has_value) row.changed = now;
            row.has_value = true;
            row.value_type = descriptor->data_type;
            row.value_size = descriptor->size;
            row.value_bytes.assign(value, value + size);
            row.value_text_due = true;
        }
    }
    if (status != nullptr) {
        row.has_status = true;
        row.status = status->status;
    }
    if (timestamp != nullptr && !(row.has_time && same_time(row.time, *timestamp))) {
        row.has_time = true;
        row.time = *timestamp;
        row.time_text_due = true;
    }
}

}  // namespace tavlo::receiver::view
