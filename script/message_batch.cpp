// Messages kept after their reads, one after another in one buffer.
#include "message_batch.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace tavlo::script {

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
// Every record of a read is aligned to at most this.
constexpr std::size_t kAlignment = 8;
// The lists whose names a batch looks for again.
constexpr std::size_t kListsRemembered = 16;

template <typename T>
const T *at(const TextBuffer &bytes, std::size_t offset) {
    return offset == kNone ? nullptr : reinterpret_cast<const T *>(bytes.data() + offset);
}

}  // namespace

std::size_t MessageBatch::append(const void *from, std::size_t size) {
    if (from == nullptr) return kNone;
    const std::size_t offset = (bytes_.size() + kAlignment - 1) / kAlignment * kAlignment;
    char *const room = bytes_.room(offset - bytes_.size() + size) + (offset - bytes_.size());
    if (size > 0) std::memcpy(room, from, size);
    bytes_.commit(room + size);
    return offset;
}

std::size_t MessageBatch::append_names(const char *names, std::size_t size, int32_t list_id) {
    if (names == nullptr) return kNone;
    for (Names &list : names_) {
        if (list.list_id != list_id) continue;
        if (list.size == size && std::memcmp(bytes_.data() + list.offset, names, size) == 0) {
            return list.offset;
        }
        list = Names{list_id, size, append(names, size)};
        return list.offset;
    }
    const std::size_t offset = append(names, size);
    // A few lists are remembered; a device of many copies the others.
    if (names_.size() < kListsRemembered) names_.push_back(Names{list_id, size, offset});
    return offset;
}

void MessageBatch::add(const ReadMessage &read) {
    const std::size_t count = read.count > 0 ? static_cast<std::size_t>(read.count) : 0;
    const std::size_t stride =
        read.name_stride > 0 ? static_cast<std::size_t>(read.name_stride) : 0;
    std::size_t value_bytes = 0;
    if (read.descriptors != nullptr) {
        for (std::size_t i = 1; i <= count; ++i) {
            const int32_t size = read.descriptors[i].size;
            value_bytes += size > 0 ? static_cast<std::size_t>(size) : 0;
        }
    }
    const char *const device = read.device != nullptr ? read.device : "";
    Held &held = held_.emplace_back();
    held.numbers = read;
    held.device = append(device, std::strlen(device) + 1);
    held.names = append_names(read.names, count * stride, read.list_id);
    held.descriptors = append(
        read.descriptors, read.descriptors != nullptr ? (count + 1) * sizeof(TypeDescriptor) : 0);
    held.values = append(read.values, value_bytes);
    held.statuses = append(read.statuses, count * sizeof(TagStatus));
    held.timestamps = append(read.timestamps, count * sizeof(TimeRecord));
}

ReadMessage MessageBatch::read(std::size_t i) const {
    const Held &held = held_[i];
    ReadMessage read = held.numbers;
    read.device = at<char>(bytes_, held.device);
    read.names = at<char>(bytes_, held.names);
    read.descriptors = at<TypeDescriptor>(bytes_, held.descriptors);
    read.values = at<unsigned char>(bytes_, held.values);
    read.statuses = at<TagStatus>(bytes_, held.statuses);
    read.timestamps = at<TimeRecord>(bytes_, held.timestamps);
    return read;
}

void MessageBatch::clear(std::size_t keep) {
    held_.clear();
    names_.clear();
    if (bytes_.capacity() > keep) {
        bytes_ = TextBuffer();
    } else {
        bytes_.clear();
    }
}

}  // namespace tavlo::script
