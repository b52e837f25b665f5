// Loads a tag-list file with one of the loaders and prints what came of it.
#pragma once

#include <cstdint>

#include "check_options.h"

namespace tavlo::check {

// Loads up to `count` tags in the format; prints the tags, their sizes and
// settings, or the error that ended the load. True when there was none.
bool check_tag_list(ListFormat format, int32_t count);

}  // namespace tavlo::check
