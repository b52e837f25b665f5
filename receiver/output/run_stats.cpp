// The counts of a run, and its summary for --stats.
#include "run_stats.h"

#include <inttypes.h>

#include <numeric>
#include <string>

#include "clock.h"

namespace tavlo::receiver {

namespace {

// "N (get N, put N, declare N, cancel N, unsolicited N, other N)"
template <typename Counts>
std::string by_kind(const Counts &counts) {
    std::string text = std::to_string(std::accumulate(counts.begin(), counts.end(), int64_t{0}));
    for (std::size_t k = 0; k < counts.size(); ++k) {
        text += k == 0 ? " (" : ", ";
        text += k < kOtherKinds ? kMessageKinds[k].name : "other";
        text += " " + std::to_string(counts[k]);
    }
    return text + ")";
}

}  // namespace

RunStats::RunStats() : start_(posix::clock_in_use().now()) {}

void RunStats::write_summary(std::FILE *stream, uint64_t bytes_written) const {
    const double seconds =
        std::chrono::duration<double>(posix::clock_in_use().now() - start_).count();
    const auto shown = std::accumulate(shown_.begin(), shown_.end(), int64_t{0});
    const auto per_second = [seconds](int64_t count) {
        return seconds > 0 ? static_cast<double>(count) / seconds : 0.0;
    };
    // One call, so that the summary goes out in one write.
    std::fprintf(stream,
                 "Messages received: %s\nMessages shown: %s\nTags shown: %" PRId64
                 "\nBytes written: %" PRIu64
                 "\nSeconds: %.3f\nMessages per second: %.1f\nTags per second: %.1f"
                 "\nConnect errors: %" PRId64 "\nFailed reads: %" PRId64 "\n",
                 by_kind(received_).c_str(), by_kind(shown_).c_str(), tags_, bytes_written, seconds,
                 per_second(shown), per_second(tags_), connect_errors_, failed_reads_);
}

}  // namespace tavlo::receiver
