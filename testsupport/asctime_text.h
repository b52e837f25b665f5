// The standard asctime() text of a calendar time, made safely.
#pragma once

#include <cstddef>
#include <ctime>

namespace tavlo::ts {

// Longest text format_asctime() writes, its NUL included.
constexpr std::size_t kAsctimeTextSize = 64;

// Writes "Www Mmm dd hh:mm:ss yyyy\n" as asctime() does and returns its
// length. Unlike asctime(), out-of-range fields never index past the name
// tables ("???" instead) and a year of any size fits; the text of fields so
// far out of range that it would be longer is cut to 63 characters.
std::size_t format_asctime(const std::tm &time, char (&text)[kAsctimeTextSize]);

}  // namespace tavlo::ts
