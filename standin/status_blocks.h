// Filling StatusBlocks: success, or one error entry.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::standin {

// No entries: every facility 0, every error -1 (the end of the list).
void clear_block(StatusBlock &block);

// One entry (facility, code), then the end of the list.
void fail_block(StatusBlock &block, int32_t facility, int32_t code);

}  // namespace tavlo::standin
