// What the live view's header says of the link, without a terminal: the
// state of the connection with its last error, the messages per second and
// the time of the last message.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tavlo.h"

namespace tavlo::receiver::view {

enum class LinkState {
    kConnecting,    // no message yet, no failure yet
    kConnected,     // a message came since the last failure
    kReconnecting,  // a connect or a read failed since the last message
};

class LinkStatus {
public:
    using Clock = std::chrono::steady_clock;
    using Wall = std::chrono::system_clock;

    void message_came(Wall::time_point received);

    // A connect or a read failed with the entries of `block`.
    void failed(const StatusBlock &block);

    // A line of the library's error log: it says the last error better than
    // the block's numbers.
    void logged(std::string_view line) { error_ = line; }

    LinkState state() const { return state_; }
    // The last error: the library's last log line, else "facility=F
    // error=E" of the last failure; empty before any.
    const std::string &error() const { return error_; }
    std::optional<Wall::time_point> last_message() const { return last_message_; }

    // Messages per second, over the last second or more before `now`: the
    // count is taken again once a second has passed since the last time.
    double rate(Clock::time_point now);

private:
    LinkState state_ = LinkState::kConnecting;
    std::string error_;
    std::optional<Wall::time_point> last_message_;
    int64_t messages_ = 0;
    std::optional<Clock::time_point> window_start_;
    int64_t window_messages_ = 0;
    double rate_ = 0;
};

}  // namespace tavlo::receiver::view
