// Constants of the device link's wire protocol (docs/wire-protocol.md).
#pragma once

#include <cstddef>
#include <cstdint>

#include "record_sizes.h"

namespace tavlo::wire {

constexpr uint16_t kProtocolVersion = 1;

// A frame: a 4-byte little-endian length, then that many bytes: a 1-byte
// frame type and the payload.
constexpr std::size_t kLengthPrefix = 4;
constexpr uint32_t kLongestFrame = 16u << 20;  // type byte and payload

enum FrameType : uint8_t {
    kHello = 1,      // client to device: magic, version, application id
    kWelcome = 2,    // device to client: the version it speaks
    kMessage = 3,    // device to client: one message
    kHeartbeat = 4,  // device to client, when it has sent nothing for a while
    kRefuse = 5,     // device to client: version refused, then it closes
};

// A device sends a heartbeat after this long without other frames; a client
// that hears nothing for kSilenceLimitMs takes the device for gone.
constexpr int64_t kHeartbeatIntervalMs = 1000;
constexpr int64_t kSilenceLimitMs = 5000;

// A client waits this long for the WELCOME; a device closes a connection
// that has not sent its HELLO within the same time.
constexpr int64_t kHandshakeLimitMs = 2000;

// Most tags one message may carry.
constexpr int32_t kMostTags = 65536;

// Fixed part of a message payload, before the arrays.
constexpr std::size_t kMessageHeader = 60;
// Bytes of the device-name and application-id fields.
constexpr auto kNameField = static_cast<std::size_t>(records::kNameField);

}  // namespace tavlo::wire
