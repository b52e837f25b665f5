// load_historical_tag_list and load_historical_tag_list_file, after the
// file is open: read its lines.
#pragma once

#include <cstdio>

#include "load_errors.h"
#include "tag_arrays.h"
#include "tag_list_load.h"
#include "tavlo.h"

namespace tavlo::ts {

// Reads at most `count` lines of the open file, "name value-count data-type
// [ascii-size]" each, and sets the descriptors' header entry: size `count`
// for a console load, the number of slots filled for a path load. A console
// load whose file ends early records TAVLO_LOAD_TOO_MANY_TAGS. Only a load
// without error rewrites the names in the compact layout, when they are all
// short: the entries filled. Returns the number of slots filled.
// `working_copy` holds `count` compact entries.
int32_t read_historical_tag_list(std::FILE *file, LoadCall call, char *names,
                                 TypeDescriptor *descriptors, int32_t *value_counts, int32_t count,
                                 CompactNames &working_copy, LoadErrors &errors);

}  // namespace tavlo::ts
