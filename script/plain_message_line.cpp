// The message lines of a recording, read in one pass.
#include "plain_message_line.h"

#include <optional>

#include "plain_fields.h"
#include "record_sizes.h"
#include "script_words.h"

namespace tavlo::script {

namespace {

// A device name's bytes and its NUL.
constexpr auto kDeviceNameField = static_cast<std::size_t>(records::kNameField);

}  // namespace

bool read_plain_message_line(std::string_view line, PlainMessageLine &message) {
    PlainFields fields(line);
    std::string_view kind;
    std::optional<int32_t> code;
    if (!fields.starts("message ") || !fields.token(kind) || !(code = kind_of(kind)) ||
        !fields.token(message.device) || message.device.size() >= kDeviceNameField ||
        !fields.whole_32(message.unit) || !fields.whole_32(message.list_id) ||
        !fields.starts("seq=") || !fields.whole_32(message.sequence)) {
        return false;
    }
    message.kind = *code;
    message.full_names = fields.starts("names=256 ");
    return fields.starts("at=") && fields.time(message.received) && fields.ended();
}

}  // namespace tavlo::script
