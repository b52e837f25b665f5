// The frames around the messages: hello, welcome, refuse and heartbeat.
#include "handshake.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "wire_format.h"

namespace tavlo::wire {

namespace {
constexpr unsigned char kMagic[4] = {'T', 'V', 'L', 'O'};
static_assert(kHelloPayloadLength == sizeof kMagic + 2 + 2 + kNameField);
constexpr std::size_t kLongestReason = 200;
}  // namespace

void encode_hello(const std::string &app_id, uint16_t version, std::vector<unsigned char> &out) {
    const std::size_t start = start_frame(out, kHello);
    out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
    put<uint16_t>(out, version);
    put<uint16_t>(out, 0);
    char field[kNameField] = {};
    std::memcpy(field, app_id.data(), std::min(app_id.size(), kNameField - 1));
    out.insert(out.end(), field, field + kNameField);
    finish_frame(out, start);
}

void encode_welcome(std::vector<unsigned char> &out) {
    const std::size_t start = start_frame(out, kWelcome);
    put<uint16_t>(out, kProtocolVersion);
    put<uint16_t>(out, 0);
    finish_frame(out, start);
}

void encode_refuse(const std::string &reason, std::vector<unsigned char> &out) {
    const std::size_t start = start_frame(out, kRefuse);
    put<uint16_t>(out, kProtocolVersion);
    put<uint16_t>(out, 0);
    out.insert(
        out.end(), reason.begin(),
        reason.begin() + static_cast<std::ptrdiff_t>(std::min(reason.size(), kLongestReason)));
    finish_frame(out, start);
}

void encode_heartbeat(std::vector<unsigned char> &out) {
    finish_frame(out, start_frame(out, kHeartbeat));
}

bool may_start_hello(const unsigned char *bytes, std::size_t size) {
    unsigned char expected[kLengthPrefix + 1];
    const auto length = static_cast<uint32_t>(1 + kHelloPayloadLength);
    std::memcpy(expected, &length, sizeof length);
    expected[kLengthPrefix] = kHello;
    return std::memcmp(bytes, expected, std::min(size, sizeof expected)) == 0;
}

std::optional<Hello> decode_hello(const unsigned char *payload, std::size_t length) {
    if (length != kHelloPayloadLength || std::memcmp(payload, kMagic, sizeof kMagic) != 0) {
        return std::nullopt;
    }
    const auto *field = reinterpret_cast<const char *>(payload + 8);
    if (memchr(field, '\0', kNameField) == nullptr) return std::nullopt;
    return Hello{get<uint16_t>(payload + 4), std::string(field)};
}

std::optional<uint16_t> decode_welcome(const unsigned char *payload, std::size_t length) {
    if (length != 4) return std::nullopt;
    return get<uint16_t>(payload);
}

}  // namespace tavlo::wire
