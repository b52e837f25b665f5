// The frame of a tag-list load that both loaders share: the count, the
// working name copy, the caller's block and the file.
#pragma once

#include <cstdio>

#include "load_errors.h"
#include "tag_list_file.h"
#include "tag_name_array.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

// Checks the count, obtains the working name copy of `count` entries,
// clears the caller's block, asks for the file and opens it; then runs
// read_file(file, working_copy). A negative count or a working copy that
// cannot be allocated records its error before anything is asked. The file
// is closed and the working copy freed on every way out.
template <typename ReadFile>
void run_tag_list_load(int32_t count, StatusBlock *block, ReadFile read_file) {
    if (count < 0) {
        TAVLO_CLIENT_INITBLK(block);
        record_load_error(block, TAVLO_LOAD_NEGATIVE_COUNT);
        return;
    }
    CompactNames working_copy(count);
    TAVLO_CLIENT_INITBLK(block);
    if (!working_copy.ok()) {
        record_load_error(block, TAVLO_LOAD_NO_MEMORY);
        return;
    }
    const TagListFile file = open_tag_list_file(block);
    if (file) read_file(file.get(), working_copy);
}

}  // namespace tavlo::ts
