// What a run saw of its devices' integrity.
#include "run_accounting.h"

#include <inttypes.h>

#include <cstdio>

namespace tavlo::accounting {

namespace {

bool valid_time(const TimeRecord &time) {
    return time.seconds > 0 && time.milliseconds >= 0 && time.milliseconds <= 999;
}

int64_t milliseconds_of(const TimeRecord &time) {
    return int64_t{time.seconds} * 1000 + time.milliseconds;
}

// "count N, min N, median N, p95 N, p99 N, max N"
std::string latency_text(const LatencyHistogram &h) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "count %" PRId64 ", min %" PRId64 ", median %" PRId64 ", p95 %" PRId64
                  ", p99 %" PRId64 ", max %" PRId64,
                  h.count(), h.min(), h.quantile(0.5), h.quantile(0.95), h.quantile(0.99), h.max());
    return text;
}

}  // namespace

DeviceAccount &RunAccounting::device(std::string_view name) {
    if (last_device_ < devices_.size() && devices_[last_device_].name == name) {
        return devices_[last_device_];
    }
    for (std::size_t d = 0; d < devices_.size(); ++d) {
        if (devices_[d].name == name) {
            last_device_ = d;
            return devices_[d];
        }
    }
    if (devices_.size() == kMostDevices) return devices_.back();
    devices_.push_back(DeviceAccount{std::string(name), {}, {}, 0, link_epoch_});
    last_device_ = devices_.size() - 1;
    return devices_.back();
}

LatencyHistogram &RunAccounting::list_latency(int32_t list_id) {
    if (last_list_ != nullptr && last_list_id_ == list_id) return *last_list_;
    auto found = by_list_.find(list_id);
    last_list_id_ = list_id;
    if (found != by_list_.end()) {
        last_list_ = &found->second;
    } else {
        last_list_ = &by_list_[by_list_.size() >= kMostLatencyLists ? 0 : list_id];
    }
    return *last_list_;
}

void RunAccounting::add_latencies(const MessageFacts &message, LatencyHistogram &list) {
    const int64_t received =
        std::chrono::duration_cast<std::chrono::milliseconds>(message.received.time_since_epoch())
            .count();
    // The tags of a message mostly share their timestamp: a run of equal
    // ones is added at once.
    int32_t k = 0;
    while (k < message.tags) {
        const TimeRecord &time = message.timestamps[k];
        int32_t end = k + 1;
        while (end < message.tags && message.timestamps[end].seconds == time.seconds &&
               message.timestamps[end].milliseconds == time.milliseconds) {
            ++end;
        }
        if (valid_time(time)) {
            const int64_t latency = received - milliseconds_of(time);
            latency_.add(latency, end - k);
            list.add(latency, end - k);
        }
        k = end;
    }
}

SequenceGap RunAccounting::take(const MessageFacts &message) {
    if (!link_up_) {
        link_up_ = true;
        ++connects_;
    }
    last_message_ = message.received;
    DeviceAccount &account = device(message.device);
    ++account.messages[message.kind_slot < kKindSlots ? message.kind_slot : kKindSlots - 1];
    account.tags += message.tags > 0 ? message.tags : 0;
    const bool link_lost = account.link_epoch != link_epoch_;
    account.link_epoch = link_epoch_;
    if (message.timestamps != nullptr && message.tags > 0) {
        add_latencies(message, list_latency(message.list_id));
    }
    return account.sequence.take(message.sequence, link_lost);
}

void RunAccounting::connect_failed() {
    ++failed_connects_;
    if (link_up_) ++link_epoch_;
    link_up_ = false;
}

void RunAccounting::read_failed(int32_t code, bool link_ended) {
    ++failed_reads_[code];
    if (!link_ended) return;
    if (link_up_) ++link_epoch_;
    link_up_ = false;
}

SequenceCounts RunAccounting::sequence_totals() const {
    SequenceCounts totals;
    for (const DeviceAccount &d : devices_) {
        const SequenceCounts &c = d.sequence.counts();
        totals.missing += c.missing;
        totals.repeated += c.repeated;
        totals.out_of_order += c.out_of_order;
        totals.restarts += c.restarts;
    }
    return totals;
}

std::string RunAccounting::summary() const {
    const SequenceCounts totals = sequence_totals();
    char counts[300];
    std::snprintf(counts, sizeof counts,
                  "Messages missing: %" PRId64 "\nMessages repeated: %" PRId64
                  "\nMessages out of order: %" PRId64 "\nSequence restarts: %" PRId64 "\n",
                  totals.missing, totals.repeated, totals.out_of_order, totals.restarts);
    std::string text = counts;
    text += "Latency ms: " + latency_text(latency_) + "\n";
    for (const auto &[list_id, histogram] : by_list_) {
        text +=
            "Latency ms of list " + std::to_string(list_id) + ": " + latency_text(histogram) + "\n";
    }
    return text;
}

}  // namespace tavlo::accounting
