// load_tag_list and load_tag_list_file, after the file is open: read its
// lines into the outputs.
#pragma once

#include <cstdio>

#include "load_errors.h"
#include "tag_arrays.h"
#include "tag_list_lines.h"
#include "tag_list_load.h"
#include "tavlo.h"

namespace tavlo::ts {

// Reads at most `count` lines of the open file, one slot each, and sets the
// descriptors' header entry: size `count` for a console load, the number of
// slots filled for a path load. The first line in error ends the load with
// the names left in the 256-byte layout. Otherwise, when all names are
// short, the names are rewritten in the compact layout: all `count` entries
// for a console load, which then records TAVLO_LOAD_TOO_MANY_TAGS when the
// file ended early; the entries filled for a path load. Returns the number
// of slots filled. `working_copy` holds `count` compact entries.
int32_t read_tag_list(std::FILE *file, LoadCall call, const TagListOutputs &outputs, int32_t count,
                      CompactNames &working_copy, LoadErrors &errors);

}  // namespace tavlo::ts
