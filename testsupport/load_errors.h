// Recording the error that ends a tag-list load, and the messages both
// loaders share.
#pragma once

#include <cstdint>

#include "tavlo.h"

namespace tavlo::ts {

// Records (TAVLO_LOAD_FACILITY, code) in the caller's block.
void record_load_error(StatusBlock *block, int32_t code);

// "\nError in data type for tag '%s'" and TAVLO_LOAD_BAD_TYPE.
void fail_data_type(const char *name, StatusBlock *block);

// "\nError: Too many tags" and TAVLO_LOAD_TOO_MANY_TAGS: the file ended
// before the caller's count of lines.
void fail_too_many_tags(StatusBlock *block);

}  // namespace tavlo::ts
