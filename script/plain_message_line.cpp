// The message lines of a recording, read in one pass.
#include "plain_message_line.h"

#include <cstring>

#include "plain_fields.h"
#include "record_sizes.h"
#include "script_words.h"

namespace tavlo::script {

namespace {

// A device name's bytes and its NUL.
constexpr auto kDeviceNameField = static_cast<std::size_t>(records::kNameField);
constexpr std::size_t kMostTokens = 8;  // "message", four fields, three options

// The value of option `key` (with its '='), when `token` is that option.
bool plain_option(std::string_view token, std::string_view key, std::string_view &value) {
    if (token.size() <= key.size() || token.compare(0, key.size(), key) != 0) return false;
    value = token.substr(key.size());
    return true;
}

}  // namespace

bool read_plain_message_line(std::string_view line, PlainMessageLine &message) {
    std::string_view t[kMostTokens];
    if (line.size() < 8 || std::memcmp(line.data(), "message ", 8) != 0) return false;
    const std::size_t count = plain_tokens(line, t, kMostTokens);
    // The four fields, seq= and at=; names=256 between them at most.
    if (count != kMostTokens && count != kMostTokens - 1) return false;
    const auto kind = kind_of(t[1]);
    std::string_view sequence;
    std::string_view received;
    if (!kind || t[2].size() >= kDeviceNameField || !plain_32(t[3], message.unit) ||
        !plain_32(t[4], message.list_id) || !plain_option(t[5], "seq=", sequence) ||
        !plain_32(sequence, message.sequence) || !plain_option(t[count - 1], "at=", received) ||
        !plain_time(received, message.received)) {
        return false;
    }
    message.full_names = count == kMostTokens;
    if (message.full_names && t[6] != "names=256") return false;
    message.kind = *kind;
    message.device = t[2];
    return true;
}

}  // namespace tavlo::script
