// One message in a frame, and back: the arrays travel in the record layouts
// of the client library's header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "message_records.h"

namespace tavlo::wire {

// Bytes of the payload of a MESSAGE of `tags` tags, names of `stride` bytes
// and `values` bytes of packed values. Computed in 64 bits, so that no count
// of 32 bits can make it wrap; the frame holds one byte more, its type.
uint64_t message_payload_length(uint64_t tags, uint64_t stride, uint64_t values);

// Appends the whole frame of the message (length prefix, type, payload).
// Returns false, and appends nothing, when the frame would be longer than
// the longest frame.
bool encode_message_frame(const records::MessageRecords &records, std::vector<unsigned char> &out);

// Checks every part of a message payload before any of it is used: the
// lengths against the payload, the tag count, the name stride, names and
// the device name terminated inside their fields, the descriptor header,
// and the value bytes equal to the sum of the sizes. Fills `records` and
// returns true only for a payload that passes.
bool decode_message(const unsigned char *payload, std::size_t length,
                    records::MessageRecords &records);

}  // namespace tavlo::wire
