// The frames a test sends when it plays the device.
#pragma once

#include <cstdint>
#include <vector>

namespace tavlo::testing {

using Bytes = std::vector<unsigned char>;

Bytes welcome();
Bytes heartbeat();

// Message n of the plant as its frame; its sequence number is n + 1.
Bytes message_frame(int64_t n);

// A frame of any type and payload, its length prefix as given.
Bytes raw_frame(uint32_t length, uint8_t type, const Bytes &payload = {});

Bytes first_half(const Bytes &bytes);

Bytes operator+(Bytes a, const Bytes &b);

}  // namespace tavlo::testing
