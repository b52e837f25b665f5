// The live view's terminal: a full screen of the table under a header,
// drawn with ncurses, its rows scrolled with the arrow and page keys and its
// columns with Left and Right.
#pragma once

#include <signal.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "link_status.h"
#include "tag_table.h"

struct screen;  // ncurses' SCREEN

namespace tavlo::receiver::view {

// What the header says.
struct Header {
    std::string_view device;
    LinkState state = LinkState::kConnecting;
    std::string_view error;  // the last error, shown while reconnecting
    double rate = 0;         // messages per second
    std::optional<LinkStatus::Wall::time_point> last_message;
    int64_t tags_left_out = 0;
};

class Screen {
public:
    // Why no screen can be opened on standard output ("" when one can):
    // it is not a terminal, or its type is not known.
    static std::string unavailable();

    Screen() = default;
    ~Screen() { close(); }
    Screen(const Screen &) = delete;
    Screen &operator=(const Screen &) = delete;

    // Takes the terminal over. False when it cannot.
    bool open();
    // Leaves the terminal as it was found; again is harmless.
    void close();

    // Acts on the keys typed since the last call and on a change of the
    // terminal's size. False when the user asked to quit.
    bool read_keys(std::size_t rows);

    void draw(const Header &header, TagTable &table, Clock::time_point now);

    // Rows without a value for `quiet` are drawn dimmed (--stale).
    void dim_after(Clock::duration quiet) { dim_after_ = quiet; }

private:
    void take_new_size();
    std::size_t page() const;  // table rows that fit under the header

    std::FILE *out_ = nullptr;  // the terminal, apart from the report's stdout
    ::screen *screen_ = nullptr;
    sigset_t old_mask_{};  // the signals blocked before: SIGWINCH is while open
    bool colour_ = false;
    std::size_t top_ = 0;             // the first table row shown
    std::size_t hidden_columns_ = 0;  // the columns after NAME scrolled out
    int name_width_ = 0;              // NAME's width in the last drawing
    std::optional<Clock::duration> dim_after_;
};

}  // namespace tavlo::receiver::view
