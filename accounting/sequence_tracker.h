// The sequence numbers of one device's messages: what is missing, repeated,
// out of order, and where the numbers started again.
#pragma once

#include <cstdint>

namespace tavlo::accounting {

struct SequenceCounts {
    int64_t missing = 0;       // numbers jumped over
    int64_t repeated = 0;      // the number of the message before, again
    int64_t out_of_order = 0;  // a jump back that is no restart
    int64_t restarts = 0;      // the numbers started again
};

// What one message's number showed: a gap of `missing` numbers between
// `before` and `after`, or none (missing 0).
struct SequenceGap {
    int64_t missing = 0;
    int32_t before = 0;
    int32_t after = 0;
};

class SequenceTracker {
public:
    // Takes the next message's number. `link_lost` says that the link went
    // down since the message before: a jump back is then a restart.
    SequenceGap take(int32_t sequence, bool link_lost);

    const SequenceCounts &counts() const { return counts_; }

private:
    bool started_ = false;
    int32_t last_ = 0;  // the highest number since the last restart
    SequenceCounts counts_;
};

}  // namespace tavlo::accounting
