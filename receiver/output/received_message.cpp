// A message as the client library returned it, as the output layer sees
// it: the read's slots, the time it came, and the width of its names.
#include "received_message.h"

#include <cstring>

#include "report_lines.h"

namespace tavlo::receiver {

records::MessageView ReceivedMessage::view() const {
    return records::MessageView{slots.kind,        slots.device,
                                slots.unit,        slots.list_id,
                                slots.sequence,    slots.count,
                                slots.names,       name_stride,
                                slots.descriptors, static_cast<const unsigned char *>(slots.values),
                                slots.statuses,    slots.timestamps};
}

records::MessageView ReceivedMessage::tags() const {
    records::MessageView shown = view();
    if (!kind.descriptors) shown.descriptors = nullptr;
    if (!kind.values) shown.values = nullptr;
    if (!kind.timestamps) shown.timestamps = nullptr;
    return shown;
}

std::string_view ReceivedMessage::name(int32_t k) const {
    if (slots.names == nullptr) return {};
    const char *entry = slots.names + static_cast<std::ptrdiff_t>(k) * name_stride;
    return {entry, static_cast<std::size_t>(ts::name_length(entry, name_stride))};
}

std::string_view unpadded(std::string_view name) {
    // Eight blanks at a time: a name in a 256-byte entry has some 200.
    constexpr uint64_t kEightBlanks = 0x2020202020202020;
    std::size_t end = name.size();
    while (end >= sizeof kEightBlanks) {
        uint64_t word = 0;
        std::memcpy(&word, name.data() + end - sizeof word, sizeof word);
        if (word != kEightBlanks) break;
        end -= sizeof word;
    }
    while (end > 0 && name[end - 1] == ' ') --end;
    return name.substr(0, end);
}

}  // namespace tavlo::receiver
