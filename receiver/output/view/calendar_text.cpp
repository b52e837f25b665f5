// The live view's text of a calendar time.
#include "calendar_text.h"

#include <cstdio>

namespace tavlo::receiver::view {

std::string calendar_text(const std::tm &time, int milliseconds) {
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &time);
    std::snprintf(text + length, sizeof text - length, ".%03d", milliseconds);
    return text;
}

}  // namespace tavlo::receiver::view
