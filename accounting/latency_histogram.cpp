// Latencies in a fixed histogram of logarithmic buckets.
#include "latency_histogram.h"

#include <algorithm>
#include <cmath>

namespace tavlo::accounting {

int LatencyHistogram::bucket_of(int64_t value) {
    if (value < kExact) return static_cast<int>(value);
    const int power = 63 - __builtin_clzll(static_cast<unsigned long long>(value));
    if (power > kLargestPower) return kBuckets - 1;
    const auto sub = static_cast<int>((value >> (power - 4)) & (kSubBuckets - 1));
    return kExact + (power - 5) * kSubBuckets + sub;
}

int64_t LatencyHistogram::middle_of(int bucket) {
    if (bucket < kExact) return bucket;
    const int power = (bucket - kExact) / kSubBuckets + 5;
    const int64_t sub = (bucket - kExact) % kSubBuckets;
    const int64_t width = int64_t{1} << (power - 4);
    const int64_t low = (int64_t{1} << power) + sub * width;
    return low + width / 2;
}

void LatencyHistogram::add(int64_t milliseconds, int64_t times) {
    if (times <= 0) return;
    if (count_ == 0) {
        min_ = max_ = milliseconds;
    } else {
        min_ = std::min(min_, milliseconds);
        max_ = std::max(max_, milliseconds);
    }
    if (milliseconds < 0) {
        negative_[static_cast<std::size_t>(bucket_of(-milliseconds))] += times;
    } else {
        buckets_[static_cast<std::size_t>(bucket_of(milliseconds))] += times;
    }
    count_ += times;
    sum_ += milliseconds * times;
}

int64_t LatencyHistogram::quantile(double q) const {
    if (count_ == 0) return 0;
    const auto rank = std::max<int64_t>(
        1, static_cast<int64_t>(std::ceil(std::clamp(q, 0.0, 1.0) * static_cast<double>(count_))));
    int64_t seen = 0;
    for (int bucket = kBuckets - 1; bucket >= 0; --bucket) {
        seen += negative_[static_cast<std::size_t>(bucket)];
        if (seen >= rank) return std::clamp(-middle_of(bucket), min_, max_);
    }
    for (int bucket = 0; bucket < kBuckets; ++bucket) {
        seen += buckets_[static_cast<std::size_t>(bucket)];
        if (seen >= rank) return std::clamp(middle_of(bucket), min_, max_);
    }
    return max_;
}

}  // namespace tavlo::accounting
