// load_tag_list, after the file is open: reads its lines into the outputs.
#pragma once

#include <cstdio>

#include "tag_list_lines.h"
#include "tag_name_array.h"
#include "tavlo.h"

namespace tavlo::ts {

// Sets the descriptors' header entry, reads at most `count` lines of the
// open file, one slot each, rewrites the names in the compact layout when
// they are all short, and records TAVLO_LOAD_TOO_MANY_TAGS when the file
// ends early. The first line in error ends the load with the names left in
// the 256-byte layout. `working_copy` holds `count` compact entries.
void read_tag_list(std::FILE *file, const TagListOutputs &outputs, int32_t count,
                   CompactNames &working_copy, StatusBlock *block);

}  // namespace tavlo::ts
