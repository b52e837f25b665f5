// The JSON object of one message, without a line end: the line of
// --format json and the payload of an MQTT message are made here. The
// fields are described in docs/json-output.md.
#pragma once

#include <cstdint>
#include <memory>

#include "message_filter.h"
#include "received_message.h"
#include "report_lines.h"

namespace tavlo::receiver {

class JsonMessage {
public:
    JsonMessage();
    ~JsonMessage();
    JsonMessage(const JsonMessage &) = delete;
    JsonMessage &operator=(const JsonMessage &) = delete;

    // Writes the object of the message with the selected tags, and the
    // count of sequence numbers missing before it when there are any;
    // returns how many tags it holds.
    int32_t write(ts::ReportWriter &out, const ReceivedMessage &message,
                  const TagSelection &selection, int64_t missing_before = 0);

private:
    struct Parts;
    std::unique_ptr<Parts> parts_;
};

}  // namespace tavlo::receiver
