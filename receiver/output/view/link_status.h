// What the live view's header says of the link, without a terminal: the
// state of the connection with its last error, the messages per second and
// the time of the last message.
#pragma once

#include <array>
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

    // A message came at `now`, received at `received` by the wall clock.
    void message_came(Wall::time_point received, Clock::time_point now);

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

    // Messages per second over the two seconds up to `now`, in tenths of a
    // second: it falls to 0 two seconds after the last message.
    double rate(Clock::time_point now);

private:
    LinkState state_ = LinkState::kConnecting;
    std::string error_;
    std::string failure_;  // "facility=F error=E" of the last failure
    std::optional<Wall::time_point> last_message_;
    // The messages of each tenth of a second of the window, the latest
    // tenth's at latest_tenth_ % kTenths.
    static constexpr std::size_t kTenths = 20;
    std::array<int64_t, kTenths> per_tenth_{};
    int64_t latest_tenth_ = 0;

    // Moves the window on to the tenth of `now`; the tenths it leaves
    // behind are emptied.
    void move_window(Clock::time_point now);
};

}  // namespace tavlo::receiver::view
