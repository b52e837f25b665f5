// The one place where a received message goes out: the message as the
// library returned it, then the filters, then the chosen format, with the
// run's counts kept on the way. The caller flushes after each message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

#include "gap_notices.h"
#include "message_filter.h"
#include "output_format.h"
#include "run_accounting.h"
#include "run_stats.h"
#include "stale_tags.h"

namespace tavlo::receiver {

struct OutputSettings {
    std::size_t format = 0;  // the row of kOutputFormats
    FilterSettings filter;
    bool stats = false;  // write the summary at the end
    // --stale: a tag without an update for this long is said to be stale.
    std::optional<std::chrono::milliseconds> stale;
};

// Gets every message shown, after its format (the MQTT publishing), and
// the gaps in the sequences, as the format gets them.
class ShownMessageSink {
public:
    virtual ~ShownMessageSink() = default;
    virtual void take(const ReceivedMessage &message, const TagSelection &selection) = 0;
    // `missing` numbers were jumped over before the message that arrives next.
    virtual void gap_before(int64_t missing) = 0;
};

class MessageOutput {
public:
    explicit MessageOutput(OutputSettings settings);

    // Where the receiver's own lines go in the chosen format.
    std::FILE *notes() const { return format_->notes(); }

    void start(const char *device) { format_->start(device); }

    // Shows the message if the filters leave it and the format shows it.
    // Returns whether it was shown.
    bool show(const ReceivedMessage &message);

    // Hands every message shown to `sink` too (null: none).
    void also_to(ShownMessageSink *sink) { sink_ = sink; }

    void connect_failed(const char *device, const StatusBlock &block);
    void read_failed(const StatusBlock &block);

    // Once in every pass of the loop: the --stale look, then the format's
    // tick(). False when the format's user asked to quit.
    bool tick() {
        if (stale_) stale_->look();
        return format_->tick();
    }

    void end() {
        gaps_.finish();
        format_->end();
    }

    // The --stats summary on standard error, when it was asked for.
    void write_summary(uint64_t bytes_written) const;

    // The sequences, latencies and link of the run, for the metrics.
    const accounting::RunAccounting &accounting() const { return accounting_; }
    // Tags stale now (0 without --stale).
    int64_t stale_tags() const { return stale_ ? stale_->stale_now() : 0; }

private:
    // Brings the --stale watch of the message's tags up to date.
    void watch_tags(const ReceivedMessage &message);

    std::unique_ptr<OutputFormat> format_;
    bool stats_wanted_;
    bool tags_filtered_;  // a message without a tag left is not shown
    MessageFilter filter_;
    RunStats stats_;
    accounting::RunAccounting accounting_;
    accounting::GapNotices gaps_;
    std::optional<accounting::StaleTags> stale_;
    ShownMessageSink *sink_ = nullptr;
};

}  // namespace tavlo::receiver
