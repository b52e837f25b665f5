// The counts of a run, and its summary for --stats.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>

#include "message_kinds.h"

namespace tavlo::receiver {

class RunStats {
public:
    // The counting begins now, on the clock in use.
    RunStats();

    void received(MessageKind kind) { ++received_[kind_index(kind)]; }
    void shown(MessageKind kind, int32_t tags) {
        ++shown_[kind_index(kind)];
        tags_ += tags;
    }
    void connect_failed() { ++connect_errors_; }
    void read_failed() { ++failed_reads_; }

    // The summary, in one write to `stream`: messages received and shown by
    // kind, tags shown, the bytes written to standard output, the seconds
    // since the counting began, messages and tags shown per second, connect
    // errors and failed reads.
    void write_summary(std::FILE *stream, uint64_t bytes_written) const;

private:
    using KindCounts = std::array<int64_t, std::size(kMessageKinds)>;

    std::chrono::steady_clock::time_point start_;
    KindCounts received_{};
    KindCounts shown_{};
    int64_t tags_ = 0;
    int64_t connect_errors_ = 0;
    int64_t failed_reads_ = 0;
};

}  // namespace tavlo::receiver
