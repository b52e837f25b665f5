// A read's message kept after the read.
#include "read_copy.h"

#include <cstdint>

namespace tavlo::script {

namespace {

// The `count` items at `from`, or none for a null array.
template <typename T>
void copy_of(const T *from, std::size_t count, std::vector<T> &to) {
    if (from == nullptr) {
        to.clear();
    } else {
        to.assign(from, from + count);
    }
}

template <typename T>
const T *data_or_null(const std::vector<T> &items) {
    return items.empty() ? nullptr : items.data();
}

template <typename T>
void trim_one(std::vector<T> &items, std::size_t keep) {
    if (items.capacity() * sizeof(T) > keep) std::vector<T>().swap(items);
}

}  // namespace

void ReadCopy::assign(const ReadMessage &read) {
    read_ = read;
    // A null device is written as an empty one.
    device_.assign(read.device != nullptr ? read.device : "");
    const std::size_t count = read.count > 0 ? static_cast<std::size_t>(read.count) : 0;
    const std::size_t stride =
        read.name_stride > 0 ? static_cast<std::size_t>(read.name_stride) : 0;
    // An empty copy reads as a null array; the writer reads no byte of an
    // array of none.
    copy_of(read.names, count * stride, names_);
    copy_of(read.descriptors, read.descriptors != nullptr ? count + 1 : 0, descriptors_);
    std::size_t value_bytes = 0;
    for (std::size_t i = 1; i < descriptors_.size(); ++i) {
        const int32_t size = descriptors_[i].size;
        value_bytes += size > 0 ? static_cast<std::size_t>(size) : 0;
    }
    copy_of(read.values, value_bytes, values_);
    copy_of(read.statuses, count, statuses_);
    copy_of(read.timestamps, count, timestamps_);
}

ReadMessage ReadCopy::read() const {
    ReadMessage read = read_;
    read.device = device_.c_str();
    read.names = data_or_null(names_);
    read.descriptors = data_or_null(descriptors_);
    read.values = data_or_null(values_);
    read.statuses = data_or_null(statuses_);
    read.timestamps = data_or_null(timestamps_);
    return read;
}

std::size_t ReadCopy::bytes() const {
    return device_.size() + names_.size() + descriptors_.size() * sizeof(TypeDescriptor) +
           values_.size() + statuses_.size() * sizeof(TagStatus) +
           timestamps_.size() * sizeof(TimeRecord);
}

void ReadCopy::trim(std::size_t keep) {
    trim_one(names_, keep);
    trim_one(descriptors_, keep);
    trim_one(values_, keep);
    trim_one(statuses_, keep);
    trim_one(timestamps_, keep);
}

}  // namespace tavlo::script
