// The simulated plant: a deterministic stream of messages from one device.
#pragma once

#include <cstdint>

#include "message_records.h"

namespace tavlo::sim {

// Device name the plant reports in every message, and its unit.
inline constexpr const char *kPlantDevice = "SIMPLANT";
inline constexpr int32_t kPlantUnit = 1;

// List ids of the plant. The boiler list has only short names (compact
// layout); the cooling list has one name of 44 characters (256-byte layout).
enum PlantList : int32_t {
    kBoilerList = 101,
    kCoolingList = 102,
    kMixerList = 103,   // one tag: get and put replies
    kDosingList = 104,  // declared and cancelled now and then
};

// Kind of the message the plant sends now and then that receivers ignore.
inline constexpr MessageKind kPlantOtherKind = 12;

// Messages 0 and 1 are the declare replies of the boiler and cooling lists;
// from message 2 on a cycle of 12 follows: unsolicited values of both lists,
// a get and a put reply, a message of another kind, and a declare and a
// cancel reply. Message n carries plant time start + n * step, and its
// content depends on n and the start time alone. Every message that carries
// values starts with the tag SIM.MESSAGE_NUMBER, whose value is n.
class Plant {
public:
    // `start_ms`: plant time of message 0, in milliseconds since 1970.
    // `step_ms`: plant time between messages.
    // `first_message`: the number of the first message sent, so that a
    // restarted simulator can go on where the last one stopped.
    Plant(int64_t start_ms, int32_t step_ms, int64_t first_message = 0);

    // Fills `message` with message n and moves on to n + 1. Reusing one
    // message keeps its buffers.
    void next(records::Message &message);

private:
    int64_t start_ms_;
    int32_t step_ms_;
    int64_t sent_ = 0;
};

}  // namespace tavlo::sim
