// load_historical_tag_list, after the file is open: reads its lines.
#pragma once

#include <cstdio>

#include "tag_name_array.h"
#include "tavlo.h"

namespace tavlo::ts {

// Sets the descriptors' header entry and reads at most `count` lines of the
// open file, "name value-count data-type [ascii-size]" each. Records
// TAVLO_LOAD_TOO_MANY_TAGS when the file ends early; only a load without
// error rewrites the names in the compact layout, when they are all short.
// `working_copy` holds `count` compact entries.
void read_historical_tag_list(std::FILE *file, char *names, TypeDescriptor *descriptors,
                              int32_t *value_counts, int32_t count, CompactNames &working_copy,
                              StatusBlock *block);

}  // namespace tavlo::ts
