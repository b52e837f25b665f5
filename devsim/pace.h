// When each message is due: at the interval after the one before, or at its
// recorded distance from the first, scaled by the speed.
#pragma once

#include <cstdint>
#include <optional>

#include "devsim_options.h"
#include "tavlo.h"

namespace tavlo::devsim {

class Pace {
public:
    explicit Pace(const DevsimOptions &options);

    // Whether messages keep a pace; else they go as fast as the clients
    // read them (--interval 0, --speed 0).
    bool paced() const;

    // The time the next message is due, `received` the time a recording got
    // it, asked for once the message before went out at `now` (for the
    // first message: when the first clients are there).
    //  - interval: the interval after the time the message before was due,
    //    or now when that is past;
    //  - recorded: the distance of its time from the time of the first
    //    message, divided by the speed, after the first went out. A message
    //    without a time, and one whose time is earlier than the time before
    //    it (the script starts again, the recording's clock went back), goes
    //    right after the message before; the distances of those after it
    //    count from it.
    int64_t next_due(const std::optional<int64_t> &received, int64_t now);

    // Another pass through the script starts with the next message: it goes
    // right after the message before, as one with an earlier time does,
    // whatever its time.
    void start_pass() { base_ms_.reset(); }

private:
    const DevsimOptions &options_;
    bool first_ = true;
    int64_t due_ = 0;
    std::optional<int64_t> base_ms_;  // the recorded time distances count from
    int64_t base_due_ = 0;            // when the message of that time was due
    int64_t last_ms_ = 0;             // the last recorded time
};

}  // namespace tavlo::devsim
