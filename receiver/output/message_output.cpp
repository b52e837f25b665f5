// The one place where a received message goes out: the message as the
// library returned it, then the filters, then the chosen format, with the
// run's counts kept on the way.
#include "message_output.h"

#include <utility>

namespace tavlo::receiver {

MessageOutput::MessageOutput(OutputSettings settings)
    : format_(kOutputFormats[settings.format].make()),
      stats_wanted_(settings.stats),
      tags_filtered_(!settings.filter.tag_patterns.empty()),
      filter_(std::move(settings.filter)) {}

bool MessageOutput::take(const ReceivedMessage &message) {
    // What sees every message as the library returned it goes here, before
    // the filters (the recording is written by the loop, whose end a failed
    // write decides).
    stats_.received(message.slots.kind);
    format_->arrived(message);
    if (!filter_.passes(message)) return false;
    const TagSelection selection = filter_.select_tags(message);
    if (tags_filtered_ && selection.count == 0) return false;
    const std::optional<int32_t> tags = format_->show(message, selection);
    if (!tags) return false;
    stats_.shown(message.slots.kind, *tags);
    if (sink_ != nullptr) sink_->take(message, selection);
    return true;
}

void MessageOutput::connect_failed(const char *device, const StatusBlock &block) {
    stats_.connect_failed();
    format_->connect_failed(device, block);
}

void MessageOutput::read_failed(const StatusBlock &block) {
    stats_.read_failed();
    format_->read_failed(block);
}

void MessageOutput::write_summary(uint64_t bytes_written) const {
    if (stats_wanted_) stats_.write_summary(stderr, bytes_written);
}

}  // namespace tavlo::receiver
