// The frames around the messages: hello, welcome, refuse and heartbeat.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlo::wire {

struct Hello {
    uint16_t version = 0;
    std::string app_id;
};

void encode_hello(const std::string &app_id, uint16_t version, std::vector<unsigned char> &out);
void encode_welcome(std::vector<unsigned char> &out);
void encode_refuse(const std::string &reason, std::vector<unsigned char> &out);
void encode_heartbeat(std::vector<unsigned char> &out);

// A hello payload with the right magic and an application id terminated in
// its field, or nothing.
std::optional<Hello> decode_hello(const unsigned char *payload, std::size_t length);

// The version of a welcome payload, or nothing.
std::optional<uint16_t> decode_welcome(const unsigned char *payload, std::size_t length);

}  // namespace tavlo::wire
