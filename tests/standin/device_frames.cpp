// The frames a test sends when it plays the device.
#include "device_frames.h"

#include <cstddef>

#include "handshake.h"
#include "message_codec.h"
#include "plant.h"

namespace tavlo::testing {

Bytes welcome() {
    Bytes bytes;
    wire::encode_welcome(bytes);
    return bytes;
}

Bytes heartbeat() {
    Bytes bytes;
    wire::encode_heartbeat(bytes);
    return bytes;
}

Bytes message_frame(int64_t n) {
    records::Message message;
    sim::Plant(0, 100, n).next(message);
    records::MessageRecords records;
    records::lay_out(message, records);
    Bytes bytes;
    wire::encode_message_frame(records, bytes);
    return bytes;
}

Bytes raw_frame(uint32_t length, uint8_t type, const Bytes &payload) {
    const auto *prefix = reinterpret_cast<const unsigned char *>(&length);
    Bytes bytes(prefix, prefix + sizeof length);
    bytes.push_back(type);
    bytes.insert(bytes.end(), payload.begin(), payload.end());
    return bytes;
}

Bytes first_half(const Bytes &bytes) {
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() / 2));
}

Bytes operator+(Bytes a, const Bytes &b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

}  // namespace tavlo::testing
