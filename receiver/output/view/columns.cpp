// The live view's columns on a line of the terminal.
#include "columns.h"

#include <algorithm>

namespace tavlo::receiver::view {

namespace {

constexpr int kListWidth = 6;
constexpr int kTypeWidth = 12;      // "UNKNOWN TYPE"
constexpr int kShortestValue = 23;  // a TIME value's calendar time
constexpr int kStatusWidth = 18;
constexpr int kTimeWidth = 23;  // "YYYY-MM-DD HH:MM:SS.mmm"
constexpr int kGap = 1;
constexpr std::size_t kFirstScrolled = static_cast<std::size_t>(Column::kType);

// Every column's width, the value's from what the others leave of `width`.
std::array<int, kColumnCount> widths(int width, int name_width) {
    std::array<int, kColumnCount> widths = {kListWidth,   name_width, kTypeWidth,         0,
                                            kStatusWidth, kTimeWidth, kUpdatesColumnWidth};
    int others = 0;
    for (const int each : widths) others += each + kGap;
    widths[static_cast<std::size_t>(Column::kValue)] =
        std::max(width - others + kGap, kShortestValue);
    return widths;
}

}  // namespace

ColumnLayout lay_out_columns(int width, int name_width, std::size_t hidden) {
    const std::array<int, kColumnCount> column_widths = widths(width, name_width);
    ColumnLayout layout;
    int x = 0;
    for (std::size_t c = 0; c < kColumnCount; ++c) {
        if (c >= kFirstScrolled && c < kFirstScrolled + hidden) continue;
        ColumnPlace &place = layout.place(static_cast<Column>(c));
        place.x = x;
        place.width = column_widths[c];
        x += place.width + kGap;
    }
    return layout;
}

std::size_t most_hidden_columns(int width, int name_width) {
    std::size_t hidden = 0;
    for (; kFirstScrolled + hidden + 1 < kColumnCount; ++hidden) {
        const ColumnPlace last = lay_out_columns(width, name_width, hidden).place(Column::kUpdates);
        if (last.x + last.width <= width) break;
    }
    return hidden;
}

}  // namespace tavlo::receiver::view
