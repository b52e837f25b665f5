// The record layout of a message: one message as a device sends it, and
// the arrays a read hands to its caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "message_view.h"
#include "record_sizes.h"
#include "tavlo.h"

namespace tavlo::records {

// A tag of a message before it is laid out: its value as raw bytes.
struct TagValue {
    std::string name;
    int16_t data_type = 0;
    int16_t device_data_type = 0;
    std::vector<unsigned char> value;  // size = descriptor size
    int32_t element_count = 1;
    TagStatus status{};
    TimeRecord timestamp{};
};

struct Message {
    MessageKind kind = 0;
    std::string device;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t sequence = 0;
    int32_t name_stride = 0;  // 256 for full entries whatever the names; 0: the layout chooses
    std::vector<TagValue> tags;
};

// The arrays a read hands to its caller. Buffers keep their capacity from
// message to message, so a long run does not allocate.
struct MessageRecords {
    MessageKind kind = 0;
    std::string device;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t sequence = 0;
    int32_t count = 0;
    int32_t name_stride = 0;                  // 40 or 256
    std::vector<char> names;                  // count * name_stride bytes
    std::vector<TypeDescriptor> descriptors;  // count + 1 entries
    std::vector<unsigned char> values;        // the packed value buffer
    std::vector<TagStatus> statuses;          // count entries
    std::vector<TimeRecord> timestamps;       // count entries
};

// The name stride a tag name needs: the compact 40-byte entry for a name
// shorter than 40 characters, else a 256-byte entry. A message's names are
// laid out in the largest stride that any of them needs.
int32_t name_stride_for(const std::string &name);

// Lays out a message: names in the compact layout (blank-padded to 39
// characters, NUL as the 40th byte) when every name is shorter than 40
// characters and the message asks for no wider stride, else in 256-byte
// entries blank-padded with NUL at byte 255 (a name's bytes are copied as
// they are, a NUL among them too);
// the descriptor array with its header; the values back to back.
void lay_out(const Message &message, MessageRecords &records);

// The view of the arrays of `records`, stepping through its names by its
// own stride; valid while the records stay as they are.
MessageView view_of(const MessageRecords &records);

}  // namespace tavlo::records
