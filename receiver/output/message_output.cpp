// The one place where a received message goes out: the message as the
// library returned it, then the filters, then the chosen format, with the
// run's counts kept on the way.
#include "message_output.h"

#include <utility>

namespace tavlo::receiver {

namespace {

static_assert(std::size(kMessageKinds) == accounting::kKindSlots);

// The client library's codes of a read that leaves the receiver without a
// link: none, lost, a frame that broke the protocol, a refused version.
bool ends_link(const StatusBlock &block) {
    constexpr int32_t kLibraryFacility = 20;
    const int32_t code = block.error[0];
    return block.facility[0] == kLibraryFacility &&
           (code == 20004 || (code >= 20009 && code <= 20011));
}

accounting::MessageFacts facts_of(const ReceivedMessage &message) {
    return {message.view.device != nullptr ? message.view.device : "",
            static_cast<std::size_t>(&message.kind - kMessageKinds),
            message.view.list_id,
            message.view.sequence,
            message.view.count,
            message.kind.timestamps ? message.view.timestamps : nullptr,
            message.received};
}

}  // namespace

MessageOutput::MessageOutput(OutputSettings settings)
    : format_(kOutputFormats[settings.format].make()),
      stats_wanted_(settings.stats),
      tags_filtered_(!settings.filter.tag_patterns.empty()),
      filter_(std::move(settings.filter)),
      gaps_(stderr, posix::clock_in_use()) {
    if (!settings.stale) return;
    stale_.emplace(*settings.stale, stderr, posix::clock_in_use());
    format_->dim_stale_after(*settings.stale);
}

void MessageOutput::watch_tags(const ReceivedMessage &message) {
    const std::string_view device =
        message.view.device != nullptr ? message.view.device : std::string_view();
    if (message.view.kind == TAVLO_MSG_CANCEL_REPLY) {
        stale_->forget_list(device, message.view.list_id);
        return;
    }
    if (!message.kind.values || message.view.values == nullptr) return;
    const posix::Clock::Time now = stale_->now();
    const int32_t count = message.view.count;
    // The name entries: none without names, or the stride through them.
    std::string_view names;
    if (message.view.names != nullptr && message.view.name_stride > 0 && count > 0) {
        names = {message.view.names, static_cast<std::size_t>(count) *
                                         static_cast<std::size_t>(message.view.name_stride)};
    }
    if (stale_->updated_as_before(device, message.view.list_id, names, count, now)) return;
    for (int32_t k = 0; k < count; ++k) {
        stale_->updated(device, message.view.list_id, k, unpadded(message.name(k)), now);
    }
}

bool MessageOutput::show(const ReceivedMessage &message) {
    // What sees every message as the library returned it goes here, before
    // the filters (the recording is written by the loop, whose end a failed
    // write decides).
    stats_.received(message.view.kind);
    const accounting::MessageFacts facts = facts_of(message);
    if (const accounting::SequenceGap gap = accounting_.take(facts); gap.missing > 0) {
        gaps_.gap(facts.device, facts.list_id, gap);
        format_->gap_before(gap.missing);
        if (sink_ != nullptr) sink_->gap_before(gap.missing);
    }
    if (stale_) watch_tags(message);
    format_->arrived(message);
    if (!filter_.passes(message)) return false;
    const TagSelection selection = filter_.select_tags(message);
    if (tags_filtered_ && selection.count == 0) return false;
    const std::optional<int32_t> tags = format_->show(message, selection);
    if (!tags) return false;
    stats_.shown(message.view.kind, *tags);
    if (sink_ != nullptr) sink_->take(message, selection);
    return true;
}

void MessageOutput::connect_failed(const char *device, const StatusBlock &block) {
    stats_.connect_failed();
    accounting_.connect_failed();
    format_->connect_failed(device, block);
}

void MessageOutput::read_failed(const StatusBlock &block) {
    stats_.read_failed();
    accounting_.read_failed(block.error[0], ends_link(block));
    format_->read_failed(block);
}

void MessageOutput::write_summary(uint64_t bytes_written) const {
    if (!stats_wanted_) return;
    stats_.write_summary(stderr, bytes_written);
    std::string lines = accounting_.summary();
    if (stale_) {
        lines += "Tags gone stale: " + std::to_string(stale_->went_stale()) +
                 " (stale at the end: " + std::to_string(stale_->stale_now()) + ")\n";
    }
    std::fputs(lines.c_str(), stderr);
}

}  // namespace tavlo::receiver
