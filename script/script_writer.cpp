// The script lines of one message as a read returned it.
#include "script_writer.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "name_tokens.h"
#include "script_reader.h"
#include "script_words.h"
#include "text_tokens.h"
#include "value_text.h"

namespace tavlo::script {

namespace {

// The tags of a message mostly share their timestamp, and many their
// status: a record the same as the one of the tag before copies its text.
template <typename Record>
class RepeatedText {
public:
    template <typename Write>
    void append(TextBuffer &text, const Record &record, Write &&write) {
        if (size_ > 0 && std::memcmp(&record, &last_, sizeof record) == 0) {
            text += std::string_view(text_, size_);
            return;
        }
        const std::size_t from = text.size();
        write();
        const std::size_t size = text.size() - from;
        size_ = size <= sizeof text_ ? size : 0;
        std::memcpy(text_, text.data() + from, size_);
        last_ = record;
    }

private:
    Record last_{};
    char text_[40];  // three numbers with their blanks, a time
    std::size_t size_ = 0;
};

void append_option(TextBuffer &line, const char *key, int64_t value) {
    line += ' ';
    line += key;
    line += '=';
    append_number(line, value);
}

void append_message_line(TextBuffer &text, const ReadMessage &read, const NameList &names) {
    text += "message ";
    append_kind(text, read.kind);
    text += ' ';
    append_token(text, read.device != nullptr ? read.device : "");
    text += ' ';
    append_number(text, read.unit);
    text += ' ';
    append_number(text, read.list_id);
    append_option(text, "seq", read.sequence);
    append_option(text, "tags", std::max(read.count, 0));
    // The simulator lays out short names in the compact layout unless told.
    if (names.all_compact_in_full_entries()) text += " names=256";
    text += " at=";
    append_received_time(text, read.received);
    text += '\n';
}

}  // namespace

void append_recording_start(TextBuffer &text) {
    text += kRecordingLine;
    text += '\n';
    append_escapes_line(text);
}

void append_escapes_line(TextBuffer &text) {
    text += kEscapesLine;
    text += '\n';
}

ReadMessage read_of(const records::MessageRecords &records, int64_t received) {
    ReadMessage read;
    read.kind = records.kind;
    read.device = records.device.c_str();
    read.unit = records.unit;
    read.list_id = records.list_id;
    read.sequence = records.sequence;
    read.count = records.count;
    read.names = records.names.data();
    read.name_stride = records.name_stride;
    read.descriptors = records.descriptors.data();
    read.values = records.values.data();
    read.statuses = records.statuses.data();
    read.timestamps = records.timestamps.data();
    read.received = received;
    return read;
}

void append_message(TextBuffer &text, const ReadMessage &read, NameTokens &name_tokens) {
    const NameList &names = name_tokens.of(read);
    append_message_line(text, read, names);
    RepeatedText<TagStatus> statuses;
    RepeatedText<TimeRecord> stamps;
    const unsigned char *bytes = read.values;
    for (int32_t k = 0; k < read.count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const TypeDescriptor descriptor =
            read.descriptors != nullptr ? read.descriptors[i + 1] : TypeDescriptor{0, 0, 0, 1};
        const std::size_t size =
            bytes != nullptr && descriptor.size > 0 ? static_cast<std::size_t>(descriptor.size) : 0;
        text += "tag ";
        text += names.token(k);
        text += ' ';
        const HexRest rest = append_type_and_value(text, descriptor.data_type,
                                                   descriptor.device_data_type, bytes, size);
        const TagStatus status = read.statuses != nullptr ? read.statuses[i] : TagStatus{};
        statuses.append(text, status, [&] {
            for (const int32_t number : {status.status, status.facility, status.driver_status}) {
                text += ' ';
                append_number(text, number);
            }
        });
        const TimeRecord stamp = read.timestamps != nullptr ? read.timestamps[i] : TimeRecord{};
        stamps.append(text, stamp, [&] {
            text += ' ';
            append_time(text, time_has_text(stamp) ? stamp : TimeRecord{0, stamp.seconds});
        });
        if (descriptor.element_count != 1) {
            append_option(text, "elements", descriptor.element_count);
        }
        if (!time_has_text(stamp)) append_option(text, "stamp-ms", stamp.milliseconds);
        // How many more lines follow, which shows a value cut short.
        const std::size_t more_lines = (rest.to - rest.from + kHexBytesALine - 1) / kHexBytesALine;
        if (more_lines > 0) append_option(text, "more", static_cast<int64_t>(more_lines));
        text += '\n';
        for (std::size_t at = rest.from; at < rest.to; at += kHexBytesALine) {
            text += "more ";
            append_hex(text, bytes + at, std::min(kHexBytesALine, rest.to - at));
            text += '\n';
        }
        if (bytes != nullptr) bytes += size;
    }
}

void append_message(TextBuffer &text, const ReadMessage &read) {
    NameTokens name_tokens;
    append_message(text, read, name_tokens);
}

}  // namespace tavlo::script
