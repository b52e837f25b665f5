// The line on standard error for a gap in a device's sequence, at most one
// a second: the lines held back in between are counted in the next one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "clock.h"
#include "sequence_tracker.h"

namespace tavlo::accounting {

class GapNotices {
public:
    GapNotices(std::FILE *stream, posix::Clock &clock) : stream_(stream), clock_(clock) {}

    // "tavlo_t_receiver: 767 messages missing on SIMPLANT between sequence
    // 244 and 1012, before list 101", with " (3 gap lines held back)" after
    // lines were held back; or nothing within a second of the last line.
    void gap(std::string_view device, int32_t list_id, const SequenceGap &gap);

    // The count of lines still held back, in a line of its own.
    void finish();

private:
    std::FILE *stream_;
    posix::Clock &clock_;
    bool said_ = false;
    posix::Clock::Time last_said_{};
    int64_t held_back_ = 0;
};

}  // namespace tavlo::accounting
