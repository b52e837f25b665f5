// The frames around the messages: hello, welcome, refuse and heartbeat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "wire_format.h"

namespace tavlo::wire {

// A HELLO payload: magic, version, reserved, application id. Its frame,
// length prefix included, has exactly kHelloFrameSize bytes.
constexpr std::size_t kHelloPayloadLength = 4 + 2 + 2 + kNameField;
constexpr std::size_t kHelloFrameSize = kLengthPrefix + 1 + kHelloPayloadLength;

struct Hello {
    uint16_t version = 0;
    std::string app_id;
};

void encode_hello(const std::string &app_id, uint16_t version, std::vector<unsigned char> &out);
void encode_welcome(std::vector<unsigned char> &out);
void encode_refuse(const std::string &reason, std::vector<unsigned char> &out);
void encode_heartbeat(std::vector<unsigned char> &out);

// Whether the first `size` bytes a client sent can still be the start of
// its HELLO frame: the length prefix of a HELLO and then its type. A device
// closes the connection at the first byte that cannot, so that it never
// stores more of a connection's bytes than one HELLO.
bool may_start_hello(const unsigned char *bytes, std::size_t size);

// A hello payload with the right magic and an application id terminated in
// its field, or nothing.
std::optional<Hello> decode_hello(const unsigned char *payload, std::size_t length);

// The version of a welcome payload, or nothing.
std::optional<uint16_t> decode_welcome(const unsigned char *payload, std::size_t length);

}  // namespace tavlo::wire
