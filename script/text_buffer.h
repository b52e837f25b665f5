// The text of a message being written: a buffer that grows without filling
// its room first, and appends without more checks than one for room.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace tavlo::script {

class TextBuffer {
public:
    void clear() { size_ = 0; }
    const char *data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    std::string_view view() const { return {data_.get(), size_}; }

    // Room for `count` more bytes: write them from the pointer returned,
    // then commit() where the writing ended.
    char *room(std::size_t count) {
        if (capacity_ - size_ < count) grow(count);
        return data_.get() + size_;
    }
    void commit(const char *end) { size_ = static_cast<std::size_t>(end - data_.get()); }

    TextBuffer &operator+=(std::string_view text) {
        if (!text.empty()) std::memcpy(room(text.size()), text.data(), text.size());
        size_ += text.size();
        return *this;
    }
    TextBuffer &operator+=(char c) {
        *room(1) = c;
        ++size_;
        return *this;
    }

private:
    void grow(std::size_t count) {
        std::size_t capacity = capacity_ > 0 ? capacity_ * 2 : 4096;
        while (capacity - size_ < count) capacity *= 2;
        std::unique_ptr<char[]> data(new char[capacity]);
        if (size_ > 0) std::memcpy(data.get(), data_.get(), size_);
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

}  // namespace tavlo::script
