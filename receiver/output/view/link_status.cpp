// What the live view's header says of the link, without a terminal.
#include "link_status.h"

namespace tavlo::receiver::view {

void LinkStatus::message_came(Wall::time_point received) {
    state_ = LinkState::kConnected;
    last_message_ = received;
    ++messages_;
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

double LinkStatus::rate(Clock::time_point now) {
    if (!window_start_) {
        window_start_ = now;
        window_messages_ = messages_;
    }
    const std::chrono::duration<double> elapsed = now - *window_start_;
    if (elapsed >= std::chrono::seconds(1)) {
        rate_ = static_cast<double>(messages_ - window_messages_) / elapsed.count();
        window_start_ = now;
        window_messages_ = messages_;
    }
    return rate_;
}

}  // namespace tavlo::receiver::view
