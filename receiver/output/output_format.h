// The formats of the receiver's output, each a row of one table: what a
// shown message looks like, and where the receiver's own lines go.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>

#include "message_filter.h"
#include "received_message.h"

namespace tavlo::receiver {

// A format gets a start, then every message that the filters leave, the
// connects that failed and the reads that failed (the connection is down
// from a failed connect to the next message), and an end.
class OutputFormat {
public:
    virtual ~OutputFormat() = default;

    // The stream of the receiver's own lines: the usage line, the start-up
    // and exit listings and the closing line.
    virtual std::FILE *notes() const = 0;

    virtual void start() {}

    // Writes the message with the selected tags to standard output, ready
    // for one flush. Returns how many tags it showed, or nothing when it
    // showed nothing of the message.
    virtual std::optional<int32_t> show(const ReceivedMessage &message,
                                        const TagSelection &selection) = 0;

    // A connect to `device` failed (the library's log of it goes to
    // standard error on its own).
    virtual void connect_failed(const char *device) = 0;

    // A read failed for another reason than finding no message.
    virtual void read_failed() {}

    virtual void end() {}
};

// Today's text report, the default.
std::unique_ptr<OutputFormat> make_text_format();

// One JSON object a line.
std::unique_ptr<OutputFormat> make_json_format();

struct OutputFormatRow {
    std::string_view name;  // as --format gives it
    std::unique_ptr<OutputFormat> (*make)();
};

// The formats, the default first.
constexpr OutputFormatRow kOutputFormats[] = {
    {"text", make_text_format},
    {"json", make_json_format},
};

}  // namespace tavlo::receiver
