// Latencies in milliseconds, in a fixed histogram of logarithmic buckets:
// the memory stays the same however many values come, and a quantile is
// off by at most 1/16 of its value.
#pragma once

#include <array>
#include <cstdint>

namespace tavlo::accounting {

class LatencyHistogram {
public:
    // Adds `times` values of `milliseconds`; a negative latency (a device
    // clock ahead of ours) has buckets of its own, as a positive one.
    void add(int64_t milliseconds, int64_t times = 1);

    int64_t count() const { return count_; }
    int64_t min() const { return min_; }
    int64_t max() const { return max_; }
    // The sum of the values, for a summary's _sum.
    int64_t sum() const { return sum_; }

    // The value at `q` (0 to 1) of the values: the middle of its bucket,
    // kept within the minimum and the maximum. 0 when there is no value.
    int64_t quantile(double q) const;

private:
    // Values below 32 each have a bucket; above, every power of two has 16.
    static constexpr int kExact = 32;
    static constexpr int kSubBuckets = 16;
    static constexpr int kLargestPower = 44;  // some 557 years
    static constexpr int kBuckets = kExact + (kLargestPower - 4) * kSubBuckets;

    static int bucket_of(int64_t value);
    static int64_t middle_of(int bucket);

    std::array<int64_t, kBuckets> buckets_{};   // by the value
    std::array<int64_t, kBuckets> negative_{};  // by the value's size, below 0
    int64_t count_ = 0;
    int64_t min_ = 0;
    int64_t max_ = 0;
    int64_t sum_ = 0;
};

}  // namespace tavlo::accounting
