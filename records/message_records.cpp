// The record layout of a message: one message as a device sends it, and
// the arrays a read hands to its caller.
#include "message_records.h"

#include <algorithm>
#include <cstring>

namespace tavlo::records {

int32_t name_stride_for(const std::string &name) {
    return name.size() < static_cast<std::size_t>(kCompactNameStride) ? kCompactNameStride
                                                                      : kFullNameStride;
}

void lay_out(const Message &message, MessageRecords &records) {
    const auto count = static_cast<int32_t>(message.tags.size());
    records.kind = message.kind;
    records.device = message.device;
    records.unit = message.unit;
    records.list_id = message.list_id;
    records.sequence = message.sequence;
    records.count = count;

    int32_t stride = std::max(kCompactNameStride, message.name_stride);
    for (const TagValue &tag : message.tags) stride = std::max(stride, name_stride_for(tag.name));
    const auto entry_size = static_cast<std::size_t>(stride);  // one of two positive strides
    records.name_stride = stride;
    records.names.assign(static_cast<std::size_t>(std::max(count, 1)) * entry_size, ' ');

    records.descriptors.resize(static_cast<std::size_t>(count) + 1);
    records.descriptors[0] = TypeDescriptor{TAVLO_TYPE_STRUCTURE, 0, count, 1};
    records.values.clear();
    records.statuses.resize(static_cast<std::size_t>(count));
    records.timestamps.resize(static_cast<std::size_t>(count));

    for (int32_t k = 0; k < count; ++k) {
        const TagValue &tag = message.tags[static_cast<std::size_t>(k)];
        char *entry = records.names.data() + static_cast<std::size_t>(k) * entry_size;
        std::memcpy(entry, tag.name.data(), std::min(tag.name.size(), entry_size - 1));
        entry[entry_size - 1] = '\0';
        records.descriptors[static_cast<std::size_t>(k) + 1] =
            TypeDescriptor{tag.data_type, tag.device_data_type,
                           static_cast<int32_t>(tag.value.size()), tag.element_count};
        records.values.insert(records.values.end(), tag.value.begin(), tag.value.end());
        records.statuses[static_cast<std::size_t>(k)] = tag.status;
        records.timestamps[static_cast<std::size_t>(k)] = tag.timestamp;
    }
    if (count == 0) records.names[entry_size - 1] = '\0';
}

MessageView view_of(const MessageRecords &records) {
    return MessageView{records.kind,          records.device.c_str(),  records.unit,
                       records.list_id,       records.sequence,        records.count,
                       records.names.data(),  records.name_stride,     records.descriptors.data(),
                       records.values.data(), records.statuses.data(), records.timestamps.data()};
}

}  // namespace tavlo::records
