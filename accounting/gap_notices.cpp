// The line on standard error for a gap in a device's sequence.
#include "gap_notices.h"

#include <inttypes.h>

#include <chrono>

#include "printable_name.h"

namespace tavlo::accounting {

namespace {

constexpr std::chrono::seconds kLeastBetweenLines{1};
constexpr char kPrefix[] = "tavlo_t_receiver: ";

const char *lines_word(int64_t count) {
    return count == 1 ? "line" : "lines";
}

}  // namespace

void GapNotices::gap(std::string_view device, int32_t list_id, const SequenceGap &gap) {
    if (gap.missing == 0) return;
    const posix::Clock::Time now = clock_.now();
    if (said_ && now - last_said_ < kLeastBetweenLines) {
        ++held_back_;
        return;
    }
    said_ = true;
    last_said_ = now;
    char held[64] = "";
    if (held_back_ > 0) {
        std::snprintf(held, sizeof held, " (%" PRId64 " gap %s held back)", held_back_,
                      lines_word(held_back_));
    }
    std::fprintf(stream_,
                 "%s%" PRId64 " message%s missing on %s between sequence %" PRId32 " and %" PRId32
                 ", before list %" PRId32 "%s\n",
                 kPrefix, gap.missing, gap.missing == 1 ? "" : "s", printable_name(device).c_str(),
                 gap.before, gap.after, list_id, held);
    std::fflush(stream_);
    held_back_ = 0;
}

void GapNotices::finish() {
    if (held_back_ == 0) return;
    std::fprintf(stream_, "%s%" PRId64 " more gap %s held back\n", kPrefix, held_back_,
                 lines_word(held_back_));
    held_back_ = 0;
}

}  // namespace tavlo::accounting
