// The live view's text of a calendar time.
#pragma once

#include <ctime>
#include <string>

namespace tavlo::receiver::view {

// "YYYY-MM-DD HH:MM:SS.mmm" of `time` and `milliseconds` (0 to 999).
std::string calendar_text(const std::tm &time, int milliseconds);

}  // namespace tavlo::receiver::view
