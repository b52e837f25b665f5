// Byte strings for tests: values as the records and the packed value buffer
// hold them, text fields, and fields put into and got from a buffer. The
// records are little-endian in memory (the client library's header refuses
// another byte order), so a value's bytes in memory are its bytes on the wire.
#pragma once

#include <cstring>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace tavlo::testing {

using Bytes = std::vector<unsigned char>;

template <typename T>
void append(Bytes &bytes, const T &value) {
    static_assert(std::is_trivially_copyable_v<T>, "a value of fixed layout");
    const auto *first = reinterpret_cast<const unsigned char *>(&value);
    bytes.insert(bytes.end(), first, first + sizeof value);
}

template <typename T>
Bytes bytes_of(const T &value) {
    Bytes bytes;
    append(bytes, value);
    return bytes;
}

// The bytes of `first`, then those of `second`.
inline Bytes operator+(Bytes first, const Bytes &second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// The characters of `text`, without a NUL.
inline Bytes text_bytes(const std::string &text) {
    return Bytes(text.begin(), text.end());
}

inline void append_text(Bytes &bytes, const std::string &text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

// A text field of `size` bytes: `text` cut to it or NUL-filled.
inline void append_text(Bytes &bytes, const std::string &text, std::size_t size) {
    std::string field = text;
    field.resize(size, '\0');
    append_text(bytes, field);
}

// Writes `value` over the bytes from `offset`, which must lie in `bytes`.
template <typename T>
void put_at(Bytes &bytes, std::size_t offset, const T &value) {
    static_assert(std::is_trivially_copyable_v<T>, "a value of fixed layout");
    if (offset > bytes.size() || bytes.size() - offset < sizeof value) {
        throw std::out_of_range("put_at beyond the end of the bytes");
    }
    std::memcpy(bytes.data() + offset, &value, sizeof value);
}

// The value whose bytes start at `offset`, which must lie in `bytes`.
template <typename T>
T get_at(const Bytes &bytes, std::size_t offset) {
    static_assert(std::is_trivially_copyable_v<T>, "a value of fixed layout");
    T value{};
    if (offset > bytes.size() || bytes.size() - offset < sizeof value) {
        throw std::out_of_range("get_at beyond the end of the bytes");
    }
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

}  // namespace tavlo::testing
