// The live view's terminal, drawn with ncurses.
#include "screen.h"

#include <curses.h>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <term.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <exception>

#include "calendar_text.h"
#include "columns.h"

namespace tavlo::receiver::view {

namespace {

// How long a changed value stands out.
constexpr std::chrono::seconds kChangeShown{1};
constexpr int kHeaderLines = 3;  // the header, its second line, the column titles
constexpr short kBadStatusPair = 1;

// The NAME column's width, from the longest name of all rows.
constexpr int kShortestName = 4;
constexpr int kLongestName = 40;

// The set of SIGWINCH alone.
sigset_t resize_signal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGWINCH);
    return set;
}

// Takes the resizes that are held back; true when there was one.
bool took_resize() {
    const sigset_t set = resize_signal();
    const timespec now{};
    bool resized = false;
    while (sigtimedwait(&set, nullptr, &now) == SIGWINCH) resized = true;
    return resized;
}

// The terminate handler from before the screen was opened.
std::terminate_handler g_earlier_terminate = nullptr;

// An error that ends the program without unwinding leaves the terminal as
// it was found, too.
[[noreturn]] void end_screen_and_terminate() {
    endwin();
    if (g_earlier_terminate != nullptr) g_earlier_terminate();
    std::abort();
}

const char *state_text(LinkState state) {
    switch (state) {
        case LinkState::kConnecting: return "connecting";
        case LinkState::kConnected: return "connected";
        case LinkState::kReconnecting: return "reconnecting";
    }
    return "";
}

// "YYYY-MM-DD HH:MM:SS.mmm" in local time.
std::string local_time_text(LinkStatus::Wall::time_point when) {
    const auto since_epoch = when.time_since_epoch();
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(since_epoch);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - seconds).count();
    const std::time_t whole = static_cast<std::time_t>(seconds.count());
    std::tm local{};
    localtime_r(&whole, &local);
    return calendar_text(local, static_cast<int>(milliseconds));
}

// `text` at column `x` of line `y`, cut at `width` and at the screen's edge.
void put(int y, int x, std::string_view text, int width, attr_t attributes = A_NORMAL) {
    if (y >= LINES || x >= COLS) return;
    const int room = std::min(width, COLS - x);
    if (room <= 0) return;
    attrset(static_cast<int>(attributes));
    mvaddnstr(y, x, text.data(), std::min(room, static_cast<int>(text.size())));
    attrset(A_NORMAL);
}

// The header's first line.
std::string header_line(const Header &header, std::size_t first, std::size_t last,
                        std::size_t rows) {
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.0f msg/s", header.rate);
    std::string line =
        std::string(header.device) + "  " + state_text(header.state) + "  " + rate +
        "  last message " + (header.last_message ? local_time_text(*header.last_message) : "none") +
        "  tags " + (rows == 0 ? "0" : std::to_string(first + 1) + "-" + std::to_string(last)) +
        " of " + std::to_string(rows);
    if (header.tags_left_out > 0) {
        line += " (" + std::to_string(header.tags_left_out) + " left out: table full)";
    }
    return line;
}

}  // namespace

std::string Screen::unavailable() {
    if (isatty(STDOUT_FILENO) == 0) return "standard output is not a terminal";
    int error = 0;
    if (setupterm(nullptr, STDOUT_FILENO, &error) != OK) {
        const char *type = std::getenv("TERM");
        return std::string("the terminal type '") + (type != nullptr ? type : "") +
               "' is not known";
    }
    del_curterm(cur_term);
    return {};
}

bool Screen::open() {
    if (screen_ != nullptr) return true;
    // Its own stream on the terminal: the receiver's stdout is a stream
    // without a descriptor of its own.
    const int fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) return false;
    out_ = fdopen(fd, "w");
    if (out_ == nullptr) {
        ::close(fd);
        return false;
    }
    // A resize is taken between reads: its signal, held back, cannot cut the
    // client library's waits short.
    const sigset_t resize = resize_signal();
    sigprocmask(SIG_BLOCK, &resize, &old_mask_);
    screen_ = newterm(nullptr, out_, stdin);
    if (screen_ == nullptr) {
        sigprocmask(SIG_SETMASK, &old_mask_, nullptr);
        close();
        return false;
    }
    set_term(screen_);
    g_earlier_terminate = std::set_terminate(end_screen_and_terminate);
    cbreak();  // ^C still stops the receiver
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    curs_set(0);
    const char *no_colour = std::getenv("NO_COLOR");
    colour_ = (no_colour == nullptr || *no_colour == '\0') && has_colors();
    if (colour_) {
        start_color();
        use_default_colors();
        init_pair(kBadStatusPair, COLOR_RED, -1);
    }
    return true;
}

void Screen::close() {
    if (screen_ != nullptr) {
        endwin();
        std::set_terminate(g_earlier_terminate);
        delscreen(screen_);
        screen_ = nullptr;
        took_resize();  // a resize still held back goes with the screen
        sigprocmask(SIG_SETMASK, &old_mask_, nullptr);
    }
    if (out_ != nullptr) {
        std::fclose(out_);
        out_ = nullptr;
    }
}

void Screen::take_new_size() {
    if (!took_resize()) return;
    winsize size{};
    if (ioctl(fileno(out_), TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0) {
        resizeterm(size.ws_row, size.ws_col);
        clear();
    }
}

std::size_t Screen::page() const {
    return static_cast<std::size_t>(std::max(LINES - kHeaderLines, 1));
}

bool Screen::read_keys(std::size_t rows) {
    if (screen_ == nullptr) return false;
    take_new_size();
    const std::size_t last_top = rows > page() ? rows - page() : 0;
    // At the size just taken, with the NAME column of the last drawing.
    const std::size_t most_hidden = most_hidden_columns(COLS, name_width_);
    for (int key; (key = getch()) != ERR;) {
        switch (key) {
            case 'q':
            case 'Q': return false;
            case KEY_UP: top_ = top_ > 0 ? top_ - 1 : 0; break;
            case KEY_DOWN: ++top_; break;
            case KEY_PPAGE: top_ = top_ > page() ? top_ - page() : 0; break;
            case KEY_NPAGE: top_ += page(); break;
            case KEY_HOME: top_ = 0; break;
            case KEY_END: top_ = last_top; break;
            case KEY_LEFT: hidden_columns_ -= hidden_columns_ > 0 ? 1 : 0; break;
            case KEY_RIGHT: ++hidden_columns_; break;
            default: break;
        }
        top_ = std::min(top_, last_top);
        hidden_columns_ = std::min(hidden_columns_, most_hidden);
    }
    return true;
}

void Screen::draw(const Header &header, TagTable &table, Clock::time_point now) {
    if (screen_ == nullptr) return;
    const std::size_t rows = table.size();
    const std::size_t last_top = rows > page() ? rows - page() : 0;
    top_ = std::min(top_, last_top);
    const std::size_t end = std::min(rows, top_ + page());
    erase();

    std::string line = header_line(header, top_, end, rows);
    line.resize(std::max(line.size(), static_cast<std::size_t>(COLS)), ' ');
    put(0, 0, line, COLS, A_REVERSE);
    if (header.state == LinkState::kReconnecting) {
        put(1, 0, "last error: " + std::string(header.error), COLS,
            colour_ ? COLOR_PAIR(kBadStatusPair) | A_BOLD : A_BOLD);
    } else {
        put(1, 0, "q quits; Up, Down, Page Up/Down, Home, End: rows; Left, Right: columns", COLS);
    }

    name_width_ = std::clamp(static_cast<int>(table.longest_name()), kShortestName, kLongestName);
    hidden_columns_ = std::min(hidden_columns_, most_hidden_columns(COLS, name_width_));
    const ColumnLayout layout = lay_out_columns(COLS, name_width_, hidden_columns_);
    // A column scrolled out is not drawn.
    const auto put_in = [&layout](int y, Column column, std::string_view text,
                                  attr_t attributes = A_NORMAL) {
        const ColumnPlace &place = layout.place(column);
        if (place.x >= 0) put(y, place.x, text, place.width, attributes);
    };

    put_in(2, Column::kList, "LIST", A_BOLD);
    put_in(2, Column::kName, "NAME", A_BOLD);
    put_in(2, Column::kType, "TYPE", A_BOLD);
    put_in(2, Column::kValue, "VALUE", A_BOLD);
    put_in(2, Column::kStatus, "STATUS", A_BOLD);
    put_in(2, Column::kTime, "TIMESTAMP", A_BOLD);
    put_in(2, Column::kUpdates, " UPDATES", A_BOLD);

    int y = kHeaderLines;
    for (std::size_t i = top_; i < end; ++i, ++y) {
        const TagRow &row = table.row(i);
        const attr_t dim =
            dim_after_ && row.updated != Clock::time_point{} && now - row.updated >= *dim_after_
                ? A_DIM
                : A_NORMAL;
        char number[24];
        std::snprintf(number, sizeof number, "%d", row.list_id);
        put_in(y, Column::kList, number, dim);
        put_in(y, Column::kName, row.name, dim);
        put_in(y, Column::kType, row.data_type, dim);
        const bool just_changed =
            row.changed != Clock::time_point{} && now - row.changed < kChangeShown;
        put_in(y, Column::kValue, row.value, (just_changed ? A_REVERSE : A_NORMAL) | dim);
        attr_t status_attributes = A_NORMAL;
        if (!row.status_is_good()) {
            status_attributes = colour_ ? COLOR_PAIR(kBadStatusPair) | A_BOLD : A_BOLD;
        }
        put_in(y, Column::kStatus, row.status_text(), status_attributes | dim);
        put_in(y, Column::kTime, row.timestamp, dim);
        std::snprintf(number, sizeof number, "%*lld", kUpdatesColumnWidth,
                      static_cast<long long>(row.updates));
        put_in(y, Column::kUpdates, number, dim);
    }
    refresh();
}

}  // namespace tavlo::receiver::view
