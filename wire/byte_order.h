// Little-endian fields in and out of byte buffers.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace tavlo::wire {

// The records are little-endian on the wire as in memory: the client
// library's header refuses to compile on another byte order.
template <typename T>
void put(std::vector<unsigned char> &out, const T &value) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(&value);
    out.insert(out.end(), bytes, bytes + sizeof value);
}

template <typename T>
T get(const unsigned char *at) {
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

// Writes the 4-byte length prefix of a frame that starts at `frame_start`
// and ends at the end of `out`. The caller has kept the frame within the
// longest frame, so its length fits the prefix.
inline void finish_frame(std::vector<unsigned char> &out, std::size_t frame_start) {
    const auto length = static_cast<uint32_t>(out.size() - frame_start - 4);
    std::memcpy(out.data() + frame_start, &length, sizeof length);
}

inline std::size_t start_frame(std::vector<unsigned char> &out, uint8_t type) {
    const std::size_t start = out.size();
    put<uint32_t>(out, 0);
    put<uint8_t>(out, type);
    return start;
}

}  // namespace tavlo::wire
