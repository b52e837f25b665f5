// A message as the client library returned it, as the output layer sees
// it: the read's slots, the time it came, and the width of its names.
#pragma once

#include <chrono>
#include <cstdint>
#include <string_view>

#include "message_kinds.h"
#include "message_view.h"
#include "report_lines.h"
#include "tavlo.h"

namespace tavlo::receiver {

// The out-parameters of a read, kept from pass to pass so that the pointers
// one read returns are handed back to the library on the next.
struct ReadSlots {
    MessageKind kind = 0;
    char *device = nullptr;
    int32_t unit = 0;
    int32_t list_id = 0;
    int32_t count = 0;
    int32_t sequence = 0;
    char *names = nullptr;
    void *slot9 = nullptr;
    TypeDescriptor *descriptors = nullptr;
    void *values = nullptr;
    TagStatus *statuses = nullptr;
    TimeRecord *timestamps = nullptr;
    int32_t slot14 = 0;
    void *slot15 = nullptr;
};

struct ReceivedMessage {
    const ReadSlots &slots;
    std::chrono::system_clock::time_point received;
    int32_t name_stride;  // bytes from one name to the next: 40 or 256
    const MessageKindRow &kind;

    ReceivedMessage(const ReadSlots &read, std::chrono::system_clock::time_point when,
                    int32_t stride)
        : slots(read),
          received(when),
          name_stride(stride),
          kind(kMessageKinds[kind_index(read.kind)]) {}

    // The message as the read returned it, names stepped through by the
    // stride: what the recording writes.
    records::MessageView view() const;

    // The same with the arrays the message's kind carries, null for the
    // others: what the formats show.
    records::MessageView tags() const;

    // Tag k's name as the text report shows it: up to its NUL, never more
    // than the stride; empty when the message has no names.
    std::string_view name(int32_t k) const;
};

// The name without the blanks that pad it to its entry.
std::string_view unpadded(std::string_view name);

}  // namespace tavlo::receiver
