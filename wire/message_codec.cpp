// One message in a frame, and back: the arrays travel in the record layouts
// of the client library's header.
#include "message_codec.h"

#include <cstring>

#include "byte_order.h"
#include "wire_format.h"

namespace tavlo::wire {

namespace {

// Copies `count` records of `array` to `at`; returns where they end.
template <typename T>
unsigned char *put_array(unsigned char *at, const std::vector<T> &array, std::size_t count) {
    if (count == 0) return at;  // an empty vector may have no storage at all
    std::memcpy(at, array.data(), count * sizeof(T));
    return at + count * sizeof(T);
}

// Copies a field's value to `at`; returns where it ends.
template <typename T>
unsigned char *put_field(unsigned char *at, const T &value) {
    std::memcpy(at, &value, sizeof value);
    return at + sizeof value;
}

template <typename T>
void get_array(const unsigned char *&at, std::vector<T> &array, std::size_t count) {
    array.resize(count);
    if (count == 0) return;  // an empty vector may have no storage at all
    std::memcpy(array.data(), at, count * sizeof(T));
    at += count * sizeof(T);
}

}  // namespace

uint64_t message_payload_length(uint64_t tags, uint64_t stride, uint64_t values) {
    return kMessageHeader + tags * stride + (tags + 1) * sizeof(TypeDescriptor) + values +
           tags * (sizeof(TagStatus) + sizeof(TimeRecord));
}

bool encode_message_frame(const records::MessageRecords &records, std::vector<unsigned char> &out) {
    const auto count = static_cast<std::size_t>(records.count);
    const uint64_t payload = message_payload_length(
        count, static_cast<uint64_t>(records.name_stride), records.values.size());
    if (1 + payload > kLongestFrame) return false;
    // The frame is laid out in place, its bytes sized once: the device
    // name's field is zero after the name.
    const std::size_t start = out.size();
    out.resize(start + kLengthPrefix + 1 + static_cast<std::size_t>(payload));
    unsigned char *at = out.data() + start;
    at = put_field(at, static_cast<uint32_t>(1 + payload));
    at = put_field<uint8_t>(at, kMessage);
    at = put_field<int32_t>(at, records.kind);
    at = put_field<int32_t>(at, records.unit);
    at = put_field<int32_t>(at, records.list_id);
    at = put_field<int32_t>(at, records.sequence);
    at = put_field<int32_t>(at, records.count);
    at = put_field<int32_t>(at, records.name_stride);
    at = put_field(at, static_cast<uint32_t>(records.values.size()));
    std::memcpy(at, records.device.data(), std::min(records.device.size(), kNameField - 1));
    at += kNameField;
    at = put_array(at, records.names, count * static_cast<std::size_t>(records.name_stride));
    at = put_array(at, records.descriptors, count + 1);
    at = put_array(at, records.values, records.values.size());
    at = put_array(at, records.statuses, count);
    put_array(at, records.timestamps, count);
    return true;
}

bool decode_message(const unsigned char *payload, std::size_t length,
                    records::MessageRecords &records) {
    if (length < kMessageHeader) return false;
    const int32_t count = get<int32_t>(payload + 16);
    const int32_t stride = get<int32_t>(payload + 20);
    const uint32_t values_length = get<uint32_t>(payload + 24);
    const auto *device = reinterpret_cast<const char *>(payload + 28);
    if (count < 0 || count > kMostTags) return false;
    if (stride != records::kCompactNameStride && stride != records::kFullNameStride) return false;
    if (memchr(device, '\0', kNameField) == nullptr) return false;
    const auto tags = static_cast<uint64_t>(count);
    if (message_payload_length(tags, static_cast<uint64_t>(stride), values_length) != length) {
        return false;
    }

    const unsigned char *names = payload + kMessageHeader;
    for (uint64_t k = 0; k < tags; ++k) {
        if (memchr(names + k * static_cast<uint64_t>(stride), '\0',
                   static_cast<std::size_t>(stride)) == nullptr) {
            return false;
        }
    }
    const unsigned char *descriptors = names + tags * static_cast<uint64_t>(stride);
    const auto header = get<TypeDescriptor>(descriptors);
    if (header.data_type != TAVLO_TYPE_STRUCTURE || header.device_data_type != 0 ||
        header.size != count || header.element_count != 1) {
        return false;
    }
    uint64_t sizes = 0;
    for (uint64_t k = 1; k <= tags; ++k) {
        const int32_t size = get<TypeDescriptor>(descriptors + k * sizeof(TypeDescriptor)).size;
        if (size < 0) return false;
        sizes += static_cast<uint64_t>(size);
    }
    if (sizes != values_length) return false;

    records.kind = get<int32_t>(payload);
    records.unit = get<int32_t>(payload + 4);
    records.list_id = get<int32_t>(payload + 8);
    records.sequence = get<int32_t>(payload + 12);
    records.count = count;
    records.name_stride = stride;
    records.device.assign(device);
    const unsigned char *at = names;
    get_array(at, records.names, tags * static_cast<std::size_t>(stride));
    get_array(at, records.descriptors, tags + 1);
    get_array(at, records.values, values_length);
    get_array(at, records.statuses, tags);
    get_array(at, records.timestamps, tags);
    return true;
}

}  // namespace tavlo::wire
