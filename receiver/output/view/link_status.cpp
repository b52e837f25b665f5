// What the live view's header says of the link, without a terminal.
#include "link_status.h"

#include <algorithm>
#include <ratio>

namespace tavlo::receiver::view {

namespace {

using Tenths = std::chrono::duration<int64_t, std::deci>;

// The span of the rate's window, in seconds.
constexpr double kWindowSeconds = 2.0;

}  // namespace

void LinkStatus::message_came(Wall::time_point received, Clock::time_point now) {
    state_ = LinkState::kConnected;
    last_message_ = received;
    move_window(now);
    ++per_tenth_[static_cast<std::size_t>(latest_tenth_) % kTenths];
}

void LinkStatus::failed(const StatusBlock &block) {
    state_ = LinkState::kReconnecting;
    failure_ = "facility=" + std::to_string(block.facility[0]) +
               " error=" + std::to_string(block.error[0]);
    error_ = failure_;
}

void LinkStatus::logged(std::string_view line) {
    if (failure_.empty()) return;
    for (std::size_t at = line.find(failure_); at != std::string_view::npos;
         at = line.find(failure_, at + 1)) {
        const std::size_t end = at + failure_.size();
        // "error=2000" is not "error=20008".
        if (end == line.size() || line[end] < '0' || line[end] > '9') {
            error_ = line;
            return;
        }
    }
}

void LinkStatus::move_window(Clock::time_point now) {
    const int64_t tenth = std::chrono::duration_cast<Tenths>(now.time_since_epoch()).count();
    // The clock does not go back: a time before the latest tenth counts in it.
    if (tenth <= latest_tenth_) return;
    const int64_t passed = std::min<int64_t>(tenth - latest_tenth_, kTenths);
    for (int64_t t = 1; t <= passed; ++t) {
        per_tenth_[static_cast<std::size_t>(latest_tenth_ + t) % kTenths] = 0;
    }
    latest_tenth_ = tenth;
}

double LinkStatus::rate(Clock::time_point now) {
    move_window(now);
    int64_t messages = 0;
    for (const int64_t count : per_tenth_) messages += count;
    return static_cast<double>(messages) / kWindowSeconds;
}

}  // namespace tavlo::receiver::view
