// The frame of a tag-list load that both loaders share, called from the
// console or with a path: the count, the working name copy, the caller's
// block, the file and the line of the error.
#pragma once

#include <cstdio>

#include "load_errors.h"
#include "tag_arrays.h"
#include "tag_list_file.h"
#include "tavlo_testsupport.h"

namespace tavlo::ts {

// Checks the count, obtains the working name copy of `count` entries,
// clears the caller's block, opens the file (at `path`, or asked for at the
// console) and runs read_file(file, working_copy, errors), which returns
// the number of slots it filled; returns that number, 0 when the file was
// not read. A negative count or a working copy that cannot be allocated is
// recorded before anything is asked. The file is closed and the working
// copy freed on every way out. `error_line`, when given, receives the line
// of the error (0 for none).
template <typename ReadFile>
int32_t run_tag_list_load(LoadCall call, const char *path, int32_t count, StatusBlock *block,
                          int32_t *error_line, ReadFile read_file) {
    LoadErrors errors(block, call == LoadCall::kConsole);
    int32_t filled = 0;
    if (count < 0) {
        TAVLO_CLIENT_INITBLK(block);
        errors.fail(TAVLO_LOAD_NEGATIVE_COUNT);
    } else {
        CompactNames working_copy(count);
        TAVLO_CLIENT_INITBLK(block);
        if (!working_copy.ok()) {
            errors.fail(TAVLO_LOAD_NO_MEMORY);
        } else {
            const TagListFile file = call == LoadCall::kConsole ? open_asked_tag_list_file(errors)
                                                                : open_tag_list_file(path, errors);
            if (file) filled = read_file(file.get(), working_copy, errors);
        }
    }
    if (error_line != nullptr) *error_line = errors.error_line();
    return filled;
}

}  // namespace tavlo::ts
