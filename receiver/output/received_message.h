// A message as the client library returned it, as the output layer sees
// it: the message, the time it came and the row of its kind.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "message_kinds.h"
#include "message_view.h"
#include "report_lines.h"
#include "tavlo.h"

namespace tavlo::receiver {

struct ReceivedMessage {
    records::MessageView view;  // the message as the read returned it: what the recording writes
    std::chrono::system_clock::time_point received;
    const MessageKindRow &kind;

    ReceivedMessage(const records::MessageView &read, std::chrono::system_clock::time_point when)
        : view(read), received(when), kind(kMessageKinds[kind_index(read.kind)]) {}

    // The message with the arrays its kind carries, null for the others:
    // what the formats show.
    records::MessageView tags() const;

    // Tag k's name as the text report shows it: up to its NUL, never more
    // than the stride; empty when the message has no names.
    std::string_view name(int32_t k) const;
};

// The name without the blanks that pad it to its entry.
std::string_view unpadded(std::string_view name);

}  // namespace tavlo::receiver
