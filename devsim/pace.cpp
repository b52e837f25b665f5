// When each message is due: at the interval after the one before, or at its
// recorded distance from the first, scaled by the speed.
#include "pace.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavlo::devsim {

namespace {

// `from` and `distance` milliseconds more, rounded; the latest time there
// is (never, in effect) for a distance past the range of times, as a tiny
// speed gives.
int64_t later_by(int64_t from, double distance) {
    constexpr int64_t kLatest = std::numeric_limits<int64_t>::max();
    constexpr double kFarthest = 0x1p63;  // the first distance past llround's range
    if (!(distance < kFarthest)) return kLatest;
    const int64_t ms = std::llround(distance);
    return from > kLatest - ms ? kLatest : from + ms;
}

}  // namespace

Pace::Pace(const DevsimOptions &options) : options_(options) {}

bool Pace::paced() const {
    return options_.pace == PaceKind::kRecorded ? options_.speed > 0 : options_.interval_ms > 0;
}

int64_t Pace::next_due(const std::optional<int64_t> &received, int64_t now) {
    const bool first = first_;
    first_ = false;
    if (first || !paced()) {
        due_ = now;
    } else if (options_.pace == PaceKind::kInterval) {
        due_ = std::max(due_ + options_.interval_ms, now);
    }
    if (options_.pace != PaceKind::kRecorded || !received) return due_;
    const int64_t ms = *received;
    if (!base_ms_ || ms < last_ms_) {
        base_ms_ = ms;
        base_due_ = due_;
    }
    last_ms_ = ms;
    if (paced()) {
        const double distance = static_cast<double>(ms - *base_ms_) / options_.speed;
        due_ = std::max(due_, later_by(base_due_, distance));
    }
    return due_;
}

}  // namespace tavlo::devsim
