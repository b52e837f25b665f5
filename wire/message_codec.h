// One message in a frame, and back: the arrays travel in the record layouts
// of the client library's header.
#pragma once

#include <cstddef>
#include <vector>

#include "message_records.h"

namespace tavlo::wire {

// Appends the whole frame of the message (length prefix, type, payload).
void encode_message_frame(const records::MessageRecords &records, std::vector<unsigned char> &out);

// Checks every part of a message payload before any of it is used: the
// lengths against the payload, the tag count, the name stride, names and
// the device name terminated inside their fields, the descriptor header,
// and the value bytes equal to the sum of the sizes. Fills `records` and
// returns true only for a payload that passes.
bool decode_message(const unsigned char *payload, std::size_t length,
                    records::MessageRecords &records);

}  // namespace tavlo::wire
