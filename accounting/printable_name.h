// A device's or a tag's name for a line on standard error.
#pragma once

#include <string>
#include <string_view>

namespace tavlo::accounting {

// The name with its control bytes as '?', which would otherwise work the
// terminal.
std::string printable_name(std::string_view name);

}  // namespace tavlo::accounting
