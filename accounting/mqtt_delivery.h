// The counts of the publishing to an MQTT broker (--mqtt), which --stats,
// the metrics and the verdict show alike.
#pragma once

#include <cstdint>

namespace tavlo::accounting {

struct MqttDelivery {
    uint64_t published = 0;    // messages shown and written to the spool
    uint64_t confirmed = 0;    // confirmed by the broker in this run (at QoS 0: sent)
    uint64_t dropped = 0;      // the oldest of a full spool, and those it could not hold
    uint64_t undelivered = 0;  // left in the spool at the end of the run; 0 before it
    uint64_t queued = 0;       // waiting in the spool now
    bool connected = false;    // the link to the broker is up
};

// The counts a verdict gives at the end of the run, by name (what waits in
// the spool then is the count undelivered; the link is closed).
struct MqttEndCount {
    const char *name;
    uint64_t MqttDelivery::*count;
};
inline constexpr MqttEndCount kMqttEndCounts[] = {
    {"published", &MqttDelivery::published},
    {"confirmed", &MqttDelivery::confirmed},
    {"dropped", &MqttDelivery::dropped},
    {"undelivered", &MqttDelivery::undelivered},
};

}  // namespace tavlo::accounting
