// What a run saw of its devices' integrity: the sequence numbers of every
// device, the latency of the tags, the link's ups and downs and the reads
// that failed. Every message read comes here, before the filters.
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "latency_histogram.h"
#include "sequence_tracker.h"
#include "tavlo.h"

namespace tavlo::accounting {

// Message kinds are counted by the place of their row in the receiver's
// table of kinds: the five it knows, then every other kind.
constexpr std::size_t kKindSlots = 6;

// A message read, as far as the accounting needs it.
struct MessageFacts {
    std::string_view device;
    std::size_t kind_slot = 0;  // below kKindSlots
    int32_t list_id = 0;
    int32_t sequence = 0;
    int32_t tags = 0;
    const TimeRecord *timestamps = nullptr;  // null: the kind has none
    std::chrono::system_clock::time_point received;
};

struct DeviceAccount {
    std::string name;
    SequenceTracker sequence;
    std::array<int64_t, kKindSlots> messages{};
    int64_t tags = 0;
    uint64_t link_epoch = 0;  // the link's epoch at its last message
};

class RunAccounting {
public:
    // Devices beyond this many are counted together under the last name.
    static constexpr std::size_t kMostDevices = 1024;
    // Lists beyond this many share one latency histogram, under list id 0.
    static constexpr std::size_t kMostLatencyLists = 256;

    // Counts the message; returns the gap its number showed, if any.
    SequenceGap take(const MessageFacts &message);

    // A connect failed, or a read failed with `code`; `link_ended` says that
    // the read (or connect) left the receiver without a link.
    void connect_failed();
    void read_failed(int32_t code, bool link_ended);

    const std::vector<DeviceAccount> &devices() const { return devices_; }
    SequenceCounts sequence_totals() const;
    // The numbers missing over all devices: what "no gaps" asks about.
    int64_t total_missing() const { return sequence_totals().missing; }

    const LatencyHistogram &latency() const { return latency_; }
    const std::map<int32_t, LatencyHistogram> &latency_by_list() const { return by_list_; }

    int64_t connects() const { return connects_; }
    int64_t failed_connects() const { return failed_connects_; }
    const std::map<int32_t, int64_t> &failed_reads() const { return failed_reads_; }
    bool link_up() const { return link_up_; }
    // When the last message came; the epoch when none did.
    std::chrono::system_clock::time_point last_message() const { return last_message_; }

    // The lines --stats adds to the run's summary.
    std::string summary() const;

private:
    DeviceAccount &device(std::string_view name);
    LatencyHistogram &list_latency(int32_t list_id);
    void add_latencies(const MessageFacts &message, LatencyHistogram &list);

    std::vector<DeviceAccount> devices_;
    std::size_t last_device_ = 0;
    LatencyHistogram latency_;
    std::map<int32_t, LatencyHistogram> by_list_;
    // Messages mostly come for the list of the one before.
    int32_t last_list_id_ = 0;
    LatencyHistogram *last_list_ = nullptr;
    uint64_t link_epoch_ = 0;  // counts the times the link went down
    bool link_up_ = false;
    int64_t connects_ = 0;
    int64_t failed_connects_ = 0;
    std::map<int32_t, int64_t> failed_reads_;
    std::chrono::system_clock::time_point last_message_{};
};

}  // namespace tavlo::accounting
