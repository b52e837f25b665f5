// The bound of the MQTT spool (--mqtt-queue-max): a number of messages, a
// size, or both; past either the oldest messages are dropped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavlo::mqtt {

struct QueueBound {
    uint64_t messages = 0;  // at most this many wait; 0: not given
    uint64_t bytes = 0;     // their records (topic, payload, sizes) at most; 0: no bound
};

constexpr uint64_t kDefaultQueueMessages = 100000;

// Reads one value of --mqtt-queue-max into `bound`: a number of messages
// ("10000") sets `messages`, a size ("64MiB", "512KiB", "2GiB") sets
// `bytes`. Returns "" or the problem; `bound` is left alone then.
std::string read_queue_bound(std::string_view text, QueueBound &bound);

// The bound the spool keeps from what was given: without a number of
// messages, the default where no size was given either, else none.
QueueBound spool_bound(const QueueBound &given);

// "1000 messages", "64MiB", "1000 messages or 512KiB", for the lines on
// standard error.
std::string queue_bound_text(const QueueBound &bound);

}  // namespace tavlo::mqtt
