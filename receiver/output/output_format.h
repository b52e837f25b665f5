// The formats of the receiver's output, each a row of one table: what a
// shown message looks like, and where the receiver's own lines go.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "message_filter.h"
#include "received_message.h"

namespace tavlo::receiver {

// A format gets a start, then every message read (arrived) and those that
// the filters leave (show), the connects that failed and the reads that
// failed (the connection is down from a failed connect to the next message),
// a tick in every pass of the loop, and an end.
class OutputFormat {
public:
    virtual ~OutputFormat() = default;

    // The stream of the receiver's own lines: the usage line, the start-up
    // and exit listings and the closing line.
    virtual std::FILE *notes() const = 0;

    // The loop is about to connect to `device` for the first time.
    virtual void start(const char * /*device*/) {}

    // Every message read, before the filters.
    virtual void arrived(const ReceivedMessage & /*message*/) {}

    // --stale: a tag without a value for `quiet` is stale.
    virtual void dim_stale_after(std::chrono::milliseconds /*quiet*/) {}

    // The device's sequence jumped over `missing` numbers before the
    // message that arrives next.
    virtual void gap_before(int64_t /*missing*/) {}

    // Writes the message with the selected tags to standard output, ready
    // for one flush. Returns how many tags it showed, or nothing when it
    // showed nothing of the message.
    virtual std::optional<int32_t> show(const ReceivedMessage &message,
                                        const TagSelection &selection) = 0;

    // A connect to `device` failed with the entries of `block` (the
    // library's log of it goes to standard error on its own, just after).
    virtual void connect_failed(const char *device, const StatusBlock &block) = 0;

    // A read failed for another reason than finding no message.
    virtual void read_failed(const StatusBlock & /*block*/) {}

    // Once in every pass of the loop, before its connect: after each
    // message, each read that found none and each failure. A live view
    // draws there when a drawing is due and reads its keys. False when its
    // user asked to quit: the loop ends as after a stop.
    virtual bool tick() { return true; }

    virtual void end() {}
};

// Today's text report, the default.
std::unique_ptr<OutputFormat> make_text_format();

// One JSON object a line.
std::unique_ptr<OutputFormat> make_json_format();

// Nothing on standard output (a run that only publishes).
std::unique_ptr<OutputFormat> make_none_format();

// The live view: a table of the tags on the terminal, kept current.
std::unique_ptr<OutputFormat> make_view_format();

// Why the live view cannot run ("" when it can): standard output is not a
// terminal, the terminal's type is not known, or the build has no view.
std::string view_unavailable();

struct OutputFormatRow {
    std::string_view name;  // as --format gives it
    std::unique_ptr<OutputFormat> (*make)();
    // Why the format cannot run in this process, "" when it can; checked
    // with the options, before anything else. Null: it always can.
    std::string (*unavailable)();
};

// The formats, the default first.
constexpr OutputFormatRow kOutputFormats[] = {
    {"text", make_text_format, nullptr},
    {"json", make_json_format, nullptr},
    {"view", make_view_format, view_unavailable},
    {"none", make_none_format, nullptr},
};

}  // namespace tavlo::receiver
