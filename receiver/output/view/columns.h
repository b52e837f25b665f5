// The live view's columns on a line of the terminal: LIST and NAME always at
// its left, the columns after them scrolled with Left and Right, so that a
// narrow terminal can show every column in its turn.
#pragma once

#include <array>
#include <cstddef>

namespace tavlo::receiver::view {

enum class Column { kList, kName, kType, kValue, kStatus, kTime, kUpdates };
constexpr std::size_t kColumnCount = 7;
constexpr int kUpdatesColumnWidth = 8;  // " UPDATES", counts to 99999999

struct ColumnPlace {
    int x = -1;  // -1: scrolled out to the left
    int width = 0;
};

class ColumnLayout {
public:
    const ColumnPlace &place(Column column) const {
        return places_[static_cast<std::size_t>(column)];
    }
    ColumnPlace &place(Column column) { return places_[static_cast<std::size_t>(column)]; }

private:
    std::array<ColumnPlace, kColumnCount> places_{};
};

// The columns on a line of `width` characters with a NAME column of
// `name_width` and the first `hidden` of the columns after NAME scrolled
// out. The value's column takes what the others leave, at least its
// shortest width.
ColumnLayout lay_out_columns(int width, int name_width, std::size_t hidden);

// The fewest columns to scroll out for the last one to show whole: the
// most that Right scrolls. 0 when all of them fit.
std::size_t most_hidden_columns(int width, int name_width);

}  // namespace tavlo::receiver::view
