// The sequence numbers of one device's messages.
#include "sequence_tracker.h"

#include <algorithm>
#include <limits>

namespace tavlo::accounting {

namespace {

constexpr int64_t kTop = std::numeric_limits<int32_t>::max();
constexpr int64_t kBottom = std::numeric_limits<int32_t>::min();
// A jump back from this close to the top to this close to 0 (or to the
// lowest number) is the count wrapping, not a jump back.
constexpr int64_t kWrapReach = int64_t{1} << 16;

bool wraps(int64_t before, int64_t after) {
    const bool near_zero = after >= 0 && after < kWrapReach;
    return before > kTop - kWrapReach && (near_zero || after < kBottom + kWrapReach);
}

// The numbers jumped over when the count wrapped: after the top a device
// goes on at 0 or 1, or at the lowest number when it counts in 32 bits.
int64_t missing_across_wrap(int64_t before, int64_t after) {
    const int64_t below = after >= 0 ? after - 1 : after - kBottom;
    return std::max<int64_t>(0, kTop - before + below);
}

}  // namespace

SequenceGap SequenceTracker::take(int32_t sequence, bool link_lost) {
    const int64_t before = last_;
    const int64_t after = sequence;
    if (!started_) {
        started_ = true;
        last_ = sequence;
        return {};
    }
    const int64_t step = after - before;
    if (step == 1) {
        last_ = sequence;
        return {};
    }
    if (step == 0) {
        ++counts_.repeated;
        return {};
    }
    int64_t missing = 0;
    if (step > 1) {
        missing = step - 1;
    } else if (wraps(before, after)) {
        missing = missing_across_wrap(before, after);
    } else if (link_lost || after <= 1) {
        ++counts_.restarts;
        last_ = sequence;
        return {};
    } else {
        ++counts_.out_of_order;
        return {};
    }
    last_ = sequence;
    counts_.missing += missing;
    if (missing == 0) return {};
    return {missing, static_cast<int32_t>(before), sequence};
}

}  // namespace tavlo::accounting
