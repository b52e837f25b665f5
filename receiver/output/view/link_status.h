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

    // A connect or a read failed with the first entry of `block`.
    void failed(const StatusBlock &block);

    // A line of the library's error log: the one of the last failure says
    // it better than the block's numbers; other lines are left aside.
    void logged(std::string_view line);

    LinkState state() const { return state_; }
    // The last failure: the library's log line of it, else "facility=F
    // error=E"; empty before any.
    const std::string &error() const { return error_; }
    std::optional<Wall::time_point> last_message() const { return last_message_; }

    // Messages per second, over the last second or more before `now`: the
    // count is taken again once a second has passed since the last time.
    double rate(Clock::time_point now);

private:
    LinkState state_ = LinkState::kConnecting;
    std::string error_;
    std::string failure_;  // "facility=F error=E" of the last failure
    std::optional<Wall::time_point> last_message_;
    int64_t messages_ = 0;
    std::optional<Clock::time_point> window_start_;
    int64_t window_messages_ = 0;
    double rate_ = 0;
};

}  // namespace tavlo::receiver::view
